// SPDX-License-Identifier: GPL-3.0-or-later
// The errno table of the file error cause codes.
#include "platform/FileError.h"

#include <cerrno>
#include <cstring>

namespace tw {

int CauseFromErrno(int err)
{
    switch (err) {
    case 0: return causeNone;
    case ENOENT: return causeFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case ENXIO:
    case ENODEV: return causeBadPath;
    case EMFILE:
    case ENFILE: return causeTooManyOpenFiles;
    case EACCES:
    case EISDIR:
    case EPERM:
    case EROFS: return causeAccessDenied;
    case EBADF:
    case ESTALE: return causeInvalidFile;  // a handle the server no longer knows
    case ESPIPE:
    case EOVERFLOW: return causeBadSeek;
    case EIO: return causeHardIO;
    case ETXTBSY:
    case EBUSY:
    case EAGAIN: return causeSharingViolation;
    case EDEADLK:
    case ENOLCK: return causeLockViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return causeDiskFull;
    default: return causeGeneric;
    }
}

FileException MakeFileException(const std::string& operation, const std::string& path, int err)
{
    const int cause = CauseFromErrno(err);
    std::string what = "Error " + operation + " " + path + ": " + std::strerror(err)
        + " [ " + std::to_string(cause) + " ]";
    return FileException(cause, err, path, what);
}

} // namespace tw
