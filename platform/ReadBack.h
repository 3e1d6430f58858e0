// SPDX-License-Identifier: GPL-3.0-or-later
// Reading an overwritten file back from the device, past the page cache,
// to see that the device itself now holds the pattern (--verify).
#pragma once

#include <cstddef>
#include <cstdint>

namespace tw {

// Reads the data of the open file `fd` up to `length` through a second
// descriptor opened with O_DIRECT, so that every byte comes from the device
// rather than from memory, and compares byte i with pattern[i mod size].
// 0 when all of it matches (`checked` set), EIO at the first byte that does
// not, or the errno of a failed read. A file system without O_DIRECT
// (tmpfs) cannot be read so: 0 with `checked` left false.
int ReadBackMatches(int fd, const char* pattern, size_t size, uint64_t length, bool* checked);

} // namespace tw
