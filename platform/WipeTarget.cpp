// SPDX-License-Identifier: GPL-3.0-or-later
// POSIX file layer of the file wiper.
#include "platform/WipeTarget.h"

#include "platform/FileError.h"
#include "platform/FsKind.h"
#include "platform/OverlayLayers.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <linux/capability.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <mutex>
#include <random>
#include <sys/ioctl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tw {

namespace {

// A write lease makes the kernel signal us when another program opens the
// file. The default action of SIGIO would end the program; the lease itself
// already makes the other program wait, so the signal carries nothing we need.
// A write past a lowered file-size limit raises SIGXFSZ, whose default action
// also ends the program: ignored, the write fails with EFBIG instead and the
// user is asked about the file like after any failed write.
void IgnoreFileSignals()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (const int signal : {SIGIO, SIGXFSZ}) {
            struct sigaction old {};
            if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_DFL)
                std::signal(signal, SIG_IGN);
        }
    });
}

bool HasEffectiveCapability(int capability)
{
    __user_cap_header_struct header {};
    header.version = _LINUX_CAPABILITY_VERSION_3;
    header.pid = 0;
    __user_cap_data_struct data[2] {};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    return (data[capability / 32].effective & (1u << (capability % 32))) != 0;
}

constexpr unsigned kStatxWanted = STATX_TYPE | STATX_MODE | STATX_UID | STATX_NLINK | STATX_INO | STATX_SIZE
    | STATX_BLOCKS | STATX_MNT_ID;

int StatxAt(int dirfd, const char* name, int flags, struct statx& out)
{
    return statx(dirfd, name, flags | AT_STATX_SYNC_AS_STAT, kStatxWanted, &out) == 0 ? 0 : errno;
}

uint64_t DeviceOf(const struct statx& sx) { return makedev(sx.stx_dev_major, sx.stx_dev_minor); }

// The name is a mount point: another file (or another mount of this file
// system) has been mounted over it. Opening it would reach that mount's
// file, whose removal then fails with EBUSY after its contents are gone.
bool IsMountPoint(const struct statx& file, const DirectoryFacts& dir)
{
    if (file.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT)
        return (file.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    if ((file.stx_mask & STATX_MNT_ID) && dir.hasMountId)
        return file.stx_mnt_id != dir.mountId;
    // Kernels without either: only a mount of another device shows.
    return DeviceOf(file) != dir.dev;
}

int LearnDirectory(int dirfd, DirectoryFacts& facts)
{
    struct statx dir {};
    if (const int err = StatxAt(dirfd, "", AT_EMPTY_PATH, dir))
        return err;
    facts.mode = dir.stx_mode;
    facts.uid = dir.stx_uid;
    facts.dev = DeviceOf(dir);
    facts.hasMountId = (dir.stx_mask & STATX_MNT_ID) != 0;
    facts.mountId = facts.hasMountId ? dir.stx_mnt_id : 0;
    // Write and search permission for the effective user; this also fails
    // on a read-only mount or an immutable directory.
    facts.accessError = faccessat(dirfd, ".", W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
    struct statfs fs {};
    facts.fsType = fstatfs(dirfd, &fs) == 0 ? (unsigned long)fs.f_type : 0;
    if (IsOverlayType(facts.fsType))
        facts.overlayUpper = OverlayUpperDirectory(dirfd);
    facts.known = true;
    return 0;
}

// Whether any block of the open file is shared with another file (a
// reflink copy): overwriting it then writes new blocks, and the contents
// live on in the other file.
bool SharesBlocks(int fd)
{
    constexpr unsigned kExtents = 32;
    alignas(struct fiemap) char buffer[sizeof(struct fiemap) + kExtents * sizeof(struct fiemap_extent)];
    auto* map = reinterpret_cast<struct fiemap*>(buffer);
    uint64_t start = 0;
    for (;;) {
        std::fill(std::begin(buffer), std::end(buffer), 0);
        map->fm_start = start;
        map->fm_length = FIEMAP_MAX_OFFSET - start;
        map->fm_extent_count = kExtents;
        if (ioctl(fd, FS_IOC_FIEMAP, map) != 0 || map->fm_mapped_extents == 0)
            return false;  // no extent map here (or nothing mapped): nothing shared that can be seen
        for (unsigned i = 0; i < map->fm_mapped_extents; ++i) {
            const struct fiemap_extent& e = map->fm_extents[i];
            if (e.fe_flags & FIEMAP_EXTENT_SHARED)
                return true;
            if (e.fe_flags & FIEMAP_EXTENT_LAST)
                return false;
        }
        const struct fiemap_extent& last = map->fm_extents[map->fm_mapped_extents - 1];
        start = last.fe_logical + last.fe_length;
    }
}

// Whether this process may remove `file` from its directory: write and
// search permission on the directory, and in a sticky directory (/tmp)
// ownership of the file or the directory, or CAP_FOWNER. Asked before the
// first byte is written: a file that would be destroyed but could not be
// removed would be left overwritten under its name.
bool MayRemove(const DirectoryFacts& dir, const struct statx& file)
{
    if (dir.accessError)
        return false;
    if (dir.mode & S_ISVTX) {
        const uid_t me = geteuid();
        if (file.stx_uid != me && dir.uid != me && !HasEffectiveCapability(CAP_FOWNER))
            return false;
    }
    return true;
}

// The ranges of [0, length) that hold data, in order. Where the file
// system cannot tell holes, the whole length.
std::vector<std::pair<uint64_t, uint64_t>> DataRanges(int fd, uint64_t length)
{
    std::vector<std::pair<uint64_t, uint64_t>> ranges;
    // Most files have no hole before their end: one look tells.
    const off_t firstHole = lseek(fd, 0, SEEK_HOLE);
    if (firstHole < 0 || uint64_t(firstHole) >= length) {
        if (length > 0)
            ranges.emplace_back(0, length);
        return ranges;
    }
    uint64_t position = 0;
    while (position < length) {
        const off_t data = lseek(fd, off_t(position), SEEK_DATA);
        if (data < 0) {
            if (errno != ENXIO)  // no SEEK_DATA here: everything counts as data
                ranges.emplace_back(position, length);
            break;  // ENXIO: no data after position
        }
        if (uint64_t(data) >= length)
            break;
        const off_t hole = lseek(fd, data, SEEK_HOLE);
        const uint64_t end = hole < 0 ? length : std::min<uint64_t>(uint64_t(hole), length);
        if (end <= uint64_t(data)) {
            ranges.emplace_back(uint64_t(data), length);
            break;
        }
        ranges.emplace_back(uint64_t(data), end);
        position = end;
    }
    return ranges;
}

int WriteRange(int fd, const char* chunk, size_t chunkSize, uint64_t from, uint64_t to, uint64_t& written)
{
    uint64_t offset = from;
    while (offset < to) {
        // Every write starts at the chunk byte for its file offset, so the
        // byte at each offset is the pattern's byte for that offset.
        const size_t start = size_t(offset % chunkSize);
        const size_t count = size_t(std::min<uint64_t>(chunkSize - start, to - offset));
        const ssize_t n = pwrite(fd, chunk + start, count, off_t(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;  // no progress and no error: the device takes no more
        offset += uint64_t(n);
        written += uint64_t(n);
    }
    return 0;
}

// Writing part of a page that is not in memory makes the kernel read it
// from the device first, one synchronous read per file, which on a cold
// tree costs more than all the writes together. The last page of a file is
// therefore written whole, past the end of the file: the page is then
// complete in memory and no read is needed. The file is cut to zero before
// its name goes; only a file that is kept is cut back to its length.
constexpr uint64_t kPage = 4096;

// Writes [from, end rounded up to a page) in one call, when `from` starts a
// page and the chunk holds that much from the right place. Returns the
// offset up to which the file is written (at most `end`); `from` when
// nothing was written so. `pastEnd` is set when the file now reaches
// beyond `end`.
uint64_t WriteThroughPageEnd(int fd, const char* chunk, size_t chunkSize, uint64_t from, uint64_t end, bool& pastEnd)
{
    const uint64_t pageEnd = (end + kPage - 1) / kPage * kPage;
    const size_t start = size_t(from % chunkSize);
    if (from % kPage != 0 || start + (pageEnd - from) > chunkSize)
        return from;
    ssize_t n;
    do
        n = pwrite(fd, chunk + start, size_t(pageEnd - from), off_t(from));
    while (n < 0 && errno == EINTR);
    if (n <= 0)
        return from;
    if (from + uint64_t(n) > end)
        pastEnd = true;
    return std::min<uint64_t>(from + uint64_t(n), end);
}

// Names that nobody can foresee, from a generator seeded once from the
// kernel: a system call per removed file would cost more than the rename.
std::string RandomName(size_t length)
{
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static constexpr size_t kCount = sizeof(kChars) - 1;
    thread_local std::mt19937_64 generator = [] {
        uint64_t seed[4] = {};
        if (getrandom(seed, sizeof seed, 0) != ssize_t(sizeof seed)) {
            std::random_device device;
            for (uint64_t& s : seed)
                s = (uint64_t(device()) << 32) ^ device();
        }
        std::seed_seq sequence(reinterpret_cast<const uint32_t*>(seed), reinterpret_cast<const uint32_t*>(seed) + 8);
        return std::mt19937_64(sequence);
    }();
    std::string name(length, 'x');
    for (char& c : name)
        c = kChars[generator() % kCount];
    return name;
}

} // namespace

DirectoryHandle::DirectoryHandle(const std::string& path)
{
    const size_t slash = path.rfind('/');
    std::string directory;
    if (slash == std::string::npos) {
        directory = ".";
        m_name = path;
    } else {
        directory = slash == 0 ? "/" : path.substr(0, slash);
        m_name = path.substr(slash + 1);
    }
    m_fd = open(directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
        m_error = errno;
}

DirectoryHandle::~DirectoryHandle()
{
    if (m_fd >= 0)
        close(m_fd);
}

WipeTarget::~WipeTarget() { Close(); }

WipeTarget::WipeTarget(WipeTarget&& other) noexcept { *this = std::move(other); }

WipeTarget& WipeTarget::operator=(WipeTarget&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_length = other.m_length;
        m_blocks = other.m_blocks;
        m_volume = other.m_volume;
        m_inode = other.m_inode;
        m_written = other.m_written;
        m_pastEnd = std::exchange(other.m_pastEnd, false);
        m_mountPoint = other.m_mountPoint;
        m_copies = other.m_copies;
    }
    return *this;
}

int WipeTarget::Open(int dirfd, const std::string& name, DirectoryFacts* facts, Listing listing)
{
    m_mountPoint = false;
    const bool listed = listing == Listing::RegularFile;
    // Look before opening: opening a device node can have effects of its
    // own (a tape rewinds), a FIFO or socket holds no contents to destroy,
    // and a mount point leads to another volume. A sweep has looked
    // already: its listing gave the entry as a regular file (from the
    // directory entry, or from a look of its own where the file system
    // gives no type), and what the name holds once opened is looked at
    // below; only a privileged program could put a device node in its
    // place meanwhile.
    struct statx before {};
    if (!listed) {
        if (const int err = StatxAt(dirfd, name.c_str(), AT_SYMLINK_NOFOLLOW, before))
            return CauseFromErrno(err);
        if (S_ISLNK(before.stx_mode))
            return CauseFromErrno(ELOOP);  // the link's target was not chosen
    }
    DirectoryFacts own;
    DirectoryFacts& dir = facts ? *facts : own;
    if (!dir.known)
        if (const int err = LearnDirectory(dirfd, dir))
            return CauseFromErrno(err);
    if (!listed) {
        if (IsMountPoint(before, dir)) {
            m_mountPoint = true;
            return causeAccessDenied;
        }
        if (S_ISDIR(before.stx_mode))
            return CauseFromErrno(EISDIR);
        if (!S_ISREG(before.stx_mode))
            return causeAccessDenied;
        if (!MayRemove(dir, before))
            return causeAccessDenied;
    }

    // O_NONBLOCK: should the name have become a FIFO meanwhile, the open
    // still returns at once.
    int fd;
    do
        fd = openat(dirfd, name.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        // A socket put in the place of a listed file.
        if (listed && (errno == ENXIO || errno == ENODEV))
            return causeAccessDenied;
        return CauseFromErrno(errno);
    }

    struct statx st {};
    if (const int err = StatxAt(fd, "", AT_EMPTY_PATH, st)) {
        close(fd);
        return CauseFromErrno(err);
    }
    if (listed) {
        if (S_ISREG(st.stx_mode) && IsMountPoint(st, dir)) {
            close(fd);
            m_mountPoint = true;
            return causeAccessDenied;
        }
        if (!S_ISREG(st.stx_mode) || !MayRemove(dir, st)) {
            close(fd);
            return causeAccessDenied;
        }
    } else {
        const bool sameMount = !(st.stx_mask & STATX_MNT_ID) || !(before.stx_mask & STATX_MNT_ID)
            || st.stx_mnt_id == before.stx_mnt_id;
        if (!S_ISREG(st.stx_mode) || DeviceOf(st) != DeviceOf(before) || st.stx_ino != before.stx_ino || !sameMount) {
            close(fd);
            return causeAccessDenied;
        }
    }
    // Overwriting a file with other names would destroy the contents under
    // names nobody chose to delete.
    if (st.stx_nlink > 1) {
        close(fd);
        return causeSharingViolation;
    }
    // Where every file writes to new places the old copies stay anyway
    // (btrfs shares blocks with every snapshot): the file is removed and
    // said to be. Elsewhere a file whose blocks another file shares keeps
    // its contents in that file, like a file with a second name.
    m_copies = OldCopies::None;
    if (IsCopyOnWriteType(dir.fsType))
        m_copies = OldCopies::CopyOnWrite;
    else if (MayShareBlocks(dir.fsType) && SharesBlocks(fd)) {
        close(fd);
        return causeSharingViolation;
    }
    if (IsOverlayType(dir.fsType) && OverlayHasLowerCopy(dir.overlayUpper, name, st.stx_ino))
        m_copies = OldCopies::OverlayLower;

    // The kernel grants a write lease only while no other descriptor has
    // the file open: the nearest thing to an exclusive open.
    IgnoreFileSignals();
    if (fcntl(fd, F_SETLEASE, F_WRLCK) != 0) {
        const int err = errno;
        // EINVAL: this file system offers no leases (or they are turned
        // off); nobody can be asked, and the file is destroyed as on a
        // system without leases. Any other refusal, EACCES above all (a file
        // of another user, which only the owner may lease), leaves no way to
        // tell whether someone has the file open: it is left alone.
        if (err != EINVAL) {
            close(fd);
            return err == EAGAIN || err == EBUSY ? causeSharingViolation : causeAccessDenied;
        }
    }

    m_fd = fd;
    m_length = uint64_t(st.stx_size);
    m_blocks = st.stx_blocks;
    m_volume = DeviceOf(st);
    m_inode = st.stx_ino;
    m_written = 0;
    m_pastEnd = false;
    return causeNone;
}

int WipeTarget::Overwrite(const char* chunk, size_t chunkSize, uint64_t length)
{
    // A small file with as many blocks as its pages has no hole worth a
    // look (at worst a block or two of hole beside its blocks of metadata
    // or of room kept past its end are written too, as on a file system
    // that cannot tell holes): a sweep of small files saves a system call
    // each.
    constexpr uint64_t kSmallFile = 64 * 1024;
    const bool whole = length <= kSmallFile && m_blocks * 512 >= (length + kPage - 1) / kPage * kPage;
    const auto ranges = whole ? std::vector<std::pair<uint64_t, uint64_t>>(length ? 1 : 0, {0, length})
                              : DataRanges(m_fd, length);
    for (const auto& [from, to] : ranges) {
        int err = 0;
        uint64_t done = from;
        if (to == m_length && to % kPage != 0) {
            // The whole range in one write where the chunk allows, else the
            // head as usual and the last page on its own.
            done = WriteThroughPageEnd(m_fd, chunk, chunkSize, from, to, m_pastEnd);
            m_written += done - from;
            const uint64_t lastPage = to - to % kPage;
            if (done == from && lastPage > from) {
                err = WriteRange(m_fd, chunk, chunkSize, from, lastPage, m_written);
                done = lastPage;
                if (!err) {
                    done = WriteThroughPageEnd(m_fd, chunk, chunkSize, lastPage, to, m_pastEnd);
                    m_written += done - lastPage;
                }
            }
        }
        if (!err && done < to)
            err = WriteRange(m_fd, chunk, chunkSize, done, to, m_written);
        if (err == 0)
            continue;
        // Give back what the overwrite took: should the file now hold more
        // blocks than it did, the holes it had are punched again. Only
        // ranges that held no data are punched, so no contents are lost.
        struct stat st {};
        if (fstat(m_fd, &st) == 0 && uint64_t(st.st_blocks) > m_blocks) {
            uint64_t gap = 0;
            for (const auto& [dataFrom, dataTo] : ranges) {
                if (dataFrom > gap)
                    fallocate(m_fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, off_t(gap), off_t(dataFrom - gap));
                gap = dataTo;
            }
            if (length > gap)
                fallocate(m_fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, off_t(gap), off_t(length - gap));
        }
        return err;
    }
    return 0;
}

int WipeTarget::Flush()
{
    int result;
    do
        result = fdatasync(m_fd);
    while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

namespace {

int CutTo(int fd, uint64_t length)
{
    int result;
    do
        result = ftruncate(fd, off_t(length));
    while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

} // namespace

int WipeTarget::Truncate()
{
    const int err = CutTo(m_fd, 0);
    if (err == 0)
        m_pastEnd = false;
    return err;
}

void WipeTarget::KeepLength()
{
    if (m_fd >= 0 && m_pastEnd && CutTo(m_fd, m_length) == 0)
        m_pastEnd = false;
}

int WipeTarget::Close()
{
    if (m_fd < 0)
        return 0;
    // A file that is kept has the length it had.
    KeepLength();
    const int fd = m_fd;
    m_fd = -1;
    // The descriptor is gone even when close reports an error: never retry.
    return close(fd) == 0 ? 0 : errno;
}

int SyncVolume(int fd)
{
    int result;
    do
        result = syncfs(fd);
    while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

uint64_t VolumeOfPath(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? uint64_t(st.st_dev) : 0;
}

int DuplicateDirectory(int dirfd) { return fcntl(dirfd, F_DUPFD_CLOEXEC, 0); }

void CloseDescriptor(int fd)
{
    if (fd >= 0)
        close(fd);
}

int WipeTarget::RemoveName(int dirfd, const std::string& name, NameOutcome& outcome)
{
    return RemoveUnderRandomName(dirfd, name, m_fd, m_volume, m_inode, outcome);
}

namespace {

BeforeRenameHook g_beforeRename = nullptr;

// 0 when `name` in `dirfd` names the file (`device`, `inode`), ENOENT when
// it names nothing, ESTALE when it names another file, else the errno.
int Names(int dirfd, const char* name, uint64_t device, uint64_t inode)
{
    struct statx sx {};
    if (statx(dirfd, name, AT_SYMLINK_NOFOLLOW | AT_STATX_SYNC_AS_STAT, STATX_INO, &sx) != 0)
        return errno;
    return DeviceOf(sx) == device && sx.stx_ino == inode ? 0 : ESTALE;
}

// The name is gone: removed by another program when the file has no name
// left, else moved away.
NameOutcome Gone(int fd)
{
    struct stat st {};
    return fd >= 0 && fstat(fd, &st) == 0 && st.st_nlink == 0 ? NameOutcome::Vanished : NameOutcome::Replaced;
}

// Settles `err` from a look at the name: 0 goes on; the rest end the removal.
int Judge(int err, int fd, NameOutcome& outcome)
{
    if (err == ENOENT) {
        outcome = Gone(fd);
        return 0;
    }
    if (err == ESTALE) {
        outcome = NameOutcome::Replaced;
        return 0;
    }
    return err;
}

} // namespace

void SetBeforeRenameHook(BeforeRenameHook hook) { g_beforeRename = hook; }

int RemoveUnderRandomName(int dirfd, const std::string& name, int fd, uint64_t device, uint64_t inode,
                          NameOutcome& outcome)
{
    outcome = NameOutcome::Removed;
    if (const int err = Names(dirfd, name.c_str(), device, inode))
        return Judge(err, fd, outcome);
    if (g_beforeRename)
        g_beforeRename(name);
    for (int attempt = 0; attempt < 16 && !name.empty(); ++attempt) {
        const std::string random = RandomName(name.size());
        if (renameat2(dirfd, name.c_str(), dirfd, random.c_str(), RENAME_NOREPLACE) == 0) {
            const int err = Names(dirfd, random.c_str(), device, inode);
            if (err == 0)
                return unlinkat(dirfd, random.c_str(), 0) == 0 ? 0 : errno;
            if (err == ESTALE) {
                // A file saved over the name between the look and the
                // rename: it gets its name back, unless something has taken
                // that name meanwhile, and is not touched otherwise.
                renameat2(dirfd, random.c_str(), dirfd, name.c_str(), RENAME_NOREPLACE);
                outcome = NameOutcome::Replaced;
                return 0;
            }
            return Judge(err, fd, outcome);
        }
        if (errno == ENOENT)
            return Judge(ENOENT, fd, outcome);
        if (errno != EEXIST)
            break;  // no random name here (e.g. the file system cannot rename so)
    }
    // Removed under its own name: looked at once more just before.
    if (const int err = Names(dirfd, name.c_str(), device, inode))
        return Judge(err, fd, outcome);
    if (unlinkat(dirfd, name.c_str(), 0) == 0)
        return 0;
    return errno == ENOENT ? Judge(ENOENT, fd, outcome) : errno;
}

} // namespace tw
