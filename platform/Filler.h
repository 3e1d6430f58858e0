// SPDX-License-Identifier: GPL-3.0-or-later
// Filler files of the free-space wipe: the files that take a volume's free
// space while it is overwritten. Where the file system allows, they have no
// name; elsewhere they are created under fresh random names that never reuse
// an existing entry nor follow a link, and carry a prefix by which a filler
// left behind by a crash is recognised later.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tw {

inline constexpr char kFillerPrefix[] = "tarnowick-filler-";

// How a fill ended.
struct FillOutcome {
    int error = 0;                 // 0: the volume is full (or stopped); else errno
    bool stopped = false;          // a stop was asked for (StopRequested) before the volume was full
    unsigned long long bytes = 0;  // written into all fillers together
};

// True for exactly the names the program gives its named fillers: the
// prefix and sixteen lower-case hexadecimal digits.
bool IsFillerName(const char* name);

// Told the bytes written so far after every write of a fill.
using FillProgressFn = std::function<void(unsigned long long written)>;

// The fillers of one wipe, all in one directory. Where the file system
// allows it they have no name at all (O_TMPFILE): the kernel frees their
// space when the last descriptor closes, however the process ends. Elsewhere
// (FAT) they are named, hold an exclusive lock for as long as they exist,
// and are registered for the last-resort clean-up of platform/GiveBack.h.
// Whatever is still there when the object goes away (an exception) is
// emptied, closed and removed.
class FillerFiles {
public:
    FillerFiles() = default;
    ~FillerFiles();
    FillerFiles(const FillerFiles&) = delete;
    FillerFiles& operator=(const FillerFiles&) = delete;

    // Opens `directory` for the fillers: 0 or errno.
    int Open(const std::string& directory);
    const std::string& Directory() const { return m_strDirectory; }
    int DirectoryFd() const { return m_dirfd; }
    dev_t Device() const { return m_device; }

    // Removes this user's fillers that an earlier run left in the directory
    // (see RemoveStaleFillers). Returns how many were removed.
    int RemoveStale();

    // Creates one more filler (write only, mode 0600), which takes the
    // following writes: 0 or errno.
    int Create();

    // Writes `chunk` (copies of the pattern, a multiple of 16 bytes) into the
    // fillers until the volume takes no more, or until a stop is asked for
    // (checked before every write). Byte i of every filler is byte i mod 16
    // of the pattern. When a filler reaches the largest size the file system
    // allows, the fill goes on in a new one. `progress` may be empty.
    FillOutcome Fill(const char* chunk, size_t size, const FillProgressFn& progress = {});

    // Pushes everything written to the device: 0 or the first errno, with
    // the filler's name for the user in `failed`.
    int Flush(std::string* failed);

    // Gives back the last `bytes` of the newest filler (all of it when it is
    // smaller), for a flush that found no room for the file system's own
    // blocks. False when there is nothing left to give back.
    bool ShrinkLast(uint64_t bytes);

    // Cuts every filler to zero length, closes and removes it, going on past
    // failures: 0 or the first errno, with the filler's name in `failed`.
    int Remove(std::string* failed);

    // True when the fillers have names (the file system has no O_TMPFILE).
    bool Named() const { return m_bNamed; }

    // Paths by which a test can read the fillers now: the name, or the
    // descriptor under /proc/self/fd for a filler without one.
    std::vector<std::string> Paths() const;

private:
    struct File {
        int fd = -1;
        std::string name;  // empty: no name (O_TMPFILE)
        unsigned long long size = 0;
        int slot = -1;     // in the give-back table
    };
    std::string ShownName(const File& file) const;
    int CreateNamed();

    int m_dirfd = -1;
    dev_t m_device = 0;
    bool m_bNamed = false;
    std::string m_strDirectory;
    std::vector<File> m_files;
};

// Removes this user's fillers left in the directory open as `dirfd` by a run
// that ended without its clean-up (SIGKILL, a power cut): entries with
// exactly the filler name form, regular files with one link, owned by this
// user, and not locked (a running fill holds a lock on each of its named
// fillers, so another instance's fill is never touched). Anything else
// with the prefix, a link or a user's own file, stays. Returns how many were
// removed.
int RemoveStaleFillers(int dirfd);
int RemoveStaleFillersIn(const std::string& directory);

// Asks the file system to discard its free blocks (FITRIM, as fstrim
// does), so that a solid-state drive drops what it still holds there. Needs
// the right to (root) and a device that supports it: 0 or errno.
int DiscardFreeSpace(int fd, unsigned long long* discarded);

// The free space of the volume of `fd` as this process sees it: what it may
// fill (all free blocks for root, the blocks available to others for
// anyone else) and what the file system keeps for the administrator beyond
// that (0 for root). 0 or errno.
struct VolumeSpace {
    unsigned long long fillable = 0;
    unsigned long long adminOnly = 0;
};
int SpaceOf(int fd, VolumeSpace* space);

// The device of `path` (stat): 0 or errno.
int DeviceOf(const std::string& path, dev_t* device);

// The user's home directory and the temporary directory, the places a filler
// may go when the root of its volume cannot take one.
std::string HomeDirectory();
std::string TemporaryDirectory();

// Test seams. The name source replaces the random filler names (an empty
// answer falls back to a random one); the write hook replaces write(2) on
// fillers; the flush hook replaces fdatasync(2) (returns 0 or errno); named
// fillers only acts as a file system without O_TMPFILE. All are
// process-wide; pass nullptr or false to remove them.
using FillerNameSource = std::function<std::string()>;
void SetFillerNameSource(FillerNameSource source);
using FillerWriteHook = std::function<ssize_t(int fd, const char* data, size_t size)>;
void SetFillerWriteHook(FillerWriteHook hook);
using FillerFlushHook = std::function<int(int fd)>;
void SetFillerFlushHook(FillerFlushHook hook);
void SetNamedFillersOnly(bool named);

} // namespace tw
