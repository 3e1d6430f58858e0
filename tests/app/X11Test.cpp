// SPDX-License-Identifier: GPL-3.0-or-later
// The program under a real X server (an Xvfb of the test's own): the caption
// each window gives the desktop (_NET_WM_NAME, what every window manager
// shows) is exactly its own, and the status bar's CAP, NUM and SCRL follow
// the keyboard's lock indicators. Skipped, with the reason, where Xvfb is
// not installed.
#include "app/CAboutDlg.h"
#include "help/CHelpWindow.h"
#include "app/CMainFrame.h"
#include "wipe/COpenFileDialog.h"
#include "app/CTarnowickApp.h"
#include "app/ModalSeam.h"
#include "disk/CDiskError.h"
#include "disk/CWorking.h"
#include "prefs/CPreferences.h"
#include "prefs/CSelectDrives.h"
#include "sweep/CProgressBox.h"
#include "tests/TestSupport.h"
#include "wipe/CConfirm.h"
#include "wipe/CFileError.h"

#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

// Xlib last: its macros (None, Bool, Status) clash with names above.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace tw;

namespace {

std::string g_skip;  // why these tests cannot run here

// Our own connection to the server, to read what the desktop reads.
class XConnection {
public:
    XConnection() : m_display(XOpenDisplay(nullptr)) {}
    ~XConnection()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    Display* get() const { return m_display; }

    QString NetWmName(WId window) const
    {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        const Atom name = XInternAtom(m_display, "_NET_WM_NAME", False);
        const Atom utf8 = XInternAtom(m_display, "UTF8_STRING", False);
        if (XGetWindowProperty(m_display, Window(window), name, 0, 4096, False, utf8, &type, &format, &items, &after,
                               &data) != Success || !data)
            return {};
        const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(items));
        XFree(data);
        return text;
    }

private:
    Display* m_display;
};

class X11Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!g_skip.empty())
            GTEST_SKIP() << g_skip;
        test::ClearSettings();
        m_drives.roots['C'] = "/";
    }
    void TearDown() override { SetModalHook(nullptr); }

    // Waits until the desktop's caption of `w` is `expected`, then compares.
    void ExpectCaption(QWidget* w, const QString& expected)
    {
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w)) << expected.toStdString();
        (void)QTest::qWaitFor([&] { return m_x.NetWmName(w->winId()) == expected; }, 3000);
        EXPECT_EQ(m_x.NetWmName(w->winId()), expected);
    }

    XConnection m_x;
    test::FakeDriveTable m_drives;
};

TEST_F(X11Test, EveryWindowsCaptionIsExactlyItsOwn)
{
    CMainFrame frame(std::make_unique<test::FakeDriveTable>(m_drives));
    ExpectCaption(&frame, QStringLiteral("Tarnowick"));

    CPreferences preferences(m_drives, &frame);
    ExpectCaption(&preferences, QStringLiteral("Tarnowick Preferences"));
    CConfirm confirm(&frame);
    ExpectCaption(&confirm, QStringLiteral("Secure Delete Confirm"));
    CFileError fileError(&frame);
    ExpectCaption(&fileError, QStringLiteral("Secure Delete Error"));
    CDiskError diskError(&frame);
    ExpectCaption(&diskError, QStringLiteral("Tarnowick Secure Delete"));
    CProgressBox progress(&frame);
    ExpectCaption(&progress, QStringLiteral("Tarnowick Secure Delete Progress"));
    CSelectDrives selectDrives(m_drives, &frame);
    ExpectCaption(&selectDrives, QStringLiteral("Tarnowick Select Drives"));
    CWorking working(&frame);
    ExpectCaption(&working, QStringLiteral("Tarnowick Secure Delete Working"));
    CAboutDlg about(&frame);
    ExpectCaption(&about, QStringLiteral("About Tarnowick Secure Delete"));
    ExpectCaption(CHelpWindow::Open(&frame), QStringLiteral("Tarnowick Help"));
    FileDialogRequest request;
    request.title = QStringLiteral("Tarnowick Secure Delete");
    COpenFileDialog files(&frame, request);
    ExpectCaption(&files, QStringLiteral("Tarnowick Secure Delete"));

    QString boxCaption;
    SetModalHook([&](QDialog& box) {
        (void)QTest::qWaitForWindowExposed(&box);
        (void)QTest::qWaitFor([&] { return !m_x.NetWmName(box.winId()).isEmpty(); }, 3000);
        boxCaption = m_x.NetWmName(box.winId());
        return int(QMessageBox::Ok);
    });
    ParameterMessage(&frame, QStringLiteral("Other Path Not Entered"));
    EXPECT_EQ(boxCaption, QStringLiteral("Tarnowick Parameters"));
    delete CHelpWindow::Current();
}

TEST_F(X11Test, KeyPanesShowOnlyTheLocksThatAreOn)
{
    CMainFrame frame(std::make_unique<test::FakeDriveTable>(m_drives));
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    const auto pane = [&frame](const char* name) {
        return frame.StatusBar()->findChild<QLabel*>(QLatin1String(name))->text();
    };
    const auto panes = [&] {
        return QStringList{pane("ID_INDICATOR_CAP"), pane("ID_INDICATOR_NUM"), pane("ID_INDICATOR_SCRL")};
    };
    Display* d = m_x.get();
    const unsigned numLock = XkbKeysymToModifiers(d, XK_Num_Lock);
    ASSERT_NE(numLock, 0u);
    const Atom scrollLock = XInternAtom(d, "Scroll Lock", False);
    const auto set = [&](bool caps, bool num, bool scroll) {
        XkbLockModifiers(d, XkbUseCoreKbd, LockMask | numLock, (caps ? LockMask : 0) | (num ? numLock : 0));
        XkbSetNamedIndicator(d, scrollLock, True, scroll ? True : False, False, nullptr);
        XSync(d, False);
    };

    set(false, false, false);
    (void)QTest::qWaitFor([&] { return panes() == QStringList{QString(), QString(), QString()}; }, 3000);
    EXPECT_EQ(panes(), (QStringList{QString(), QString(), QString()}));

    set(true, false, false);
    (void)QTest::qWaitFor([&] { return pane("ID_INDICATOR_CAP") == QStringLiteral("CAP"); }, 3000);
    EXPECT_EQ(panes(), (QStringList{QStringLiteral("CAP"), QString(), QString()}));

    set(true, true, false);
    (void)QTest::qWaitFor([&] { return pane("ID_INDICATOR_NUM") == QStringLiteral("NUM"); }, 3000);
    EXPECT_EQ(panes(), (QStringList{QStringLiteral("CAP"), QStringLiteral("NUM"), QString()}));

    set(false, true, true);
    (void)QTest::qWaitFor([&] { return pane("ID_INDICATOR_SCRL") == QStringLiteral("SCRL"); }, 3000);
    EXPECT_EQ(panes(), (QStringList{QString(), QStringLiteral("NUM"), QStringLiteral("SCRL")}));

    set(false, false, false);
    (void)QTest::qWaitFor([&] { return panes() == QStringList{QString(), QString(), QString()}; }, 3000);
    EXPECT_EQ(panes(), (QStringList{QString(), QString(), QString()}));
}

// Starts an Xvfb of our own and returns its pid, or -1 with the reason.
pid_t StartXvfb(std::string& display, std::string& reason)
{
    int fds[2];
    if (pipe(fds) != 0) {
        reason = "no pipe";
        return -1;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "1280x1024x24",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (number.empty()) {
        waitpid(pid, nullptr, 0);
        reason = "Xvfb could not be started (is it installed?)";
        return -1;
    }
    display = ":" + number;
    return pid;
}

} // namespace

int main(int argc, char** argv)
{
    tw::test::TempDir config;
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    std::string display;
    const pid_t xvfb = StartXvfb(display, g_skip);
    if (xvfb > 0) {
        setenv("DISPLAY", display.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    } else {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    int status = 0;
    {
        // The program's own application object: its settings decide what
        // the desktop is told.
        CTarnowickApp app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    if (xvfb > 0) {
        kill(xvfb, SIGTERM);
        waitpid(xvfb, nullptr, 0);
    }
    return status;
}
