// SPDX-License-Identifier: GPL-3.0-or-later
// Reaching the names and metadata copies that a removed file leaves in the
// journal, the log and the directories of ext4, XFS and btrfs.
#include "platform/Scrub.h"

#include <linux/btrfs.h>
#include <linux/magic.h>
#include <linux/types.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/ioctl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace tw {

namespace {

// EXT4_IOC_CHECKPOINT (Linux 5.13) and its flags, not in every libc's headers.
constexpr unsigned long kExt4Checkpoint = _IOW('f', 43, __u32);
constexpr __u32 kCheckpointZeroOut = 0x2;

// The XFS requests used here, as the kernel defines them.
struct XfsAgGeometry {
    __u32 number, length, freeBlocks, icount, ifree, sick, checked, flags;
    __u64 reserved[12];
};
constexpr unsigned long kXfsAgGeometry = _IOWR('X', 61, XfsAgGeometry);
struct XfsGeometryV1 {
    __u32 blocksize, rtextsize, agblocks, agcount, logblocks, sectsize, inodesize, imaxpct;
    __u64 datablocks, rtblocks, rtextents, logstart;
    unsigned char uuid[16];
    __u32 sunit, swidth;
    __s32 version;
    __u32 flags, logsectsize, rtsectsize, dirblocksize;
};
constexpr unsigned long kXfsGeometryV1 = _IOR('X', 100, XfsGeometryV1);

std::string RandomEntryName(size_t length)
{
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 generator = [] {
        uint64_t seed = 0;
        if (getrandom(&seed, sizeof seed, 0) != ssize_t(sizeof seed))
            seed = uint64_t(getpid()) * 0x9E3779B97F4A7C15ULL ^ uint64_t(time(nullptr));
        return std::mt19937_64(seed);
    }();
    std::string name(length, 'x');
    for (char& c : name)
        c = kChars[generator() % (sizeof kChars - 1)];
    return name;
}

off_t SizeOf(int fd)
{
    struct stat st;
    return fstat(fd, &st) == 0 ? st.st_size : -1;
}

// The kernel's name of the block device, which names the volume's
// directory under /sys/fs/xfs.
std::string KernelName(dev_t device)
{
    const std::string link = "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
    char resolved[PATH_MAX];
    if (!realpath(link.c_str(), resolved))
        return {};
    const std::string path = resolved;
    return path.substr(path.rfind('/') + 1);
}

// The head of the XFS log as a position on the ring, in 512-byte blocks
// counted from the mount (cycle times the log's length plus the block).
bool LogHead(const std::string& file, uint64_t logBlocks, uint64_t& position)
{
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char text[64] = {};
    const ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    unsigned long long cycle = 0, block = 0;
    if (n <= 0 || std::sscanf(text, "%llu:%llu", &cycle, &block) != 2)
        return false;
    position = cycle * logBlocks + block;
    return true;
}

} // namespace

FsFamily FamilyOf(int fd)
{
    struct statfs s {};
    if (fstatfs(fd, &s) != 0)
        return FsFamily::Other;
    switch (static_cast<unsigned long>(s.f_type)) {
    case EXT4_SUPER_MAGIC: return FsFamily::Ext4;
    case XFS_SUPER_MAGIC: return FsFamily::Xfs;
    case BTRFS_SUPER_MAGIC: return FsFamily::Btrfs;
    default: return FsFamily::Other;
    }
}

int ZeroJournal(int fd)
{
    if (FamilyOf(fd) != FsFamily::Ext4)
        return EOPNOTSUPP;
    // The checkpoint first writes every journalled block home, then the
    // kernel overwrites the whole journal with zeroes; the file system
    // stays consistent however the process ends meanwhile.
    __u32 flags = kCheckpointZeroOut;
    return ioctl(fd, kExt4Checkpoint, &flags) == 0 ? 0 : errno;
}

namespace {

// Adds a link to `source` named `name` in `dirfd`: 0, EEXIST, or an errno
// that ends the scrub.
int AddLink(const std::string& source, int dirfd, const std::string& name)
{
    return linkat(AT_FDCWD, source.c_str(), dirfd, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
}

// ext4 wipes an entry when it is removed, but an indexed directory moves
// half of a full block's entries into a new block when it splits it, and
// the moved entries' bytes stay behind in the old block's free end. Those
// ends are filled with short entries until the directory has grown to
// twice its size: a block splits only when it is full, so by then every
// block has had its free space taken by entries of ours (names are spread
// over the blocks by their hash), and the copies a split leaves are of
// those. A directory of one block is never split and keeps nothing.
// Whether an ext4 directory has more than one block, and so can have been
// split (`start`: its size).
bool SplitsPossible(int dirfd, off_t& start)
{
    struct statfs fs {};
    start = SizeOf(dirfd);
    return fstatfs(dirfd, &fs) == 0 && start > off_t(fs.f_bsize);
}

int ScrubExt4Directory(int dirfd, off_t start, const std::string& source, std::vector<std::string>& made)
{
    // An entry of a four-byte name takes 12 bytes, the least there is.
    const size_t most = size_t(start) / 6 + 1024;
    while (SizeOf(dirfd) < 2 * start && made.size() < most) {
        const std::string name = RandomEntryName(4);
        const int err = AddLink(source, dirfd, name);
        if (err == EEXIST)
            continue;
        if (err != 0)
            return err == ENOSPC || err == EMLINK || err == EDQUOT ? 0 : err;
        made.push_back(name);
    }
    return 0;
}

} // namespace

int ScrubDirectoryFreeSpace(int dirfd)
{
    const FsFamily family = FamilyOf(dirfd);
    if (family != FsFamily::Xfs && family != FsFamily::Ext4)
        return 0;
    // Most directories a sweep passes through are of one block: nothing to
    // do, and no file to make.
    off_t ext4Start = 0;
    if (family == FsFamily::Ext4 && !SplitsPossible(dirfd, ext4Start))
        return 0;
    // One nameless file takes every entry as a link: no inode per entry.
    const int file = openat(dirfd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (file < 0)
        return errno;
    const std::string source = "/proc/self/fd/" + std::to_string(file);
    std::vector<std::string> made;
    int result = 0;
    off_t size = SizeOf(dirfd);
    if (family == FsFamily::Ext4) {
        result = ScrubExt4Directory(dirfd, ext4Start, source, made);
        size = -1;  // the loop below is XFS's
    }
    // An XFS entry takes 12 bytes plus its name, rounded up to 8: from 264
    // bytes (a name of 252) down to 16, in steps of one size. The largest
    // free piece of a block takes the next entry, so each size fills every
    // piece it fits in before the next smaller one comes. When the
    // directory grows, the entry found no room in the blocks it has.
    for (int length = 252; length > 0 && result == 0 && size >= 0; length -= 8) {
        for (;;) {
            const std::string name = RandomEntryName(size_t(length));
            if (linkat(AT_FDCWD, source.c_str(), dirfd, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
                if (errno == EEXIST)
                    continue;
                if (errno != ENOSPC && errno != EMLINK && errno != EDQUOT)
                    result = errno;
                break;
            }
            const off_t now = SizeOf(dirfd);
            if (now != size) {
                unlinkat(dirfd, name.c_str(), 0);
                size = SizeOf(dirfd);
                break;
            }
            made.push_back(name);
        }
    }
    for (const std::string& name : made)
        if (unlinkat(dirfd, name.c_str(), 0) != 0 && result == 0)
            result = errno;
    close(file);
    return result;
}

int WrapXfsLog(int dirfd, const std::function<bool()>& stop)
{
    if (FamilyOf(dirfd) != FsFamily::Xfs)
        return EOPNOTSUPP;
    XfsGeometryV1 geometry {};
    struct stat st;
    if (ioctl(dirfd, kXfsGeometryV1, &geometry) != 0 || fstat(dirfd, &st) != 0)
        return errno;
    if (geometry.logstart == 0)
        return EOPNOTSUPP;  // a log on a device of its own
    const std::string name = KernelName(st.st_dev);
    if (name.empty() || name.find('/') != std::string::npos)
        return ENOENT;
    const std::string headFile = "/sys/fs/xfs/" + name + "/log/log_head_lsn";
    const uint64_t logBlocks = uint64_t(geometry.logblocks) * geometry.blocksize / 512;
    uint64_t start = 0, now = 0;
    if (logBlocks == 0 || !LogHead(headFile, logBlocks, start))
        return ENOENT;
    // A value of 2000 bytes goes into an attribute block of its own, which
    // the log takes whole; 256 such files are written per round, then let
    // go. Each round adds about half a megabyte to the log.
    const std::string value(2000, 'x');
    constexpr int kPerRound = 256;
    std::vector<int> files;
    files.reserve(kPerRound);
    int result = 0;
    while (result == 0) {
        if (stop && stop()) {
            result = ECANCELED;
            break;
        }
        for (int i = 0; i < kPerRound; ++i) {
            const int fd = openat(dirfd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
            if (fd < 0) {
                result = errno;
                break;
            }
            files.push_back(fd);
            if (fsetxattr(fd, "user.tarnowick", value.data(), value.size(), 0) != 0) {
                result = errno;
                break;
            }
        }
        for (const int fd : files)
            close(fd);
        files.clear();
        if (result != 0)
            break;
        // Pushes what is pending into the log, so that the head moves.
        syncfs(dirfd);
        if (!LogHead(headFile, logBlocks, now)) {
            result = ENOENT;
            break;
        }
        if (now >= start + logBlocks)
            break;
    }
    return result;
}

uint64_t XfsFreeBytes(int fd)
{
    if (FamilyOf(fd) != FsFamily::Xfs)
        return 0;
    XfsGeometryV1 geometry {};
    if (ioctl(fd, kXfsGeometryV1, &geometry) != 0)
        return 0;
    uint64_t blocks = 0;
    for (__u32 ag = 0; ag < geometry.agcount; ++ag) {
        XfsAgGeometry g {};
        g.number = ag;
        if (ioctl(fd, kXfsAgGeometry, &g) != 0)
            return 0;
        blocks += g.freeBlocks;
    }
    return blocks * geometry.blocksize;
}

int RelocateBtrfsMetadata(int fd)
{
    if (FamilyOf(fd) != FsFamily::Btrfs)
        return EOPNOTSUPP;
    btrfs_ioctl_balance_args args {};
    // No filter: every metadata and system block group is written anew and
    // the old ones are given back as unallocated space.
    args.flags = BTRFS_BALANCE_METADATA | BTRFS_BALANCE_SYSTEM;
    int result;
    do
        result = ioctl(fd, BTRFS_IOC_BALANCE_V2, &args);
    while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

JournalScrubs::~JournalScrubs()
{
    for (const auto& [device, fd] : m_volumes)
        close(fd);
}

void JournalScrubs::Note(int dirfd)
{
    struct stat st;
    if (m_scopes == 0 || geteuid() != 0 || fstat(dirfd, &st) != 0 || m_volumes.count(st.st_dev) || FamilyOf(dirfd) != FsFamily::Ext4)
        return;
    // The ioctl needs a descriptor opened for reading; root may open any
    // directory so.
    const int fd = openat(dirfd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
        m_volumes.emplace(st.st_dev, fd);
}

void JournalScrubs::ZeroAll()
{
    for (const auto& [device, fd] : m_volumes) {
        ZeroJournal(fd);
        close(fd);
    }
    m_volumes.clear();
}

} // namespace tw
