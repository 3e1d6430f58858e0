// SPDX-License-Identifier: GPL-3.0-or-later
// Directory listing by descriptor for the sweeps. Every directory below the
// root of a walk is opened relative to its parent and never through a link,
// so a directory that is swapped for a link while a sweep runs leads
// nowhere, and a walk never leaves the mount it started on.
#pragma once

#include <dirent.h>

#include <cstdint>
#include <memory>
#include <string>

namespace tw {

enum class EntryKind { Directory, RegularFile, Other };

struct DirEntry {
    const char* name = nullptr;  // valid until the next Next() of its stream
    EntryKind kind = EntryKind::Other;
};

// The mount a directory belongs to. Two bind mounts of one file system share
// the device but not the mount id, so both are compared where the kernel
// reports the id.
struct MountIdentity {
    uint64_t dev = 0;
    uint64_t mountId = 0;
    bool hasMountId = false;
    bool SameMount(const MountIdentity& other) const;
};

// One open directory, listed entry by entry in the order the file system
// gives them.
class CDirStream {
public:
    // Opens the root of a walk. Links in `path` itself are followed: the user
    // named this directory. Null when it cannot be listed.
    static std::unique_ptr<CDirStream> OpenRoot(const std::string& path);

    ~CDirStream();
    CDirStream(const CDirStream&) = delete;
    CDirStream& operator=(const CDirStream&) = delete;

    // Opens the subdirectory `name` of this directory. Null when `name` is a
    // link (or no longer a directory), cannot be listed, or is a mount point
    // of another file system or another mount of this one.
    std::unique_ptr<CDirStream> OpenChild(const char* name) const;

    // The next entry other than "." and "..". False at the end of the
    // directory, and on a read error, which ends the listing early.
    bool Next(DirEntry& entry);

    int Fd() const;

    // The size of the entry `name` of this directory (never through a
    // link); 0 when it cannot be looked up.
    uint64_t SizeOf(const char* name) const;

private:
    CDirStream(DIR* dir, const MountIdentity& mount) : m_dir(dir), m_mount(mount) {}
    static std::unique_ptr<CDirStream> FromFd(int fd, const MountIdentity* parent);

    DIR* m_dir;
    MountIdentity m_mount;
};

// Lifts this process's soft limit of open descriptors to its hard limit
// (once), since a walk holds one descriptor per level of the tree.
void RaiseOpenFileLimit();

} // namespace tw
