// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the command line, the window it opens, and the about box.
#include "app/CMainFrame.h"
#include "app/CTarnowickApp.h"
#include "app/CommandIds.h"
#include "app/ModalSeam.h"
#include "tests/TestSupport.h"

#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstdlib>

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
    EXPECT_EQ(g_app->InitInstance({QString::fromStdString(file)}), 0);
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
    EXPECT_EQ(g_app->InitInstance({missing}), 1);
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
        EXPECT_TRUE(err.endsWith(QStringLiteral("\nusage: tarnowick [FILE]\n")) || err == QStringLiteral("usage: tarnowick [FILE]\n")) << err.toStdString();
    }
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
    test::TempDir run;
    setenv("TARNOWICK_RUN_DIR", run.Path().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    CTarnowickApp app(argc, argv);
    g_app = &app;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
