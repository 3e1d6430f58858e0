// SPDX-License-Identifier: GPL-3.0-or-later
// A sweep destroys its files in batches that share one flush: on a real
// ext4 device not one byte of a matching file is left and every other file
// is intact, as the raw image shows. The settings a sweep takes at every
// directory are read from the store again only when its file has changed.
#include "sweep/DirectorySweep.h"
#include "tests/sweep/SweepFixture.h"

#include "wipe/FileWiper.h"

#include <fstream>
#include <iterator>
#include <set>
#include <sys/stat.h>

using namespace tw;
using namespace tw::test;

namespace {

// The numbers that follow `prefix` wherever it occurs in the file.
std::set<int> Occurrences(const std::string& path, const std::string& prefix)
{
    std::ifstream in(path, std::ios::binary);
    const std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::set<int> found;
    for (size_t at = image.find(prefix); at != std::string::npos; at = image.find(prefix, at + 1))
        found.insert(std::atoi(image.c_str() + at + prefix.size()));
    return found;
}

std::string Marked(const std::string& prefix, int n, size_t size)
{
    const std::string line = prefix + std::to_string(n) + "\n";
    std::string content;
    while (content.size() < size)
        content += line;
    return content;
}

class BatchedSweepTest : public SweepFixture {};

// More matching files than one batch holds, in several directories, among
// files that do not match.
TEST_F(BatchedSweepTest, NotOneByteOfTheMatchesIsLeftOnTheRawImageAndEveryOtherFileIsIntact)
{
    LoopExt4Mount volume(64);
    if (!volume.Available())
        GTEST_SKIP() << volume.SkipReason();
    const std::string gone = "GONE-" + std::to_string(getpid()) + "-";
    const std::string kept = "KEPT-" + std::to_string(getpid()) + "-";
    const int kDirs = 4, kPerDir = 160;
    std::set<int> keptNumbers, goneNumbers;
    std::vector<std::string> goneFiles;
    for (int d = 0; d < kDirs; ++d) {
        const std::string dir = volume.Path() + "/d" + std::to_string(d);
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
        for (int f = 0; f < kPerDir; ++f) {
            const int n = d * kPerDir + f;
            const bool match = f % 2 == 0;
            const std::string name = "f" + std::to_string(f) + (match ? ".tmp" : ".keep");
            WriteFile(dir + "/" + name, Marked(match ? gone : kept, n, size_t(500 + (n * 997) % 9000)));
            (match ? goneNumbers : keptNumbers).insert(n);
            if (match)
                goneFiles.push_back("d" + std::to_string(d) + "/" + name);
        }
    }
    ASSERT_EQ(RunCommand("sync"), 0);
    ASSERT_EQ(Occurrences(volume.Image(), gone), goneNumbers) << "the old contents must be on the device first";
    const TreeSnapshot before = SnapshotTree(volume.Path());
    CSettings::Write(Setting::Subdirectories, "TRUE");
    CSettings::Write(Setting::FileTypes, "*.tmp!");

    auto box = host.CreateProgress();
    SweepDirectory(op, volume.Path(), kSweepDeleting, box.get(), false);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(host.progress.steps, kDirs * kPerDir / 2);
    EXPECT_EQ(host.records.size(), goneFiles.size());
    EXPECT_EQ(SnapshotTree(volume.Path()), Without(before, goneFiles));
    ASSERT_TRUE(volume.Unmount());
    EXPECT_EQ(Occurrences(volume.Image(), gone), std::set<int>{});
    EXPECT_EQ(Occurrences(volume.Image(), kept), keptNumbers);
}

// Makes the settings file look as if it had been written an hour ago, so
// that an unchanged stamp can be trusted.
void AgeSettingsFile()
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, {time(nullptr) - 3600, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, CSettings::FilePath().c_str(), times, 0), 0);
}

TEST_F(BatchedSweepTest, SettingsAreReadOnceWhileTheirFileIsUnchanged)
{
    TempDir dir;
    for (int d = 0; d < 20; ++d) {
        const std::string sub = dir / ("d" + std::to_string(d));
        ASSERT_EQ(mkdir(sub.c_str(), 0755), 0);
        WriteFile(sub + "/x.tmp", "x");
    }
    CSettings::Write(Setting::Subdirectories, "TRUE");
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    AgeSettingsFile();
    CStoredSweepSettings settings;
    EXPECT_EQ(SweepDirectory(op, dir.Path(), kSweepCounting, nullptr, false, settings), 20);
    EXPECT_EQ(settings.Reads(), 1);
}

// A change made while a sweep runs takes effect at the next directory:
// the directory being listed keeps the settings it was entered with.
TEST_F(BatchedSweepTest, AChangeMadeDuringASweepTakesEffectAtTheNextDirectory)
{
    TempDir dir;
    for (const char* sub : {"a", "b"}) {
        ASSERT_EQ(mkdir((dir / sub).c_str(), 0755), 0);
        WriteFile(dir / sub + "/x.tmp", "x");
        WriteFile(dir / sub + "/y.log", "y");
    }
    const std::vector<std::string> order = ListingOrder(dir.Path());
    CSettings::Write(Setting::Subdirectories, "TRUE");
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    AgeSettingsFile();
    CStoredSweepSettings settings;
    std::vector<std::string> matched;
    op.onMatch = [&](const std::string& path, uint64_t) {
        matched.push_back(path);
        if (matched.size() == 1)
            CSettings::Write(Setting::FileTypes, "*.log!");
    };
    EXPECT_EQ(SweepDirectory(op, dir.Path(), kSweepCounting, nullptr, false, settings), 2);
    EXPECT_EQ(matched, (std::vector<std::string>{dir / order[0] + "/x.tmp", dir / order[1] + "/y.log"}));
    EXPECT_EQ(settings.Reads(), 2);
}

} // namespace
