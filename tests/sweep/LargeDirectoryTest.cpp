// SPDX-License-Identifier: GPL-3.0-or-later
// A directory with hundreds of thousands of entries: every matching file is
// counted once and wiped once while the listing goes on, and nothing else
// is touched.
#include "core/Operation.h"
#include "prefs/Settings.h"
#include "sweep/DirectorySweep.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

using namespace tw;

namespace {

int CountEntries(const std::string& dir)
{
    DIR* d = opendir(dir.c_str());
    int n = 0;
    while (dirent* e = readdir(d))
        n += e->d_name[0] != '.';
    closedir(d);
    return n;
}

} // namespace

TEST(LargeDirectoryTest, TwoHundredThousandEntriesAreSweptCompletely)
{
    // tmpfs: the test is about the listing, not about the device.
    test::TmpfsMount volume("1G");  // a page per one-byte file
    if (!volume.Available())
        GTEST_SKIP() << volume.SkipReason();
    test::ClearSettings();
    CSettings::Write(Setting::FileTypes, "*.tmp!");

    constexpr int kFiles = 200000;
    const std::string dir = volume.Path() + "/big";
    ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
    const int dirfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(dirfd, 0);
    for (int i = 0; i < kFiles; ++i) {
        // Every third file matches; each holds a byte so the overwrite shows.
        const std::string name = "f" + std::to_string(i) + (i % 3 == 0 ? ".tmp" : ".keep");
        const int fd = openat(dirfd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(fd, 0) << name;
        ASSERT_EQ(write(fd, "s", 1), 1);
        close(fd);
    }
    close(dirfd);
    const int matching = (kFiles + 2) / 3;

    test::ScriptedHost host;
    test::FakeDriveTable drives;
    WipeBuffer buffer;
    FillWipeBuffer(buffer);
    Operation op(buffer, host, drives);
    EXPECT_EQ(SweepDirectory(op, dir, kSweepCounting, nullptr, false), matching);
    EXPECT_EQ(CountEntries(dir), kFiles) << "counting changes nothing";

    auto progress = host.CreateProgress();
    EXPECT_EQ(SweepDirectory(op, dir, kSweepDeleting, progress.get(), false), 0);
    EXPECT_EQ(host.progress.steps, matching) << "every match wiped exactly once";
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(CountEntries(dir), kFiles - matching);
    EXPECT_EQ(SweepDirectory(op, dir, kSweepCounting, nullptr, false), 0);
    EXPECT_TRUE(test::Exists(dir + "/f1.keep"));
    EXPECT_FALSE(test::Exists(dir + "/f0.tmp"));
}
