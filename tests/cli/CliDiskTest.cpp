// SPDX-License-Identifier: GPL-3.0-or-later
// tarnowick-cli empty-space, drives and overcommit: the free space of a
// loop-mounted volume overwritten (the image read afterwards), the drives
// of the window's last choice, a drive that is not there, SIGTERM in the
// middle of a fill, the drive list, and the memory the system grants.
#include "disk/SwapOvercommit.h"
#include "tests/cli/CliFixture.h"

#include "platform/Filler.h"
#include "platform/Reserve.h"

#include <csignal>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <thread>

using namespace tw;
using namespace tw::test;

namespace {

unsigned long long FreeBytes(const std::string& path)
{
    struct statvfs s {};
    EXPECT_EQ(statvfs(path.c_str(), &s), 0) << path;
    return (unsigned long long)s.f_bfree * s.f_frsize;
}

std::vector<std::string> FillersIn(const std::string& directory)
{
    std::vector<std::string> names;
    for (const std::string& name : ListingOrder(directory))
        if (name.rfind(kFillerPrefix, 0) == 0)
            names.push_back(name);
    return names;
}

class CliDiskTest : public ::testing::Test {
protected:
    void SetUp() override { ClearSettings(); }
};

TEST_F(CliDiskTest, EmptySpaceOverwritesWhatARemovedFileLeftOnTheDevice)
{
    LetteredVolume volume(48);
    if (!volume.Available())
        GTEST_SKIP() << volume.SkipReason();
    ASSERT_GE(volume.Letter(), 'D');
    // A file removed the ordinary way: its blocks are free, its contents
    // are still on the device.
    const std::string removed = volume.Path() + "/removed.txt";
    WriteOnDevice(removed, SecretContents("CLI-SPACE-GONE-4b7c", 200000));
    ASSERT_EQ(unlink(removed.c_str()), 0);
    SyncVolume(volume.Path());
    ASSERT_TRUE(FileContains(volume.Image(), "CLI-SPACE-GONE-4b7c"));
    const unsigned long long freeBefore = FreeBytes(volume.Path());

    const CliResult run = RunCli({{"empty-space", "--json", volume.LetterText()}});
    EXPECT_EQ(run.status, 0) << run.err;
    const JsonRun json = SplitJson(run);
    ASSERT_EQ(json.items.size(), 1u) << run.out;
    EXPECT_EQ(Str(json.items[0], "kind"), "drive");
    EXPECT_EQ(PathOf(json.items[0]), volume.LetterText() + ": " + volume.Path());
    EXPECT_EQ(Str(json.items[0], "result"), "destroyed");
    EXPECT_GE((unsigned long long)Num(json.items[0], "size"), freeBefore * 9 / 10);
    EXPECT_EQ(Str(json.summary, "command"), "empty-space");
    EXPECT_EQ(Num(json.summary, "destroyed"), 1);
    EXPECT_TRUE(FillersIn(volume.Path()).empty());
    EXPECT_EQ(FreeBytes(volume.Path()), freeBefore);

    // The old bytes are gone from the device. (The pattern itself need not
    // be there: the discard after the wipe lets the loop device punch the
    // freed blocks out of its image.)
    ASSERT_TRUE(volume.Unmount());
    EXPECT_FALSE(FileContains(volume.Image(), "CLI-SPACE-GONE-4b7c"));
}

TEST_F(CliDiskTest, WithoutLettersTheDrivesLastChosenInTheWindowAreWiped)
{
    LetteredVolume volume(16);
    if (!volume.Available())
        GTEST_SKIP() << volume.SkipReason();
    const CliResult none = RunCli({{"empty-space"}});
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("No drives chosen"), std::string::npos) << none.err;

    CSettings::Write(Setting::Drives2, volume.LetterText() + "!");
    const CliResult run = RunCli({{"empty-space", "--json"}});
    EXPECT_EQ(run.status, 0) << run.err;
    const JsonRun json = SplitJson(run);
    ASSERT_EQ(json.items.size(), 1u);
    EXPECT_EQ(PathOf(json.items[0]), volume.LetterText() + ": " + volume.Path());
    // The choice is the window's to make: the command line leaves it be.
    EXPECT_EQ(CSettings::Read(Setting::Drives2), volume.LetterText() + "!");
}

// A fill that was killed left a named filler (FAT has no other kind): the
// next headless run gives it back before it does anything else, as the
// window does when it starts; a dry run changes nothing.
TEST_F(CliDiskTest, AFillerAKilledRunLeftIsGivenBackAtTheNextRun)
{
    LetteredVolume volume(16);
    if (!volume.Available())
        GTEST_SKIP() << volume.SkipReason();
    const std::string filler = volume.Path() + "/" + kFillerPrefix + "0123456789abcdef";
    const std::string notes = volume.Path() + "/" + kFillerPrefix + "notes.txt";
    WriteFile(filler, std::string(1 << 20, 'F'));
    WriteFile(notes, "the user's own file");
    ASSERT_EQ(chmod(filler.c_str(), 0600), 0);
    test::TempDir temp;
    CSettings::Write(Setting::TemporaryPath, temp.Path());
    CSettings::Write(Setting::AllTemporary, "TRUE");

    const CliResult dry = RunCli({{"sweep", "temp", "--dry-run", "-q"}});
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(access(filler.c_str(), F_OK), 0) << "a dry run removed a leftover filler";

    const unsigned long long freeBefore = FreeBytes(volume.Path());
    const CliResult run = RunCli({{"sweep", "temp", "-q"}});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(access(filler.c_str(), F_OK), 0) << "the leftover filler is still there";
    EXPECT_GE(FreeBytes(volume.Path()), freeBefore + (1 << 20));
    EXPECT_EQ(ReadFile(notes), "the user's own file");
}

TEST_F(CliDiskTest, ADriveThatIsNotThereIsLeftOrStopsTheCommand)
{
    const CliResult skipped = RunCli({{"empty-space", "--json", "z"}});
    EXPECT_EQ(skipped.status, 1);
    const JsonRun json = SplitJson(skipped);
    ASSERT_EQ(json.items.size(), 1u);
    EXPECT_EQ(PathOf(json.items[0]), "Z:");
    EXPECT_EQ(Str(json.items[0], "result"), "left");
    // Why, in words, not the letter alone.
    const std::string why = "Z: no drive with this letter is mounted now, so its free space was not overwritten.";
    EXPECT_EQ(Str(json.items[0], "message"), why);
    EXPECT_NE(skipped.err.find("Error During Secure Disk: " + why + " (Ignore Disk)"), std::string::npos) << skipped.err;

    const CliResult stopped = RunCli({{"empty-space", "--on-error=stop", "Z", "Y"}});
    EXPECT_EQ(stopped.status, 3);
    EXPECT_EQ(stopped.err.find("Error During Secure Disk: Y"), std::string::npos) << "went on after the stop";
    EXPECT_NE(stopped.err.find("(Cancel Operation)"), std::string::npos) << stopped.err;
}

// SIGTERM while the volume fills: the program stops, gives every byte back
// and removes its fillers before it exits.
TEST_F(CliDiskTest, SigtermDuringTheFillLeavesNothingBehind)
{
    LetteredVolume volume(384);
    if (!volume.Available())
        GTEST_SKIP() << volume.SkipReason();
    const unsigned long long freeBefore = FreeBytes(volume.Path());

    CliChild child({{"empty-space", "--json", volume.LetterText()}});
    // Wait until the fill has taken a good part of the volume.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    bool filling = false;
    while (!filling && std::chrono::steady_clock::now() < deadline) {
        child.Drain();
        filling = FreeBytes(volume.Path()) < freeBefore / 2;
        if (!filling)
            std::this_thread::yield();
    }
    ASSERT_TRUE(filling) << "the fill never took half the volume";
    child.Signal(SIGTERM);
    const CliResult result = child.Wait();

    EXPECT_EQ(result.status, 3) << result.err;
    const JsonRun json = SplitJson(result);
    EXPECT_EQ(Str(json.summary, "stopped"), "signal");
    EXPECT_EQ(Str(json.summary, "signal"), "SIGTERM");
    EXPECT_TRUE(FillersIn(volume.Path()).empty());
    EXPECT_EQ(FreeBytes(volume.Path()), freeBefore) << "space still taken after the program ended";
}

// A crash in the middle of a root fill on ext4: the reserve the fill had
// lowered is back the moment the process has died, not only at the next
// start, and the kernel has freed the unnamed fillers.
TEST_F(CliDiskTest, ACrashDuringTheFillGivesTheReserveBackAtOnce)
{
    LetteredVolume volume(384);
    if (!volume.Available())
        GTEST_SKIP() << volume.SkipReason();
    struct stat st {};
    ASSERT_EQ(stat(volume.Path().c_str(), &st), 0);
    const std::string reserveFile = ReserveFileOf(st.st_dev);
    if (reserveFile.empty() || geteuid() != 0)
        GTEST_SKIP() << "no ext4 reserve to lower here (needs root and /sys/fs/ext4)";
    const std::string reserveBefore = ReadFile(reserveFile);
    ASSERT_NE(reserveBefore, "0\n");
    const unsigned long long freeBefore = FreeBytes(volume.Path());

    CliChild child({{"empty-space", "--json", volume.LetterText()}});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    bool lowered = false;
    while (!lowered && std::chrono::steady_clock::now() < deadline) {
        child.Drain();
        lowered = ReadFile(reserveFile) == "0\n" && FreeBytes(volume.Path()) < freeBefore / 2;
        if (!lowered)
            std::this_thread::yield();
    }
    ASSERT_TRUE(lowered) << "the fill never lowered the reserve and took half the volume";
    child.Signal(SIGSEGV);
    const CliResult result = child.Wait();

    EXPECT_EQ(result.status, 128 + SIGSEGV) << result.err;
    EXPECT_EQ(ReadFile(reserveFile), reserveBefore);
    EXPECT_EQ(FreeBytes(volume.Path()), freeBefore) << "space still taken after the program died";
}

TEST_F(CliDiskTest, DrivesListsLettersMountPointsFileSystemsAndSpace)
{
    LetteredVolume volume(16);
    if (!volume.Available())
        GTEST_SKIP() << volume.SkipReason();
    const CliResult json = RunCli({{"drives", "--json"}});
    EXPECT_EQ(json.status, 0);
    bool found = false, root = false;
    for (const QJsonObject& drive : JsonLines(json)) {
        root = root || (Str(drive, "letter") == "C" && Str(drive, "mount_point") == "/");
        if (PathOf(QJsonObject{{QStringLiteral("path"), drive.value(QStringLiteral("mount_point"))}}) != volume.Path())
            continue;
        found = true;
        EXPECT_EQ(Str(drive, "letter"), volume.LetterText());
        EXPECT_EQ(Str(drive, "file_system"), "ext4");
        EXPECT_GT(Num(drive, "size"), 12ll << 20);
        EXPECT_LE(Num(drive, "size"), 16ll << 20);
        EXPECT_GT(Num(drive, "free"), 0);
        EXPECT_LE(Num(drive, "free"), Num(drive, "size"));
        EXPECT_FALSE(drive.value(QStringLiteral("removable")).toBool());
    }
    EXPECT_TRUE(found) << json.out;
    EXPECT_TRUE(root) << json.out;
    // The letter is the window's too: it stands in the settings file.
    EXPECT_EQ(CSettings::ReadDriveLetters()[volume.Letter()], volume.Path());

    const CliResult text = RunCli({{"drives"}});
    EXPECT_EQ(text.status, 0);
    const std::vector<std::string> lines = text.OutLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("Drive  Mount point", 0), 0u) << lines[0];
    bool listed = false;
    for (const std::string& line : lines)
        listed = listed || (line.rfind(volume.LetterText() + ":", 0) == 0 && line.find(volume.Path()) != std::string::npos &&
                            line.find("ext4") != std::string::npos);
    EXPECT_TRUE(listed) << text.out;
}

// Under an address-space limit the allocator refuses early: the program
// holds what it could get, gives it back, reports how much it held and ends
// normally (no memory is left for anything while the blocks are held).
TEST_F(CliDiskTest, OvercommitHoldsWhatTheSystemGrantsAndSaysHowMuch)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves terabytes of address space: no limit can leave the program room";
#endif
    CliLaunch limited({"overcommit", "--json"});
    limited.addressSpaceLimit = 640ll << 20;
    const CliResult run = RunCli(limited);
    if (!SwapConfigured()) {
        // Nothing can be pushed out where no swap is configured: the
        // command says so, takes nothing and did not run.
        EXPECT_EQ(run.status, 2) << run.err;
        const JsonRun json = SplitJson(run);
        EXPECT_TRUE(json.items.empty()) << run.out;
        EXPECT_EQ(Str(json.summary, "result"), "not run");
        EXPECT_NE(run.out.find("No swap space is configured"), std::string::npos) << run.out;
        GTEST_SKIP() << "this machine has no swap, so the memory cannot be held here";
    }
    EXPECT_EQ(run.status, 0) << run.err;
    const JsonRun json = SplitJson(run);
    ASSERT_EQ(json.items.size(), 1u) << run.out;
    EXPECT_EQ(Str(json.items[0], "kind"), "memory");
    EXPECT_EQ(Str(json.items[0], "result"), "destroyed");
    // Most of the limit in large blocks; the small ones take what is left.
    const long long held = Num(json.items[0], "size");
    EXPECT_GT(held, 256ll << 20) << "hardly any large block was taken";
    EXPECT_LT(held, 640ll << 20);
    EXPECT_EQ(Num(json.summary, "bytes"), held);
    EXPECT_EQ(Str(json.summary, "command"), "overcommit");
}

} // namespace
