// SPDX-License-Identifier: GPL-3.0-or-later
// Drive letters and the current drive over hand-written mount tables and the
// real settings store: a letter, once given, must keep naming its volume.
#include "prefs/CDriveTable.h"
#include "core/Operation.h"
#include "sweep/DirectorySweep.h"
#include "prefs/Settings.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

using namespace tw;
namespace fs = std::filesystem;

namespace {

// The kernel's escapes for the characters that would break a mountinfo line.
std::string Escape(const std::string& path)
{
    std::string out;
    for (const char c : path) {
        const auto b = static_cast<unsigned char>(c);
        if (c == ' ' || c == '\t' || c == '\n' || c == '\\' || b >= 0x80) {
            const char esc[] = {'\\', char('0' + (b >> 6)), char('0' + ((b >> 3) & 7)), char('0' + (b & 7))};
            out.append(esc, 4);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

class DriveTableTest : public ::testing::Test {
protected:
    void SetUp() override { test::ClearSettings(); }

    // One ext4 volume of its own device per mount point.
    void Mount(const std::vector<std::string>& points)
    {
        std::string text;
        int id = 100;
        for (const std::string& p : points) {
            const unsigned minor = unsigned(std::hash<std::string>{}(p) % 100000);
            text += std::to_string(id++) + " 1 254:" + std::to_string(minor) + " / " + Escape(p)
                + " rw,relatime - ext4 /dev/vd" + std::to_string(minor) + " rw\n";
        }
        test::WriteFile(mountinfo, text);
    }

    CDriveTable Table() { return CDriveTable(mountinfo, dir / "sys"); }

    static std::map<char, std::string> Letters(const std::vector<DriveInfo>& drives)
    {
        std::map<char, std::string> out;
        for (const DriveInfo& d : drives)
            out[d.letter] = d.root;
        return out;
    }

    test::TempDir dir;
    std::string mountinfo = dir / "mountinfo";
};

// Restores the process's current directory however the test ends.
struct StayIn {
    explicit StayIn(const std::string& path) : before(fs::current_path()) { fs::current_path(path); }
    ~StayIn() { fs::current_path(before); }
    fs::path before;
};

} // namespace

TEST_F(DriveTableTest, RootIsCOthersGetTheLowestFreeLetterFromDAndTheSettingsRememberIt)
{
    Mount({"/", "/home", "/media/ann/USB STICK"});
    CDriveTable table = Table();
    const std::vector<DriveInfo> drives = table.ListDrives();
    ASSERT_EQ(drives.size(), 3u);
    EXPECT_EQ(Letters(drives), (std::map<char, std::string>{{'C', "/"}, {'D', "/home"}, {'E', "/media/ann/USB STICK"}}));
    EXPECT_EQ(CSettings::ReadDriveLetters(),
              (std::map<char, std::string>{{'D', "/home"}, {'E', "/media/ann/USB STICK"}}));
    EXPECT_TRUE(test::FileContains(CSettings::FilePath(), "D=/home"));
}

TEST_F(DriveTableTest, AnAbsentVolumeKeepsItsLetterAndNobodyElseGetsIt)
{
    Mount({"/", "/home", "/media/usb"});
    EXPECT_EQ(Letters(Table().ListDrives()),
              (std::map<char, std::string>{{'C', "/"}, {'D', "/home"}, {'E', "/media/usb"}}));

    // /home is gone; a new volume must not inherit D.
    Mount({"/", "/media/usb", "/mnt/new"});
    CDriveTable table = Table();
    EXPECT_EQ(Letters(table.ListDrives()),
              (std::map<char, std::string>{{'C', "/"}, {'E', "/media/usb"}, {'F', "/mnt/new"}}));

    // Back again, in a later run of the program: the same letters.
    Mount({"/", "/mnt/other", "/home", "/mnt/new"});
    EXPECT_EQ(Letters(Table().ListDrives()),
              (std::map<char, std::string>{{'C', "/"}, {'D', "/home"}, {'F', "/mnt/new"}, {'G', "/mnt/other"}}));
    EXPECT_EQ(CSettings::ReadDriveLetters().size(), 4u);
}

TEST_F(DriveTableTest, GapsAreFilledAndHandWrittenLettersHonoured)
{
    // As a user might write them: a floppy on A, a server tree on X, a letter
    // for a volume that is not here, and C pointing elsewhere (C is only /).
    CSettings::WriteDriveLetter('A', "/media/floppy");
    CSettings::WriteDriveLetter('X', "/srv");
    CSettings::WriteDriveLetter('E', "/gone");
    CSettings::WriteDriveLetter('C', "/mnt/c");
    Mount({"/", "/srv", "/mnt/c", "/a", "/b", "/media/floppy"});
    EXPECT_EQ(Letters(Table().ListDrives()), (std::map<char, std::string>{{'A', "/media/floppy"},
                                                                           {'C', "/"},
                                                                           {'D', "/mnt/c"},
                                                                           {'F', "/a"},
                                                                           {'G', "/b"},
                                                                           {'X', "/srv"}}));
}

TEST_F(DriveTableTest, ListIsAscendingAndVolumesBeyondZGetNoLetter)
{
    std::vector<std::string> points = {"/"};
    for (int i = 0; i < 25; ++i)
        points.push_back("/mnt/v" + std::to_string(100 + i));
    Mount(points);
    const std::vector<DriveInfo> drives = Table().ListDrives();
    ASSERT_EQ(drives.size(), 24u);  // C and D..Z
    for (size_t i = 1; i < drives.size(); ++i) {
        EXPECT_EQ(drives[i].letter, char('D' + i - 1));
        EXPECT_EQ(drives[i].root, points[i]);  // letters go out in mount order
    }
    EXPECT_EQ(drives.front().letter, 'C');
    // The two without a letter get none on a later listing either, while the
    // others keep theirs.
    EXPECT_EQ(Letters(Table().ListDrives()), Letters(drives));
}

TEST_F(DriveTableTest, MountPointsThatAreNotPlainTextKeepTheirLetters)
{
    const std::string latin1 = "/mnt/caf\xe9";
    const std::string backslash = "/mnt/a\\b";
    const std::string octalLookalike = "/mnt/caf\\351";
    Mount({"/", latin1, backslash, octalLookalike});
    const auto first = Letters(Table().ListDrives());
    EXPECT_EQ(first.size(), 4u);
    EXPECT_EQ(first, Letters(Table().ListDrives()));
    EXPECT_EQ(CSettings::ReadDriveLetters().size(), 3u);
}

TEST_F(DriveTableTest, OnlyMountedLettersBecomeCurrent)
{
    test::TempDir elsewhere;
    StayIn cwd(elsewhere.Path());
    Mount({"/", "/home"});
    CDriveTable table = Table();
    ASSERT_EQ(table.GetDrive(), 3);
    EXPECT_EQ(table.CurrentRoot(), "/");

    EXPECT_EQ(table.ChangeDrive(4), 0);
    EXPECT_EQ(table.GetDrive(), 4);
    EXPECT_EQ(table.CurrentRoot(), "/home");

    // E, A and B are not mounted; lower-case d and c are drives 36 and 35; 0, -1 and 27 are no drives.
    for (const int n : {5, 'd' - 64, 'c' - 64, 0, -1, 27, 1, 2}) {
        EXPECT_NE(table.ChangeDrive(n), 0) << n;
        EXPECT_EQ(table.GetDrive(), 4) << n;
        EXPECT_EQ(table.CurrentRoot(), "/home") << n;
    }

    // Unmounted while current: the letter can no longer be chosen again.
    Mount({"/"});
    EXPECT_NE(table.ChangeDrive(4), 0);
    EXPECT_EQ(table.ChangeDrive(3), 0);
    EXPECT_EQ(table.CurrentRoot(), "/");
}

TEST_F(DriveTableTest, StartsOnTheDriveHoldingTheCurrentDirectory)
{
    test::TempDir volume;
    const std::string root = fs::canonical(volume.Path()).string();
    fs::create_directories(root + "/subdir/deeper");
    // "<root>/sub" is a prefix of "<root>/subdir" as text, not as a path.
    Mount({"/", root, root + "/sub"});
    {
        StayIn cwd(root + "/subdir/deeper");
        CDriveTable table = Table();
        EXPECT_EQ(table.CurrentRoot(), root);
        EXPECT_EQ(table.GetDrive(), 4);
    }
    {
        StayIn cwd(root);
        EXPECT_EQ(Table().GetDrive(), 4);
    }
    {
        test::TempDir outside;
        StayIn cwd(outside.Path());
        EXPECT_EQ(Table().GetDrive(), 3);
    }
    // No drive at all holds it (here not even /): C, which is not mounted,
    // so it has no root that anything could be taken from.
    Mount({"/srv"});
    StayIn cwd(root);
    CDriveTable table = Table();
    EXPECT_EQ(table.GetDrive(), 3);
    EXPECT_EQ(table.CurrentRoot(), "");
    EXPECT_NE(table.ChangeDrive(3), 0);
}

// The machine's own mount table: a loop volume unmounted and mounted again
// at the same place gets its letter back.
TEST_F(DriveTableTest, RealVolumeKeepsItsLetterAcrossARemount)
{
    test::LoopExt4Mount loop(8);
    if (!loop.Available())
        GTEST_SKIP() << loop.SkipReason();
    CDriveTable table;
    auto letterOf = [&](const std::string& root) {
        for (const DriveInfo& d : table.ListDrives())
            if (d.root == root)
                return d.letter;
        return char(0);
    };
    const char letter = letterOf(loop.Path());
    ASSERT_GE(letter, 'D');
    ASSERT_EQ(table.ChangeDrive(letter - 64), 0);
    EXPECT_EQ(table.CurrentRoot(), loop.Path());

    ASSERT_TRUE(loop.Unmount());
    EXPECT_EQ(letterOf(loop.Path()), 0);
    EXPECT_NE(table.ChangeDrive(letter - 64), 0);
    EXPECT_EQ(table.GetDrive(), letter - 64);  // unchanged, though no longer there
    // Its mount point is now a plain directory of another volume: the drive
    // has no root, and a sweep of it finds nothing there.
    EXPECT_EQ(table.CurrentRoot(), "");
    test::WriteFile(loop.Path() + "/other-volume.tmp", "not on the drive");
    {
        test::ScriptedHost host;
        WipeBuffer buffer;
        FillWipeBuffer(buffer);
        Operation op(buffer, host, table);
        EXPECT_EQ(SweepDirectory(op, "", 1, nullptr, true), 0);
        EXPECT_EQ(SweepDirectory(op, "", 0, nullptr, true), 0);
    }
    EXPECT_TRUE(test::Exists(loop.Path() + "/other-volume.tmp"));
    std::remove((loop.Path() + "/other-volume.tmp").c_str());

    ASSERT_EQ(test::RunCommand("mount -o loop " + loop.Image() + " " + loop.Path()), 0);
    struct Unmount {
        std::string path;
        ~Unmount() { test::RunCommand("umount -l " + path); }
    } unmount{loop.Path()};
    EXPECT_EQ(letterOf(loop.Path()), letter);
    EXPECT_EQ(table.ChangeDrive(letter - 64), 0);
}
