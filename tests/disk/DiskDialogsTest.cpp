// SPDX-License-Identifier: GPL-3.0-or-later
// The disk-level commands as the user meets them: the Working window that
// keeps moving while the worker thread is busy, the disk error dialog, and
// "Secure Empty Space" from the Select Drives dialog to the wiped drive.
#include "app/CMainFrame.h"
#include "app/CStopWatcher.h"
#include "core/CommandIds.h"
#include "app/ModalSeam.h"
#include "disk/CDiskError.h"
#include "disk/CWorking.h"
#include "disk/FreeSpaceWiper.h"
#include "platform/Filler.h"
#include "platform/StopSignal.h"
#include "prefs/CSelectDrives.h"
#include "prefs/Settings.h"
#include "tests/TestSupport.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <dirent.h>
#include <mutex>
#include <sys/statvfs.h>
#include <unistd.h>

using namespace tw;
using namespace tw::test;

namespace {

struct NoHooks {
    NoHooks() { SetModalHook({}); }
    ~NoHooks() { SetModalHook({}); }
};

std::unique_ptr<CMainFrame> MakeFrame(std::map<char, std::string> roots)
{
    auto drives = std::make_unique<FakeDriveTable>();
    drives->roots = std::move(roots);
    auto frame = std::make_unique<CMainFrame>(std::move(drives));
    frame->resize(640, 480);
    frame->show();
    return frame;
}

CWorking* FindWorking()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* working = qobject_cast<CWorking*>(w))
            return working;
    return nullptr;
}

TEST(CWorking, ShowsItsTextAndEightFramesCentredOnItsParent)
{
    QWidget parent;
    parent.setGeometry(100, 100, 800, 600);
    parent.show();
    CWorking working(&parent);
    working.show();
    EXPECT_EQ(working.windowTitle(), QStringLiteral("Tarnowick Secure Delete Working"));
    QStringList texts;
    for (QLabel* label : working.findChildren<QLabel*>())
        if (!label->text().isEmpty())
            texts << label->text();
    EXPECT_EQ(texts, QStringList{QStringLiteral("Working ...")});
    EXPECT_EQ(working.FrameCount(), 8);
    ASSERT_NE(working.m_animate->pixmap().isNull(), true);
    EXPECT_EQ(working.m_animate->pixmap().size(), QSize(50, 50));
    EXPECT_TRUE(working.findChildren<QPushButton*>().isEmpty());
    const QPoint offset = working.geometry().center() - parent.geometry().center();
    EXPECT_LE(offset.manhattanLength(), 4) << offset.x() << "," << offset.y();

    // Escape and the close box cannot take it away while its command runs.
    QTest::keyClick(&working, Qt::Key_Escape);
    working.close();
    EXPECT_TRUE(working.isVisible());
}

TEST(CWorking, KeepsMovingWhileTheWorkerThreadRunsTheCommand)
{
    NoHooks hooks;
    auto frame = MakeFrame({{'C', "/"}});

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<int> seen;
    bool visible = false;
    std::chrono::steady_clock::duration elapsed{};
    frame->RunOperation([&](Operation& op) {
        const auto window = op.host.ShowWorking();
        const auto start = std::chrono::steady_clock::now();
        QMetaObject::invokeMethod(frame.get(), [&] {
            CWorking* working = FindWorking();
            ASSERT_NE(working, nullptr);
            visible = working->isVisible();
            QObject::connect(working, &CWorking::frameShown, frame.get(), [&](int f) {
                std::lock_guard lock(mutex);
                seen.push_back(f);
                changed.notify_all();
            });
        }, Qt::BlockingQueuedConnection);
        // The worker is busy (waiting here) while the GUI thread animates:
        // one whole loop and the first frame of the next.
        std::unique_lock lock(mutex);
        changed.wait_for(lock, std::chrono::seconds(20), [&] { return seen.size() >= 9; });
        elapsed = std::chrono::steady_clock::now() - start;
    });

    EXPECT_TRUE(visible);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 0, 1}));
    // Nine frames at 15 a second take more than half a second.
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 500);
    EXPECT_EQ(FindWorking(), nullptr) << "the Working window outlived its command";
}

// The line below "Working ..." as the window shows it and as a screen
// reader reads it.
QString StatusLine(CWorking* working)
{
    if (!working || !working->m_status->isVisible())
        return {};
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(working->m_status);
    return a ? a->text(QAccessible::Name) : QString();
}

TEST(CWorking, ShowsTheFiguresOfTheFillOnALineOfItsOwn)
{
    NoHooks hooks;
    QWidget owner;
    owner.show();
    CGuiHost host(&owner);
    auto window = host.ShowWorking();
    CWorking* working = FindWorking();
    ASSERT_NE(working, nullptr);
    EXPECT_TRUE(StatusLine(working).isEmpty()) << "a line before there are figures";
    const QSize small = working->size();

    FillStatus status{FillStatus::Filling, 'D', "/home", 0, 350ull << 30};
    window->Update(status);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !StatusLine(working).isEmpty(); }));
    EXPECT_EQ(StatusLine(working), QStringLiteral("D: /home \u2014 0 bytes of 350 GiB"));
    EXPECT_GT(working->height(), small.height());

    // Many updates at once reach the window as the latest.
    for (int i = 1; i <= 100; ++i) {
        status.written = uint64_t(i) << 20;
        window->Update(status);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return StatusLine(working).startsWith(QStringLiteral("D: /home \u2014 100 MiB of 350 GiB")); }))
        << StatusLine(working).toStdString();

    status.phase = FillStatus::Flushing;
    window->Update(status);
    EXPECT_TRUE(QTest::qWaitFor([&] { return StatusLine(working) == QStringLiteral("Flushing to the device ..."); }));
    status.phase = FillStatus::GivingBack;
    window->Update(status);
    EXPECT_TRUE(QTest::qWaitFor([&] { return StatusLine(working) == QStringLiteral("Giving the space back ..."); }));

    // Caption, text and animation stay as they were.
    EXPECT_EQ(working->windowTitle(), QStringLiteral("Tarnowick Secure Delete Working"));
    EXPECT_EQ(working->m_animate->size(), QSize(50, 50));
    window.reset();
    EXPECT_EQ(FindWorking(), nullptr);
}

// Puts the stop flag back for the tests that follow, however a test ends.
struct ClearStop {
    ~ClearStop() { ClearStopRequest(); SetFillerWriteHook(nullptr); }
};

// SIGTERM while "Secure Empty Space" fills a drive: the fill stops, the
// space comes back, the command ends, and then the program quits.
TEST(CStopWatcher, SigtermDuringAFillEndsTheCommandCleanlyThenQuits)
{
    NoHooks hooks;
    ClearStop clear;
    TmpfsMount mount("8M");
    if (!mount.Available())
        GTEST_SKIP() << mount.SkipReason();
    TempDir c;
    auto frame = MakeFrame({{'C', c.Path()}, {'X', mount.Path()}});
    int quits = 0;
    bool busyAtQuit = true;
    new CStopWatcher(frame.get(), [&] {
        ++quits;
        busyAtQuit = frame->Runner().IsBusy();
    });
    CSettings::Write(Setting::Drives2, "X!");
    const unsigned long long freeBefore = FreeBlocks(mount.Path());

    SetNamedFillersOnly(true);
    int writes = 0;
    bool sawFiller = false;
    SetFillerWriteHook([&](int fd, const char* data, size_t size) -> ssize_t {
        if (++writes == 2) {
            sawFiller = FillersIn(mount.Path()).size() == 1;
            raise(SIGTERM);  // the handler only sets the flag and wakes the window
        }
        return write(fd, data, size);
    });
    SetModalHook([&](QDialog& d) {
        auto* select = qobject_cast<CSelectDrives*>(&d);
        EXPECT_NE(select, nullptr) << d.windowTitle().toStdString();
        if (!select)
            return int(IDCANCEL);
        select->accept();
        return select->result();
    });
    frame->OnCommand(ID_SECURE_EMPTY_SPACE);
    SetNamedFillersOnly(false);

    EXPECT_TRUE(QTest::qWaitFor([&] { return quits > 0; }));
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(busyAtQuit);
    EXPECT_EQ(StopSignalNumber(), SIGTERM);
    EXPECT_TRUE(sawFiller);
    EXPECT_EQ(writes, 2) << "the fill went on after the stop";
    EXPECT_TRUE(FillersIn(mount.Path()).empty());
    EXPECT_EQ(FreeBlocks(mount.Path()), freeBefore);
    EXPECT_EQ(FindWorking(), nullptr);

    // No further command starts once the program is ending.
    bool ran = false;
    frame->RunOperation([&](Operation&) { ran = true; });
    EXPECT_FALSE(ran);
}

// A question on screen when the stop comes is answered as its close box
// would answer it, and the command ends at once.
TEST(CStopWatcher, AQuestionOnScreenIsAnsweredCancelWhenTheStopComes)
{
    NoHooks hooks;
    ClearStop clear;
    TempDir c;
    auto frame = MakeFrame({{'C', c.Path()}});
    int quits = 0;
    new CStopWatcher(frame.get(), [&] { ++quits; });
    CSettings::Write(Setting::Drives2, "Q!R!");
    int diskErrors = 0;
    int diskResult = -1;
    SetModalHook([&](QDialog& d) {
        if (auto* select = qobject_cast<CSelectDrives*>(&d)) {
            // Q and R are not mounted: each would bring up the disk error.
            select->m_strDrives = QStringLiteral("Q!R!");
            select->done(IDOK);
            return int(IDOK);
        }
        ++diskErrors;
        // The dialog stands, modal, when the stop comes from outside.
        RequestStop();
        diskResult = d.exec();
        return diskResult;
    });
    frame->OnCommand(ID_SECURE_EMPTY_SPACE);
    EXPECT_TRUE(QTest::qWaitFor([&] { return quits > 0; }));
    EXPECT_EQ(diskErrors, 1) << "drive R was asked about after the stop";
    EXPECT_EQ(diskResult, int(IDCANCEL)) << "not answered as the close box answers";
    EXPECT_EQ(FindWorking(), nullptr);
}

TEST(CDiskError, ShowsTheTextWithIgnoreFocusedAndEndsWithEachAnswer)
{
    NoHooks hooks;
    QWidget owner;
    owner.show();
    CGuiHost host(&owner);
    int round = 0;
    SetModalHook([&](QDialog& d) {
        auto* dialog = qobject_cast<CDiskError*>(&d);
        EXPECT_NE(dialog, nullptr);
        if (!dialog)
            return int(IDCANCEL);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Tarnowick Secure Delete"));
        QStringList texts;
        for (QLabel* label : d.findChildren<QLabel*>())
            texts << label->text();
        EXPECT_EQ(texts, (QStringList{QStringLiteral("Error During Secure Disk"), QStringLiteral("Error Securing Disk [ 10 ]")}));
        EXPECT_EQ(dialog->m_btnIgnore->text(), QStringLiteral("Ignore Disk"));
        EXPECT_EQ(dialog->m_btnCancelOperation->text(), QStringLiteral("Cancel Operation"));
        d.activateWindow();
        QApplication::setActiveWindow(&d);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
        EXPECT_EQ(QApplication::focusWidget(), dialog->m_btnIgnore);
        switch (round++) {
        case 0: QTest::mouseClick(dialog->m_btnIgnore, Qt::LeftButton); break;
        case 1: QTest::mouseClick(dialog->m_btnCancelOperation, Qt::LeftButton); break;
        case 2: QTest::keyClick(&d, Qt::Key_Escape); break;
        // No button is the default: Enter presses the one with the focus.
        case 3: QTest::keyClick(&d, Qt::Key_Return); break;
        default: d.close(); break;
        }
        return d.result();
    });
    EXPECT_EQ(host.DiskError("Error Securing Disk [ 10 ]"), IDC_IGNORE);
    EXPECT_EQ(host.DiskError("Error Securing Disk [ 10 ]"), IDC_CANCEL_OPERATION);
    EXPECT_EQ(host.DiskError("Error Securing Disk [ 10 ]"), IDCANCEL);
    EXPECT_EQ(host.DiskError("Error Securing Disk [ 10 ]"), IDC_IGNORE);
    EXPECT_EQ(host.DiskError("Error Securing Disk [ 10 ]"), IDCANCEL);
}

TEST(SecureEmptySpaceCommand, WipesTheChosenDriveUnderTheWorkingWindow)
{
    NoHooks hooks;
    TmpfsMount mount("2M");
    if (!mount.Available())
        GTEST_SKIP() << mount.SkipReason();
    TempDir c;
    auto frame = MakeFrame({{'C', c.Path()}, {'X', mount.Path()}});
    frame->Drives().ChangeDrive(3);
    CSettings::Write(Setting::Drives2, "X!");
    const std::string stale = mount.Path() + "/" + kFillerPrefix + "00000000000000cc";

    // Cancel in the Select Drives dialog: nothing happens.
    WriteFile(stale, "x");
    QStringList titles;
    SetModalHook([&](QDialog& d) {
        titles << d.windowTitle();
        return int(IDCANCEL);
    });
    frame->OnCommand(ID_SECURE_EMPTY_SPACE);
    EXPECT_EQ(titles, QStringList{QStringLiteral("Tarnowick Select Drives")});
    EXPECT_TRUE(Exists(stale));

    // OK: drive X is wiped while the Working window stands.
    std::atomic<bool> workingUp{false};
    QString line;
    SetFillerWriteHook([&](int fd, const char* data, size_t size) -> ssize_t {
        if (!workingUp)
            QMetaObject::invokeMethod(frame.get(), [&] {
                workingUp = FindWorking() && FindWorking()->isVisible();
                // The figures of the fill's start were posted before this.
                line = StatusLine(FindWorking());
            }, Qt::BlockingQueuedConnection);
        return write(fd, data, size);
    });
    SetModalHook([&](QDialog& d) {
        auto* select = qobject_cast<CSelectDrives*>(&d);
        EXPECT_NE(select, nullptr);
        if (!select)
            return int(IDCANCEL);
        select->accept();
        return select->result();
    });
    frame->OnCommand(ID_SECURE_EMPTY_SPACE);
    SetFillerWriteHook(nullptr);
    EXPECT_TRUE(workingUp) << "no Working window while the drive was filled";
    EXPECT_TRUE(line.startsWith(QString::fromStdString("X: " + mount.Path()) + QStringLiteral(" \u2014 0 bytes of ")))
        << line.toStdString();
    EXPECT_FALSE(Exists(stale)) << "drive X was not wiped";
    EXPECT_EQ(frame->Drives().GetDrive(), 3);
    EXPECT_EQ(FindWorking(), nullptr);
}

} // namespace
