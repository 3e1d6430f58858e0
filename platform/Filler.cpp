// SPDX-License-Identifier: GPL-3.0-or-later
// Filler files on POSIX: created relative to an open directory so that a
// renamed or replaced path cannot redirect them, written in large aligned
// pieces, flushed, emptied and removed.
#include "platform/Filler.h"

#include <algorithm>
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
#include <linux/types.h>
#include <sys/ioctl.h>
#include <sys/random.h>
#include <climits>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tw {

namespace {

// EXT4_IOC_CHECKPOINT (Linux 5.13), not in every libc's headers.
constexpr unsigned long kExt4Checkpoint = _IOW('f', 43, __u32);

std::mutex g_hookMutex;
FillerNameSource g_nameSource;
FillerWriteHook g_writeHook;

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

namespace {

bool ReadSmallFile(const std::string& path, std::string& text)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buf[64];
    const ssize_t n = read(fd, buf, sizeof buf - 1);
    close(fd);
    if (n <= 0)
        return false;
    text.assign(buf, size_t(n));
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return !text.empty();
}

bool WriteSmallFile(const std::string& path, const std::string& text)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = write(fd, text.data(), text.size()) == ssize_t(text.size());
    close(fd);
    return ok;
}

} // namespace

ReserveLift::ReserveLift(dev_t device)
{
    // /sys/dev/block/M:m leads to the block device, whose kernel name is the
    // name of the volume's ext4 directory in sysfs.
    const std::string link = "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
    char resolved[PATH_MAX];
    if (!realpath(link.c_str(), resolved))
        return;
    std::string name = resolved;
    name = name.substr(name.rfind('/') + 1);
    const std::string path = "/sys/fs/ext4/" + name + "/reserved_clusters";
    std::string saved;
    if (!ReadSmallFile(path, saved) || saved == "0")
        return;
    if (!WriteSmallFile(path, "0"))
        return;
    m_strPath = path;
    m_strSaved = saved;
}

ReserveLift::~ReserveLift()
{
    if (!m_strSaved.empty())
        WriteSmallFile(m_strPath, m_strSaved);
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

int FillerFiles::RemoveStale()
{
    if (m_dirfd < 0)
        return 0;
    // fdopendir takes over the descriptor it is given; read through a copy.
    const int listfd = openat(m_dirfd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listfd < 0)
        return 0;
    DIR* dir = fdopendir(listfd);
    if (!dir) {
        close(listfd);
        return 0;
    }
    std::vector<std::string> stale;
    const size_t prefixLength = std::strlen(kFillerPrefix);
    while (const dirent* entry = readdir(dir)) {
        if (std::strncmp(entry->d_name, kFillerPrefix, prefixLength) != 0)
            continue;
        struct stat st;
        if (fstatat(m_dirfd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISREG(st.st_mode) && st.st_uid == geteuid())
            stale.emplace_back(entry->d_name);
    }
    closedir(dir);
    int removed = 0;
    for (const std::string& name : stale) {
        bool ours = false;
        for (const File& f : m_files)
            ours = ours || f.name == name;
        // Removing the name frees the space; a further hard link to the same
        // file would keep its contents, and those are not ours to destroy.
        if (!ours && unlinkat(m_dirfd, name.c_str(), 0) == 0)
            ++removed;
    }
    return removed;
}

int FillerFiles::Create()
{
    if (m_dirfd < 0)
        return EBADF;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = RandomName();
        // O_EXCL with O_CREAT never opens what is already there, a planted
        // link included; O_NOFOLLOW says the same for the last component.
        const int fd = openat(m_dirfd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            m_files.push_back({fd, name, 0});
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
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

FillOutcome FillerFiles::Fill(const char* chunk, size_t size)
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
        File& file = m_files.back();
        // Every write starts at the pattern byte that belongs at the file's
        // current offset, so the pattern stays aligned after a short write.
        const size_t phase = size_t(file.size % 16);
        const ssize_t n = WriteFiller(file.fd, chunk + phase, length);
        if (n > 0) {
            file.size += (unsigned long long)n;
            outcome.bytes += (unsigned long long)n;
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
        if (fdatasync(file.fd) != 0 && first == 0) {
            first = errno;
            if (failed)
                *failed = m_strDirectory + "/" + file.name;
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

int FillerFiles::Remove(std::string* failed)
{
    int first = 0;
    auto note = [&](const File& file) {
        if (first == 0) {
            first = errno;
            if (failed)
                *failed = m_strDirectory + "/" + file.name;
        }
    };
    for (File& file : m_files) {
        // Cutting the file to nothing gives the space back even while
        // something else might still hold the file open.
        if (ftruncate(file.fd, 0) != 0)
            note(file);
        if (close(file.fd) != 0)
            note(file);
        file.fd = -1;
        if (unlinkat(m_dirfd, file.name.c_str(), 0) != 0)
            note(file);
    }
    m_files.clear();
    return first;
}

std::vector<std::string> FillerFiles::Names() const
{
    std::vector<std::string> names;
    for (const File& file : m_files)
        names.push_back(file.name);
    return names;
}

} // namespace tw
