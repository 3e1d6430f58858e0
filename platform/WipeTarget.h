// SPDX-License-Identifier: GPL-3.0-or-later
// The POSIX side of destroying one file: opening it without following links
// or blocking, making sure nobody else has it open and that its name can be
// removed afterwards, overwriting the data it holds in place, flushing,
// truncating, and removing it under a random name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tw {

// The directory that holds a path, opened so that the file can be reached
// relative to it. Opened with O_PATH: destroying a file needs only search
// and write permission on its directory, not the right to list it (a
// directory of mode 0333). Closed when the handle goes away.
class DirectoryHandle {
public:
    explicit DirectoryHandle(const std::string& path);
    ~DirectoryHandle();
    DirectoryHandle(const DirectoryHandle&) = delete;
    DirectoryHandle& operator=(const DirectoryHandle&) = delete;

    int Fd() const { return m_fd; }
    int Error() const { return m_error; }          // errno of the failed open, 0 when open
    const std::string& Name() const { return m_name; }  // last component of the path

private:
    int m_fd = -1;
    int m_error = 0;
    std::string m_name;
};

// What WipeTarget::Open learns about a directory (its owner, mode and
// mount, and whether this process may write and search it). Files of one
// directory opened one after the other can share it, so that the directory
// is looked at once rather than for every file.
struct DirectoryFacts {
    bool known = false;
    int accessError = 0;  // errno of the write and search check, 0 when allowed
    uint32_t mode = 0;
    uint32_t uid = 0;
    uint64_t dev = 0;
    uint64_t mountId = 0;
    bool hasMountId = false;
    unsigned long fsType = 0;  // statfs f_type of the directory's file system
    // On an overlay: the directory in the upper layer (empty: not known).
    std::string overlayUpper;
};

// Where overwriting a file in place cannot reach every copy of its
// contents: the file is then removed, but not destroyed.
enum class OldCopies {
    None,          // the overwrite reaches the only copy
    CopyOnWrite,   // the file system writes to new places (btrfs...): old copies stay in free space and snapshots
    OverlayLower,  // an overlay's lower layer keeps the original
};

// What became of a file's name when it was to be removed.
enum class NameOutcome {
    Removed,   // the name held this file and is gone
    Vanished,  // another program removed the name first; the file has no name left
    Replaced,  // the name holds another file now, or this file was moved away: neither was touched
};

// One file opened for destruction. Every operation returns 0 or the errno
// that failed it, except Open, which returns a file error cause code.
class WipeTarget {
public:
    WipeTarget() = default;
    ~WipeTarget();  // closes quietly if still open
    WipeTarget(const WipeTarget&) = delete;
    WipeTarget& operator=(const WipeTarget&) = delete;
    WipeTarget(WipeTarget&& other) noexcept;
    WipeTarget& operator=(WipeTarget&& other) noexcept;

    // Opens `name` inside `dirfd` for reading and writing. Never creates,
    // truncates or follows a link, and never blocks. Only a regular file
    // with a single name that is not a mount point, that no other
    // descriptor holds (a write lease is granted), and whose name this
    // process may remove afterwards is accepted. Returns 0 or the cause
    // code of the refusal; the file is then untouched.
    // `facts` (may be null) holds what is known of the directory already,
    // and is filled in when it is not.
    // `listing` says what the caller knows of the name: a sweep's listing
    // gave it as a regular file, so the look before opening is its own.
    enum class Listing { Unknown, RegularFile };
    int Open(int dirfd, const std::string& name, DirectoryFacts* facts = nullptr, Listing listing = Listing::Unknown);
    // After a refused Open: the name is a mount point (a file or directory
    // of another mount placed over it), which a sweep passes by.
    bool RefusedAsMountPoint() const { return m_mountPoint; }

    uint64_t Length() const { return m_length; }
    uint64_t Volume() const { return m_volume; }  // st_dev of the file
    uint64_t Inode() const { return m_inode; }
    int Fd() const { return m_fd; }
    // Whether overwriting reaches every copy of the contents.
    OldCopies Copies() const { return m_copies; }

    // Writes the first `length` bytes of the endless repetition of
    // chunk[0..chunkSize) over the file from offset 0, so that byte i of
    // the file becomes chunk[i mod chunkSize]. Only the ranges that hold
    // data are written: a hole has no blocks, holds nothing to destroy, and
    // writing it would take space the volume may not have. On a file
    // system that cannot tell holes the whole length is written. On a
    // failed write, blocks the overwrite added to the file are given back.
    // The last page is written whole, so the file may reach past its length
    // until it is cut (Truncate) or closed (Close cuts it back).
    int Overwrite(const char* chunk, size_t chunkSize, uint64_t length);
    // The bytes Overwrite wrote (the data ranges), for bounding a batch.
    uint64_t BytesWritten() const { return m_written; }
    // Pushes the written data of this file to the device.
    int Flush();
    // Cuts the file to zero length.
    int Truncate();
    // Closes the file; a file still uncut is cut back to its length first.
    int Close();
    // Removes the file's name `name` in `dirfd` under a random name (see
    // RemoveUnderRandomName), while the file is still open, and only when
    // the name still names this file. Returns 0 or the errno that failed
    // the removal; `outcome` says what became of the name.
    int RemoveName(int dirfd, const std::string& name, NameOutcome& outcome);

private:
    // Gives a file that is kept its length back, should the overwrite have
    // written past it; Close calls it for a file still uncut.
    void KeepLength();

    int m_fd = -1;
    uint64_t m_length = 0;
    uint64_t m_blocks = 0;  // 512-byte blocks allocated when opened
    uint64_t m_volume = 0;
    uint64_t m_inode = 0;
    uint64_t m_written = 0;
    bool m_pastEnd = false;  // the overwrite wrote past m_length, not cut yet
    bool m_mountPoint = false;
    OldCopies m_copies = OldCopies::None;
};

// Pushes everything written to the file system that holds `fd` to the
// device at once (syncfs): one flush for a whole batch of overwritten files.
int SyncVolume(int fd);

// The volume (st_dev) of `path`, or 0 when it cannot be looked at.
uint64_t VolumeOfPath(const std::string& path);

// A second descriptor for the directory `dirfd`, which stays valid after
// the first is closed; -1 with errno on failure.
int DuplicateDirectory(int dirfd);
void CloseDescriptor(int fd);

// Renames `name` inside `dirfd` to a random name of the same length, so the
// old name does not stay in the directory, then removes it. When no random
// name can be given, removes it under its own name.
//
// The name is taken on trust only for the file (`device`, `inode`) that is
// meant: other programs save a file by renaming a new one over its name,
// and that new file must never be removed. The name is looked at before
// the rename; after it the random name is looked at too (the rename may
// have taken a file saved over the name in between), and should it hold
// another file, that file gets its name back (never replacing anything)
// and is left alone. `fd`, the file still open, tells a name removed by
// another program (the file has no name left) from a file moved away.
int RemoveUnderRandomName(int dirfd, const std::string& name, int fd, uint64_t device, uint64_t inode,
                          NameOutcome& outcome);

// Called with the name after it was found to name the file and before it
// is renamed: the narrowest gap another program can save into. Tests set
// it; the program leaves it empty.
using BeforeRenameHook = void (*)(const std::string& name);
void SetBeforeRenameHook(BeforeRenameHook hook);

} // namespace tw
