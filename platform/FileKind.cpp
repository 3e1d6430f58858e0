// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileKind.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace {

FileKind KindOfMode(mode_t mode)
{
    if (S_ISREG(mode))
        return FileKind::Regular;
    if (S_ISDIR(mode))
        return FileKind::Directory;
    if (S_ISLNK(mode))
        return FileKind::Link;
    if (S_ISFIFO(mode))
        return FileKind::Fifo;
    if (S_ISSOCK(mode))
        return FileKind::Socket;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return FileKind::Device;
    return FileKind::Other;
}

} // namespace

FileKind KindOfName(const std::string& path, int* err)
{
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
        if (err)
            *err = errno;
        return FileKind::Missing;
    }
    if (err)
        *err = 0;
    return KindOfMode(st.st_mode);
}

int CheckDocumentFile(const std::string& path, FileKind* kind)
{
    *kind = FileKind::Missing;
    // O_PATH looks at the name without opening what it names: a FIFO would
    // make a reading open wait for a writer, a device could act on open.
    const int probe = open(path.c_str(), O_PATH | O_CLOEXEC);
    if (probe < 0)
        return errno;
    struct stat st {};
    const int statResult = fstat(probe, &st);
    const int statErr = errno;
    close(probe);
    if (statResult != 0)
        return statErr;
    *kind = KindOfMode(st.st_mode);
    if (*kind != FileKind::Regular)
        return *kind == FileKind::Directory ? EISDIR : EINVAL;

    // Non-blocking, in case the name was swapped for a pipe meanwhile; then
    // the identity check below refuses it.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat opened {};
    const int openedResult = fstat(fd, &opened);
    close(fd);
    if (openedResult != 0 || opened.st_dev != st.st_dev || opened.st_ino != st.st_ino || !S_ISREG(opened.st_mode)) {
        *kind = openedResult == 0 ? KindOfMode(opened.st_mode) : FileKind::Other;
        return EINVAL;
    }
    return 0;
}

} // namespace tw
