// SPDX-License-Identifier: GPL-3.0-or-later
// The local volumes a user would call drives: block-device file systems
// mounted read-write, read from the kernel's mount table and /sys. Both
// locations are parameters so that tests can hand in their own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// One line of /proc/<pid>/mountinfo, escapes decoded.
struct MountEntry {
    unsigned major = 0;
    unsigned minor = 0;
    std::string root;          // the directory of the file system seen at the mount point
    std::string mountPoint;
    std::string mountOptions;  // per mount ("rw,relatime")
    std::string fsType;
    std::string source;
    std::string superOptions;  // of the file system ("rw,errors=remount-ro")
};

struct Volume {
    std::string mountPoint;
    std::string source;
    std::string fsType;
    unsigned major = 0;
    unsigned minor = 0;
    bool removable = false;
};

// The kernel writes blank, tab, newline and backslash in paths as \ooo.
std::string DecodeMountField(std::string_view field);

// The fields are taken by position, an empty one (a tmpfs mounted with an
// empty source) kept as empty. A line that does not have the mountinfo
// shape, or whose mount point is no absolute path without a NUL, is skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// The process's own mount table.
inline constexpr char kOwnMountTable[] = "/proc/self/mountinfo";

// The drives among the mounts, in mount order, each volume once. Read from
// the process's own table, "/" is there even where that table has no line
// for it (a chroot, or /proc not mounted) as long as it is a block device's
// file system mounted read-write.
std::vector<Volume> ListLocalVolumes(const std::string& mountinfoPath, const std::string& sysRoot);

// The whole selection on already parsed entries (for tests and callers that
// read the table themselves).
std::vector<Volume> SelectLocalVolumes(const std::vector<MountEntry>& mounts, const std::string& sysRoot);

// True when the block device MAJ:MIN (or its parent disk) says removable=1,
// or sits on a USB or MMC bus. `source` is the fallback name under
// /sys/class/block for file systems with an anonymous device number.
bool IsRemovableDevice(const std::string& sysRoot, unsigned major, unsigned minor, const std::string& source);

// The process's current directory, "" when it cannot be read.
std::string CurrentDirectory();

// Size and free space of the file system holding `path`.
struct VolumeSpace {
    uint64_t size = 0;       // bytes in all
    uint64_t free = 0;       // bytes free, the root-reserved ones included
    uint64_t available = 0;  // bytes an ordinary user's writes can take
};
// 0 or errno.
int GetVolumeSpace(const std::string& path, VolumeSpace* space);

} // namespace tw
