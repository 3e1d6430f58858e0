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
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tw {

enum class EntryKind { Directory, RegularFile, Other };

struct DirEntry {
    const char* name = nullptr;  // valid until the next Next() of its stream
    EntryKind kind = EntryKind::Other;
    // The size of a regular file, where the listing had to look the file up
    // to learn its type (a file system that gives no type in its entries);
    // -1 otherwise.
    int64_t size = -1;
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
//
// A walk holds one stream per level of the tree. Where the levels would
// need more descriptors than the process may open, a stream can be
// suspended: the rest of its listing is read into memory and its
// descriptor closed. Resumed, it is reopened and proven to be the same
// directory on the same mount (device, inode and mount id) before anything
// in it is touched again, and its listing goes on from memory.
class CDirStream {
public:
    // Opens the root of a walk. Links in `path` itself are followed: the user
    // named this directory. Null when it cannot be listed, and for a path
    // holding a NUL (errno EINVAL), which names no directory.
    static std::unique_ptr<CDirStream> OpenRoot(const std::string& path);

    ~CDirStream();
    CDirStream(const CDirStream&) = delete;
    CDirStream& operator=(const CDirStream&) = delete;

    // Opens the subdirectory `name` of this directory. Null when `name` is a
    // link (or no longer a directory), cannot be listed, or is a mount point
    // of another file system or another mount of this one; `error` (may be
    // null) then holds the errno, EXDEV for a mount point.
    std::unique_ptr<CDirStream> OpenChild(const char* name, int* error = nullptr) const;

    // The next entry other than "." and "..". False at the end of the
    // directory, and on a read error, which ends the listing early.
    bool Next(DirEntry& entry);

    int Fd() const;

    // The size of the entry `name` of this directory (never through a
    // link); 0 when it cannot be looked up.
    uint64_t SizeOf(const char* name) const;

    // Reads the rest of the listing into memory and closes the descriptor.
    void Suspend();
    bool Suspended() const { return m_fd < 0; }
    // Reopens a suspended directory as the parent ("..") of `childFd`, a
    // directory that was listed in it. False, still suspended, when that is
    // not the same directory any more (the child was moved meanwhile).
    bool ResumeFromChild(int childFd);
    // Reopens a suspended directory as the entry `name` of `parentFd`,
    // never through a link; false, still suspended, unless it is the same
    // directory on the same mount as before.
    bool ResumeFromParent(int parentFd, const char* name);

private:
    struct Identity {
        uint64_t ino = 0;
        MountIdentity mount;
    };
    CDirStream(DIR* dir, const Identity& id);
    static std::unique_ptr<CDirStream> FromFd(int fd, const MountIdentity* parent, int* error);
    bool Resume(int fd);

    DIR* m_dir = nullptr;
    int m_fd = -1;
    Identity m_id;
    // The rest of a suspended listing, taken from the back.
    struct Rest {
        std::string name;
        EntryKind kind;
        int64_t size;
    };
    std::vector<Rest> m_rest;
    std::string m_current;  // the name Next() last gave from m_rest
};

// The mount points below the directory `dirfd`, as paths relative to it,
// from the kernel's list of this process's mounts: a file or directory
// with another mount placed over its name. Empty in the usual case, so a
// walk pays nothing per entry for knowing them.
std::unordered_set<std::string> MountPointsBelow(int dirfd);
// The same for the directory `root` (an absolute path) from the text of a
// mount table: the mount points strictly below it, relative to it.
std::unordered_set<std::string> MountPointsBelowIn(std::string_view mountTable, std::string root);

// Lifts this process's soft limit of open descriptors to its hard limit
// (once), since a walk holds one descriptor per level of the tree.
void RaiseOpenFileLimit();

// How many more descriptors this process may open now: its soft limit
// (after RaiseOpenFileLimit) less the descriptors it has open.
int FreeDescriptors();

} // namespace tw
