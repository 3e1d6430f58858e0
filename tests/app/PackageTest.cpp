// SPDX-License-Identifier: GPL-3.0-or-later
// The package a distribution would accept: the .deb that `make package`
// builds passes lintian without errors or warnings, carries its licence,
// changelog and the files of the one application ID, and the metainfo
// passes the pedantic AppStream check.
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sstream>

namespace tw {
namespace {

using test::Capture;
using test::TempDir;

bool HaveTool(const std::string& name)
{
    return test::RunCommand("command -v " + name + " >/dev/null 2>&1") == 0;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class PackageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new TempDir;
        const auto [out, status] = Capture(std::string("cd '") + s_dir->Path() + "' && '" + TARNOWICK_CPACK +
                                           "' -G DEB --config '" + TARNOWICK_BINARY_DIR + "/CPackConfig.cmake' -B '" +
                                           s_dir->Path() + "'");
        s_log = out;
        if (status == 0)
            s_deb = s_dir->Path() + "/tarnowick_" + TARNOWICK_VERSION + "_amd64.deb";
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(test::Exists(s_deb)) << "cpack failed:\n" << s_log; }

    static TempDir* s_dir;
    static std::string s_deb;
    static std::string s_log;
};

TempDir* PackageTest::s_dir = nullptr;
std::string PackageTest::s_deb;
std::string PackageTest::s_log;

TEST_F(PackageTest, LintianFindsNoErrorAndNoWarning)
{
    if (!HaveTool("lintian"))
        GTEST_SKIP() << "lintian is missing (Debian package lintian)";
    const auto [out, status] = Capture("lintian '" + s_deb + "'");
    for (const std::string& line : Lines(out))
        EXPECT_FALSE(line.rfind("E: ", 0) == 0 || line.rfind("W: ", 0) == 0) << line;
    EXPECT_EQ(status, 0) << out;
}

TEST_F(PackageTest, CarriesLicenceChangelogAndTheFilesOfOneApplicationId)
{
    const auto [contents, status] = Capture("dpkg-deb --contents '" + s_deb + "'");
    ASSERT_EQ(status, 0) << contents;
    for (const char* file : {"./usr/share/doc/tarnowick/copyright", "./usr/share/doc/tarnowick/changelog.gz",
                             "./usr/share/applications/com.halmere.tarnowick.desktop",
                             "./usr/share/metainfo/com.halmere.tarnowick.metainfo.xml",
                             "./usr/share/icons/hicolor/48x48/apps/com.halmere.tarnowick.png",
                             "./usr/share/icons/hicolor/scalable/apps/com.halmere.tarnowick.svg"})
        EXPECT_NE(contents.find(std::string(file) + "\n"), std::string::npos) << file;
    // The program that draws the README's pictures is for developers only.
    EXPECT_EQ(contents.find("screenshots"), std::string::npos) << contents;

    // The description wraps: no line of the control file's field is longer
    // than 80 characters.
    const auto [control, cstatus] = Capture("dpkg-deb --field '" + s_deb + "' Description");
    ASSERT_EQ(cstatus, 0);
    const std::vector<std::string> lines = Lines(control);
    ASSERT_GT(lines.size(), 2u);
    for (const std::string& line : lines)
        EXPECT_LE(line.size(), 80u) << line;
}

TEST(MetainfoTest, PedanticValidationFindsOnlyWhatThisAppStreamCannotKnow)
{
    if (!HaveTool("appstreamcli"))
        GTEST_SKIP() << "appstreamcli is missing (Debian package appstream)";
    const auto [out, status] = Capture(std::string("appstreamcli validate --pedantic --no-net '") +
                                       TARNOWICK_SOURCE_DIR + "/res/com.halmere.tarnowick.metainfo.xml'");
    EXPECT_EQ(status, 0) << out;
    for (const std::string& line : Lines(out)) {
        const bool issue = line.size() > 3 && line[1] == ':' && line[2] == ' ' && std::string("EWIP").find(line[0]) != std::string::npos;
        if (!issue)
            continue;
        // <developer> came with AppStream 1.0, newer than Debian 12's.
        EXPECT_NE(line.find("unknown-tag developer"), std::string::npos) << line;
    }
}

} // namespace
} // namespace tw
