// SPDX-License-Identifier: GPL-3.0-or-later
// View > "Preview Sweeps..." as a user meets it: the window, its count, and
// a list that is exactly what the sweep run next destroys.
#include "app/CMainFrame.h"
#include "record/CRecordModel.h"
#include "core/CommandIds.h"
#include "app/ModalSeam.h"
#include "prefs/Settings.h"
#include "sweep/CPreviewModel.h"
#include "sweep/CPreviewWindow.h"
#include "tests/TestSupport.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>

using namespace tw;
using namespace tw::test;

namespace {

class PreviewWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ClearSettings(); }
    void TearDown() override { SetModalHook({}); }

    // The files listed under command row `command`: directory and name.
    static std::set<std::string> ListedFiles(const CPreviewModel& model, int command)
    {
        std::set<std::string> files;
        const QModelIndex c = model.index(command, 0);
        for (int d = 0; d < model.rowCount(c); ++d) {
            const QModelIndex dir = model.index(d, 0, c);
            if (model.data(dir, CPreviewModel::RowKindRole).toInt() != CPreviewModel::DirectoryRow)
                continue;
            for (int f = 0; f < model.rowCount(dir); ++f)
                files.insert(model.data(dir).toString().toStdString() + "/" + model.data(model.index(f, 0, dir)).toString().toStdString());
        }
        return files;
    }
};

} // namespace

TEST_F(PreviewWindowTest, ThePreviewOfALocationListsExactlyWhatTheSweepThenDestroys)
{
    TempDir temp, outside;
    mkdir((temp / "sub").c_str(), 0755);
    for (const char* name : {"one.tmp", "two.bak", "sub/three.tmp", "sub/four.txt"})
        WriteFile(temp / name, name);
    WriteFile(outside / "linked.tmp", "outside");
    ASSERT_EQ(symlink((outside / "linked.tmp").c_str(), (temp / "link.tmp").c_str()), 0);
    CSettings::Write(Setting::TemporaryPath, temp.Path());
    CSettings::Write(Setting::FileTypes, "*.tmp!*.bak!");
    CSettings::WriteBool(Setting::Subdirectories, true);

    CMainFrame frame(std::make_unique<FakeDriveTable>());
    frame.show();
    std::set<std::string> previewed;
    QStringList commands, status;
    QString title;
    SetModalHook([&](QDialog& d) {
        auto* window = qobject_cast<CPreviewWindow*>(&d);
        if (!window)
            return int(QMessageBox::Ok);
        title = window->windowTitle();
        EXPECT_TRUE(window->IsWalking() || window->HasEnded());
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->HasEnded(); }, 60000));
        const CPreviewModel& model = *window->Model();
        for (int c = 0; c < model.rowCount(); ++c) {
            commands << model.data(model.index(c, 0)).toString() + QLatin1Char('|') + model.data(model.index(c, 1)).toString();
            if (model.data(model.index(c, 0)).toString() == QLatin1String("Secure Delete Temp Files"))
                previewed = ListedFiles(model, c);
        }
        status << window->StatusText();
        // The Close button ends the window.
        window->findChild<QPushButton*>(QStringLiteral("close"))->click();
        EXPECT_FALSE(window->isVisible());
        return window->result();
    });
    frame.OnCommand(ID_VIEW_PREVIEW);
    EXPECT_EQ(title, QStringLiteral("Tarnowick Preview"));
    EXPECT_EQ(commands, (QStringList{QStringLiteral("Secure Delete Cache|0"), QStringLiteral("Secure Delete Temp Files|3"),
                                     QStringLiteral("Secure Delete Other|0"), QStringLiteral("Secure Delete Preferences|3")}));
    ASSERT_EQ(status.size(), 1);
    EXPECT_TRUE(status[0].startsWith(QStringLiteral("Done: 6 files, "))) << status[0].toStdString();
    EXPECT_TRUE(frame.SessionRecord().Empty()) << "a preview is not a destroying command";
    for (const char* name : {"one.tmp", "two.bak", "sub/three.tmp"})
        EXPECT_TRUE(Exists(temp / name)) << "the preview destroyed " << name;

    frame.OnCommand(ID_SECURE_DELETE_TEMP);
    std::set<std::string> destroyed;
    const CSessionRecord& record = frame.SessionRecord();
    record.ForEachItem(0, [&](const ItemResult& item) {
        if (item.destroyed)
            destroyed.insert(item.path);
    });
    EXPECT_EQ(previewed, destroyed);
    EXPECT_EQ(destroyed, (std::set<std::string>{temp / "one.tmp", temp / "two.bak", temp / "sub/three.tmp"}));
    EXPECT_EQ(ReadFile(outside / "linked.tmp"), "outside");
    EXPECT_TRUE(Exists(temp / "sub/four.txt"));
}

TEST_F(PreviewWindowTest, ClosingTheWindowEndsTheWalkAndWaitsForIt)
{
    TempDir temp;
    for (int i = 0; i < 200; ++i)
        WriteFile(temp / ("f" + std::to_string(i) + ".tmp"), "x");
    CSettings::Write(Setting::InternetCachePath, temp.Path());
    CSettings::WriteBool(Setting::AllInternetCache, true);
    FakeDriveTable drives;
    CPreviewWindow window(drives);
    // Closed at once: the walk is told to stop and the window waits for
    // its thread before it goes (a walk that asked the window anything and
    // waited for the answer would hang here).
    window.show();
    ASSERT_TRUE(window.IsWalking());
    window.reject();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.HasEnded(); }, 60000));
    // However far it came: only the command it stopped in can be cut
    // short, and none follows it.
    const CPreviewModel& model = *window.Model();
    for (int row = 0; row + 1 < model.rowCount(); ++row)
        EXPECT_TRUE(model.Result(row).complete) << row;
    if (model.rowCount() > 0 && !model.Result(model.rowCount() - 1).complete) {
        EXPECT_LT(model.Result(model.rowCount() - 1).files, 200u);
    }
}
