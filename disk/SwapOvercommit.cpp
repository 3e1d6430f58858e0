// SPDX-License-Identifier: GPL-3.0-or-later
// The swap-file overcommit: three fixed tables of blocks, filled in turn,
// released in turn.
#include "disk/SwapOvercommit.h"

#include <QCoreApplication>

#include <array>
#include <cstring>
#include <fstream>
#include <mutex>

namespace tw {

namespace {

// The blocks of one size that were taken, in the order they were taken. The
// tables are fixed, so the bookkeeping itself never needs memory.
struct BlockTable {
    std::array<void*, kOvercommitBlocks> blocks{};
    size_t count = 0;
};

// Takes blocks of `size` until the table is full or the allocator says no;
// `fill` writes each block as it comes. A refusal ends this size only.
template <typename Fill>
void Take(IAllocator& alloc, BlockTable& table, size_t size, Fill fill)
{
    while (table.count < kOvercommitBlocks) {
        void* block = alloc.Allocate(size);
        if (!block)
            return;
        table.blocks[table.count++] = block;
        fill(static_cast<unsigned char*>(block));
    }
}

std::mutex g_swapListMutex;
std::string g_swapList = "/proc/swaps";

void Release(IAllocator& alloc, BlockTable& table, size_t size)
{
    for (size_t i = 0; i < table.count; ++i)
        alloc.Free(table.blocks[i], size);
    table.count = 0;
}

} // namespace

bool SwapConfigured()
{
    std::string path;
    {
        std::lock_guard lock(g_swapListMutex);
        path = g_swapList;
    }
    std::ifstream list(path);
    if (!list)
        return true;
    // A heading line, then one line per swap area in use.
    std::string line;
    int lines = 0;
    while (std::getline(list, line))
        if (!line.empty())
            ++lines;
    return lines > 1;
}

void SetSwapListPath(const std::string& path)
{
    std::lock_guard lock(g_swapListMutex);
    g_swapList = path.empty() ? std::string("/proc/swaps") : path;
}

void OvercommitSwapfile(Operation& op, IAllocator& alloc)
{
    // Without swap, taking the memory would push nothing out: it would only
    // starve the other programs, and a record of memory "held" would claim
    // what did not happen.
    if (!SwapConfigured()) {
        op.host.Message(QCoreApplication::translate("tw::SwapOvercommit",
                                                    "No swap space is configured on this computer, so no memory "
                                                    "could be pushed out to it. Nothing was done.")
                            .toStdString());
        op.m_bEndedBeforeStart = true;
        return;
    }
    const std::unique_ptr<IScopedWindow> working = op.host.ShowWorking();

    BlockTable large, small, single;
    // Only bytes 1024 to 2047 of a large block are written: the allocator
    // has already made the whole block resident, and writing the rest would
    // cost time without taking more memory.
    Take(alloc, large, kLargeBlock, [&](unsigned char* block) {
        std::memcpy(block + 1024, op.m_wipeBuffer.data(), kWipeBufferSize);
    });
    Take(alloc, small, kSmallBlock, [&](unsigned char* block) {
        std::memcpy(block, op.m_wipeBuffer.data(), kWipeBufferSize);
    });
    Take(alloc, single, kSingleBlock, [](unsigned char* block) { *block = 0xE5; });

    ItemResult held;
    held.kind = ItemKind::Memory;
    held.size = large.count * kLargeBlock + small.count * kSmallBlock + single.count * kSingleBlock;
    held.destroyed = true;

    Release(alloc, large, kLargeBlock);
    Release(alloc, small, kSmallBlock);
    Release(alloc, single, kSingleBlock);

    // Only now: while every block is held the system has no memory to
    // spare, and a record that cannot be kept must not leave the blocks
    // taken for the rest of the program's life.
    op.host.Record(held);
}

} // namespace tw
