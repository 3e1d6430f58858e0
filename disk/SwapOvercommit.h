// SPDX-License-Identifier: GPL-3.0-or-later
// "Overcommit Swapfile": takes as much memory as the allocator grants, up to
// 1024 blocks of each size, holds all of it at once and gives it back, so the
// system pushes other memory out to swap.
#pragma once

#include "core/Operation.h"
#include "platform/Memory.h"

#include <string>

namespace tw {

inline constexpr size_t kOvercommitBlocks = 1024;
inline constexpr size_t kLargeBlock = 1048576;
inline constexpr size_t kSmallBlock = 1024;
inline constexpr size_t kSingleBlock = 1;

// Runs with the Working window up from before the first allocation until
// after the last block is given back. On a machine without swap nothing
// could be pushed out: the user is told so, and nothing is taken.
void OvercommitSwapfile(Operation& op, IAllocator& alloc);

// Whether the list of swap areas (/proc/swaps) names at least one. A list
// that cannot be read counts as swap being there: the command then runs
// as it always did.
bool SwapConfigured();
// Test seam: the file read instead of /proc/swaps ("" puts it back).
void SetSwapListPath(const std::string& path);

} // namespace tw
