// SPDX-License-Identifier: GPL-3.0-or-later
// Overlay file systems (live systems, containers): a file of an overlay's
// lower layer is copied up into the upper layer when it is opened for
// writing, so an overwrite reaches the copy and never the original.
#pragma once

#include <cstdint>
#include <string>

namespace tw {

// For a directory on an overlay mount: the same directory in the overlay's
// upper layer, as a path, so that a file of it can be looked up there.
// Empty when it cannot be told (the mount table does not name an upper
// layer, the layer is not visible from here, the directory has no path).
std::string OverlayUpperDirectory(int dirfd);

// Whether the file `name`, whose inode number the overlay shows as
// `mergedInode`, has a copy in a lower layer: the upper layer holds no file
// of that name (the file lives in a lower layer alone), or it holds one
// whose own inode number differs from the one the overlay shows, which the
// overlay does for a file copied up from below (it keeps the lower file's
// number). A file made in the upper layer shows its own number. Where the
// upper layer is unknown (`upperDirectory` empty) it cannot be ruled out.
bool OverlayHasLowerCopy(const std::string& upperDirectory, const std::string& name, uint64_t mergedInode);

} // namespace tw
