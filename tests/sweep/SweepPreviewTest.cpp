// SPDX-License-Identifier: GPL-3.0-or-later
// The preview of the sweeps: it lists exactly what the deleting pass then
// destroys (links, FIFOs and other mounts passed by the same way), writes
// nothing, says what a command would say instead of sweeping, and stops
// between two entries when told to from another thread.
#include "sweep/SweepPreview.h"
#include "tests/sweep/SweepFixture.h"

#include "sweep/LocationSweeps.h"

#include <future>
#include <set>
#include <sys/stat.h>

using namespace tw;
using namespace tw::test;

namespace {

struct Collect : IPreviewObserver {
    std::vector<std::unique_ptr<PreviewResult>> results;
    uint64_t files = 0;
    std::function<void()> onFound;
    void Found(uint64_t f, uint64_t) override
    {
        files = f;
        if (onFound)
            onFound();
    }
    void Finished(std::unique_ptr<PreviewResult> r) override { results.push_back(std::move(r)); }

    const PreviewResult* For(PreviewTarget target) const
    {
        for (const auto& r : results)
            if (r->target == target)
                return r.get();
        return nullptr;
    }
};

std::set<std::string> Listed(const PreviewResult& r)
{
    std::set<std::string> paths;
    for (const auto& d : r.directories)
        for (const auto& f : d.listed)
            paths.insert(d.path + "/" + f.name);
    return paths;
}

class SweepPreviewTest : public SweepFixture {};

} // namespace

TEST_F(SweepPreviewTest, ListsExactlyWhatTheSweepThenDestroysAndWritesNothing)
{
    TempDir temp, outside;
    mkdir((temp / "sub").c_str(), 0755);
    mkdir((temp / "sub/deeper").c_str(), 0755);
    mkdir((temp / "mnt").c_str(), 0755);
    for (const char* name : {"a.tmp", "b.txt", "sub/c.tmp", "sub/deeper/d.tmp", "sub/deeper/e.TMP"})
        WriteFile(temp / name, std::string("contents of ") + name);
    WriteFile(outside / "victim.tmp", "not here");
    ASSERT_EQ(symlink((outside / "victim.tmp").c_str(), (temp / "link.tmp").c_str()), 0);
    ASSERT_EQ(symlink(outside.Path().c_str(), (temp / "linkdir").c_str()), 0);
    ASSERT_EQ(mkfifo((temp / "pipe.tmp").c_str(), 0644), 0);
    MountAt mount = MountAt::Tmpfs(temp / "mnt");
    if (mount.Available())
        WriteFile(temp / "mnt/m.tmp", "another file system");

    CSettings::Write(Setting::TemporaryPath, temp.Path());
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    CSettings::WriteBool(Setting::Subdirectories, true);

    struct stat before {};
    ASSERT_EQ(stat((temp / "a.tmp").c_str(), &before), 0);

    CSweepPreview preview(drives);
    Collect seen;
    preview.Run(seen);
    ASSERT_EQ(seen.results.size(), 4u);
    const PreviewResult* tempResult = seen.For(PreviewTarget::Temp);
    ASSERT_NE(tempResult, nullptr);
    EXPECT_TRUE(tempResult->complete);
    const std::set<std::string> expected = {temp / "a.tmp", temp / "sub/c.tmp", temp / "sub/deeper/d.tmp"};
    EXPECT_EQ(Listed(*tempResult), expected);
    EXPECT_EQ(tempResult->files, 3u);
    uint64_t bytes = 0;
    for (const std::string& p : expected)
        bytes += ReadFile(p).size();
    EXPECT_EQ(tempResult->bytes, bytes);
    // Grouped by directory, each with its own figures.
    ASSERT_EQ(tempResult->directories.size(), 3u);
    for (const auto& d : tempResult->directories)
        EXPECT_EQ(d.files, 1u) << d.path;

    // Nothing was opened for writing: contents and times as they were.
    struct stat after {};
    ASSERT_EQ(stat((temp / "a.tmp").c_str(), &after), 0);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(ReadFile(temp / "a.tmp"), "contents of a.tmp");

    // The commands with no path say so instead; the sweep by preferences
    // sweeps the one location that is set.
    EXPECT_EQ(seen.For(PreviewTarget::Cache)->notes, std::vector<std::string>{"Internet Cache Path Not Entered"});
    EXPECT_EQ(seen.For(PreviewTarget::Other)->notes, std::vector<std::string>{"Other Path Not Entered"});
    EXPECT_EQ(Listed(*seen.For(PreviewTarget::Preferences)), expected);
    EXPECT_EQ(seen.files, 6u);  // the running count covers every command

    // The sweep itself now takes exactly those files.
    SecureDeleteTemp(op);
    std::set<std::string> destroyed;
    for (const ItemResult& r : host.records)
        if (r.destroyed)
            destroyed.insert(r.path);
    EXPECT_EQ(destroyed, expected);
    for (const std::string& p : expected)
        EXPECT_FALSE(Exists(p)) << p;
    EXPECT_EQ(ReadFile(outside / "victim.tmp"), "not here");
    EXPECT_TRUE(Exists(temp / "pipe.tmp"));
    EXPECT_TRUE(Exists(temp / "sub/deeper/e.TMP"));
    if (mount.Available()) {
        EXPECT_TRUE(Exists(temp / "mnt/m.tmp"));
    }
}

TEST_F(SweepPreviewTest, AStopFromAnotherThreadEndsTheWalkBeforeItsNextEntry)
{
    TempDir temp;
    for (int i = 0; i < 50; ++i)
        WriteFile(temp / ("f" + std::to_string(i) + ".tmp"), "x");
    CSettings::Write(Setting::InternetCachePath, temp.Path());
    CSettings::Write(Setting::TemporaryPath, temp.Path());
    CSettings::WriteBool(Setting::AllInternetCache, true);

    CSweepPreview preview(drives);
    Collect seen;
    std::promise<void> firstFound, stopped;
    std::shared_future<void> stoppedFuture = stopped.get_future().share();
    seen.onFound = [&] {
        if (seen.files == 1) {
            firstFound.set_value();
            stoppedFuture.wait();  // the walk resumes only after the stop
        }
    };
    std::thread worker([&] { preview.Run(seen); });
    firstFound.get_future().wait();
    preview.Stop();  // as the window does when it is closed
    stopped.set_value();
    worker.join();

    EXPECT_TRUE(preview.Stopped());
    EXPECT_EQ(seen.files, 1u);
    ASSERT_EQ(seen.results.size(), 1u) << "no further command is walked";
    EXPECT_FALSE(seen.results[0]->complete);
    EXPECT_EQ(seen.results[0]->files, 1u);
}

TEST_F(SweepPreviewTest, PastTheLimitFilesAreCountedNotListed)
{
    TempDir temp;
    for (int i = 0; i < 5; ++i)
        WriteFile(temp / ("f" + std::to_string(i) + ".tmp"), "12345");
    CSettings::Write(Setting::OtherPath, temp.Path());
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    CSweepPreview preview(drives, 3);
    Collect seen;
    preview.Run(seen);
    const PreviewResult* other = seen.For(PreviewTarget::Other);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->files, 5u);
    EXPECT_EQ(other->bytes, 25u);
    EXPECT_EQ(Listed(*other).size(), 3u);
    EXPECT_EQ(other->unlisted, 2u);
    EXPECT_EQ(other->unlistedBytes, 10u);
    EXPECT_EQ(other->directories[0].files, 5u);
}

TEST_F(SweepPreviewTest, TheSweepByPreferencesOverDrivesNotesWhatItCannotReach)
{
    TempDir root;
    WriteFile(root / "x.tmp", "x");
    drives.roots['C'] = "/nonexistent-root";
    drives.roots['D'] = root.Path();
    drives.current = 3;
    CSettings::WriteBool(Setting::All, true);
    CSettings::Write(Setting::Drives, "D!Q!");
    CSettings::Write(Setting::FileTypes, "*.tmp!");

    CSweepPreview preview(drives);
    Collect seen;
    preview.Run(seen);
    const PreviewResult* byPreferences = seen.For(PreviewTarget::Preferences);
    ASSERT_NE(byPreferences, nullptr);
    EXPECT_EQ(Listed(*byPreferences), std::set<std::string>{root / "x.tmp"});
    EXPECT_EQ(byPreferences->notes, std::vector<std::string>{"Q Not Accessible"});
    EXPECT_EQ(drives.current, 3) << "the current drive is put back";

    // Nothing marked: the preview says why the sweep would do nothing.
    CSettings::Write(Setting::Drives, "");
    Collect none;
    CSweepPreview again(drives);
    again.Run(none);
    EXPECT_EQ(none.For(PreviewTarget::Preferences)->notes, std::vector<std::string>{"No drive is marked in the preferences"});
    CSettings::WriteBool(Setting::All, false);
    Collect unset;
    CSweepPreview third(drives);
    third.Run(unset);
    EXPECT_EQ(unset.For(PreviewTarget::Preferences)->notes, std::vector<std::string>{"No location is set in the preferences"});
}
