// SPDX-License-Identifier: GPL-3.0-or-later
// The location commands and the preference-driven sweep on real trees:
// their messages, the passes with the progress box, the current drive, and
// the cancel that ends the whole command.
#include "sweep/LocationSweeps.h"
#include "tests/sweep/SweepFixture.h"

#include "core/CommandIds.h"
#include "platform/FileError.h"

#include <map>
#include <sys/stat.h>

using namespace tw;
using namespace tw::test;

namespace {

using Events = std::vector<std::string>;

// Records every drive change, so a test can tell which drives a command
// visited; a drive marked `broken` fails when its root is asked for.
class RecordingDrives : public FakeDriveTable {
public:
    std::vector<int> changes;
    char broken = 0;
    int ChangeDrive(int n) override
    {
        changes.push_back(n);
        return FakeDriveTable::ChangeDrive(n);
    }
    std::string CurrentRoot() override
    {
        if (broken && current == broken - 64)
            throw FileException(causeHardIO, 5, "", "the drive fails");
        return FakeDriveTable::CurrentRoot();
    }
};

class LocationSweepsTest : public SweepFixture {
protected:
    LocationSweepsTest() : rop(buffer, host, recording) {}

    RecordingDrives recording;
    Operation rop;  // the operation that uses the recording drives
};

struct CommandRow {
    void (*command)(Operation&);
    Setting path;
    Setting allFiles;
    const char* message;
};

const CommandRow kRows[] = {
    {SecureDeleteCache, Setting::InternetCachePath, Setting::AllInternetCache, "Internet Cache Path Not Entered"},
    {SecureDeleteTemp, Setting::TemporaryPath, Setting::AllTemporary, "Temporary Path Not Entered"},
    {SecureDeleteOther, Setting::OtherPath, Setting::AllOther, "Other Path Not Entered"},
};

TEST_F(LocationSweepsTest, UnsetPathGivesOnlyItsMessage)
{
    for (const char* counter : {"", "FALSE", "TRUE"})
        for (const CommandRow& row : kRows) {
            ScriptedHost fresh;
            Operation o(buffer, fresh, drives);
            o.m_bContinue = 7;
            CSettings::Write(Setting::Counter, counter);
            // The other two paths are set: only the command's own counts.
            for (const CommandRow& other : kRows)
                CSettings::Write(other.path, other.path == row.path ? "" : "/nonexistent");
            row.command(o);
            EXPECT_EQ(fresh.Messages(), std::vector<std::string>{row.message}) << counter;
            EXPECT_EQ(fresh.questions.size(), 1u);
            EXPECT_TRUE(fresh.progress.events.empty()) << row.message << " with Counter " << counter;
            EXPECT_EQ(o.m_bContinue, 7);  // the command ended before the sweep
        }
}

TEST_F(LocationSweepsTest, EachCommandSweepsItsOwnPathInOnePass)
{
    for (const CommandRow& row : kRows) {
        ClearSettings();
        TempDir where;
        WriteFile(where / "a.tmp", "a");
        WriteFile(where / "b.txt", "b");
        CSettings::Write(row.path, where.Path());
        CSettings::Write(Setting::FileTypes, "*.tmp!");
        // Another location's all-files switch has no say here.
        for (const CommandRow& other : kRows)
            if (other.path != row.path)
                CSettings::Write(other.allFiles, "TRUE");
        CSettings::Write(row.allFiles, "true");  // lower case is off
        row.command(op);
        EXPECT_FALSE(Exists(where / "a.tmp")) << row.message;
        EXPECT_TRUE(Exists(where / "b.txt")) << row.message;

        CSettings::Write(row.allFiles, "TRUE");
        WriteFile(where / "c.tmp", "c");
        row.command(op);
        EXPECT_FALSE(Exists(where / "b.txt")) << row.message;
        EXPECT_FALSE(Exists(where / "c.tmp")) << row.message;
    }
    EXPECT_TRUE(host.questions.empty());
    EXPECT_TRUE(host.progress.events.empty());  // no box without "Counter"
}

TEST_F(LocationSweepsTest, CounterShowsTheBoxThroughBothPasses)
{
    TempDir temp;
    for (int i = 0; i < 10; ++i)
        WriteFile(temp / ("f" + std::to_string(i) + ".tmp"), "x");
    WriteFile(temp / "keep.txt", "keep");
    CSettings::Write(Setting::TemporaryPath, temp.Path());
    CSettings::Write(Setting::FileTypes, "*.tmp!~*.tmp!");
    CSettings::Write(Setting::Counter, "TRUE");

    SecureDeleteTemp(op);
    EXPECT_EQ(host.progress.events, (Events{"create", "scanning", "range 10", "deleting", "destroy"}));
    EXPECT_EQ(host.progress.steps, 10);
    EXPECT_EQ(ListingOrder(temp.Path()), std::vector<std::string>{"keep.txt"});

    // A path that cannot be listed: the user is told which location and
    // why before any pass, and no box comes up for a command that did not
    // run.
    ScriptedHost fresh;
    Operation o(buffer, fresh, drives);
    CSettings::Write(Setting::OtherPath, temp / "missing");
    SecureDeleteOther(o);
    EXPECT_TRUE(fresh.progress.events.empty());
    EXPECT_TRUE(o.m_bEndedBeforeStart);
    EXPECT_EQ(fresh.Messages(), std::vector<std::string>{"Other Path " + temp / "missing" + " could not be swept: it does not exist."});
}

// A dry run makes the counting pass alone: every match is listed with its
// size, nothing is written, no box comes up, and an unset path is still
// reported rather than taken for the current drive. Asked to count first,
// a command sizes its progress even with "Counter" off.
TEST_F(LocationSweepsTest, PassesChosenByTheFrontEndOverrideCounter)
{
    TempDir temp;
    WriteFile(temp / "a.tmp", "12345");
    WriteFile(temp / "b.tmp", "");
    WriteFile(temp / "keep.txt", "keep");
    CSettings::Write(Setting::TemporaryPath, temp.Path());
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    std::map<std::string, uint64_t> listed;
    op.onMatch = [&listed](const std::string& path, uint64_t size) { listed[path] = size; };

    for (const char* counter : {"FALSE", "TRUE"}) {
        CSettings::Write(Setting::Counter, counter);
        listed.clear();
        op.passes = SweepPasses::CountOnly;
        SecureDeleteTemp(op);
        EXPECT_EQ(listed, (std::map<std::string, uint64_t>{{temp / "a.tmp", 5}, {temp / "b.tmp", 0}})) << counter;
        EXPECT_EQ(ReadFile(temp / "a.tmp"), "12345");
        EXPECT_TRUE(Exists(temp / "b.tmp"));
        EXPECT_TRUE(host.progress.events.empty()) << counter;
        EXPECT_TRUE(host.records.empty());
    }
    CSettings::Write(Setting::OtherPath, "");
    SecureDeleteOther(op);
    EXPECT_EQ(host.Messages(), std::vector<std::string>{"Other Path Not Entered"});

    CSettings::Write(Setting::Counter, "FALSE");
    op.onMatch = nullptr;
    op.passes = SweepPasses::Counted;
    SecureDeleteTemp(op);
    EXPECT_EQ(host.progress.events, (Events{"create", "scanning", "range 2", "deleting", "destroy"}));
    EXPECT_EQ(ListingOrder(temp.Path()), std::vector<std::string>{"keep.txt"});
}

// "Cancel Operation" on the third file of the temporary directory: the rest
// of it and the other directory, swept later by the same command, stay.
TEST_F(LocationSweepsTest, CancelEndsTheWholePreferenceSweep)
{
    TempDir temp, other;
    for (const char* name : {"1.tmp", "2.tmp", "3.tmp", "4.tmp", "5.tmp"})
        WriteFile(temp / name, name);
    WriteFile(other / "6.tmp", "6");
    CSettings::Write(Setting::TemporaryPath, temp.Path());
    CSettings::Write(Setting::OtherPath, other.Path());
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    CSettings::Write(Setting::Counter, "TRUE");
    const std::vector<std::string> order = ListingOrder(temp.Path());
    InodeFlag locked(temp / order[2], FS_IMMUTABLE_FL);
    if (!locked.IsSet())
        GTEST_SKIP() << "this file system cannot mark a file immutable";

    host.fileErrorAnswers = {IDC_CANCEL_OPERATION};
    SecureDeleteByPreferences(op);
    EXPECT_EQ(op.m_bContinue, 0);
    EXPECT_EQ(host.progress.events, (Events{"create", "scanning", "range 6", "deleting", "destroy"}));
    EXPECT_EQ(host.progress.steps, 2);
    EXPECT_FALSE(Exists(temp / order[0]));
    EXPECT_FALSE(Exists(temp / order[1]));
    for (size_t i = 2; i < order.size(); ++i)
        EXPECT_TRUE(Exists(temp / order[i])) << order[i];
    EXPECT_EQ(ReadFile(other / "6.tmp"), "6");
    EXPECT_EQ(host.questions.size(), 1u);
}

TEST_F(LocationSweepsTest, LocationModeSkipsUnsetPathsSilently)
{
    TempDir temp;
    mkdir((temp / "sub").c_str(), 0755);
    WriteFile(temp / "a.txt", "a");
    WriteFile(temp / "sub/b.dat", "b");
    CSettings::Write(Setting::TemporaryPath, temp.Path());
    CSettings::Write(Setting::AllTemporary, "TRUE");
    CSettings::Write(Setting::Subdirectories, "TRUE");
    CSettings::Write(Setting::All, "true");  // not drive mode

    EXPECT_EQ(SweepByPreferences(op, 1, nullptr), 2);
    SecureDeleteByPreferences(op);
    EXPECT_FALSE(Exists(temp / "a.txt"));
    EXPECT_FALSE(Exists(temp / "sub/b.dat"));
    EXPECT_TRUE(host.questions.empty());

    // Nothing configured: nothing happens, nothing is said.
    ClearSettings();
    CSettings::Write(Setting::Counter, "TRUE");
    SecureDeleteByPreferences(op);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(host.progress.events, (Events{"create", "scanning", "range 0", "deleting", "destroy"}));
}

TEST_F(LocationSweepsTest, DriveModeSweepsTheListedDrivesAndRestoresTheCurrentOne)
{
    TempDir c, d, e;
    for (const TempDir* t : {&c, &d, &e}) {
        mkdir((*t / "sub").c_str(), 0755);
        WriteFile(*t / "top.tmp", "top");
        WriteFile(*t / "sub/low.tmp", "low");
        WriteFile(*t / "keep.txt", "keep");
    }
    recording.roots = {{'C', c.Path()}, {'D', d.Path()}, {'E', e.Path()}};
    recording.current = 5;  // E, which is not listed
    CSettings::Write(Setting::All, "TRUE");
    CSettings::Write(Setting::Drives, "C!D!");
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    // The all-files switches play no part in drive mode.
    CSettings::Write(Setting::AllTemporary, "TRUE");
    CSettings::Write(Setting::TemporaryPath, c.Path());

    EXPECT_EQ(SweepByPreferences(rop, 1, nullptr), 2);  // roots only
    EXPECT_EQ(recording.current, 5);
    CSettings::Write(Setting::Subdirectories, "TRUE");
    EXPECT_EQ(SweepByPreferences(rop, 1, nullptr), 4);
    recording.changes.clear();

    SecureDeleteByPreferences(rop);
    EXPECT_EQ(recording.changes, (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(recording.current, 5);
    for (const TempDir* t : {&c, &d}) {
        EXPECT_FALSE(Exists(*t / "top.tmp"));
        EXPECT_FALSE(Exists(*t / "sub/low.tmp"));
        EXPECT_TRUE(Exists(*t / "keep.txt"));
    }
    EXPECT_TRUE(Exists(e / "top.tmp"));
    EXPECT_TRUE(host.questions.empty());
}

TEST_F(LocationSweepsTest, DriveThatCannotBeMadeCurrentIsNamedAsStored)
{
    TempDir c;
    WriteFile(c / "a.tmp", "a");
    recording.roots = {{'C', c.Path()}};
    recording.current = 3;
    CSettings::Write(Setting::All, "TRUE");
    CSettings::Write(Setting::Drives, "X!c!!C!Q");  // "Q" has no "!": no entry
    CSettings::Write(Setting::FileTypes, "*.tmp!");

    SecureDeleteByPreferences(rop);
    EXPECT_EQ(host.Messages(), (std::vector<std::string>{"X Not Accessible", "c Not Accessible"}));
    EXPECT_FALSE(Exists(c / "a.tmp"));
    EXPECT_EQ(recording.current, 3);

    // With the box the drives are visited twice, so each message comes twice.
    ScriptedHost fresh;
    Operation o(buffer, fresh, recording);
    CSettings::Write(Setting::Counter, "TRUE");
    SecureDeleteByPreferences(o);
    EXPECT_EQ(fresh.Messages(), (std::vector<std::string>{"X Not Accessible", "c Not Accessible", "X Not Accessible",
                                                          "c Not Accessible"}));
    EXPECT_EQ(fresh.progress.events, (Events{"create", "scanning", "range 0", "deleting", "destroy"}));
}

// "Cancel Operation" on the first drive: the later drives are neither
// changed to nor reported, and the former drive is current again.
TEST_F(LocationSweepsTest, CancelOnTheFirstDriveVisitsNoOther)
{
    TempDir c, d;
    WriteFile(c / "a.tmp", "a");
    WriteFile(d / "b.tmp", "b");
    recording.roots = {{'C', c.Path()}, {'D', d.Path()}};
    recording.current = 4;
    CSettings::Write(Setting::All, "TRUE");
    CSettings::Write(Setting::Drives, "C!Q!D!");
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    CSettings::Write(Setting::Counter, "TRUE");
    InodeFlag locked(c / "a.tmp", FS_IMMUTABLE_FL);
    if (!locked.IsSet())
        GTEST_SKIP() << "this file system cannot mark a file immutable";

    host.fileErrorAnswers = {IDC_CANCEL_OPERATION};
    SecureDeleteByPreferences(rop);
    // Counting pass: C, Q (refused), D, back to D. Deleting pass: C, back to D.
    EXPECT_EQ(recording.changes, (std::vector<int>{3, 17, 4, 4, 3, 4}));
    EXPECT_EQ(recording.current, 4);
    EXPECT_EQ(host.Messages(), std::vector<std::string>{"Q Not Accessible"});
    EXPECT_EQ(ReadFile(d / "b.tmp"), "b");
    EXPECT_EQ(host.progress.events, (Events{"create", "scanning", "range 2", "deleting", "destroy"}));
}

// An error that leaves the sweep still puts the drive back and takes the
// box away.
TEST_F(LocationSweepsTest, ErrorLeavingTheSweepRestoresDriveAndBox)
{
    TempDir c;
    recording.roots = {{'C', c.Path()}, {'D', c.Path()}};
    recording.current = 4;
    recording.broken = 'C';
    CSettings::Write(Setting::All, "TRUE");
    CSettings::Write(Setting::Drives, "C!");
    CSettings::Write(Setting::Counter, "TRUE");
    EXPECT_THROW(SecureDeleteByPreferences(rop), FileException);
    EXPECT_EQ(recording.current, 4);
    EXPECT_EQ(host.progress.events, (Events{"create", "scanning", "destroy"}));
}

// A file whose removal fails after the overwrite ends the location command
// with a file error; the box still goes away.
TEST_F(LocationSweepsTest, FileErrorInTheDeletingPassRemovesTheBox)
{
    TempDir temp;
    WriteFile(temp / "a.tmp", "abc");
    CSettings::Write(Setting::TemporaryPath, temp.Path());
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    CSettings::Write(Setting::Counter, "TRUE");
    InodeFlag appendOnly(temp.Path(), FS_APPEND_FL);  // no entry may leave the directory
    if (!appendOnly.IsSet())
        GTEST_SKIP() << "this file system cannot mark a directory append-only";

    EXPECT_THROW(SecureDeleteTemp(op), FileException);
    EXPECT_EQ(host.progress.events, (Events{"create", "scanning", "range 1", "deleting", "destroy"}));
    EXPECT_TRUE(Exists(temp / "a.tmp"));
}

} // namespace
