// SPDX-License-Identifier: GPL-3.0-or-later
// POSIX file layer of the file wiper.
#include "platform/WipeTarget.h"

#include "platform/FileError.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace {

// A write lease makes the kernel signal us when another program opens the
// file. The default action of SIGIO would end the program; the lease itself
// already makes the other program wait, so the signal carries nothing we need.
void IgnoreLeaseBreakSignal()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction old {};
        if (sigaction(SIGIO, nullptr, &old) == 0 && old.sa_handler == SIG_DFL)
            std::signal(SIGIO, SIG_IGN);
    });
}

std::string RandomName(size_t length)
{
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static constexpr size_t kCount = sizeof(kChars) - 1;
    std::string name(length, 'x');
    std::string bytes(length, '\0');
    if (getrandom(bytes.data(), length, 0) != ssize_t(length)) {
        std::random_device device;
        for (char& c : bytes)
            c = char(device());
    }
    for (size_t i = 0; i < length; ++i)
        name[i] = kChars[static_cast<unsigned char>(bytes[i]) % kCount];
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
    m_fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
        m_error = errno;
}

DirectoryHandle::~DirectoryHandle()
{
    if (m_fd >= 0)
        close(m_fd);
}

WipeTarget::~WipeTarget()
{
    if (m_fd >= 0)
        close(m_fd);
}

int WipeTarget::Open(int dirfd, const std::string& name)
{
    // Look before opening: opening a device node can have effects of its
    // own (a tape rewinds), and a FIFO or socket holds no contents to destroy.
    struct stat before {};
    if (fstatat(dirfd, name.c_str(), &before, AT_SYMLINK_NOFOLLOW) != 0)
        return CauseFromErrno(errno);
    if (S_ISLNK(before.st_mode))
        return CauseFromErrno(ELOOP);  // the link's target was not chosen
    if (S_ISDIR(before.st_mode))
        return CauseFromErrno(EISDIR);
    if (!S_ISREG(before.st_mode))
        return causeAccessDenied;

    // O_NONBLOCK: should the name have become a FIFO meanwhile, the open
    // still returns at once.
    int fd;
    do
        fd = openat(dirfd, name.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return CauseFromErrno(errno);

    struct stat st {};
    if (fstat(fd, &st) != 0) {
        const int err = errno;
        close(fd);
        return CauseFromErrno(err);
    }
    if (!S_ISREG(st.st_mode) || st.st_dev != before.st_dev || st.st_ino != before.st_ino) {
        close(fd);
        return causeAccessDenied;
    }
    // Overwriting a file with other names would destroy the contents under
    // names nobody chose to delete.
    if (st.st_nlink > 1) {
        close(fd);
        return causeSharingViolation;
    }

    // The kernel grants a write lease only while no other descriptor has
    // the file open: the nearest thing to an exclusive open.
    IgnoreLeaseBreakSignal();
    if (fcntl(fd, F_SETLEASE, F_WRLCK) != 0) {
        const int err = errno;
        if (err == EAGAIN || err == EBUSY) {
            close(fd);
            return causeSharingViolation;
        }
        // EINVAL (not supported, or leases turned off) or EACCES (a file of
        // another owner without CAP_LEASE): go on without a lease.
    }

    m_fd = fd;
    m_length = uint64_t(st.st_size);
    return causeNone;
}

int WipeTarget::Overwrite(const char* chunk, size_t chunkSize, uint64_t length)
{
    uint64_t offset = 0;
    while (offset < length) {
        // After a short write the next write starts inside the chunk, so the
        // byte at each offset is still the pattern's byte for that offset.
        const size_t start = size_t(offset % chunkSize);
        const size_t count = size_t(std::min<uint64_t>(chunkSize - start, length - offset));
        const ssize_t written = pwrite(m_fd, chunk + start, count, off_t(offset));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return ENOSPC;  // no progress and no error: the device takes no more
        offset += uint64_t(written);
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

int WipeTarget::Truncate()
{
    int result;
    do
        result = ftruncate(m_fd, 0);
    while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

int WipeTarget::Close()
{
    if (m_fd < 0)
        return 0;
    const int fd = m_fd;
    m_fd = -1;
    // The descriptor is gone even when close reports an error: never retry.
    return close(fd) == 0 ? 0 : errno;
}

int RemoveUnderRandomName(int dirfd, const std::string& name)
{
    for (int attempt = 0; attempt < 16 && !name.empty(); ++attempt) {
        const std::string random = RandomName(name.size());
        if (renameat2(dirfd, name.c_str(), dirfd, random.c_str(), RENAME_NOREPLACE) == 0)
            return unlinkat(dirfd, random.c_str(), 0) == 0 ? 0 : errno;
        if (errno != EEXIST)
            break;  // no random name here (e.g. the file system cannot rename so)
    }
    return unlinkat(dirfd, name.c_str(), 0) == 0 ? 0 : errno;
}

} // namespace tw
