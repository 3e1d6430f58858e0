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
// The same for a file system type as statfs(2) gives it (f_type).
bool IsCopyOnWriteType(unsigned long type, std::string* name = nullptr);
// An overlay (statfs f_type): its lower layers keep the originals of the
// files the kernel copies up.
bool IsOverlayType(unsigned long type);
// Whether files of this type can share their blocks with other files
// (reflink copies: XFS, OCFS2 and the like). False for the file systems
// that never do (ext2/3/4, tmpfs, FAT, exFAT), so that they are spared the
// look.
bool MayShareBlocks(unsigned long type);

// The warning shown once per command for such a target.
std::string CopyOnWriteWarning(const std::string& path, const std::string& fsName);
// The warning shown once per command for a file whose original an
// overlay's lower layer keeps.
std::string OverlayWarning(const std::string& path);

} // namespace tw
