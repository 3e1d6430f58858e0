// SPDX-License-Identifier: GPL-3.0-or-later
// What a file looks like from outside, to tell with one stat whether it has
// changed since it was last read.
#pragma once

#include <cstdint>
#include <string>

namespace tw {

struct FileStamp {
    bool exists = false;
    uint64_t dev = 0;
    uint64_t ino = 0;
    uint64_t size = 0;
    int64_t mtimeNs = 0;
    int64_t ctimeNs = 0;
    // The file changed so recently that a further change within the same
    // tick of the file system's clock would leave the stamp as it is: a
    // reader must not trust an equal stamp yet.
    bool recent = false;

    bool SameAs(const FileStamp& other) const
    {
        return exists == other.exists && dev == other.dev && ino == other.ino && size == other.size
            && mtimeNs == other.mtimeNs && ctimeNs == other.ctimeNs;
    }
};

// One stat of `path` (links followed); a missing file gives exists = false.
FileStamp StampOf(const std::string& path);

} // namespace tw
