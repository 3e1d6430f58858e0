// SPDX-License-Identifier: GPL-3.0-or-later
// Filler files of the free-space wipe: the files that take a volume's free
// space while it is overwritten. They are created under fresh random names
// that never reuse an existing entry nor follow a link, and carry a prefix by
// which a filler left behind by a crash is recognised later.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace tw {

inline constexpr char kFillerPrefix[] = "tarnowick-filler-";

// How a fill ended.
struct FillOutcome {
    int error = 0;                 // 0: the volume is full, the normal end; else errno
    unsigned long long bytes = 0;  // written into all fillers together
};

// The fillers of one wipe, all in one directory. Whatever is still there
// when the object goes away (an exception) is emptied, closed and removed.
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

    // Removes fillers that an earlier run left behind in the directory:
    // regular files with the prefix that belong to this user. A link with
    // the prefix is someone else's doing and is left alone. Returns how many
    // were removed.
    int RemoveStale();

    // Creates one more filler (write only, mode 0600), which takes the
    // following writes: 0 or errno.
    int Create();

    // Writes `chunk` (copies of the pattern, a multiple of 16 bytes) into the
    // fillers until the volume takes no more. Byte i of every filler is byte
    // i mod 16 of the pattern. When a filler reaches the largest size the
    // file system allows, the fill goes on in a new one.
    FillOutcome Fill(const char* chunk, size_t size);

    // Pushes everything written to the device: 0 or the first errno, with
    // the filler's path in `failed`.
    int Flush(std::string* failed);

    // Cuts every filler to zero length, closes and removes it, going on past
    // failures: 0 or the first errno, with the filler's path in `failed`.
    int Remove(std::string* failed);

    std::vector<std::string> Names() const;

private:
    struct File {
        int fd = -1;
        std::string name;
        unsigned long long size = 0;
    };
    int m_dirfd = -1;
    dev_t m_device = 0;
    std::string m_strDirectory;
    std::vector<File> m_files;
};

// While it lives, an ext4 volume lets a filler take the clusters that it
// otherwise keeps back for its own use (2 % of the volume, up to 4096
// clusters): free space that no ordinary write could reach, and that may
// well hold what a removed file left. The earlier reserve comes back when the
// object goes. Nothing happens on other file systems or without the right
// to change the reserve.
class ReserveLift {
public:
    explicit ReserveLift(dev_t device);
    ~ReserveLift();
    ReserveLift(const ReserveLift&) = delete;
    ReserveLift& operator=(const ReserveLift&) = delete;
    bool Lifted() const { return !m_strSaved.empty(); }

private:
    std::string m_strPath;
    std::string m_strSaved;
};

// The device of `path` (stat): 0 or errno.
int DeviceOf(const std::string& path, dev_t* device);

// The user's home directory and the temporary directory, the places a filler
// may go when the root of its volume cannot take one.
std::string HomeDirectory();
std::string TemporaryDirectory();

// Test seams. The name source replaces the random filler names (an empty
// answer falls back to a random one); the write hook replaces write(2) on
// fillers. Both are process-wide; pass nullptr to remove them.
using FillerNameSource = std::function<std::string()>;
void SetFillerNameSource(FillerNameSource source);
using FillerWriteHook = std::function<ssize_t(int fd, const char* data, size_t size)>;
void SetFillerWriteHook(FillerWriteHook hook);

} // namespace tw
