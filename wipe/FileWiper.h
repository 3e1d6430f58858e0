// SPDX-License-Identifier: GPL-3.0-or-later
// The file wiper: destroys one file. It overwrites every byte in place with
// the pattern, flushes it to the device, cuts the file to zero length,
// renames it to a random name and removes it.
#pragma once

#include "app/Operation.h"

#include <functional>
#include <string>

namespace tw {

// Destroys the file at `path`. Returns 1 to go on with the next file (the
// file was destroyed, or the user chose "Ignore File"), 0 to cancel the
// whole operation. Steps `progress` (may be null) once for a destroyed file.
// Failures after the overwrite (truncation, close, removal) throw
// FileException.
int WipeFile(Operation& op, const std::string& path, IProgress* progress);

// The same for a file named `name` inside the open directory `dirfd`; the
// file is opened relative to that directory and never through a link.
// `path` is the full path shown to the user.
int WipeFileAt(Operation& op, int dirfd, const std::string& name, const std::string& path, IProgress* progress);

// Called with the open file's descriptor after the overwrite has been
// flushed and before the truncation: the one moment at which the written
// contents can be read back. Tests set it; the program leaves it empty.
using BeforeTruncateHook = std::function<void(int fd)>;
void SetBeforeTruncateHook(BeforeTruncateHook hook);

} // namespace tw
