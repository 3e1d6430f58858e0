// SPDX-License-Identifier: GPL-3.0-or-later
// File error cause codes and the file exception that carries them. Only the
// cause code is ever shown to the user; errno is kept for diagnosis.
#pragma once

#include <stdexcept>
#include <string>

namespace tw {

enum FileCause : int {
    causeNone = 0,
    causeGeneric = 1,
    causeFileNotFound = 2,
    causeBadPath = 3,
    causeTooManyOpenFiles = 4,
    causeAccessDenied = 5,
    causeInvalidFile = 6,
    causeRemoveCurrentDir = 7,
    causeDirectoryFull = 8,
    causeBadSeek = 9,
    causeHardIO = 10,
    causeSharingViolation = 11,
    causeLockViolation = 12,
    causeDiskFull = 13,
    causeEndOfFile = 14,
};

// The one table from errno to cause code.
int CauseFromErrno(int err);

// A failed file operation that its caller does not handle itself. It ends
// the running command; the window reports `what()` in a message box.
class FileException : public std::runtime_error {
public:
    FileException(int cause, int osError, std::string fileName, const std::string& what)
        : std::runtime_error(what), m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName)) {}
    int m_cause;
    int m_lOsError;
    std::string m_strFileName;
};

// Builds a FileException for `operation` ("truncating", "removing"...) on
// `path` from errno `err`, with a message that names both.
FileException MakeFileException(const std::string& operation, const std::string& path, int err);

} // namespace tw
