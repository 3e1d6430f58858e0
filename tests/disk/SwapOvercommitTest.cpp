// SPDX-License-Identifier: GPL-3.0-or-later
// The swap-file overcommit against an allocator that records every block and
// can refuse after n blocks of a size, and the real allocator's promise that
// a large block is resident before anything is written to it.
#include "disk/SwapOvercommit.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <sys/mman.h>
#include <unistd.h>

using namespace tw;
using namespace tw::test;

namespace {

constexpr unsigned char kUntouched = 0x5A;

// The list of swap areas the command reads: one swap file in use, or none,
// so that the tests run alike on machines with and without swap.
class SwapList {
public:
    explicit SwapList(bool withSwap)
    {
        std::string text = "Filename\t\t\t\tType\t\tSize\t\tUsed\t\tPriority\n";
        if (withSwap)
            text += "/swapfile                               file\t\t2097148\t\t0\t\t-2\n";
        WriteFile(m_dir / "swaps", text);
        SetSwapListPath(m_dir / "swaps");
    }
    ~SwapList() { SetSwapListPath(""); }

private:
    TempDir m_dir;
};

// Hands out blocks filled with kUntouched so that every byte the command
// writes shows. Large blocks are lazily mapped: only the pages the command
// writes become memory.
class RecordingAllocator : public IAllocator {
public:
    std::map<size_t, size_t> failAfter;  // size -> blocks granted before refusing
    std::map<size_t, std::vector<void*>> allocated, freed;
    std::vector<size_t> freeOrder;       // sizes in the order of release
    ScriptedHost* host = nullptr;
    int workingDownDuringCalls = 0;
    // Blocks whose contents are checked when they are freed.
    size_t checkLarge = 4;
    int badLarge = 0, badSmall = 0, badSingle = 0;

    void* Allocate(size_t size) override
    {
        if (host && host->workingAlive != 1)
            ++workingDownDuringCalls;
        auto limit = failAfter.find(size);
        if (limit != failAfter.end() && allocated[size].size() >= limit->second)
            return nullptr;
        void* block = nullptr;
        if (size == kLargeBlock) {
            block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
            if (block == MAP_FAILED)
                return nullptr;
            if (allocated[size].size() < checkLarge)
                std::memset(block, kUntouched, size);
        } else {
            block = std::malloc(size);
            std::memset(block, kUntouched, size);
        }
        allocated[size].push_back(block);
        return block;
    }

    void Free(void* block, size_t size) override
    {
        if (host && host->workingAlive != 1)
            ++workingDownDuringCalls;
        const auto* bytes = static_cast<const unsigned char*>(block);
        const std::string pattern = Pattern(1024);
        if (size == kLargeBlock) {
            if (freed[size].size() < checkLarge) {
                bool ok = std::memcmp(bytes + 1024, pattern.data(), 1024) == 0;
                for (size_t i = 0; i < size && ok; ++i)
                    ok = (i >= 1024 && i < 2048) || bytes[i] == kUntouched;
                badLarge += !ok;
            }
            munmap(block, size);
        } else {
            if (size == kSmallBlock)
                badSmall += std::memcmp(bytes, pattern.data(), 1024) != 0;
            else
                badSingle += bytes[0] != 0xE5;
            std::free(block);
        }
        freed[size].push_back(block);
        freeOrder.push_back(size);
    }
};

struct Fixture {
    Fixture() { FillWipeBuffer(buffer); alloc.host = &host; }
    SwapList swaps{true};
    WipeBuffer buffer{};
    ScriptedHost host;
    FakeDriveTable drives;
    Operation op{buffer, host, drives};
    RecordingAllocator alloc;
};

void ExpectReleasedInOrder(const RecordingAllocator& alloc, size_t large, size_t small, size_t single)
{
    for (auto [size, n] : {std::pair{kLargeBlock, large}, {kSmallBlock, small}, {kSingleBlock, single}}) {
        const auto a = alloc.allocated.count(size) ? alloc.allocated.at(size) : std::vector<void*>{};
        const auto f = alloc.freed.count(size) ? alloc.freed.at(size) : std::vector<void*>{};
        EXPECT_EQ(a.size(), n) << "blocks of " << size;
        EXPECT_EQ(f, a) << "blocks of " << size << " not released in the order they were taken";
    }
    std::vector<size_t> expected;
    expected.insert(expected.end(), large, kLargeBlock);
    expected.insert(expected.end(), small, kSmallBlock);
    expected.insert(expected.end(), single, kSingleBlock);
    EXPECT_EQ(alloc.freeOrder, expected);
}

TEST(SwapOvercommit, TakesUpToTheCeilingOfEachSizeThenReleasesLargeSmallSingle)
{
    Fixture f;
    OvercommitSwapfile(f.op, f.alloc);
    ExpectReleasedInOrder(f.alloc, 1024, 1024, 1024);
    EXPECT_EQ(f.alloc.badLarge + f.alloc.badSmall + f.alloc.badSingle, 0);
    EXPECT_EQ(f.alloc.workingDownDuringCalls, 0);
    EXPECT_EQ(f.host.workingShown, 1);
    EXPECT_EQ(f.host.workingAlive, 0);
    EXPECT_TRUE(f.host.questions.empty());
}

TEST(SwapOvercommit, ARefusalEndsOnlyThatSize)
{
    for (size_t n : {size_t(0), size_t(1), size_t(7)}) {
        Fixture f;
        f.alloc.failAfter[kLargeBlock] = n;
        OvercommitSwapfile(f.op, f.alloc);
        ExpectReleasedInOrder(f.alloc, n, 1024, 1024);
    }
    Fixture f;
    f.alloc.failAfter[kSmallBlock] = 3;
    f.alloc.failAfter[kSingleBlock] = 0;
    OvercommitSwapfile(f.op, f.alloc);
    ExpectReleasedInOrder(f.alloc, 1024, 3, 0);
    // The record says how much memory was held at once.
    ASSERT_EQ(f.host.records.size(), 1u);
    EXPECT_EQ(f.host.records[0].kind, ItemKind::Memory);
    EXPECT_EQ(f.host.records[0].size, 1024u * kLargeBlock + 3u * kSmallBlock);
}

TEST(SwapOvercommit, BlocksHoldThePatternAndNothingElseIsWritten)
{
    Fixture f;
    f.alloc.failAfter[kLargeBlock] = 5;
    f.alloc.checkLarge = 5;
    OvercommitSwapfile(f.op, f.alloc);
    EXPECT_EQ(f.alloc.badLarge, 0);
    EXPECT_EQ(f.alloc.badSmall, 0);
    EXPECT_EQ(f.alloc.badSingle, 0);
}

TEST(SwapOvercommit, ASecondRunDoesTheSame)
{
    Fixture f;
    f.alloc.failAfter[kLargeBlock] = 9;
    OvercommitSwapfile(f.op, f.alloc);
    f.alloc.allocated.clear();
    f.alloc.freed.clear();
    f.alloc.freeOrder.clear();
    OvercommitSwapfile(f.op, f.alloc);
    ExpectReleasedInOrder(f.alloc, 9, 1024, 1024);
    EXPECT_EQ(f.host.workingShown, 2);
    EXPECT_EQ(f.host.workingAlive, 0);
}

TEST(SystemAllocator, ALargeBlockIsResidentAndUnwrittenWhenHandedOut)
{
    SystemAllocator alloc;
    void* block = alloc.Allocate(kLargeBlock);
    ASSERT_NE(block, nullptr);
    const long page = sysconf(_SC_PAGESIZE);
    std::vector<unsigned char> resident(kLargeBlock / size_t(page));
    ASSERT_EQ(mincore(block, kLargeBlock, resident.data()), 0);
    size_t missing = 0;
    for (unsigned char r : resident)
        missing += !(r & 1);
    EXPECT_EQ(missing, 0u) << "pages not taken for real";
    const auto* bytes = static_cast<const unsigned char*>(block);
    size_t nonzero = 0;
    for (size_t i = 0; i < kLargeBlock; ++i)
        nonzero += bytes[i] != 0;
    EXPECT_EQ(nonzero, 0u);
    alloc.Free(block, kLargeBlock);

    void* small = alloc.Allocate(kSmallBlock);
    void* single = alloc.Allocate(kSingleBlock);
    EXPECT_NE(small, nullptr);
    EXPECT_NE(single, nullptr);
    alloc.Free(small, kSmallBlock);
    alloc.Free(single, kSingleBlock);
}

TEST(SystemAllocator, MakingMemoryResidentKeepsItsContents)
{
    const size_t size = 16 * size_t(sysconf(_SC_PAGESIZE));
    void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(block, MAP_FAILED);
    std::memset(block, 0x77, size / 2);
    ASSERT_EQ(MakeResident(block, size), 0);
    const auto* bytes = static_cast<const unsigned char*>(block);
    for (size_t i = 0; i < size; ++i)
        ASSERT_EQ(bytes[i], i < size / 2 ? 0x77 : 0) << i;
    munmap(block, size);
}


// The record is made once every block is back: while they are held the
// system may have no memory to keep it, and a record that fails must not
// leave the blocks taken.
TEST(SwapOvercommit, TheRecordComesAfterTheLastBlockIsGivenBack)
{
    struct FailingHost : ScriptedHost {
        const RecordingAllocator* alloc = nullptr;
        size_t freedAtRecord = 0;
        void Record(const ItemResult&) override
        {
            freedAtRecord = alloc->freeOrder.size();
            throw std::bad_alloc();
        }
    } host;
    const SwapList swaps(true);
    WipeBuffer buffer{};
    FillWipeBuffer(buffer);
    FakeDriveTable drives;
    Operation op{buffer, host, drives};
    RecordingAllocator alloc;
    alloc.failAfter[kLargeBlock] = 3;
    host.alloc = &alloc;
    EXPECT_THROW(OvercommitSwapfile(op, alloc), std::bad_alloc);
    ExpectReleasedInOrder(alloc, 3, 1024, 1024);
    EXPECT_EQ(host.freedAtRecord, 3u + 1024u + 1024u);
    EXPECT_EQ(host.workingAlive, 0);
}

// Without swap nothing can be pushed out: the user is told so, not a block
// is taken, and nothing is recorded as held.
TEST(SwapOvercommit, WithoutSwapNothingIsTakenAndTheUserIsToldWhy)
{
    Fixture f;
    const SwapList none(false);
    EXPECT_FALSE(SwapConfigured());
    OvercommitSwapfile(f.op, f.alloc);
    EXPECT_TRUE(f.alloc.allocated.empty());
    EXPECT_TRUE(f.host.records.empty());
    ASSERT_EQ(f.host.Messages().size(), 1u);
    EXPECT_NE(f.host.Messages()[0].find("No swap space is configured"), std::string::npos);
    EXPECT_EQ(f.host.workingAlive, 0) << "no Working window for a command that does nothing";
}

// The list as the kernel writes it: a heading alone means no swap; a list
// that cannot be read leaves the command as it was.
TEST(SwapOvercommit, TheSwapListIsReadAsTheKernelWritesIt)
{
    {
        const SwapList with(true);
        EXPECT_TRUE(SwapConfigured());
    }
    {
        const SwapList without(false);
        EXPECT_FALSE(SwapConfigured());
    }
    SetSwapListPath("/nonexistent/swaps");
    EXPECT_TRUE(SwapConfigured());
    SetSwapListPath("");
}

} // namespace
