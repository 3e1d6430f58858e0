// SPDX-License-Identifier: GPL-3.0-or-later
// The four sweep commands driven through the main window: the message box
// of an unset path, and a sweep with the progress box that leaves no box
// behind.
#include "app/CMainFrame.h"
#include "core/CommandIds.h"
#include "app/ModalSeam.h"
#include "prefs/Settings.h"
#include "sweep/CProgressBox.h"
#include "tests/TestSupport.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

class MainFrameSweepTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSettings();
        SetModalHook([this](QDialog& dialog) {
            if (auto* box = qobject_cast<QMessageBox*>(&dialog))
                shown.push_back(box->windowTitle().toStdString() + "|" + box->text().toStdString() + "|"
                                + (box->icon() == QMessageBox::Warning ? "warning" : "other icon"));
            else
                shown.push_back("other dialog");
            return int(IDOK);
        });
    }
    void TearDown() override { SetModalHook(nullptr); }

    static int ProgressBoxes()
    {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            n += qobject_cast<CProgressBox*>(w) != nullptr;
        return n;
    }

    CMainFrame frame{std::make_unique<FakeDriveTable>()};
    std::vector<std::string> shown;
};

TEST_F(MainFrameSweepTest, UnsetPathsAreReportedInAParameterBox)
{
    CSettings::Write(Setting::Counter, "TRUE");
    frame.OnCommand(ID_SECURE_DELETE_CACHE);
    frame.OnCommand(ID_SECURE_DELETE_TEMP);
    frame.OnCommand(ID_SECURE_DELETE_OTHER);
    frame.OnCommand(ID_SECURE_DELETE_PREFERENCES);  // nothing configured: silent
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "Tarnowick Parameters|Internet Cache Path Not Entered|warning",
                         "Tarnowick Parameters|Temporary Path Not Entered|warning",
                         "Tarnowick Parameters|Other Path Not Entered|warning",
                     }));
    EXPECT_EQ(ProgressBoxes(), 0);
    EXPECT_FALSE(frame.Runner().IsBusy());
}

TEST_F(MainFrameSweepTest, SweepWithTheProgressBoxLeavesNoBoxBehind)
{
    TempDir cache, temp, other;
    for (const TempDir* t : {&cache, &temp, &other}) {
        WriteFile(*t / "a.tmp", "a");
        WriteFile(*t / "b.txt", "b");
    }
    CSettings::Write(Setting::InternetCachePath, cache.Path());
    CSettings::Write(Setting::TemporaryPath, temp.Path());
    CSettings::Write(Setting::OtherPath, other.Path());
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    CSettings::Write(Setting::Counter, "TRUE");

    frame.OnCommand(ID_SECURE_DELETE_CACHE);
    EXPECT_FALSE(Exists(cache / "a.tmp"));
    EXPECT_TRUE(Exists(temp / "a.tmp"));
    frame.OnCommand(ID_SECURE_DELETE_TEMP);
    EXPECT_FALSE(Exists(temp / "a.tmp"));
    EXPECT_TRUE(Exists(other / "a.tmp"));
    frame.OnCommand(ID_SECURE_DELETE_OTHER);
    EXPECT_FALSE(Exists(other / "a.tmp"));

    CSettings::Write(Setting::AllTemporary, "TRUE");
    frame.OnCommand(ID_SECURE_DELETE_PREFERENCES);
    EXPECT_FALSE(Exists(temp / "b.txt"));
    EXPECT_TRUE(Exists(cache / "b.txt"));
    EXPECT_TRUE(Exists(other / "b.txt"));

    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(ProgressBoxes(), 0);
}

} // namespace

// The box lives for the whole command: while the sweep waits on a question,
// neither Escape nor the close box takes it away, and the sweep goes on.
TEST_F(MainFrameSweepTest, EscapeAndTheCloseBoxLeaveTheProgressBoxUp)
{
    TempDir other;
    WriteFile(other / "a.tmp", "a");
    WriteFile(other / "b.tmp", "b");
    ASSERT_EQ(::link((other / "a.tmp").c_str(), (other / "a-link").c_str()), 0);  // in use: a question
    CSettings::Write(Setting::OtherPath, other.Path());
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    CSettings::Write(Setting::Counter, "TRUE");

    int questions = 0;
    SetModalHook([&](QDialog& dialog) {
        ++questions;
        CProgressBox* box = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* b = qobject_cast<CProgressBox*>(w))
                box = b;
        EXPECT_NE(box, nullptr) << "no progress box while " << dialog.windowTitle().toStdString() << " asks";
        if (box) {
            box->activateWindow();
            QTest::keyClick(box, Qt::Key_Escape);
            EXPECT_TRUE(box->isVisible()) << "Escape hid the box";
            EXPECT_FALSE(box->close()) << "the close box closed it";
            EXPECT_TRUE(box->isVisible());
        }
        return int(IDC_IGNORE);
    });
    frame.OnCommand(ID_SECURE_DELETE_OTHER);
    EXPECT_EQ(questions, 1);
    EXPECT_TRUE(Exists(other / "a.tmp"));
    EXPECT_FALSE(Exists(other / "b.tmp")) << "the sweep did not go on";
    EXPECT_EQ(ProgressBoxes(), 0);
    EXPECT_FALSE(frame.Runner().IsBusy());
}

// A configured path that is not UTF-8 is swept as exactly those bytes, never
// as the look-alike its text shows; a relative one inside the home
// directory, never where the program was started.
TEST_F(MainFrameSweepTest, ConfiguredPathsAreSweptExactlyAsStored)
{
    TempDir root;
    const std::string exact = root / "caf\xE9";
    const std::string lookAlike = root / "caf\xEF\xBF\xBD";
    for (const std::string& d : {exact, lookAlike}) {
        ASSERT_EQ(::mkdir(d.c_str(), 0700), 0);
        WriteFile(d + "/a.tmp", "a");
    }
    // As a person would write it into the file, bytes and all.
    WriteFile(CSettings::FilePath(), "[Settings]\nOther Path=" + exact + "\nFile Types=*.tmp!\n");
    frame.OnCommand(ID_SECURE_DELETE_OTHER);
    EXPECT_FALSE(Exists(exact + "/a.tmp"));
    EXPECT_TRUE(Exists(lookAlike + "/a.tmp")) << "the look-alike directory was swept";

    // Relative: inside $HOME, whatever the current directory is.
    const std::string home = root / "home";
    ASSERT_EQ(::mkdir(home.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((home + "/junk").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((root / "junk").c_str(), 0700), 0);
    WriteFile(home + "/junk/b.tmp", "b");
    WriteFile(root / "junk/b.tmp", "b");
    const QByteArray oldHome = qgetenv("HOME");
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    qputenv("HOME", QByteArray::fromStdString(home));
    ASSERT_EQ(::chdir(root.Path().c_str()), 0);
    CSettings::Write(Setting::OtherPath, "junk");
    frame.OnCommand(ID_SECURE_DELETE_OTHER);
    ASSERT_EQ(::chdir(cwd), 0);
    qputenv("HOME", oldHome);
    EXPECT_FALSE(Exists(home + "/junk/b.tmp"));
    EXPECT_TRUE(Exists(root / "junk/b.tmp")) << "swept relative to the start directory";
    EXPECT_TRUE(shown.empty());
}
