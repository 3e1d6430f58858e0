// SPDX-License-Identifier: GPL-3.0-or-later
// --verify: each overwritten file is read back from the device, past the
// page cache, before it is cut. A file whose blocks do not hold the pattern
// is an error for that file and stays.
#include "platform/FileError.h"
#include "tests/TestSupport.h"
#include "wipe/FileWiper.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

using namespace tw;
using namespace tw::test;

namespace {

struct NoHook {
    ~NoHook() { SetBeforeTruncateHook(nullptr); }
};

TEST(Verify, TheDeviceHoldsThePatternOrTheFileIsLeftWithAnError)
{
    LoopExt4Mount disk(32);
    if (!disk.Available())
        GTEST_SKIP() << disk.SkipReason();
    WipeBuffer buffer{};
    FillWipeBuffer(buffer);
    ScriptedHost host;
    FakeDriveTable drives;
    Operation op(buffer, host, drives);
    op.m_bVerify = true;

    const std::string good = disk.Path() + "/good.bin", bad = disk.Path() + "/bad.bin";
    WriteFile(good, std::string(200000, 'g'));
    WriteFile(bad, std::string(200000, 'b'));
    ASSERT_EQ(RunCommand("sync"), 0);

    EXPECT_EQ(WipeFile(op, good, nullptr), 1);
    ASSERT_EQ(host.records.size(), 1u);
    EXPECT_TRUE(host.records[0].destroyed);
    EXPECT_TRUE(host.records[0].verified);
    EXPECT_FALSE(Exists(good));

    // Something else gets to the device between the flush and the read:
    // the first block holds other bytes than the pattern there.
    const NoHook noHook;
    SetBeforeTruncateHook([](int fd) {
        const int direct = open(("/proc/self/fd/" + std::to_string(fd)).c_str(), O_WRONLY | O_DIRECT | O_NONBLOCK);
        if (direct < 0) {
            fcntl(fd, F_SETLEASE, F_UNLCK);
        }
        const int again = direct >= 0 ? direct : open(("/proc/self/fd/" + std::to_string(fd)).c_str(), O_WRONLY | O_DIRECT);
        void* block = nullptr;
        ASSERT_EQ(posix_memalign(&block, 4096, 4096), 0);
        std::memset(block, 'x', 4096);
        EXPECT_EQ(pwrite(again, block, 4096, 0), 4096);
        std::free(block);
        close(again);
    });
    EXPECT_THROW(WipeFile(op, bad, nullptr), FileException);
    ASSERT_EQ(host.records.size(), 2u);
    EXPECT_FALSE(host.records[1].destroyed);
    EXPECT_FALSE(host.records[1].verified);
    EXPECT_NE(host.records[1].message.find("verifying"), std::string::npos) << host.records[1].message;
    EXPECT_TRUE(Exists(bad)) << "a file that failed the check must stay";
}

} // namespace
