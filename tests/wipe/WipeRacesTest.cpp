// SPDX-License-Identifier: GPL-3.0-or-later
// Other programs acting on the files while they are being destroyed, at the
// moment between a file's overwrite and the removal of its name: a file
// saved over the name (a new file renamed over it, as editors save), a name
// removed, a whole folder removed. Each acts as a real second process, on a
// real ext4 volume; afterwards everything outside the selection is exactly
// as it was, and the raw image holds none of the overwritten contents.
// And a batch waits at most about a second, even while the walk is held up.
#include "core/CommandIds.h"
#include "platform/FileError.h"
#include "platform/WipeTarget.h"
#include "sweep/DirectorySweep.h"
#include "tests/TestSupport.h"
#include "tests/sweep/SweepFixture.h"
#include "wipe/FileWiper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw;
using namespace tw::test;

namespace {

const std::string kReplaced =
    "Another program replaced or moved this file while it was being destroyed; what its name holds now was not "
    "touched [ 11 ]";
const std::string kVanished = "Removed by another program after it was overwritten";

BatchDirectory OpenBatchDirectory(const std::string& path)
{
    const int fd = open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    BatchDirectory dir = CBatchDirectory::Duplicate(fd);
    close(fd);
    return dir;
}

std::string Marked(const std::string& marker, size_t size)
{
    std::string content;
    while (content.size() < size)
        content += marker + "\n";
    return content;
}

class WipeRacesTest : public SweepFixture {
protected:
    void SetUp() override
    {
        SweepFixture::SetUp();
        if (!volume.Available())
            GTEST_SKIP() << volume.SkipReason();
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
        WriteFile(volume.Path() + "/outside.txt", "not chosen");
    }
    void TearDown() override { SetAfterOverwriteHook(nullptr); }

    // f0 ... f(n-1) in `where`, each marked "OLD-<pid>-<where>-<i>".
    std::vector<std::string> MakeFiles(const std::string& where, int n, const std::string& suffix = "")
    {
        std::vector<std::string> paths;
        for (int i = 0; i < n; ++i) {
            paths.push_back(where + "/f" + std::to_string(i) + suffix);
            WriteFile(paths.back(), Marked(Marker(where, i), size_t(3000 + 1000 * i)));
        }
        return paths;
    }
    std::string Marker(const std::string& where, int i) const
    {
        return "OLD-" + std::to_string(getpid()) + where.substr(volume.Path().size()) + "-" + std::to_string(i);
    }
    std::string Relative(const std::string& path) const { return path.substr(volume.Path().size() + 1); }

    LoopExt4Mount volume{32};
    const std::string dir = volume.Path() + "/d";
};

// An editor saves a file whose name waits in a batch: its new file is
// renamed over the name. The new file stays, exactly as saved; the chosen
// file was overwritten (no byte of it is left on the device) and is
// reported as left, since what its name holds now was not touched.
TEST_F(WipeRacesTest, AFileSavedOverAWaitingNameIsLeftAloneInABatchAndFileByFile)
{
    const std::vector<std::string> files = MakeFiles(dir, 5);
    const std::string victim = files[2];
    SetAfterOverwriteHook([&](const std::string& path) {
        if (path == victim)
            RunCommand("printf 'saved by the editor' > " + dir + "/.f2.swp && mv -f " + dir + "/.f2.swp " + victim);
    });
    ASSERT_EQ(RunCommand("sync"), 0);
    TreeSnapshot before = SnapshotTree(volume.Path());

    // In a batch, as a sweep or "Yes To All" destroys them.
    host.fileErrorAnswers = {IDC_IGNORE};
    {
        CWipeBatch batch(op, nullptr);
        const BatchDirectory d = OpenBatchDirectory(dir);
        for (const std::string& path : files)
            ASSERT_EQ(batch.Add(d, path.substr(dir.size() + 1), path), 1);
        EXPECT_EQ(batch.Finish(), 1);
    }
    std::vector<std::string> expected;
    for (const std::string& path : files)
        if (path == victim) {
            expected.push_back("record " + path + " left 11");
            expected.push_back("file " + path + "|" + kReplaced);
        } else {
            expected.push_back("record " + path + " destroyed");
        }
    EXPECT_EQ(host.log, expected);
    EXPECT_EQ(ReadFile(victim), "saved by the editor");

    // Secure Delete File of that one file, saved over once more.
    WriteFile(victim, Marked(Marker(dir, 2), 3 << 20));
    ASSERT_EQ(RunCommand("sync"), 0);
    host.log.clear();
    host.fileErrorAnswers = {IDC_CANCEL_OPERATION};
    EXPECT_EQ(WipeFile(op, victim, nullptr), 0);
    EXPECT_EQ(host.log, (std::vector<std::string>{"record " + victim + " left 11", "file " + victim + "|" + kReplaced}));
    EXPECT_EQ(ReadFile(victim), "saved by the editor");

    std::vector<std::string> gone;
    for (const std::string& path : files)
        gone.push_back(Relative(path));
    TreeSnapshot after = SnapshotTree(volume.Path());
    after.erase(Relative(victim));
    EXPECT_EQ(after, Without(before, gone));
    ASSERT_TRUE(volume.Unmount());
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(FileContains(volume.Image(), Marker(dir, i))) << i;
}

// The narrowest gap: a file saved over the name after the name was found
// to be the chosen file and before it is renamed. The rename then takes
// the new file; it gets its name back, untouched, and nothing else is left
// in the folder.
std::string g_savedOver;
TEST_F(WipeRacesTest, AFileSavedOverTheNameJustBeforeItsRenameGetsItsNameBack)
{
    const std::string victim = dir + "/letter.txt";
    WriteFile(victim, Marked(Marker(dir, 0), 70000));
    g_savedOver = dir;
    SetBeforeRenameHook([](const std::string& name) {
        RunCommand("printf 'the new letter' > " + g_savedOver + "/.new && mv -f " + g_savedOver + "/.new "
                   + g_savedOver + "/" + name);
    });
    host.fileErrorAnswers = {IDC_IGNORE};
    EXPECT_EQ(WipeFile(op, victim, nullptr), 1);
    SetBeforeRenameHook(nullptr);
    EXPECT_EQ(host.log, (std::vector<std::string>{"record " + victim + " left 11", "file " + victim + "|" + kReplaced}));
    EXPECT_EQ(ReadFile(victim), "the new letter");
    EXPECT_EQ(ListingOrder(dir), std::vector<std::string>{"letter.txt"});
    ASSERT_TRUE(volume.Unmount());
    EXPECT_FALSE(FileContains(volume.Image(), Marker(dir, 0)));
}

// Another program removes one of the files after its overwrite, and then a
// whole folder the sweep is in. Neither is an error: the files were
// overwritten and flushed before their names went, and the sweep goes on to
// the folders after them.
TEST_F(WipeRacesTest, NamesAndAFolderRemovedByAnotherProgramDoNotStopTheSweep)
{
    std::vector<std::string> dirs;
    for (const char* name : {"a", "b", "c"}) {
        dirs.push_back(dir + "/" + name);
        ASSERT_EQ(mkdir(dirs.back().c_str(), 0755), 0);
        MakeFiles(dirs.back(), 6, ".tmp");
        WriteFile(dirs.back() + "/kept.txt", "not a match");
    }
    CSettings::Write(Setting::Subdirectories, "TRUE");
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    ASSERT_EQ(RunCommand("sync"), 0);
    const TreeSnapshot before = SnapshotTree(volume.Path());

    // The first file overwritten loses its name; the first file overwritten
    // in the second folder the sweep enters takes its whole folder along.
    std::vector<std::string> overwritten;
    std::string removedFolder;
    SetAfterOverwriteHook([&](const std::string& path) {
        overwritten.push_back(path);
        const std::string folder = path.substr(0, path.rfind('/'));
        if (overwritten.size() == 1)
            RunCommand("rm " + path);
        else if (removedFolder.empty() && folder != overwritten.front().substr(0, overwritten.front().rfind('/'))) {
            removedFolder = folder;
            RunCommand("rm -rf " + folder);
        }
    });
    auto box = host.CreateProgress();
    SweepDirectory(op, dir, kSweepDeleting, box.get(), false);
    ASSERT_FALSE(removedFolder.empty());

    EXPECT_TRUE(host.questions.empty()) << host.questions.front().second;
    EXPECT_EQ(op.m_bContinue, 1);
    // Every overwritten file is recorded destroyed; the two removed by the
    // other program say so. The first and the last folder were swept to
    // their ends; of the removed one only the file overwritten before it went.
    EXPECT_EQ(overwritten.size(), 6u + 1u + 6u);
    ASSERT_EQ(host.records.size(), overwritten.size());
    std::vector<std::string> gone;
    for (size_t i = 0; i < host.records.size(); ++i) {
        const ItemResult& item = host.records[i];
        EXPECT_EQ(item.path, overwritten[i]);
        EXPECT_TRUE(item.destroyed) << item.path;
        const bool byOther = i == 0 || item.path.rfind(removedFolder + "/", 0) == 0;
        EXPECT_EQ(item.message, byOther ? kVanished : "") << item.path;
        gone.push_back(Relative(item.path));
    }
    EXPECT_EQ(host.progress.steps, (long long)overwritten.size());

    // Outside the selection and the removed folder nothing changed.
    TreeSnapshot expected = Without(before, gone);
    for (auto it = expected.begin(); it != expected.end();)
        it = it->first.rfind(Relative(removedFolder), 0) == 0 ? expected.erase(it) : std::next(it);
    EXPECT_EQ(SnapshotTree(volume.Path()), expected);
    ASSERT_TRUE(volume.Unmount());
    for (const std::string& path : overwritten) {
        const std::string folder = path.substr(0, path.rfind('/'));
        const int i = std::atoi(path.c_str() + path.rfind("/f") + 2);
        EXPECT_FALSE(FileContains(volume.Image(), Marker(folder, i))) << path;
    }
}

// A walk held up after an overwrite (here by a hook that waits) does not
// hold up the files before: within about a second they are flushed, cut
// and removed, and told in order when the walk goes on.
TEST_F(WipeRacesTest, AFileWaitsAboutASecondAtMostWhileTheWalkIsHeldUp)
{
    const std::vector<std::string> files = MakeFiles(dir, 4);
    const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, dir.c_str(), IN_MOVED_FROM | IN_DELETE), 0);

    // While the second file's overwrite holds the walk, the first file's
    // name must go; a minute is ample for a bound of a second.
    bool goneWhileHeld = false;
    SetAfterOverwriteHook([&](const std::string& path) {
        if (path != files[1])
            return;
        const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (!goneWhileHeld && std::chrono::steady_clock::now() < until) {
            struct pollfd p = {watch, POLLIN, 0};
            if (poll(&p, 1, 1000) <= 0)
                continue;
            alignas(struct inotify_event) char events[4096];
            const ssize_t n = read(watch, events, sizeof events);
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const struct inotify_event*>(events + at);
                if (e->len && std::string(e->name) == "f0")
                    goneWhileHeld = true;
                at += ssize_t(sizeof(struct inotify_event) + e->len);
            }
        }
    });
    {
        CWipeBatch batch(op, nullptr);
        const BatchDirectory d = OpenBatchDirectory(dir);
        for (const std::string& path : files)
            ASSERT_EQ(batch.Add(d, path.substr(dir.size() + 1), path), 1);
        EXPECT_EQ(batch.Finish(), 1);
    }
    close(watch);
    EXPECT_TRUE(goneWhileHeld) << "the first file still had its name while the walk was held up";
    std::vector<std::string> expected;
    for (const std::string& path : files)
        expected.push_back("record " + path + " destroyed");
    EXPECT_EQ(host.log, expected);
    for (const std::string& path : files)
        EXPECT_FALSE(Exists(path));
}

} // namespace
