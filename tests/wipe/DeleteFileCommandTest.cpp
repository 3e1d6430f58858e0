// SPDX-License-Identifier: GPL-3.0-or-later
// The delete-file walk: which files are asked about, which are destroyed,
// and which directory is remembered, with real files and the real store.
#include "core/CommandIds.h"
#include "platform/FileError.h"
#include "prefs/Settings.h"
#include "tests/TestSupport.h"
#include "wipe/DeleteFileCommand.h"
#include "wipe/FileWiper.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace tw;
using tw::test::Exists;
using tw::test::WriteFile;

namespace {

class DeleteFileCommandTest : public ::testing::Test {
protected:
    DeleteFileCommandTest() { FillWipeBuffer(buffer); }
    void SetUp() override
    {
        test::ClearSettings();
        CSettings::Write(Setting::InitialDirectory, "/before");
    }
    void TearDown() override { SetBeforeTruncateHook(nullptr); }

    // One file in each of the directories d0, d1, d2..., so the remembered
    // directory tells at which file the walk ended.
    std::vector<std::string> MakeFiles(int n)
    {
        std::vector<std::string> paths;
        for (int i = 0; i < n; ++i) {
            const std::string sub = dir / ("d" + std::to_string(i));
            mkdir(sub.c_str(), 0755);
            paths.push_back(sub + "/f" + std::to_string(i) + ".txt");
            WriteFile(paths.back(), "contents " + std::to_string(i));
        }
        return paths;
    }

    std::vector<std::string> Confirmed() const
    {
        std::vector<std::string> out;
        for (const auto& q : host.questions)
            if (q.kind == "confirm")
                out.push_back(q.first);
        return out;
    }

    WipeBuffer buffer{};
    test::ScriptedHost host;
    test::FakeDriveTable drives;
    Operation op{buffer, host, drives};
    test::TempDir dir;
};

TEST_F(DeleteFileCommandTest, NoYesNoDestroysOnlyTheSecondFile)
{
    const auto files = MakeFiles(3);
    host.confirmAnswers = {IDC_NO, IDC_YES, IDC_NO};
    DeleteSelectedFiles(op, files);
    EXPECT_EQ(Confirmed(), files);
    EXPECT_TRUE(Exists(files[0]));
    EXPECT_FALSE(Exists(files[1]));
    EXPECT_TRUE(Exists(files[2]));
    EXPECT_EQ(CSettings::Read(Setting::InitialDirectory), dir / "d2");
}

TEST_F(DeleteFileCommandTest, YesToAllStopsTheAskingForThisRunOnly)
{
    const auto files = MakeFiles(3);
    host.confirmAnswers = {IDC_YES_TO_ALL};
    DeleteSelectedFiles(op, files);
    EXPECT_EQ(Confirmed(), std::vector<std::string>{files[0]});
    for (const auto& f : files)
        EXPECT_FALSE(Exists(f)) << f;

    // The next run asks again.
    const auto more = MakeFiles(2);
    host.questions.clear();
    host.confirmAnswers = {IDC_NO, IDC_NO};
    DeleteSelectedFiles(op, more);
    EXPECT_EQ(Confirmed(), more);
}

TEST_F(DeleteFileCommandTest, CancelLeavesThisAndEveryFollowingFile)
{
    const auto files = MakeFiles(3);
    host.confirmAnswers = {IDC_YES, IDCANCEL};
    DeleteSelectedFiles(op, files);
    EXPECT_EQ(Confirmed(), (std::vector<std::string>{files[0], files[1]}));
    EXPECT_FALSE(Exists(files[0]));
    EXPECT_TRUE(Exists(files[1]));
    EXPECT_TRUE(Exists(files[2]));
    EXPECT_EQ(CSettings::Read(Setting::InitialDirectory), dir / "d1");
}

TEST_F(DeleteFileCommandTest, CancelOperationInTheErrorDialogEndsTheWalk)
{
    auto files = MakeFiles(3);
    unlink(files[0].c_str());  // the first cannot be opened
    host.confirmAnswers = {IDC_YES};
    host.fileErrorAnswers = {IDC_CANCEL_OPERATION};
    DeleteSelectedFiles(op, files);
    EXPECT_EQ(Confirmed(), std::vector<std::string>{files[0]});
    EXPECT_TRUE(Exists(files[1]));
    EXPECT_TRUE(Exists(files[2]));
    EXPECT_EQ(CSettings::Read(Setting::InitialDirectory), dir / "d0");
}

TEST_F(DeleteFileCommandTest, TypedNameThatDoesNotExistIsConfirmedThenReportedWithCause2)
{
    const std::string typed = dir / "never-existed.txt";
    const auto files = MakeFiles(1);
    host.confirmAnswers = {IDC_YES, IDC_YES};
    host.fileErrorAnswers = {IDC_IGNORE};  // goes on, and asks for the next file again
    DeleteSelectedFiles(op, {typed, files[0]});
    ASSERT_EQ(host.questions.size(), 3u);
    EXPECT_EQ(host.questions[0].kind, "confirm");
    EXPECT_EQ(host.questions[0].first, typed);
    EXPECT_EQ(host.questions[1].kind, "file");
    EXPECT_EQ(host.questions[1].first, typed);
    EXPECT_EQ(host.questions[1].second, "Could not access this file for deletion [ 2 ]");
    EXPECT_EQ(host.questions[2].kind, "confirm");
    EXPECT_FALSE(Exists(files[0]));
}

TEST_F(DeleteFileCommandTest, FailureOutsideTheOverwriteEndsTheCommandBeforeTheDirectoryIsRemembered)
{
    const auto files = MakeFiles(2);
    // The first file's folder becomes unchangeable once it is overwritten.
    std::unique_ptr<test::FrozenDirectory> frozen;
    SetBeforeTruncateHook([&](int) {
        if (!frozen)
            frozen = std::make_unique<test::FrozenDirectory>(dir / "d0");
    });
    host.confirmAnswers = {IDC_YES_TO_ALL};
    EXPECT_THROW(DeleteSelectedFiles(op, files), FileException);
    frozen.reset();
    // After "Yes To All" the second file was overwritten in the same batch
    // before the first one's removal failed: it is finished (and recorded as
    // destroyed) rather than left overwritten under its name.
    EXPECT_FALSE(Exists(files[1]));
    ASSERT_EQ(host.records.size(), 2u);
    EXPECT_FALSE(host.records[0].destroyed);
    EXPECT_EQ(host.records[1].path, files[1]);
    EXPECT_TRUE(host.records[1].destroyed);
    EXPECT_EQ(CSettings::Read(Setting::InitialDirectory), "/before");
}

TEST_F(DeleteFileCommandTest, SelectionOfAnyLengthIsTaken)
{
    // Far beyond what a fixed 260-character result could hold.
    std::vector<std::string> files;
    for (int i = 0; i < 40; ++i) {
        files.push_back(dir / (std::string(60, char('a' + i % 26)) + std::to_string(i)));
        WriteFile(files.back(), "x");
    }
    host.confirmAnswers = {IDC_YES_TO_ALL};
    DeleteSelectedFiles(op, files);
    for (const auto& f : files)
        EXPECT_FALSE(Exists(f)) << f;
    EXPECT_EQ(CSettings::Read(Setting::InitialDirectory), dir.Path());
}

TEST_F(DeleteFileCommandTest, EmptySelectionChangesNothing)
{
    DeleteSelectedFiles(op, {});
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(CSettings::Read(Setting::InitialDirectory), "/before");
}

// A front end without the file dialog destroys the same way and leaves
// the dialog's directory as it was.
TEST_F(DeleteFileCommandTest, WalkWithoutTheFileDialogKeepsTheRememberedDirectory)
{
    const auto files = MakeFiles(2);
    host.confirmAnswers = {IDC_YES_TO_ALL};
    DeleteSelectedFiles(op, files, false);
    EXPECT_FALSE(Exists(files[0]));
    EXPECT_FALSE(Exists(files[1]));
    EXPECT_EQ(host.records.size(), 2u);
    EXPECT_EQ(CSettings::Read(Setting::InitialDirectory), "/before");
}

TEST(DirectoryOfPath, DirectoryWithoutTrailingSeparator)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/home/ann/a.txt", "/home/ann"},
        {"/a.txt", "/"},
        {"/home/ann/", "/home/ann"},
        {"/d/\xff\xfe.bin", "/d"},
        {"bare", ""},
    };
    for (const auto& [path, directory] : cases)
        EXPECT_EQ(DirectoryOfPath(path), directory) << path;
}

} // namespace

TEST_F(DeleteFileCommandTest, AFileKeptAtTheQuestionIsRecordedAsLeftNotConfirmed)
{
    const auto paths = MakeFiles(3);
    host.confirmAnswers = {IDC_NO, IDC_YES, IDCANCEL};
    DeleteSelectedFiles(op, paths);
    ASSERT_EQ(host.records.size(), 3u);
    EXPECT_EQ(host.records[0].path, paths[0]);
    EXPECT_FALSE(host.records[0].destroyed);
    EXPECT_EQ(host.records[0].cause, 0);
    EXPECT_EQ(host.records[0].message, "Not confirmed");
    EXPECT_TRUE(host.records[0].kept);
    // Listed with the size it has (nothing of it was overwritten: the
    // counts of what was destroyed do not take it in).
    EXPECT_EQ(host.records[0].size, uint64_t(test::ReadFile(paths[0]).size()));
    EXPECT_TRUE(host.records[1].destroyed);
    // Cancel keeps the file it was asked for too; the files after it were
    // never asked about and are not in the record.
    EXPECT_EQ(host.records[2].path, paths[2]);
    EXPECT_EQ(host.records[2].message, "Not confirmed");
    EXPECT_TRUE(Exists(paths[0]));
    EXPECT_TRUE(Exists(paths[2]));
}
namespace {

// Names from a drop or `tarnowick --delete`: folders and remote names are
// reported once per kind, recorded as left, and never entered; a link to a
// folder goes to the wiper, which refuses it; nothing is remembered.
TEST_F(DeleteFileCommandTest, GivenNamesLeaveFoldersAndRemoteNamesAloneAndRememberNothing)
{
    const std::vector<std::string> files = MakeFiles(2);
    const std::string folderA = dir / "d0";
    const std::string folderB = dir / "d1";
    const std::string link = dir / "link";
    ASSERT_EQ(symlink(folderA.c_str(), link.c_str()), 0);
    host.confirmAnswers = {IDC_YES_TO_ALL};
    host.fileErrorAnswers = {IDC_IGNORE};

    DeleteGivenFiles(op, {folderA, files[0], folderB, link}, {"smb://nas/a", "sftp://h/b"});

    ASSERT_GE(host.questions.size(), 3u);
    EXPECT_EQ(host.questions[0].kind, "warning");
    EXPECT_EQ(host.questions[0].first, "These are not files on this computer. Nothing was touched:\nsmb://nas/a\nsftp://h/b");
    EXPECT_EQ(host.questions[1].kind, "warning");
    EXPECT_EQ(host.questions[1].first, "These are folders, not files. Nothing in them was touched:\n" + folderA + "\n" + folderB);
    EXPECT_EQ(Confirmed(), (std::vector<std::string>{files[0]}));
    EXPECT_FALSE(Exists(files[0]));
    EXPECT_EQ(test::ReadFile(files[1]), "contents 1") << "nothing inside a given folder is touched";
    EXPECT_TRUE(Exists(link)) << "a link is never followed";

    ASSERT_GE(host.records.size(), 4u);
    EXPECT_EQ(host.records[0].path, "smb://nas/a");
    EXPECT_EQ(host.records[2].path, folderA);
    EXPECT_FALSE(host.records[2].destroyed);
    EXPECT_EQ(host.records[2].cause, causeAccessDenied);
    EXPECT_EQ(CSettings::Read(Setting::InitialDirectory), "/before");
}

} // namespace
