// SPDX-License-Identifier: GPL-3.0-or-later
// What kind of file system a file lives on, as far as overwriting in place
// is concerned.
#pragma once

#include <string>

namespace tw {

// True when the file system behind `fd` writes new data to new places
// (copy-on-write or log-structured): an overwrite in place then leaves the
// old blocks on the device. `name` receives the file system's name.
bool IsCopyOnWriteFs(int fd, std::string* name = nullptr);

// The warning shown once per command for such a target.
std::string CopyOnWriteWarning(const std::string& path, const std::string& fsName);

} // namespace tw
