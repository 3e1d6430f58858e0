// SPDX-License-Identifier: GPL-3.0-or-later
// The copy-on-write warning: once per command, before anything on such a
// file system is destroyed, and never on a file system that overwrites in
// place.
#include "core/Operation.h"
#include "disk/FreeSpaceWiper.h"
#include "sweep/DirectorySweep.h"
#include "tests/TestSupport.h"
#include "wipe/FileWiper.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {

int Warnings(const test::ScriptedHost& host)
{
    int n = 0;
    for (const auto& q : host.questions)
        n += q.kind == "warning";
    return n;
}

} // namespace

TEST(CopyOnWriteTest, OneWarningPerCommandOnBtrfsAndTheFilesAreStillWiped)
{
    test::LoopExt4Mount btrfs(128, "btrfs");
    if (!btrfs.Available())
        GTEST_SKIP() << btrfs.SkipReason();
    for (const char* name : {"a.tmp", "b.tmp", "c.tmp"})
        test::WriteFile(btrfs.Path() + "/" + name, "secret");

    test::ScriptedHost host;
    test::FakeDriveTable drives;
    WipeBuffer buffer;
    FillWipeBuffer(buffer);
    Operation op(buffer, host, drives);
    EXPECT_EQ(SweepDirectory(op, btrfs.Path(), 0, nullptr, true), 0);
    ASSERT_EQ(Warnings(host), 1);
    EXPECT_EQ(host.questions.front().kind, "warning") << "the warning comes before anything is destroyed";
    EXPECT_NE(host.questions.front().first.find("btrfs"), std::string::npos) << host.questions.front().first;
    for (const char* name : {"a.tmp", "b.tmp", "c.tmp"})
        EXPECT_FALSE(test::Exists(btrfs.Path() + "/" + name));

    // The next command warns again.
    test::WriteFile(btrfs.Path() + "/d.tmp", "secret");
    Operation next(buffer, host, drives);
    EXPECT_EQ(WipeFile(next, btrfs.Path() + "/d.tmp", nullptr), 1);
    EXPECT_EQ(Warnings(host), 2);
}

TEST(CopyOnWriteTest, NoWarningWhereOverwritingReachesTheDevice)
{
    test::LoopExt4Mount ext4(16);
    if (!ext4.Available())
        GTEST_SKIP() << ext4.SkipReason();
    test::WriteFile(ext4.Path() + "/a.tmp", "secret");
    test::ScriptedHost host;
    test::FakeDriveTable drives;
    drives.roots['X'] = ext4.Path();
    WipeBuffer buffer;
    FillWipeBuffer(buffer);
    Operation op(buffer, host, drives);
    EXPECT_EQ(WipeFile(op, ext4.Path() + "/a.tmp", nullptr), 1);
    EXPECT_EQ(WipeFreeSpace(op, 'X' - 64, 'X'), 1);
    EXPECT_EQ(Warnings(host), 0);
}

TEST(CopyOnWriteTest, FreeSpaceWipeOfBtrfsWarnsOnce)
{
    test::LoopExt4Mount btrfs(128, "btrfs");
    if (!btrfs.Available())
        GTEST_SKIP() << btrfs.SkipReason();
    test::ScriptedHost host;
    test::FakeDriveTable drives;
    drives.roots['C'] = "/";
    drives.roots['X'] = btrfs.Path();
    WipeBuffer buffer;
    FillWipeBuffer(buffer);
    Operation op(buffer, host, drives);
    SecureEmptySpace(op, "X!X!");
    EXPECT_EQ(Warnings(host), 1);
    EXPECT_EQ(drives.current, 3);
}
