// SPDX-License-Identifier: GPL-3.0-or-later
// What keyboard and screen-reader users meet, and the details of the
// windows a command opens: names and roles as QAccessible tells them, the
// focus in the confirm dialog, captions that fit, a question that never
// hides the progress box, the help contents, the record's long paths and
// the toolbar's first picture.
#include "help/CHelpWindow.h"
#include "app/CMainFrame.h"
#include "app/CTarnowickView.h"
#include "core/CommandIds.h"
#include "app/ModalSeam.h"
#include "disk/CWorking.h"
#include "prefs/CPreferences.h"
#include "prefs/Settings.h"
#include "sweep/CProgressBox.h"
#include "tests/MainFrameSupport.h"
#include "tests/TestSupport.h"
#include "wipe/CConfirm.h"
#include "wipe/CFileError.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace tw;
using namespace tw::test;

namespace {

QString AccessibleName(QWidget* widget)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->text(QAccessible::Name) : QString();
}

QAccessible::Role AccessibleRole(QWidget* widget)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->role() : QAccessible::NoRole;
}

// The share of an image's visible pixels that carry colour.
double ColouredShare(const QImage& image)
{
    int visible = 0, coloured = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() < 128)
                continue;
            ++visible;
            coloured += c.hsvSaturation() > 100 || c.value() < 40;
        }
    return visible ? double(coloured) / visible : 0;
}

} // namespace

TEST(WindowDetailsTest, ToolbarButtonsAreNamedAsTheirCommandsWithoutTheKey)
{
    ClearSettings();
    auto frame = MakeFrame();
    int buttons = 0;
    for (QAction* action : frame->ToolBar()->actions()) {
        if (action->isSeparator())
            continue;
        QWidget* button = frame->ToolBar()->widgetForAction(action);
        ASSERT_NE(button, nullptr);
        const QString name = AccessibleName(button);
        EXPECT_FALSE(name.isEmpty());
        EXPECT_FALSE(name.contains(QLatin1Char('\t'))) << name.toStdString();
        EXPECT_FALSE(name.contains(QLatin1Char('&'))) << name.toStdString();
        EXPECT_FALSE(name.contains(QStringLiteral("Ctrl+"))) << name.toStdString();
        ++buttons;
    }
    EXPECT_EQ(buttons, 10);
    EXPECT_EQ(AccessibleName(frame->ToolBar()->widgetForAction(frame->Action(ID_SECURE_DELETE_FILE))),
              QStringLiteral("Secure Delete File"));
    EXPECT_EQ(AccessibleName(frame->ToolBar()->widgetForAction(frame->Action(ID_SECURE_DELETE_CACHE))),
              QStringLiteral("Secure Delete Cache"));
}

TEST(WindowDetailsTest, PreferencesTogglesHaveNamesAndTheTwoChoicesAreRadioButtons)
{
    ClearSettings();
    FakeDriveTable drives;
    drives.roots['C'] = "/";
    CPreferences dialog(drives);
    dialog.show();
    const std::pair<const char*, const char*> toggles[] = {
        {"IDC_ALL_CACHE", "All Files: Path To Internet Cache"},
        {"IDC_ALL_TEMP", "All Files: Path To Temp Directory"},
        {"IDC_ALL_OTHER", "All Files: Other Path"},
    };
    for (const auto& [object, name] : toggles) {
        auto* toggle = dialog.findChild<QAbstractButton*>(QLatin1String(object));
        ASSERT_NE(toggle, nullptr) << object;
        EXPECT_EQ(AccessibleName(toggle), QString::fromUtf8(name));
        EXPECT_EQ(AccessibleRole(toggle), QAccessible::CheckBox) << object;
    }
    auto* these = dialog.findChild<QAbstractButton*>(QStringLiteral("IDC_THESE_DIRECTORIES"));
    auto* all = dialog.findChild<QAbstractButton*>(QStringLiteral("IDC_ALL_DIRECTORIES"));
    ASSERT_TRUE(these && all);
    EXPECT_EQ(AccessibleRole(these), QAccessible::RadioButton);
    EXPECT_EQ(AccessibleRole(all), QAccessible::RadioButton);
    EXPECT_EQ(AccessibleRole(dialog.findChild<QAbstractButton*>(QStringLiteral("IDC_SUBDIRECTORIES"))), QAccessible::CheckBox);
    // Still exactly one of the two is set, whichever is clicked.
    for (QAbstractButton* button : {all, these, all}) {
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        EXPECT_TRUE(button->isChecked());
        EXPECT_NE(these->isChecked(), all->isChecked());
    }
}

// The confirm dialog opens with Cancel focused, and the focus is drawn
// from the start, so the user sees which button Enter presses; Tab moves
// the mark. No button becomes a default: Enter away from the buttons is
// still No.
TEST(WindowDetailsTest, TheConfirmDialogShowsWhichButtonEnterPresses)
{
    CConfirm dialog;
    dialog.m_strFile = QStringLiteral("/tmp/some/file.txt");
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("IDCANCEL"));
    auto* yes = dialog.findChild<QPushButton*>(QStringLiteral("IDC_YES"));
    ASSERT_TRUE(cancel && yes);
    EXPECT_EQ(dialog.focusWidget(), cancel);
    const QImage focused = cancel->grab().toImage();
    const QImage yesBefore = yes->grab().toImage();
    QTest::keyClick(&dialog, Qt::Key_Tab);
    ASSERT_EQ(dialog.focusWidget(), yes);
    EXPECT_NE(cancel->grab().toImage(), focused) << "Cancel looked the same with and without the focus";
    EXPECT_NE(yes->grab().toImage(), yesBefore) << "Yes looks the same with the focus";
    for (auto* button : dialog.findChildren<QPushButton*>())
        EXPECT_FALSE(button->isDefault()) << button->text().toStdString();
}

TEST(WindowDetailsTest, TheWorkingWindowIsWideEnoughForItsCaption)
{
    CWorking working;
    working.show();
    QFont title = working.font();
    title.setBold(true);
    EXPECT_GE(working.width(), QFontMetrics(title).horizontalAdvance(working.windowTitle()) + 100)
        << "the caption would be cut in the title bar";
}

// Every entry of the help contents shows whole.
TEST(WindowDetailsTest, TheHelpContentsShowEveryEntryWhole)
{
    CHelpWindow help;
    help.show();
    QTreeWidget* contents = help.Contents();
    contents->expandAll();
    QApplication::processEvents();
    int entries = 0;
    for (QTreeWidgetItemIterator it(contents); *it; ++it) {
        const QRect rect = contents->visualItemRect(*it);
        if (!rect.isValid())
            continue;  // scrolled out of sight
        const int needed = rect.left() + contents->fontMetrics().horizontalAdvance((*it)->text(0));
        EXPECT_LE(needed, contents->viewport()->width()) << (*it)->text(0).toStdString();
        ++entries;
    }
    EXPECT_GT(entries, 10);
}

// A question about a file opens beside the progress box, never over it.
TEST(WindowDetailsTest, AFileErrorOpensBesideTheProgressBox)
{
    ClearSettings();
    TempDir temp, elsewhere;
    WriteFile(temp / "a.tmp", "a");
    ASSERT_EQ(link((temp / "a.tmp").c_str(), (elsewhere / "a-again").c_str()), 0);
    CSettings::Write(Setting::TemporaryPath, temp.Path());
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    CSettings::WriteBool(Setting::Counter, true);
    auto frame = MakeFrame();
    QRect box, error;
    SetModalHook([&](QDialog& d) -> int {
        if (!qobject_cast<CFileError*>(&d))
            return 0;
        for (auto* progress : frame->findChildren<CProgressBox*>())
            if (progress->isVisible())
                box = progress->frameGeometry();
        error = d.frameGeometry();
        return int(IDC_IGNORE);
    });
    frame->OnCommand(ID_SECURE_DELETE_TEMP);
    SetModalHook({});
    ASSERT_TRUE(box.isValid()) << "no progress box while the question was open";
    EXPECT_FALSE(box.intersects(error)) << "the question hides the progress box";
}

TEST(WindowDetailsTest, TheRecordKeepsTheFileNameOfALongPath)
{
    auto frame = MakeFrame();
    QTreeView* tree = frame->findChild<CTarnowickView*>()->RecordView();
    EXPECT_EQ(tree->textElideMode(), Qt::ElideMiddle);
}

// The first toolbar picture is drawn in colour like the others, not in the
// greys that read as a disabled button.
TEST(WindowDetailsTest, TheFirstToolbarPictureLooksAsEnabledAsTheOthers)
{
    auto frame = MakeFrame();
    const double first = ColouredShare(frame->Action(ID_SECURE_DELETE_FILE)->icon().pixmap(16, 18).toImage());
    const double cache = ColouredShare(frame->Action(ID_SECURE_DELETE_CACHE)->icon().pixmap(16, 18).toImage());
    EXPECT_GT(first, 0.4) << "mostly grey";
    EXPECT_GT(first, cache / 2);
}
