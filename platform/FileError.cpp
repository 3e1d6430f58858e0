// SPDX-License-Identifier: GPL-3.0-or-later
// The errno table of the file error cause codes.
#include "platform/FileError.h"

#include "core/Translations.h"

#include <QCoreApplication>

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

namespace {

// The message of a failed operation, whole, so that a translation can put
// its parts in its own order.
QString OperationText(const std::string& operation)
{
    if (operation == "truncating")
        return QCoreApplication::translate("tw::FileError", "Error truncating %1: %2 [ %3 ]");
    if (operation == "closing")
        return QCoreApplication::translate("tw::FileError", "Error closing %1: %2 [ %3 ]");
    if (operation == "removing")
        return QCoreApplication::translate("tw::FileError", "Error removing %1: %2 [ %3 ]");
    if (operation == "flushing")
        return QCoreApplication::translate("tw::FileError", "Error flushing %1: %2 [ %3 ]");
    if (operation == "verifying")
        return QCoreApplication::translate("tw::FileError",
                                           "Error verifying %1: the device does not hold the pattern (%2) [ %3 ]");
    // Any other operation is named as the program names it.
    return QStringLiteral("Error ") + QString::fromStdString(operation) + QStringLiteral(" %1: %2 [ %3 ]");
}

} // namespace

FileException MakeFileException(const std::string& operation, const std::string& path, int err)
{
    const int cause = CauseFromErrno(err);
    // The path goes in as its bytes; the system's text of the error comes in
    // the language of the C library's locale.
    const std::string what = FillText(OperationText(operation), {path, std::strerror(err), std::to_string(cause)});
    return FileException(cause, err, path, what);
}

} // namespace tw
