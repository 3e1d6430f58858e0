// SPDX-License-Identifier: GPL-3.0-or-later
// "Overcommit Swapfile": takes as much memory as the allocator grants, up to
// 1024 blocks of each size, holds all of it at once and gives it back, so the
// system pushes other memory out to swap.
#pragma once

#include "app/Operation.h"
#include "platform/Memory.h"

namespace tw {

inline constexpr size_t kOvercommitBlocks = 1024;
inline constexpr size_t kLargeBlock = 1048576;
inline constexpr size_t kSmallBlock = 1024;
inline constexpr size_t kSingleBlock = 1;

// Runs with the Working window up from before the first allocation until
// after the last block is given back.
void OvercommitSwapfile(Operation& op, IAllocator& alloc);

} // namespace tw
