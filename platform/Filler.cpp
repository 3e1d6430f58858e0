// SPDX-License-Identifier: GPL-3.0-or-later
// Filler files on POSIX: created relative to an open directory so that a
// renamed or replaced path cannot redirect them, without a name where the
// file system allows it, written in large aligned pieces, flushed, emptied
// and removed.
#include "platform/Filler.h"

#include "core/Translations.h"

#include "platform/GiveBack.h"
#include "platform/StopSignal.h"

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <pthread.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <pwd.h>
#include <linux/fs.h>
#include <linux/types.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/random.h>
#include <climits>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tw {

namespace {

// EXT4_IOC_CHECKPOINT (Linux 5.13), not in every libc's headers.
constexpr unsigned long kExt4Checkpoint = _IOW('f', 43, __u32);

std::mutex g_hookMutex;
FillerNameSource g_nameSource;
FillerWriteHook g_writeHook;
FillerFlushHook g_flushHook;
std::atomic<bool> g_namedOnly{false};

std::string RandomName()
{
    {
        std::lock_guard lock(g_hookMutex);
        if (g_nameSource) {
            std::string name = g_nameSource();
            if (!name.empty())
                return name;
        }
    }
    unsigned char bytes[8];
    size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
        if (n > 0)
            got += size_t(n);
        else if (errno != EINTR)
            break;
    }
    // Without the kernel's randomness the name is still unique enough for
    // O_EXCL to sort out a collision by trying again.
    if (got < sizeof bytes) {
        const unsigned long long v = (unsigned long long)getpid() * 2654435761ULL ^ (unsigned long long)time(nullptr)
            ^ (unsigned long long)(uintptr_t)&got;
        std::memcpy(bytes, &v, sizeof bytes);
    }
    static const char hex[] = "0123456789abcdef";
    std::string name = kFillerPrefix;
    for (unsigned char b : bytes) {
        name += hex[b >> 4];
        name += hex[b & 15];
    }
    return name;
}

ssize_t WriteFiller(int fd, const char* data, size_t size)
{
    std::unique_lock lock(g_hookMutex);
    if (g_writeHook) {
        FillerWriteHook hook = g_writeHook;
        lock.unlock();
        return hook(fd, data, size);
    }
    lock.unlock();
    return write(fd, data, size);
}

} // namespace

void SetFillerNameSource(FillerNameSource source)
{
    std::lock_guard lock(g_hookMutex);
    g_nameSource = std::move(source);
}

void SetFillerWriteHook(FillerWriteHook hook)
{
    std::lock_guard lock(g_hookMutex);
    g_writeHook = std::move(hook);
}

void SetFillerFlushHook(FillerFlushHook hook)
{
    std::lock_guard lock(g_hookMutex);
    g_flushHook = std::move(hook);
}

void SetNamedFillersOnly(bool named) { g_namedOnly = named; }

namespace {

int FlushFiller(int fd)
{
    std::unique_lock lock(g_hookMutex);
    if (g_flushHook) {
        FillerFlushHook hook = g_flushHook;
        lock.unlock();
        return hook(fd);
    }
    lock.unlock();
    return fdatasync(fd) == 0 ? 0 : errno;
}

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

} // namespace

bool IsFillerName(const char* name)
{
    const size_t prefix = std::strlen(kFillerPrefix);
    if (std::strncmp(name, kFillerPrefix, prefix) != 0)
        return false;
    const char* rest = name + prefix;
    size_t n = 0;
    for (; rest[n]; ++n)
        if (n >= 16 || !IsHex(rest[n]))
            return false;
    return n == 16;
}

int SpaceOf(int fd, VolumeSpace* space)
{
    struct statvfs s {};
    if (fstatvfs(fd, &s) != 0)
        return errno;
    const bool root = geteuid() == 0;
    space->fillable = (unsigned long long)(root ? s.f_bfree : s.f_bavail) * s.f_frsize;
    space->adminOnly = !root && s.f_bfree > s.f_bavail ? (unsigned long long)(s.f_bfree - s.f_bavail) * s.f_frsize : 0;
    return 0;
}

int DeviceOf(const std::string& path, dev_t* device)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return errno;
    *device = st.st_dev;
    return 0;
}

std::string HomeDirectory()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return {};
}

std::string TemporaryDirectory()
{
    if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp)
        return tmp;
    return "/tmp";
}

FillerFiles::~FillerFiles()
{
    Remove(nullptr);
    if (m_dirfd >= 0)
        close(m_dirfd);
}

int FillerFiles::Open(const std::string& directory)
{
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat st;
    if (fstat(fd, &st) != 0) {
        const int e = errno;
        close(fd);
        return e;
    }
    if (m_dirfd >= 0)
        close(m_dirfd);
    m_dirfd = fd;
    m_device = st.st_dev;
    m_strDirectory = directory;
    return 0;
}

int RemoveStaleFillers(int dirfd)
{
    // fdopendir takes over the descriptor it is given; read through a copy.
    const int listfd = openat(dirfd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listfd < 0)
        return 0;
    DIR* dir = fdopendir(listfd);
    if (!dir) {
        close(listfd);
        return 0;
    }
    std::vector<std::string> candidates;
    while (const dirent* entry = readdir(dir))
        if (IsFillerName(entry->d_name))
            candidates.emplace_back(entry->d_name);
    closedir(dir);

    int removed = 0;
    for (const std::string& name : candidates) {
        // Looked at without following a link and before anything is opened:
        // a device node or a FIFO with a filler's name is never opened.
        struct stat st;
        if (fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)
            || st.st_nlink != 1 || st.st_uid != geteuid())
            continue;
        const int fd = openat(dirfd, name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            continue;
        // A running fill holds the lock of each of its fillers. Holding it
        // here in turn keeps a fill that is just creating this name from
        // taking it: that fill checks its name after it has the lock.
        struct stat opened, named;
        const bool stale = flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &opened) == 0
            && fstatat(dirfd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && opened.st_ino == named.st_ino
            && opened.st_dev == named.st_dev && opened.st_nlink == 1 && opened.st_uid == geteuid();
        if (stale) {
            // Cutting it first gives the space back even while some other
            // program still has the file open.
            [[maybe_unused]] const int t = ftruncate(fd, 0);
            if (unlinkat(dirfd, name.c_str(), 0) == 0)
                ++removed;
        }
        close(fd);
    }
    return removed;
}

int RemoveStaleFillersIn(const std::string& directory)
{
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    const int removed = RemoveStaleFillers(fd);
    close(fd);
    return removed;
}

int FillerFiles::RemoveStale() { return m_dirfd < 0 ? 0 : RemoveStaleFillers(m_dirfd); }

int FillerFiles::Create()
{
    if (m_dirfd < 0)
        return EBADF;
    if (!m_bNamed && !g_namedOnly) {
        // Without a name the filler cannot outlive the process: the kernel
        // frees its blocks when the last descriptor closes, also after
        // SIGKILL or a crash.
        const int fd = openat(m_dirfd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            m_files.push_back({fd, {}, 0, -1});
            return 0;
        }
        // File systems without O_TMPFILE (FAT, older kernels) say so in one
        // of these ways; anything else is a real failure here too.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return errno;
    }
    m_bNamed = true;
    return CreateNamed();
}

int FillerFiles::CreateNamed()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = RandomName();
        // O_EXCL with O_CREAT never opens what is already there, a planted
        // link included; O_NOFOLLOW says the same for the last component.
        const int fd = openat(m_dirfd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno != EEXIST)
                return errno;
            continue;
        }
        // The lock tells every other instance that this filler is in use.
        // Another instance that took the lock first is removing the name as
        // stale; once the lock is ours the name must still be this file.
        struct stat opened, named;
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &opened) == 0
            && fstatat(m_dirfd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && opened.st_ino == named.st_ino
            && opened.st_dev == named.st_dev) {
            m_files.push_back({fd, name, 0, HoldFiller(m_dirfd, fd, name.c_str())});
            return 0;
        }
        close(fd);
    }
    return EEXIST;
}

std::string FillerFiles::ShownName(const File& file) const
{
    if (file.name.empty())
        return FillText(QCoreApplication::translate("tw::Filler", "a filler in %1"), {m_strDirectory});
    return m_strDirectory + (m_strDirectory.size() > 0 && m_strDirectory.back() == '/' ? "" : "/") + file.name;
}

namespace {

// Under a file size limit (ulimit -f) a write past it raises SIGXFSZ, which
// would end the program, before it fails with EFBIG. The filling thread
// holds the signal back and drops it, so EFBIG alone answers: this filler is
// as large as it may be.
class HoldFileSizeSignal {
public:
    HoldFileSizeSignal()
    {
        sigemptyset(&m_set);
        sigaddset(&m_set, SIGXFSZ);
        pthread_sigmask(SIG_BLOCK, &m_set, &m_old);
    }
    ~HoldFileSizeSignal()
    {
        const timespec now{0, 0};
        while (sigtimedwait(&m_set, nullptr, &now) == SIGXFSZ) {
        }
        pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
    }

private:
    sigset_t m_set;
    sigset_t m_old;
};

} // namespace

FillOutcome FillerFiles::Fill(const char* chunk, size_t size, const FillProgressFn& progress)
{
    const HoldFileSizeSignal hold;
    FillOutcome outcome;
    if (m_files.empty()) {
        if (const int e = Create()) {
            if (e != ENOSPC && e != EDQUOT)
                outcome.error = e;
            return outcome;
        }
    }
    // Whole chunks while the volume takes them. Once a write is cut short
    // the volume is nearly full: smaller and smaller writes fill what is
    // left, down to single bytes.
    size_t length = size;
    for (;;) {
        // A stop asked for from outside (SIGTERM, the display gone) ends the
        // fill between two writes; the caller cleans up as after a full
        // volume.
        if (StopRequested()) {
            outcome.stopped = true;
            return outcome;
        }
        File& file = m_files.back();
        // Every write starts at the pattern byte that belongs at the file's
        // current offset, so the pattern stays aligned after a short write.
        const size_t phase = size_t(file.size % 16);
        const ssize_t n = WriteFiller(file.fd, chunk + phase, length);
        if (n > 0) {
            file.size += (unsigned long long)n;
            outcome.bytes += (unsigned long long)n;
            if (progress)
                progress(outcome.bytes);
            if (size_t(n) < length)
                length = std::min(length / 2, size - 16);
            continue;
        }
        const int e = n == 0 ? ENOSPC : errno;
        if (e == EINTR)
            continue;
        if (e == ENOSPC || e == EDQUOT) {
            if (length > 1) {
                length = std::min(length / 2, size - 16);
                continue;
            }
            return outcome;
        }
        if (e == EFBIG) {
            // The filler has reached the largest file the file system
            // allows (4 GiB on FAT); the rest of the space goes into
            // another one. A filler that takes nothing at all means no
            // file can grow here.
            if (file.size == 0)
                return outcome;
            if (const int c = Create()) {
                if (c != ENOSPC && c != EDQUOT)
                    outcome.error = c;
                return outcome;
            }
            length = size;
            continue;
        }
        outcome.error = e;
        return outcome;
    }
}

int FillerFiles::Flush(std::string* failed)
{
    int first = 0;
    for (const File& file : m_files) {
        const int err = FlushFiller(file.fd);
        if (err != 0 && first == 0) {
            first = err;
            if (failed)
                *failed = ShownName(file);
        }
    }
    // A large filler needs blocks for its own extent tree, and those blocks
    // are free space too. On ext4 they are written to the journal first and
    // reach their place only at a checkpoint; once the filler is cut they
    // are freed and never written there, keeping what they held. The
    // checkpoint writes them home now. Other file systems, or a user without
    // the right, answer with an error that changes nothing.
    if (first == 0 && !m_files.empty()) {
        __u32 flags = 0;
        ioctl(m_files.front().fd, kExt4Checkpoint, &flags);
    }
    return first;
}

bool FillerFiles::ShrinkLast(uint64_t bytes)
{
    auto last = m_files.rbegin();
    while (last != m_files.rend() && last->size == 0)
        ++last;
    if (last == m_files.rend())
        return false;
    File& file = *last;
    const unsigned long long size = file.size > bytes ? file.size - bytes : 0;
    if (ftruncate(file.fd, off_t(size)) != 0)
        return false;
    file.size = size;
    return true;
}

int FillerFiles::Remove(std::string* failed)
{
    int first = 0;
    auto note = [&](const File& file) {
        if (first == 0) {
            first = errno;
            if (failed)
                *failed = ShownName(file);
        }
    };
    for (File& file : m_files) {
        // Cutting the file to nothing gives the space back even while
        // something else might still hold the file open.
        if (ftruncate(file.fd, 0) != 0)
            note(file);
        // The name goes while the lock is still held, so no other instance
        // can take it for a stale filler in between.
        if (!file.name.empty() && unlinkat(m_dirfd, file.name.c_str(), 0) != 0)
            note(file);
        ReleaseFiller(file.slot);
        if (close(file.fd) != 0)
            note(file);
        file.fd = -1;
    }
    m_files.clear();
    return first;
}

std::vector<std::string> FillerFiles::Paths() const
{
    std::vector<std::string> paths;
    for (const File& file : m_files)
        paths.push_back(file.name.empty() ? "/proc/self/fd/" + std::to_string(file.fd) : m_strDirectory + "/" + file.name);
    return paths;
}

int DiscardFreeSpace(int fd, unsigned long long* discarded)
{
    // Blocks just freed by the truncation stay busy until the journal
    // commits (ext4 cannot reuse or discard them before); the commit that
    // syncfs forces makes them free space the discard reaches.
    syncfs(fd);
    fstrim_range range{};
    range.start = 0;
    range.len = ~0ULL;
    range.minlen = 0;
    if (ioctl(fd, FITRIM, &range) != 0)
        return errno;
    if (discarded)
        *discarded = range.len;
    return 0;
}

} // namespace tw
