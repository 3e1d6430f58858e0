// SPDX-License-Identifier: GPL-3.0-or-later
// Which leftover fillers are removed: only this user's, only of the exact
// name form, only regular files with one link, and never one that a running
// fill holds locked. Everything else that merely looks like a filler stays.
#include "disk/FreeSpaceWiper.h"
#include "platform/Filler.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw;
using namespace tw::test;

namespace {

const std::string kStale = std::string(kFillerPrefix) + "0123456789abcdef";

TEST(FillerName, OnlyThePrefixAndSixteenLowerCaseHexDigits)
{
    EXPECT_TRUE(IsFillerName(kStale.c_str()));
    for (const char* name : {"tarnowick-filler-", "tarnowick-filler-0123456789abcde", "tarnowick-filler-0123456789abcdef0",
                             "tarnowick-filler-0123456789ABCDEF", "tarnowick-filler-notes.txt",
                             "tarnowick-filler-0123456789abcdeg", "xtarnowick-filler-0123456789abcdef",
                             "tarnowick-filler-0123456789abcdef.bak"})
        EXPECT_FALSE(IsFillerName(name)) << name;
}

class StaleFillers : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (geteuid() != 0)
            GTEST_SKIP() << "files of another owner need root to make";
    }
    TempDir dir;
    std::string At(const std::string& name) const { return dir / name; }
};

TEST_F(StaleFillers, AUsersFileNamedLikeAFillerSurvives)
{
    const std::string prefix = kFillerPrefix;
    WriteFile(At(kStale), Pattern(8192));
    // Near misses of the name form.
    for (const std::string& name : {prefix + "notes.txt", prefix + "0123456789ABCDEF", prefix + "0123456789abcde",
                                    prefix + "0123456789abcdef.txt"})
        WriteFile(At(name), "the user's own");
    // Exact form, but another user's.
    const std::string foreign = At(prefix + "1111111111111111");
    WriteFile(foreign, "nobody's");
    ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
    // Exact form, but with a second name elsewhere: its contents are not ours.
    TempDir elsewhere;
    const std::string linked = At(prefix + "2222222222222222");
    WriteFile(linked, "kept under another name");
    ASSERT_EQ(link(linked.c_str(), (elsewhere / "other-name").c_str()), 0);
    // Exact form, but a link, a directory and a FIFO.
    WriteFile(elsewhere / "target", "target");
    ASSERT_EQ(symlink((elsewhere / "target").c_str(), At(prefix + "3333333333333333").c_str()), 0);
    ASSERT_EQ(mkdir(At(prefix + "4444444444444444").c_str(), 0700), 0);
    ASSERT_EQ(mkfifo(At(prefix + "5555555555555555").c_str(), 0600), 0);
    // Exact form, but locked by a fill that runs.
    const std::string held = At(prefix + "6666666666666666");
    WriteFile(held, Pattern(4096));
    const int holder = open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);

    EXPECT_EQ(RemoveStaleFillersIn(dir.Path()), 1);
    close(holder);

    EXPECT_FALSE(Exists(At(kStale)));
    for (const std::string& name : {prefix + "notes.txt", prefix + "0123456789ABCDEF", prefix + "0123456789abcde",
                                    prefix + "0123456789abcdef.txt"})
        EXPECT_EQ(ReadFile(At(name)), "the user's own") << name;
    EXPECT_EQ(ReadFile(foreign), "nobody's");
    EXPECT_EQ(ReadFile(linked), "kept under another name");
    EXPECT_EQ(ReadFile(elsewhere / "target"), "target");
    EXPECT_TRUE(Exists(At(prefix + "3333333333333333")));
    EXPECT_TRUE(Exists(At(prefix + "4444444444444444")));
    EXPECT_TRUE(Exists(At(prefix + "5555555555555555")));
    EXPECT_EQ(ReadFile(held), Pattern(4096));

    // Once its fill has ended (the lock is gone), the same filler is stale.
    EXPECT_EQ(RemoveStaleFillersIn(dir.Path()), 1);
    EXPECT_FALSE(Exists(held));
}

// At start-up every drive's root and the home and temporary directories are
// looked through once.
TEST_F(StaleFillers, StartUpLooksThroughEveryDriveRootAndTheFallbackDirectories)
{
    TempDir d, e, home, tmp;
    for (const TempDir* place : {&d, &e, &home, &tmp})
        WriteFile(*place / kStale, Pattern(100));
    WriteFile(d / "keep", "keep");
    FakeDriveTable drives;
    drives.roots['D'] = d.Path();
    drives.roots['E'] = e.Path();
    const std::string oldHome = getenv("HOME") ? getenv("HOME") : "";
    const std::string oldTmp = getenv("TMPDIR") ? getenv("TMPDIR") : "";
    setenv("HOME", home.Path().c_str(), 1);
    setenv("TMPDIR", tmp.Path().c_str(), 1);
    GiveBackLeftovers(drives);
    setenv("HOME", oldHome.c_str(), 1);
    oldTmp.empty() ? unsetenv("TMPDIR") : setenv("TMPDIR", oldTmp.c_str(), 1);

    for (const TempDir* place : {&d, &e, &home, &tmp})
        EXPECT_FALSE(Exists(*place / kStale)) << place->Path();
    EXPECT_EQ(ReadFile(d / "keep"), "keep");
}

} // namespace
