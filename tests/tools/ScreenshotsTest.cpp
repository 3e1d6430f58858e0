// SPDX-License-Identifier: GPL-3.0-or-later
// The README's pictures are drawn again by res/make-screenshots.sh whenever
// the windows change. Run as `make screenshots` runs it, into a temporary
// directory: four pictures that load, of a window's size, with text drawn
// in them, and neither the caller's settings nor /tmp changed afterwards.
#include "tests/TestSupport.h"

#include <QImage>
#include <QSet>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

namespace tw {
namespace {

using test::Capture;
using test::TempDir;

std::pair<std::string, int> MakeScreenshots(const std::string& output)
{
    return Capture(std::string("'") + TARNOWICK_SOURCE_DIR + "/res/make-screenshots.sh' '" + TARNOWICK_BINARY_DIR +
                   "' '" + output + "'");
}

// The directories the program makes for itself under /tmp.
std::set<std::string> ThrowAwayDirectories()
{
    std::set<std::string> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/tmp", ec)) {
        const std::string name = entry.path().filename().native();
        if (name.rfind("tarnowick-example-", 0) == 0 || name.rfind("tarnowick-shots-config-", 0) == 0)
            found.insert(name);
    }
    return found;
}

// Anti-aliased text gives many shades; an empty or unpainted window a few.
int Shades(const QImage& image)
{
    QSet<QRgb> shades;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            shades.insert(image.pixel(x, y));
    return int(shades.size());
}

TEST(ScreenshotsTest, TheScriptDrawsTheFourWindowsWithoutTouchingTheCallersSettings)
{
    // Settings of the caller that the pictures must neither show nor change.
    const std::string config = std::string(std::getenv("XDG_CONFIG_HOME")) + "/Halmere";
    std::filesystem::create_directories(config);
    const std::string mine = "[Settings]\nTemporary%20Path=/home/someone/private\nFile%20Types=*.doc!\n";
    test::WriteFile(config + "/Tarnowick.conf", mine);
    const std::set<std::string> before = ThrowAwayDirectories();

    TempDir dir;
    const std::string output = dir / "doc/screenshots";  // made by the script
    const auto [log, status] = MakeScreenshots(output);
    ASSERT_EQ(status, 0) << log;

    struct Picture {
        const char* name;
        int minWidth, minHeight, maxWidth, maxHeight;
    };
    for (const Picture& p : {Picture{"main-window.png", 600, 380, 1600, 1200},
                             Picture{"preferences.png", 350, 250, 1600, 1200},
                             Picture{"confirm.png", 250, 80, 1200, 600},
                             Picture{"working.png", 250, 60, 1200, 400}}) {
        SCOPED_TRACE(p.name);
        const QImage image(QString::fromStdString(dir / "doc/screenshots/" + p.name));
        ASSERT_FALSE(image.isNull()) << "missing or not a PNG\n" << log;
        EXPECT_GE(image.width(), p.minWidth);
        EXPECT_GE(image.height(), p.minHeight);
        EXPECT_LE(image.width(), p.maxWidth);
        EXPECT_LE(image.height(), p.maxHeight);
        EXPECT_GE(Shades(image), 24) << "no text drawn";
    }

    EXPECT_EQ(test::ReadFile(config + "/Tarnowick.conf"), mine);
    EXPECT_EQ(ThrowAwayDirectories(), before) << "the example tree or its settings were left in /tmp";
}

TEST(ScreenshotsTest, AnOutputDirectoryThatCannotBeMadeIsRefusedWithItsName)
{
    TempDir dir;
    test::WriteFile(dir / "file", "not a directory");
    const auto [log, status] = MakeScreenshots(dir / "file/shots");
    EXPECT_NE(status, 0);
    EXPECT_NE(log.find("cannot make the directory " + dir / "file/shots"), std::string::npos) << log;
}

} // namespace
} // namespace tw
