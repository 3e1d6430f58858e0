// SPDX-License-Identifier: GPL-3.0-or-later
// Anonymous mappings made resident with MADV_POPULATE_WRITE, or page by page
// on kernels that do not know it.
#include "platform/Memory.h"

#include <cerrno>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

namespace tw {

namespace {

size_t PageSize()
{
    static const size_t page = [] {
        const long p = sysconf(_SC_PAGESIZE);
        return p > 0 ? size_t(p) : size_t(4096);
    }();
    return page;
}

bool IsLarge(size_t size) { return size >= PageSize(); }

} // namespace

int MakeResident(void* block, size_t size)
{
    if (madvise(block, size, MADV_POPULATE_WRITE) == 0)
        return 0;
    if (errno != EINVAL)
        return errno;
    // A kernel before 5.14: fault each page in for writing by storing back
    // the byte that is already there, so no content changes.
    auto* bytes = static_cast<volatile unsigned char*>(block);
    for (size_t i = 0; i < size; i += PageSize())
        bytes[i] = bytes[i];
    return 0;
}

void* SystemAllocator::Allocate(size_t size)
{
    if (!IsLarge(size))
        return std::malloc(size);
    void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED)
        return nullptr;
    if (MakeResident(block, size) != 0) {
        munmap(block, size);
        return nullptr;
    }
    return block;
}

void SystemAllocator::Free(void* block, size_t size)
{
    if (!block)
        return;
    if (IsLarge(size))
        munmap(block, size);
    else
        std::free(block);
}

} // namespace tw
