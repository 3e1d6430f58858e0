// SPDX-License-Identifier: GPL-3.0-or-later
// "Secure Delete with Tarnowick" in the file managers: an install into a
// temporary prefix carries the Dolphin service menu, the Nemo action and
// the Nautilus extension, each valid for the tool that reads it, and each
// calling `tarnowick --delete` with the selected files.
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {

bool HaveTool(const char* name)
{
    return test::RunCommand(std::string("command -v ") + name + " >/dev/null 2>&1") == 0;
}

class FileManagerEntriesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string command = std::string("'") + TARNOWICK_CMAKE + "' --install '" + TARNOWICK_BINARY_DIR +
                                    "' --prefix '" + m_prefix.Path() + "' >/dev/null";
        ASSERT_EQ(test::RunCommand(command), 0) << command;
    }
    std::string Share() const { return m_prefix / "share"; }
    test::TempDir m_prefix;
};

TEST_F(FileManagerEntriesTest, TheDolphinServiceMenuIsAValidDesktopEntry)
{
    const std::string menu = Share() + "/kio/servicemenus/tarnowick-secure-delete.desktop";
    ASSERT_TRUE(test::Exists(menu)) << menu;
    if (!HaveTool("desktop-file-validate"))
        GTEST_SKIP() << "desktop-file-validate is missing (Debian package desktop-file-utils)";
    EXPECT_EQ(test::RunCommand("desktop-file-validate '" + menu + "'"), 0);

    // What KIO reads: files only (no folders), local only, and the action.
    const std::string text = test::ReadFile(menu);
    for (const char* line : {"\nMimeType=application/octet-stream;\n", "\nX-KDE-Protocols=file\n",
                             "\nActions=tarnowickSecureDelete;\n", "\n[Desktop Action tarnowickSecureDelete]\n"
                             "Name=Secure Delete with Tarnowick\nIcon=com.halmere.tarnowick\nExec=tarnowick --delete %F\n",
                             "\nNoDisplay=true\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(FileManagerEntriesTest, TheNemoActionAndTheNautilusExtensionWorkAsTheirFileManagersUseThem)
{
    ASSERT_TRUE(test::Exists(Share() + "/nemo/actions/tarnowick-secure-delete.nemo_action"));
    ASSERT_TRUE(test::Exists(Share() + "/nautilus-python/extensions/tarnowick_secure_delete.py"));
    // The system's python, which has python3-nautilus, not one a developer
    // may have put first on PATH.
    if (!test::Exists("/usr/bin/python3"))
        GTEST_SKIP() << "/usr/bin/python3 is missing";
    test::TempDir work;
    const std::string command = std::string("/usr/bin/python3 -B '") + TARNOWICK_SOURCE_DIR +
                                "/tests/app/filemanager_entries.py' '" + Share() + "' '" + work.Path() + "'";
    const int status = test::RunCommand(command);
    if (status == 77)
        GTEST_SKIP() << "python3-nautilus is missing";
    EXPECT_EQ(status, 0) << command;
}

} // namespace
