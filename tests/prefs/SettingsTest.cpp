// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store against the real QSettings file under a temporary
// XDG_CONFIG_HOME.
#include "prefs/Settings.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace tw;

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { test::ClearSettings(); }
};

TEST_F(SettingsTest, EveryValueRoundTripsUnderItsExactName)
{
    const std::vector<std::string> texts = {
        "/home/ann/.cache", "a b  c ", "x,y, z", "back\\slash\\", "Grüße ✓", "@at", "\"quoted\"", "semi;colon", "=eq=",
    };
    for (const SettingInfo& info : SettingTable())
        for (const std::string& text : texts) {
            CSettings::Write(info.setting, text);
            EXPECT_EQ(CSettings::Read(info.setting), text) << info.name;
        }
    // The names are exactly the thirteen of the store.
    std::vector<std::string> names;
    for (const SettingInfo& info : SettingTable())
        names.push_back(info.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Internet Cache Path", "Temporary Path", "Other Path", "Subdirectories",
                                               "All", "File Types", "All Internet Cache", "All Temporary", "All Other",
                                               "Drives", "Drives2", "Counter", "Initial Directory"}));
}

TEST_F(SettingsTest, AbsentValueReadsEmptyAndFileLivesUnderHalmere)
{
    EXPECT_EQ(CSettings::Read(Setting::FileTypes), "");
    EXPECT_FALSE(CSettings::ReadBool(Setting::Counter));
    const std::string file = CSettings::FilePath();
    EXPECT_NE(file.find("/Halmere/Tarnowick.conf"), std::string::npos) << file;
    EXPECT_EQ(file.rfind(std::getenv("XDG_CONFIG_HOME"), 0), 0u) << "tests must never touch the real store";
}

TEST_F(SettingsTest, BooleanIsTrueOnlyForExactlyTRUE)
{
    for (const char* text : {"true", "TRUE ", " TRUE", "1", "True", "", "FALSE", "yes"}) {
        CSettings::Write(Setting::Subdirectories, text);
        EXPECT_FALSE(CSettings::ReadBool(Setting::Subdirectories)) << '"' << text << '"';
    }
    CSettings::Write(Setting::Subdirectories, "TRUE");
    EXPECT_TRUE(CSettings::ReadBool(Setting::Subdirectories));
    CSettings::WriteBool(Setting::All, false);
    EXPECT_EQ(CSettings::Read(Setting::All), "FALSE");
    CSettings::WriteBool(Setting::All, true);
    EXPECT_EQ(CSettings::Read(Setting::All), "TRUE");
}

TEST(SettingsListTest, DecodingDropsTheUnterminatedTail)
{
    using L = std::vector<std::string>;
    EXPECT_EQ(CSettings::DecodeList(""), L{});
    EXPECT_EQ(CSettings::DecodeList("C!D!"), (L{"C", "D"}));
    EXPECT_EQ(CSettings::DecodeList("C!D"), (L{"C"}));
    EXPECT_EQ(CSettings::DecodeList("!"), (L{""}));
    EXPECT_EQ(CSettings::DecodeList("!!"), (L{"", ""}));
    EXPECT_EQ(CSettings::DecodeList("*.tmp!*.bak"), (L{"*.tmp"}));
    EXPECT_EQ(CSettings::DecodeList("tail only"), L{});
    EXPECT_EQ(CSettings::EncodeList({"*.tmp", "*.bak"}), "*.tmp!*.bak!");
    EXPECT_EQ(CSettings::EncodeList({}), "");
}

TEST_F(SettingsTest, HandEditedCommaValueReadsAsWrittenAndKeepsTheRest)
{
    const std::string file = CSettings::FilePath();
    {
        std::ofstream out(file, std::ios::trunc);
        out << "[Settings]\n"
               "File%20Types=*.tmp,*.bak!\n"
               "Counter=TRUE\n"
               "Other%20Path=/srv/a, b\n"
               "garbage line without equals\n"
               "Drives=C!D!\n";
    }
    EXPECT_EQ(CSettings::Read(Setting::FileTypes), "*.tmp,*.bak!");
    EXPECT_EQ(CSettings::Read(Setting::OtherPath), "/srv/a, b");
    EXPECT_TRUE(CSettings::ReadBool(Setting::Counter));
    EXPECT_EQ(CSettings::Read(Setting::Drives), "C!D!");
}

TEST_F(SettingsTest, DriveLettersLiveInTheirOwnSection)
{
    CSettings::WriteDriveLetter('D', "/home");
    CSettings::WriteDriveLetter('E', "/media/usb stick");
    const auto letters = CSettings::ReadDriveLetters();
    ASSERT_EQ(letters.size(), 2u);
    EXPECT_EQ(letters.at('D'), "/home");
    EXPECT_EQ(letters.at('E'), "/media/usb stick");
    EXPECT_EQ(CSettings::Read(Setting::Drives), "");
    EXPECT_NE(test::ReadFile(CSettings::FilePath()).find("[Drive%20Letters]"), std::string::npos);
}
