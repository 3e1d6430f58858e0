// SPDX-License-Identifier: GPL-3.0-or-later
// The POSIX side of destroying one file: opening it without following links
// or blocking, making sure nobody else has it open, overwriting it in place,
// flushing, truncating, and removing it under a random name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tw {

// The directory that holds a path, opened so that the file can be reached
// relative to it. Closed when the handle goes away.
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

// One file opened for destruction. Every operation returns 0 or the errno
// that failed it, except Open, which returns a file error cause code.
class WipeTarget {
public:
    WipeTarget() = default;
    ~WipeTarget();  // closes quietly if still open
    WipeTarget(const WipeTarget&) = delete;
    WipeTarget& operator=(const WipeTarget&) = delete;

    // Opens `name` inside `dirfd` for reading and writing. Never creates,
    // truncates or follows a link, and never blocks. Only a regular file
    // with a single name that no other descriptor holds is accepted.
    // Returns 0 or the cause code of the refusal.
    int Open(int dirfd, const std::string& name);

    uint64_t Length() const { return m_length; }
    int Fd() const { return m_fd; }

    // Writes the first `length` bytes of the endless repetition of
    // chunk[0..chunkSize) over the file from offset 0, so that byte i of
    // the file becomes chunk[i mod chunkSize].
    int Overwrite(const char* chunk, size_t chunkSize, uint64_t length);
    // Pushes the written data to the device.
    int Flush();
    int Truncate();
    int Close();

private:
    int m_fd = -1;
    uint64_t m_length = 0;
};

// Renames `name` inside `dirfd` to a random name of the same length, so the
// old name does not stay in the directory, then removes it. When no random
// name can be given, removes it under its own name.
int RemoveUnderRandomName(int dirfd, const std::string& name);

} // namespace tw
