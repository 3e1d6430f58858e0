// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the command line, the window it opens, and the about box.
#include "app/CGuiHost.h"
#include "inbound/CInstanceServer.h"
#include "app/CMainFrame.h"
#include "app/CTarnowickApp.h"
#include "core/CommandIds.h"
#include "app/ModalSeam.h"
#include "platform/StopSignal.h"
#include "prefs/Settings.h"
#include "tests/TestSupport.h"
#include "wipe/CConfirm.h"

#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <deque>
#include <sys/stat.h>

using namespace tw;

namespace {
CTarnowickApp* g_app = nullptr;
}

TEST(StartupTest, NoArgumentsOpensTheMainWindow)
{
    SetModalHook({});
    ASSERT_EQ(g_app->InitInstance({}), 0);
    ASSERT_NE(g_app->MainFrame(), nullptr);
    EXPECT_TRUE(g_app->MainFrame()->isVisible());
    EXPECT_EQ(g_app->MainFrame()->windowTitle(), QStringLiteral("Tarnowick"));
}

TEST(StartupTest, OneReadableFileIsOpenedAndLeftAlone)
{
    test::TempDir dir;
    const std::string file = dir / "doc.tarn";
    test::WriteFile(file, "contents stay as they are");
    SetModalHook([](QDialog&) -> int {
        ADD_FAILURE() << "no message expected";
        return 0;
    });
    EXPECT_EQ(g_app->InitInstance(CommandLine::OpenDocument(file)), 0);
    EXPECT_EQ(test::ReadFile(file), "contents stay as they are");
    SetModalHook({});
}

TEST(StartupTest, AFileThatCannotBeOpenedIsReportedAndNoWindowShows)
{
    test::TempDir dir;
    QStringList shown;
    SetModalHook([&](QDialog& d) {
        shown << static_cast<QMessageBox&>(d).text();
        return int(QMessageBox::Ok);
    });
    const QString missing = QString::fromStdString(dir / "missing.tarn");
    EXPECT_EQ(g_app->InitInstance(CommandLine::OpenDocument(missing.toStdString())), 1);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(missing));
    SetModalHook({});
}

TEST(StartupTest, AnythingElsePrintsUsageAndExitsWithTwo)
{
    for (const QStringList& args : {QStringList{QStringLiteral("a"), QStringLiteral("b")},
                                    QStringList{QStringLiteral("--frobnicate")}}) {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(TARNOWICK_BINARY), args);
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitCode(), 2);
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        EXPECT_TRUE(err.contains(QStringLiteral("\nusage: tarnowick [FILE]\n"))) << err.toStdString();
    }
}

// An option neither the program nor the toolkit knows is a usage error
// also without a display: the toolkit never gets to abort on it.
TEST(StartupTest, AnUnknownOptionWithoutADisplayIsAUsageError)
{
    for (const char* platform : {"xcb", "wayland"}) {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(platform));
        env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":9999"));
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("nowhere-9999"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(TARNOWICK_BINARY), {QStringLiteral("--bogus")});
        ASSERT_TRUE(program.waitForFinished(30000)) << platform;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << platform;
        EXPECT_EQ(program.exitCode(), 2) << platform;
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        EXPECT_TRUE(err.startsWith(QStringLiteral("tarnowick: unknown option --bogus\nusage: tarnowick [FILE]\n")))
            << err.toStdString();
    }
}

// SIGTERM while the start-up message "Cannot open ..." waits for OK: the
// signal answers it, as it answers every question, and the program ends.
TEST(StartupTest, ASignalAnswersTheStartUpMessage)
{
    test::TempDir dir;
    SetModalHook({});
    bool shown = false;
    // Looked at once the message is on screen, from its own modal loop.
    QTimer::singleShot(0, [&shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        shown = box && box->text().startsWith(QStringLiteral("Cannot open "));
        raise(SIGTERM);
    });
    // Should the signal not answer it, the test still ends.
    QTimer rescue;
    rescue.setSingleShot(true);
    QObject::connect(&rescue, &QTimer::timeout, [] {
        ADD_FAILURE() << "the message stayed after SIGTERM";
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            box->reject();
    });
    rescue.start(30000);
    const int status = g_app->InitInstance(CommandLine::OpenDocument(dir / "missing.tarn"));
    rescue.stop();
    EXPECT_TRUE(shown);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(StopRequested());
    ClearStopRequest();
}

// --help and --version answer on standard output and need no display:
// run with a display that cannot be reached, they still exit 0.
TEST(StartupTest, HelpAndVersionPrintAndExitWithZero)
{
    for (const auto& [arg, expected] : {std::pair{"--version", "Tarnowick 1.0\n"},
                                        std::pair{"--help", "usage: tarnowick [FILE]\n"}}) {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":9999"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(TARNOWICK_BINARY), {QString::fromLatin1(arg)});
        ASSERT_TRUE(program.waitForFinished(30000)) << arg;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << arg;
        EXPECT_EQ(program.exitCode(), 0) << arg;
        const QByteArray out = program.readAllStandardOutput();
        EXPECT_TRUE(out.startsWith(expected)) << arg << ": " << out.toStdString();
        EXPECT_TRUE(program.readAllStandardError().isEmpty()) << arg;
    }
}

// A pipe, a folder or a device named as the document is refused with a
// message that says what it is, before any window, and never waited on: a
// reading open of a FIFO without a writer would block for good.
TEST(StartupTest, SomethingThatIsNoRegularFileIsRefusedWithoutWaiting)
{
    test::TempDir dir;
    const std::string fifo = dir / "queue";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path;
        const char* says;
    } cases[] = {
        {fifo, "It is a named pipe (FIFO), not a file."},
        {dir.Path(), "It is a folder, not a file."},
        {"/dev/null", "It is a device, not a file."},
    };
    for (const Case& c : cases) {
        QStringList shown;
        SetModalHook([&](QDialog& d) {
            shown << static_cast<QMessageBox&>(d).text();
            return int(QMessageBox::Ok);
        });
        EXPECT_EQ(g_app->InitInstance(CommandLine::OpenDocument(c.path)), 1) << c.path;
        SetModalHook({});
        ASSERT_EQ(shown.size(), 1) << c.path;
        EXPECT_TRUE(shown[0].startsWith(QStringLiteral("Cannot open %1.\n").arg(QString::fromStdString(c.path))))
            << shown[0].toStdString();
        EXPECT_TRUE(shown[0].contains(QString::fromLatin1(c.says))) << shown[0].toStdString();
    }
}

// A FIFO in place of the settings file: the window opens without waiting on
// it, says once that the settings could not be read, and leaves it a FIFO.
TEST(StartupTest, ASettingsFileThatIsAFifoIsSaidAndNeverWaitedOn)
{
    const std::string file = CSettings::FilePath();
    test::ClearSettings();
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    QStringList shown;
    SetModalHook([&](QDialog& d) {
        shown << static_cast<QMessageBox&>(d).text();
        return int(QMessageBox::Ok);
    });
    EXPECT_EQ(g_app->InitInstance({}), 0);
    SetModalHook({});
    struct stat st {};
    EXPECT_EQ(lstat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    test::ClearSettings();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(QStringLiteral("could not be read from ") + QString::fromStdString(file)))
        << shown[0].toStdString();
}

// `tarnowick --delete` with no instance running: this program opens its
// window, listens for later hand-offs, and asks about each file in turn;
// only the file answered Yes is destroyed.
TEST(StartupTest, DeleteWithoutARunningInstanceAsksInItsOwnWindow)
{
    test::TempDir dir;
    const std::vector<std::string> files = {dir / "keep.txt", dir / "caf\xe9.txt"};
    for (const std::string& f : files)
        test::WriteFile(f, "secret");
    CommandLine line;
    line.kind = CommandLine::Delete;
    line.names = files;

    std::vector<QString> asked;
    std::deque<int> answers = {IDC_NO, IDC_YES};
    SetModalHook([&](QDialog& d) -> int {
        auto* confirm = qobject_cast<CConfirm*>(&d);
        EXPECT_NE(confirm, nullptr) << "only confirmations expected";
        if (!confirm || answers.empty())
            return IDCANCEL;
        EXPECT_TRUE(g_app->MainFrame()->isVisible()) << "no window is skipped";
        asked.push_back(confirm->m_strFile);
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    });
    ASSERT_EQ(g_app->InitInstance(line), 0);
    ASSERT_NE(g_app->InstanceServer(), nullptr);
    EXPECT_TRUE(g_app->InstanceServer()->IsListening());
    EXPECT_TRUE(QTest::qWaitFor([&] { return asked.size() == 2 && !g_app->MainFrame()->Runner().IsBusy(); }, 30000));
    SetModalHook({});

    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], QString::fromStdString(files[0]));
    EXPECT_EQ(asked[1], ShowText(files[1]));
    EXPECT_EQ(test::ReadFile(files[0]), "secret");
    EXPECT_FALSE(test::Exists(files[1]));
    // Nothing was picked in the file dialog, so nothing is remembered.
    EXPECT_EQ(CSettings::Read(Setting::InitialDirectory), "");
}

TEST(StartupTest, AboutBoxShowsTheVersionAndOkClosesIt)
{
    ASSERT_EQ(g_app->InitInstance({}), 0);
    QString caption, version;
    SetModalHook([&](QDialog& d) {
        caption = d.windowTitle();
        for (QLabel* label : d.findChildren<QLabel*>())
            if (label->text() == QLatin1String("Tarnowick Version 1.0"))
                version = label->text();
        QPushButton* ok = nullptr;
        for (QPushButton* b : d.findChildren<QPushButton*>())
            if (b->text() == QLatin1String("OK"))
                ok = b;
        EXPECT_NE(ok, nullptr);
        if (ok)
            ok->click();
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    g_app->MainFrame()->Action(ID_APP_ABOUT)->trigger();
    SetModalHook({});
    EXPECT_EQ(caption, QStringLiteral("About Tarnowick Secure Delete"));
    EXPECT_EQ(version, QStringLiteral("Tarnowick Version 1.0"));
    EXPECT_EQ(g_app->MainFrame()->windowTitle(), QStringLiteral("Tarnowick"));
}

int main(int argc, char** argv)
{
    test::TempDir config;
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    // A private runtime directory: the hand-off socket of this test is
    // nobody else's.
    test::TempDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    test::TempDir run;
    setenv("TARNOWICK_RUN_DIR", run.Path().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    CTarnowickApp app(argc, argv);
    g_app = &app;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
