// SPDX-License-Identifier: GPL-3.0-or-later
// The disk-level commands as the user meets them: the Working window that
// keeps moving while the worker thread is busy, the disk error dialog, and
// "Secure Empty Space" from the Select Drives dialog to the wiped drive.
#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "app/ModalSeam.h"
#include "disk/CDiskError.h"
#include "disk/CWorking.h"
#include "platform/Filler.h"
#include "prefs/CSelectDrives.h"
#include "prefs/Settings.h"
#include "tests/TestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
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
    const std::string stale = mount.Path() + "/" + kFillerPrefix + "stale";

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
    SetFillerWriteHook([&](int fd, const char* data, size_t size) -> ssize_t {
        if (!workingUp)
            QMetaObject::invokeMethod(frame.get(), [&] { workingUp = FindWorking() && FindWorking()->isVisible(); },
                                      Qt::BlockingQueuedConnection);
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
    EXPECT_FALSE(Exists(stale)) << "drive X was not wiped";
    EXPECT_EQ(frame->Drives().GetDrive(), 3);
    EXPECT_EQ(FindWorking(), nullptr);
}

} // namespace
