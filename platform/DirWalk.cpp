// SPDX-License-Identifier: GPL-3.0-or-later
// Directory listing by descriptor: openat with O_NOFOLLOW, the mount check
// on the opened descriptor, the entry classification, and suspending and
// resuming a level when descriptors run short.
#include "platform/DirWalk.h"

#include "platform/Volumes.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tw {

namespace {

bool IdentifyDirectory(int fd, uint64_t& ino, MountIdentity& id)
{
    struct statx sx;
    if (statx(fd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, STATX_TYPE | STATX_INO | STATX_MNT_ID, &sx) == 0) {
        if (!(sx.stx_mask & STATX_TYPE) || !S_ISDIR(sx.stx_mode))
            return false;
        id.dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
        id.hasMountId = (sx.stx_mask & STATX_MNT_ID) != 0;
        id.mountId = id.hasMountId ? sx.stx_mnt_id : 0;
        ino = sx.stx_ino;
        return true;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    id.dev = st.st_dev;
    id.hasMountId = false;
    ino = st.st_ino;
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

constexpr int kChildFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool IsDots(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The entry's kind; `size` is set to a regular file's size where it had to
// be looked up, else to -1.
EntryKind KindOf(int dirfd, const dirent* d, int64_t& size)
{
    size = -1;
    switch (d->d_type) {
    case DT_DIR:
        return EntryKind::Directory;
    case DT_REG:
        return EntryKind::RegularFile;
    case DT_UNKNOWN: {
        // Some file systems leave the type to a stat; a link is looked at
        // itself, never at what it names.
        struct stat st;
        if (fstatat(dirfd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryKind::Other;
        if (S_ISDIR(st.st_mode))
            return EntryKind::Directory;
        if (S_ISREG(st.st_mode)) {
            size = int64_t(st.st_size);
            return EntryKind::RegularFile;
        }
        return EntryKind::Other;
    }
    default:
        return EntryKind::Other;  // links, FIFOs, sockets, devices
    }
}

} // namespace

bool MountIdentity::SameMount(const MountIdentity& other) const
{
    if (dev != other.dev)
        return false;
    return !(hasMountId && other.hasMountId) || mountId == other.mountId;
}

CDirStream::CDirStream(DIR* dir, const Identity& id) : m_dir(dir), m_fd(dirfd(dir)), m_id(id) {}

std::unique_ptr<CDirStream> CDirStream::FromFd(int fd, const MountIdentity* parent, int* error)
{
    Identity id;
    if (!IdentifyDirectory(fd, id.ino, id.mount)) {
        close(fd);
        if (error)
            *error = ENOTDIR;
        return nullptr;
    }
    if (parent && !parent->SameMount(id.mount)) {
        close(fd);
        if (error)
            *error = EXDEV;
        return nullptr;
    }
    DIR* dir = fdopendir(fd);
    if (!dir) {
        if (error)
            *error = errno;
        close(fd);
        return nullptr;
    }
    return std::unique_ptr<CDirStream>(new CDirStream(dir, id));
}

std::unique_ptr<CDirStream> CDirStream::OpenRoot(const std::string& path)
{
    RaiseOpenFileLimit();
    // No path holds a NUL: the kernel would read only the part before it,
    // another directory than the one named.
    if (path.find('\0') != std::string::npos) {
        errno = EINVAL;
        return nullptr;
    }
    const int fd = OpenDirectoryAt(AT_FDCWD, path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    return FromFd(fd, nullptr, nullptr);
}

std::unique_ptr<CDirStream> CDirStream::OpenChild(const char* name, int* error) const
{
    // O_NOFOLLOW makes a link in place of the directory fail the open
    // instead of leading the sweep somewhere else.
    const int fd = OpenDirectoryAt(m_fd, name, kChildFlags);
    if (fd < 0) {
        if (error)
            *error = errno;
        return nullptr;
    }
    return FromFd(fd, &m_id.mount, error);
}

CDirStream::~CDirStream()
{
    if (m_dir)
        closedir(m_dir);
    else if (m_fd >= 0)
        close(m_fd);
}

int CDirStream::Fd() const { return m_fd; }

uint64_t CDirStream::SizeOf(const char* name) const
{
    struct stat st;
    return fstatat(m_fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 ? uint64_t(st.st_size) : 0;
}

bool CDirStream::Next(DirEntry& entry)
{
    if (!m_dir) {
        if (m_rest.empty())
            return false;
        m_current = std::move(m_rest.back().name);
        entry.kind = m_rest.back().kind;
        entry.size = m_rest.back().size;
        m_rest.pop_back();
        entry.name = m_current.c_str();
        return true;
    }
    while (const dirent* d = readdir(m_dir)) {
        if (IsDots(d->d_name))
            continue;
        entry.name = d->d_name;
        entry.kind = KindOf(m_fd, d, entry.size);
        return true;
    }
    return false;
}

void CDirStream::Suspend()
{
    if (!m_dir)
        return;
    std::vector<Rest> rest;
    while (const dirent* d = readdir(m_dir))
        if (!IsDots(d->d_name)) {
            int64_t size;
            const EntryKind kind = KindOf(m_fd, d, size);
            rest.push_back({d->d_name, kind, size});
        }
    // Taken from the back, in the order the file system gave them.
    rest.insert(rest.end(), std::make_move_iterator(m_rest.rbegin()), std::make_move_iterator(m_rest.rend()));
    m_rest.assign(std::make_move_iterator(rest.rbegin()), std::make_move_iterator(rest.rend()));
    closedir(m_dir);
    m_dir = nullptr;
    m_fd = -1;
}

bool CDirStream::Resume(int fd)
{
    Identity now;
    if (fd < 0 || !IdentifyDirectory(fd, now.ino, now.mount) || now.ino != m_id.ino
        || now.mount.dev != m_id.mount.dev || !now.mount.SameMount(m_id.mount)) {
        if (fd >= 0)
            close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool CDirStream::ResumeFromChild(int childFd)
{
    if (!Suspended())
        return true;
    // ".." is never a link; should the child have been moved elsewhere, it
    // names another directory, which the identity check refuses.
    return Resume(OpenDirectoryAt(childFd, "..", kChildFlags & ~O_NOFOLLOW));
}

bool CDirStream::ResumeFromParent(int parentFd, const char* name)
{
    if (!Suspended())
        return true;
    return Resume(OpenDirectoryAt(parentFd, name, kChildFlags));
}

std::unordered_set<std::string> MountPointsBelowIn(std::string_view mountTable, std::string root)
{
    std::unordered_set<std::string> below;
    if (root.empty() || root.front() != '/')
        return below;
    if (root.back() != '/')
        root += '/';
    for (const MountEntry& m : ParseMountInfo(mountTable))
        if (m.mountPoint.size() > root.size() && m.mountPoint.compare(0, root.size(), root) == 0)
            below.insert(m.mountPoint.substr(root.size()));
    return below;
}

std::unordered_set<std::string> MountPointsBelow(int dirfd)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", dirfd);
    std::string root(4096, '\0');
    const ssize_t n = readlink(link, root.data(), root.size());
    if (n <= 0 || size_t(n) >= root.size())
        return {};
    root.resize(size_t(n));
    const int fd = open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string table;
    char buffer[16384];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR))
        if (got > 0)
            table.append(buffer, size_t(got));
    close(fd);
    return MountPointsBelowIn(table, root);
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

int FreeDescriptors()
{
    RaiseOpenFileLimit();
    struct rlimit lim;
    if (getrlimit(RLIMIT_NOFILE, &lim) != 0)
        return 0;
    int open = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (const dirent* e = readdir(d))
            open += !IsDots(e->d_name);
        closedir(d);
        --open;  // the listing's own descriptor
    }
    const rlim_t limit = lim.rlim_cur == RLIM_INFINITY ? rlim_t(1) << 20 : lim.rlim_cur;
    return limit > rlim_t(open) ? int(std::min<rlim_t>(limit - rlim_t(open), rlim_t(1) << 30)) : 0;
}

} // namespace tw
