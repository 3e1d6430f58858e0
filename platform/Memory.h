// SPDX-License-Identifier: GPL-3.0-or-later
// Memory that is really taken. Linux hands out address space and backs it
// only when it is touched, so an allocation alone pushes nothing to swap:
// large blocks are made resident as they are allocated.
#pragma once

#include <cstddef>

namespace tw {

// The allocator seam of the swap-file overcommit; tests give their own.
class IAllocator {
public:
    virtual ~IAllocator() = default;
    // A block of `size` bytes, or nullptr when no more memory can be had (an
    // ordinary answer, not an error).
    virtual void* Allocate(size_t size) = 0;
    // Gives back a block that Allocate returned for the same `size`.
    virtual void Free(void* block, size_t size) = 0;
};

// Blocks of a page or more are mapped anonymously and made resident at once,
// without writing to them; smaller ones come from malloc.
class SystemAllocator : public IAllocator {
public:
    void* Allocate(size_t size) override;
    void Free(void* block, size_t size) override;
};

// Makes the pages of [block, block + size) resident and writable without
// changing a byte of them: 0 or errno. `block` must be page-aligned.
int MakeResident(void* block, size_t size);

} // namespace tw
