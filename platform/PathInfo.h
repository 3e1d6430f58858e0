// SPDX-License-Identifier: GPL-3.0-or-later
// Paths as the user names them: a directory check, the home directory that
// relative paths are taken against, and the listing the file dialog shows.
// Paths and names are bytes and need not be UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tw {

// True when `path` names a directory (a link to one counts: the user named it).
bool IsDirectoryPath(const std::string& path);

// $HOME, or the password database's home of the user, without a trailing "/".
std::string UserHome();

// `path` as an absolute path: "~" and "~/..." stand for the home directory,
// and any other relative path is taken inside it, so that what a path means
// never depends on the directory the program was started in. An absolute
// path and the empty text come back unchanged.
std::string AbsoluteAgainstHome(const std::string& path);

struct DirEntry {
    enum Kind { File, Directory, Link, Other };
    std::string name;       // bytes, as the directory holds it
    Kind kind = Other;      // of the entry itself (a link is a Link)
    bool linkToDirectory = false;
    uint64_t size = 0;      // bytes, for files
    int64_t modified = 0;   // seconds since the epoch
};

// Every entry of `directory` but "." and "..", unsorted. False with errno in
// `*error` when the directory cannot be read.
bool ListDirectory(const std::string& directory, std::vector<DirEntry>& entries, int* error = nullptr);

} // namespace tw
