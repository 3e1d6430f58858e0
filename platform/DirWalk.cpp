// SPDX-License-Identifier: GPL-3.0-or-later
// Directory listing by descriptor: openat with O_NOFOLLOW, the mount check
// on the opened descriptor, and the entry classification.
#include "platform/DirWalk.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tw {

namespace {

bool IdentifyMount(int fd, MountIdentity& id)
{
    struct statx sx;
    if (statx(fd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, STATX_TYPE | STATX_MNT_ID, &sx) == 0) {
        if (!(sx.stx_mask & STATX_TYPE) || !S_ISDIR(sx.stx_mode))
            return false;
        id.dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
        id.hasMountId = (sx.stx_mask & STATX_MNT_ID) != 0;
        id.mountId = id.hasMountId ? sx.stx_mnt_id : 0;
        return true;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    id.dev = st.st_dev;
    id.hasMountId = false;
    return true;
}

// O_NOATIME keeps a sweep from rewriting the access time of every directory
// it lists; the kernel grants it only to the owner (or root), so it is
// dropped where it is refused.
int OpenDirectoryAt(int dirfd, const char* name, int flags)
{
    int fd = openat(dirfd, name, flags | O_NOATIME);
    if (fd < 0 && errno == EPERM)
        fd = openat(dirfd, name, flags);
    return fd;
}

} // namespace

bool MountIdentity::SameMount(const MountIdentity& other) const
{
    if (dev != other.dev)
        return false;
    return !(hasMountId && other.hasMountId) || mountId == other.mountId;
}

std::unique_ptr<CDirStream> CDirStream::FromFd(int fd, const MountIdentity* parent)
{
    MountIdentity id;
    if (!IdentifyMount(fd, id) || (parent && !parent->SameMount(id))) {
        close(fd);
        return nullptr;
    }
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return nullptr;
    }
    return std::unique_ptr<CDirStream>(new CDirStream(dir, id));
}

std::unique_ptr<CDirStream> CDirStream::OpenRoot(const std::string& path)
{
    RaiseOpenFileLimit();
    const int fd = OpenDirectoryAt(AT_FDCWD, path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    return FromFd(fd, nullptr);
}

std::unique_ptr<CDirStream> CDirStream::OpenChild(const char* name) const
{
    // O_NOFOLLOW makes a link in place of the directory fail the open
    // instead of leading the sweep somewhere else.
    const int fd = OpenDirectoryAt(dirfd(m_dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    return FromFd(fd, &m_mount);
}

CDirStream::~CDirStream() { closedir(m_dir); }

int CDirStream::Fd() const { return dirfd(m_dir); }

uint64_t CDirStream::SizeOf(const char* name) const
{
    struct stat st;
    return fstatat(dirfd(m_dir), name, &st, AT_SYMLINK_NOFOLLOW) == 0 ? uint64_t(st.st_size) : 0;
}

bool CDirStream::Next(DirEntry& entry)
{
    while (const dirent* d = readdir(m_dir)) {
        const char* name = d->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        entry.name = name;
        switch (d->d_type) {
        case DT_DIR:
            entry.kind = EntryKind::Directory;
            break;
        case DT_REG:
            entry.kind = EntryKind::RegularFile;
            break;
        case DT_UNKNOWN: {
            // Some file systems leave the type to a stat; a link is looked at
            // itself, never at what it names.
            struct stat st;
            if (fstatat(dirfd(m_dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                entry.kind = EntryKind::Other;
            else if (S_ISDIR(st.st_mode))
                entry.kind = EntryKind::Directory;
            else if (S_ISREG(st.st_mode))
                entry.kind = EntryKind::RegularFile;
            else
                entry.kind = EntryKind::Other;
            break;
        }
        default:
            entry.kind = EntryKind::Other;  // links, FIFOs, sockets, devices
            break;
        }
        return true;
    }
    return false;
}

void RaiseOpenFileLimit()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct rlimit lim;
        if (getrlimit(RLIMIT_NOFILE, &lim) == 0 && lim.rlim_cur < lim.rlim_max) {
            lim.rlim_cur = lim.rlim_max;
            setrlimit(RLIMIT_NOFILE, &lim);
        }
    });
}

} // namespace tw
