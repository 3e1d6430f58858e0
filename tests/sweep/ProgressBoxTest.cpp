// SPDX-License-Identifier: GPL-3.0-or-later
// The progress box: its bar arithmetic for small and large counts, its
// texts, and the View > "Show Progress Bar" toggle that stores "Counter".
#include "app/CMainFrame.h"
#include "core/CommandIds.h"
#include "prefs/Settings.h"
#include "sweep/CProgressBox.h"
#include "tests/TestSupport.h"

#include <QAction>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace tw;

namespace {

struct RangeCase {
    long long files;
    long long range;
    long long filesPerStep;  // 0: one step per file
};

TEST(ProgressModel, BarIsFullExactlyWhenTheLastCountedFileIsWiped)
{
    for (const RangeCase c : {RangeCase{10, 10, 0}, RangeCase{32000, 32000, 0}, RangeCase{32001, 16001, 2},
                              RangeCase{96000, 32000, 3}, RangeCase{96001, 24001, 4}}) {
        ProgressModel model;
        model.SetRange(c.files);
        EXPECT_EQ(model.Range(), c.range) << c.files;
        EXPECT_EQ(model.Divisor(), c.filesPerStep) << c.files;
        EXPECT_LE(model.Range(), ProgressModel::kMaxSteps);

        long long moves = 0;
        long long last = 0;
        for (long long i = 0; i < c.files; ++i) {
            model.Step(1);
            if (model.Position() != last) {
                EXPECT_EQ(model.Position(), last + 1) << c.files << " file " << i;
                last = model.Position();
                ++moves;
            }
            if (i + 1 < c.files && model.Position() == model.Range()) {
                ADD_FAILURE() << c.files << ": full before the last file, at file " << i;
                break;
            }
        }
        EXPECT_EQ(model.Position(), c.range) << c.files << " files leave the bar short";
        EXPECT_EQ(moves, c.range);
        // A file counted twice never pushes the bar past its end.
        model.Step(5);
        EXPECT_EQ(model.Position(), c.range);
    }
}

TEST(ProgressModel, SmallCountsStepOncePerFileAndNothingForZero)
{
    ProgressModel model;
    model.SetRange(10);
    model.Step(3);
    EXPECT_EQ(model.Position(), 3);
    model.Step(0);
    model.Step(-2);
    EXPECT_EQ(model.Position(), 3);

    model.SetRange(0);
    EXPECT_EQ(model.Range(), 0);
    EXPECT_EQ(model.Position(), 0);
}

TEST(CProgressBox, CaptionPhaseTextsAndBar)
{
    CProgressBox box;
    box.show();
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Tarnowick Secure Delete Progress"));
    EXPECT_TRUE(box.findChildren<QPushButton*>().isEmpty());
    EXPECT_FALSE(box.isModal());
    EXPECT_EQ(box.m_editText->text(), QString());

    box.ShowScanning();
    EXPECT_EQ(box.m_editText->text(), QStringLiteral(" Scanning for Files ..."));
    box.SetRange(32001);
    box.ShowDeleting();
    EXPECT_EQ(box.m_editText->text(), QStringLiteral(" Deleting Files ..."));
    EXPECT_EQ(box.m_pProgress->maximum(), 16001);
    EXPECT_EQ(box.m_pProgress->value(), 0);
    box.Step(2);
    EXPECT_EQ(box.m_pProgress->value(), 1);
    box.Step(31999);
    EXPECT_EQ(box.m_pProgress->value(), box.m_pProgress->maximum());

    // Nothing to do: an empty bar, not a busy indicator.
    box.SetRange(0);
    EXPECT_GT(box.m_pProgress->maximum(), box.m_pProgress->minimum());
    EXPECT_EQ(box.m_pProgress->value(), 0);
}

class ShowProgressBarToggle : public ::testing::Test {
protected:
    void SetUp() override { test::ClearSettings(); }
};

TEST_F(ShowProgressBarToggle, WritesTrueOrFalseAndFlipsTheCheckMark)
{
    CMainFrame frame(std::make_unique<test::FakeDriveTable>());
    QAction* item = frame.Action(ID_VIEW_PROGRESS_BAR);
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->isChecked());  // no stored value: off

    frame.OnCommand(ID_VIEW_PROGRESS_BAR);
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(CSettings::Read(Setting::Counter), "TRUE");
    frame.OnCommand(ID_VIEW_PROGRESS_BAR);
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(CSettings::Read(Setting::Counter), "FALSE");

    // The menu item itself takes the same road.
    item->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(CSettings::Read(Setting::Counter), "TRUE");
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(CSettings::Read(Setting::Counter), "FALSE");
}

TEST_F(ShowProgressBarToggle, StartsFromTheStoredValue)
{
    CSettings::Write(Setting::Counter, "TRUE");
    CMainFrame on(std::make_unique<test::FakeDriveTable>());
    EXPECT_TRUE(on.Action(ID_VIEW_PROGRESS_BAR)->isChecked());
    on.OnCommand(ID_VIEW_PROGRESS_BAR);
    EXPECT_EQ(CSettings::Read(Setting::Counter), "FALSE");

    CSettings::Write(Setting::Counter, "true");  // only exactly "TRUE" is on
    CMainFrame off(std::make_unique<test::FakeDriveTable>());
    EXPECT_FALSE(off.Action(ID_VIEW_PROGRESS_BAR)->isChecked());
}

} // namespace
