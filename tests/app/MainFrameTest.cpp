// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: its whole command surface, the check mark that follows
// "Counter", the caption, the absence of context menus, and the way a
// command's operation runs on the worker thread while the window waits.
#include "app/CMainFrame.h"
#include "core/CommandIds.h"
#include "app/CommandTable.h"
#include "app/ModalSeam.h"
#include "platform/FileError.h"
#include "prefs/Settings.h"
#include "sweep/CProgressBox.h"
#include "tests/MainFrameSupport.h"
#include "tests/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTest>
#include <QThread>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <atomic>

using namespace tw;

using test::MakeFrame;

namespace {

struct Row {
    int id;
    const char* menu;
    const char* text;
    const char* shortcut;
    const char* prompt;
    const char* tooltip;
};

// The command surface as the user sees it.
const Row kRows[] = {
    {ID_SECURE_DELETE_FILE, "&File", "&Secure Delete File\tCtrl+D", "Ctrl+D", "Secure Delete File", "File"},
    {ID_SECURE_DELETE_CACHE, "&File", "Secure Delete &Cache\tCtrl+C", "Ctrl+C", "Secure Delete Internet Cache", "Cache"},
    {ID_SECURE_DELETE_TEMP, "&File", "Secure Delete Temp Files\tCtrl+T", "Ctrl+T", "Secure Delete Temporary Files", "Temp"},
    {ID_SECURE_DELETE_OTHER, "&File", "Secure Delete &Other\tCtrl+O", "Ctrl+O", "Secure Delete Other Directory", "Other"},
    {ID_SECURE_DELETE_PREFERENCES, "&File", "Secure Delete &Preferences\tCtrl+P", "Ctrl+P", "Secure Delete by User Preferences", "Preferences"},
    {ID_OVERCOMMIT_SWAPFILE, "&File", "Overcommit Swapfile\tCtrl+S", "Ctrl+S", "Overcommit Swapfile", "Swapfile"},
    {ID_SECURE_EMPTY_SPACE, "&File", "Secure Empty Space\tCtrl+E", "Ctrl+E", "Secure Empty Space on Disk", "Secure Deleted Files"},
    {ID_FILE_SAVE_REPORT, "&File", "Save &Report...\tCtrl+Shift+S", "Ctrl+Shift+S", "Save the record of this session as a destruction report", "Save Report"},
    {ID_APP_EXIT, "&File", "E&xit", "", "Quit the application", "Exit"},
    {ID_PREFERENCES, "&Edit", "Preferences\tCtrl+R", "Ctrl+R", "Enter Preferences", "Preferences"},
    {ID_VIEW_TOOLBAR, "&View", "&Toolbar", "", "Show or hide the toolbar", "Toggle ToolBar"},
    {ID_VIEW_STATUS_BAR, "&View", "&Status Bar", "", "Show or hide the status bar", "Toggle StatusBar"},
    {ID_VIEW_PROGRESS_BAR, "&View", "Show &Progress Bar", "", "Display Progress Bar", "Toggle Progress Bar"},
    {ID_VIEW_PREVIEW, "&View", "Pre&view Sweeps...", "", "List the files each sweep would destroy now, without destroying anything", "Preview Sweeps"},
    {ID_HELP_FINDER, "&Help", "Index", "", "Help Index", "Help"},
    {ID_APP_ABOUT, "&Help", "&About Tarnowick...", "", "Display program information, version number and copyright", "About"},
};

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ClearSettings();
        SetModalHook({});
        SetFileDialogHook({});
    }
    void TearDown() override
    {
        SetModalHook({});
        SetFileDialogHook({});
    }
};

} // namespace

TEST_F(MainFrameTest, MenusHoldTheCommandsInOrderWithTextsPromptsAndAccelerators)
{
    auto frame = MakeFrame();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Tarnowick"));

    QStringList menuTitles;
    std::vector<std::pair<QString, QAction*>> items;
    for (QAction* top : frame->menuBar()->actions()) {
        menuTitles << top->text();
        for (QAction* item : top->menu()->actions())
            items.emplace_back(top->text(), item);
    }
    EXPECT_EQ(menuTitles, (QStringList{QStringLiteral("&File"), QStringLiteral("&Edit"), QStringLiteral("&View"), QStringLiteral("&Help")}));

    size_t row = 0;
    std::vector<size_t> separators;
    for (const auto& [menu, item] : items) {
        if (item->isSeparator()) {
            separators.push_back(row);
            continue;
        }
        ASSERT_LT(row, std::size(kRows));
        const Row& r = kRows[row++];
        EXPECT_EQ(menu, QString::fromUtf8(r.menu));
        EXPECT_EQ(item->text(), QString::fromUtf8(r.text));
        EXPECT_EQ(item->data().toInt(), r.id);
        EXPECT_EQ(item->shortcut(), QKeySequence(QString::fromUtf8(r.shortcut))) << r.text;
        EXPECT_EQ(item->statusTip(), QString::fromUtf8(r.prompt));
        EXPECT_EQ(item->toolTip(), QString::fromUtf8(r.tooltip));
    }
    EXPECT_EQ(row, std::size(kRows));
    // One separator before E&xit, one between the View menu's switches and
    // the preview.
    EXPECT_EQ(separators, (std::vector<size_t>{8, 13}));
}

TEST_F(MainFrameTest, ToolbarHasTenButtonsInFourGroupsWithTooltips)
{
    auto frame = MakeFrame();
    QStringList shape;
    for (QAction* a : frame->ToolBar()->actions())
        shape << (a->isSeparator() ? QStringLiteral("|") : a->toolTip());
    EXPECT_EQ(shape.join(QLatin1Char(',')),
              QStringLiteral("File,|,Cache,Temp,Other,Preferences,Swapfile,Secure Deleted Files,|,Preferences,|,Help,Context Help"));
    const QList<int> ids = {ID_SECURE_DELETE_FILE, ID_SECURE_DELETE_CACHE, ID_SECURE_DELETE_TEMP, ID_SECURE_DELETE_OTHER,
                            ID_SECURE_DELETE_PREFERENCES, ID_OVERCOMMIT_SWAPFILE, ID_SECURE_EMPTY_SPACE, ID_PREFERENCES,
                            ID_HELP_FINDER, ID_CONTEXT_HELP};
    QList<int> seen;
    for (QAction* a : frame->ToolBar()->actions())
        if (!a->isSeparator()) {
            seen << a->data().toInt();
            EXPECT_FALSE(a->icon().isNull()) << a->toolTip().toStdString();
        }
    EXPECT_EQ(seen, ids);
    EXPECT_EQ(frame->Action(ID_CONTEXT_HELP)->statusTip(), QStringLiteral("Context Help"));
    EXPECT_EQ(frame->toolBarArea(frame->ToolBar()), Qt::TopToolBarArea);
    EXPECT_EQ(frame->ToolBar()->allowedAreas(), Qt::AllToolBarAreas);
    EXPECT_TRUE(frame->ToolBar()->isFloatable());
}

TEST_F(MainFrameTest, StatusBarShowsReadyPromptsAndKeyPanes)
{
    auto frame = MakeFrame();
    QStatusBar* bar = frame->StatusBar();
    EXPECT_EQ(bar->currentMessage(), QStringLiteral("Ready"));
    // The three key panes, in order; blank where the platform does not tell
    // the locks' state (here: offscreen). X11Test sees them light up.
    QStringList panes;
    for (QLabel* label : bar->findChildren<QLabel*>())
        if (label->objectName().startsWith(QLatin1String("ID_INDICATOR_"))) {
            panes << label->objectName();
            EXPECT_EQ(label->text(), QString()) << label->objectName().toStdString();
            EXPECT_GE(label->minimumWidth(), label->fontMetrics().horizontalAdvance(QStringLiteral("CAP")));
        }
    EXPECT_EQ(panes, (QStringList{QStringLiteral("ID_INDICATOR_CAP"), QStringLiteral("ID_INDICATOR_NUM"),
                                  QStringLiteral("ID_INDICATOR_SCRL")}));

    // Hovering a toolbar button puts its prompt into the message pane;
    // leaving it brings back "Ready".
    QWidget* button = frame->ToolBar()->widgetForAction(frame->Action(ID_SECURE_DELETE_TEMP));
    ASSERT_NE(button, nullptr);
    QStatusTipEvent tip(frame->Action(ID_SECURE_DELETE_TEMP)->statusTip());
    QApplication::sendEvent(button, &tip);
    EXPECT_EQ(bar->currentMessage(), QStringLiteral("Secure Delete Temporary Files"));
    QStatusTipEvent clear{QString()};
    QApplication::sendEvent(button, &clear);
    EXPECT_EQ(bar->currentMessage(), QStringLiteral("Ready"));
}

TEST_F(MainFrameTest, ProgressBarCheckMarkFollowsCounterAtStart)
{
    for (const char* value : {"", "FALSE", "true", "TRUE ", "1"}) {
        CSettings::Write(Setting::Counter, value);
        EXPECT_FALSE(MakeFrame()->Action(ID_VIEW_PROGRESS_BAR)->isChecked()) << '"' << value << '"';
    }
    test::ClearSettings();
    EXPECT_FALSE(MakeFrame()->Action(ID_VIEW_PROGRESS_BAR)->isChecked());
    CSettings::Write(Setting::Counter, "TRUE");
    EXPECT_TRUE(MakeFrame()->Action(ID_VIEW_PROGRESS_BAR)->isChecked());
}

TEST_F(MainFrameTest, ProgressBarToggleFlipsTheMarkAndStoresExactText)
{
    auto frame = MakeFrame();
    QAction* item = frame->Action(ID_VIEW_PROGRESS_BAR);
    item->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(CSettings::Read(Setting::Counter), "TRUE");
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(CSettings::Read(Setting::Counter), "FALSE");
}

TEST_F(MainFrameTest, ToolbarAndStatusBarTogglesShowAndHideWithCheckMarks)
{
    auto frame = MakeFrame();
    QAction* toolbar = frame->Action(ID_VIEW_TOOLBAR);
    QAction* status = frame->Action(ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(toolbar->isChecked());
    EXPECT_TRUE(status->isChecked());
    toolbar->trigger();
    EXPECT_FALSE(toolbar->isChecked());
    EXPECT_FALSE(frame->ToolBar()->isVisible());
    toolbar->trigger();
    EXPECT_TRUE(toolbar->isChecked());
    EXPECT_TRUE(frame->ToolBar()->isVisible());
    status->trigger();
    EXPECT_FALSE(frame->StatusBar()->isVisible());
    status->trigger();
    EXPECT_TRUE(frame->StatusBar()->isVisible());
}

TEST_F(MainFrameTest, CaptionNeverChangesAndNoContextMenuAnywhere)
{
    auto frame = MakeFrame();
    frame->setWindowFilePath(QStringLiteral("/tmp/some document"));
    frame->repaint();
    QApplication::processEvents();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Tarnowick"));

    bool menuShown = false;
    QObject::connect(qApp, &QApplication::focusChanged, [&](QWidget*, QWidget* now) {
        if (qobject_cast<QMenu*>(now))
            menuShown = true;
    });
    for (QWidget* w : {static_cast<QWidget*>(frame->ToolBar()), static_cast<QWidget*>(frame->StatusBar()),
                       frame->centralWidget(), static_cast<QWidget*>(frame.get())}) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), w->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(w, &event);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << w->metaObject()->className();
    }
    EXPECT_FALSE(menuShown);
}

TEST_F(MainFrameTest, OverwriteBufferHoldsSixtyFourCopiesOfThePattern)
{
    auto frame = MakeFrame();
    const WipeBuffer& buffer = frame->Buffer();
    EXPECT_EQ(std::string(buffer.data(), buffer.size()), test::Pattern(1024));
}

TEST_F(MainFrameTest, CtrlCRunsTheCacheSweepAndEditingKeysDoNothing)
{
    auto frame = MakeFrame();
    // Accelerators act in the active window.
    QApplication::setActiveWindow(frame.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    QStringList boxes;
    SetModalHook([&](QDialog& d) {
        if (auto* box = qobject_cast<QMessageBox*>(&d))
            boxes << box->windowTitle() + QLatin1Char('|') + box->text();
        else
            boxes << d.windowTitle();
        return int(QMessageBox::Ok);
    });
    // With no cache path set, the cache sweep answers with its message.
    QTest::keyClick(frame.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(boxes, QStringList{QStringLiteral("Tarnowick Parameters|Internet Cache Path Not Entered")});

    boxes.clear();
    const std::pair<Qt::Key, Qt::KeyboardModifiers> dead[] = {
        {Qt::Key_V, Qt::ControlModifier}, {Qt::Key_Insert, Qt::ShiftModifier}, {Qt::Key_X, Qt::ControlModifier},
        {Qt::Key_Delete, Qt::ShiftModifier}, {Qt::Key_Insert, Qt::ControlModifier}, {Qt::Key_Z, Qt::ControlModifier},
        {Qt::Key_Backspace, Qt::AltModifier}, {Qt::Key_F6, Qt::NoModifier}, {Qt::Key_F6, Qt::ShiftModifier}};
    for (const auto& [key, mods] : dead)
        QTest::keyClick(frame.get(), key, mods);
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(QLatin1Char(',')).toStdString();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Tarnowick"));
}

// The command mechanism: the operation runs off the GUI thread, its
// question is a modal dialog on the GUI thread, its answer reaches the
// worker, progress does not block it, and the window takes no input
// meanwhile.
TEST_F(MainFrameTest, OperationAsksOnTheGuiThreadAndWaitsForTheAnswer)
{
    auto frame = MakeFrame();
    QThread* gui = QThread::currentThread();
    std::atomic<bool> onWorker{false};
    int answer = 0;
    QStringList asked;
    SetModalHook([&](QDialog& d) {
        EXPECT_EQ(QThread::currentThread(), gui);
        asked << d.windowTitle() + QLatin1Char('|') + d.findChild<QLineEdit*>(QStringLiteral("IDC_ERROR_MESSAGE"))->text();
        // A key pressed in the main window while the command runs is not a command.
        QTest::keyClick(frame.get(), Qt::Key_C, Qt::ControlModifier);
        return int(IDC_IGNORE);
    });
    frame->RunOperation([&](Operation& op) {
        onWorker = QThread::currentThread() != gui;
        answer = op.host.FileError("/tmp/a", "Error Securing File/tmp/a [ 13 ]");
    });
    EXPECT_TRUE(onWorker);
    EXPECT_EQ(answer, IDC_IGNORE);
    EXPECT_EQ(asked, QStringList{QStringLiteral("Secure Delete Error|Error Securing File/tmp/a [ 13 ]")});
    EXPECT_FALSE(frame->Runner().IsBusy());
}

TEST_F(MainFrameTest, ProgressReachesTheBoxAndTheBoxGoesWithTheCommand)
{
    auto frame = MakeFrame();
    long long finalPosition = -1;
    frame->RunOperation([&](Operation& op) {
        auto box = op.host.CreateProgress();
        box->ShowScanning();
        box->SetRange(40000);
        box->ShowDeleting();
        for (int i = 0; i < 40000; ++i)
            box->Step(1);
        // Let the GUI catch up before the box goes: the steps are posted.
        QMetaObject::invokeMethod(frame.get(), [&] {
            auto* shown = frame->findChild<CProgressBox*>();
            finalPosition = shown ? shown->Model().Position() : -2;
        }, Qt::BlockingQueuedConnection);
    });
    EXPECT_EQ(finalPosition, 20000);  // 40000 files, two per step
    EXPECT_EQ(frame->findChild<CProgressBox*>(), nullptr);
}

TEST_F(MainFrameTest, UncaughtFileErrorEndsTheCommandWithOneMessageAfterItsWindowsClose)
{
    auto frame = MakeFrame();
    QStringList shown;
    bool boxAliveAtReport = true;
    SetModalHook([&](QDialog& d) {
        shown << d.windowTitle() + QLatin1Char('|') + static_cast<QMessageBox&>(d).text();
        boxAliveAtReport = frame->findChild<CProgressBox*>() != nullptr;
        return int(QMessageBox::Ok);
    });
    bool after = false;
    frame->RunOperation([&](Operation& op) {
        auto box = op.host.CreateProgress();
        throw MakeFileException("removing", "/srv/x.tmp", EACCES);
        after = true;
    });
    EXPECT_FALSE(after);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(QLatin1String("/srv/x.tmp"))) << shown[0].toStdString();
    EXPECT_TRUE(shown[0].contains(QLatin1String("removing")));
    EXPECT_FALSE(boxAliveAtReport);
    // The program goes on: the next command runs.
    bool ran = false;
    frame->RunOperation([&](Operation&) { ran = true; });
    EXPECT_TRUE(ran);
}
