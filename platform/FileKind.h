// SPDX-License-Identifier: GPL-3.0-or-later
// What a name given from outside (the command line, a drop) stands for,
// found without opening anything that could block or answer back.
#pragma once

#include <string>

namespace tw {

enum class FileKind { Missing, Regular, Directory, Link, Fifo, Socket, Device, Other };

// The kind of `path` itself; a symbolic link is not followed. `err`
// receives errno when the name cannot be looked at (Missing then).
FileKind KindOfName(const std::string& path, int* err = nullptr);

// Opens `path` for reading the way start-up opens a document named on the
// command line: following a link the user named, but never waiting on a
// pipe or opening a device, socket or folder. Returns 0 when it is a
// regular file that can be read; else the errno of the failure, with
// `kind` telling what the name turned out to be (Regular when the open
// itself failed, e.g. for lack of permission).
int CheckDocumentFile(const std::string& path, FileKind* kind);

} // namespace tw
