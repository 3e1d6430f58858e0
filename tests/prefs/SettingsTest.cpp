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

// --- The file as text: values and names in the dialect QSettings writes ---

#include "prefs/IniText.h"

#include <QSettings>

#include <random>

TEST(IniTextTest, ValuesReadAsQSettingsWroteThemOrAsTheyStand)
{
    struct Case {
        const char* raw;
        std::string value;
    };
    const Case cases[] = {
        // what QSettings writes
        {"\"x,y, z\"", "x,y, z"},
        {"back\\\\slash\\\\", "back\\slash\\"},
        {"@@at", "@at"},
        {"\\\"quoted\\\"", "\"quoted\""},
        {"\"semi;colon\"", "semi;colon"},
        {"\"=eq=\"", "=eq="},
        {"\"a b  c \"", "a b  c "},
        {"tab\\there\\n", "tab\there\n"},
        {"bell\\x7\\x31", "bell\a1"},
        {"Gr\xC3\xBC\xC3\x9F" "e", "Gr\xC3\xBC\xC3\x9F" "e"},
        // what a person writes
        {"/data/c,d", "/data/c,d"},
        {"/data/c, d", "/data/c, d"},
        {"  /padded  ", "/padded"},
        {"/data/\xFF\xFE", "/data/\xFF\xFE"},
        {"\"a\", \"b\"", "\"a\", \"b\""},
        {"/data/\"x\"", "/data/\"x\""},
        {"C:\\q", "C:\\q"},  // not an escape: the backslash stays
        {"", ""},
        {"\"\"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini::DecodeValue(c.raw), c.value) << c.raw;
}

TEST(IniTextTest, EveryByteStringSurvivesEncoding)
{
    std::mt19937 random(20240611);
    std::vector<std::string> values = {"", " ", "@", "@@", "\"", "\\", "a,b", "x\\x41", "\x01" "1", "\t lead",
                                       "trail ", "\"q\"", "/data/\xFF", "\xEF\xBB\xBF" "bom"};
    for (int n = 0; n < 3000; ++n) {
        std::string v(random() % 12, ' ');
        for (char& c : v)
            c = char(1 + random() % 255);  // every byte but NUL, which no path holds
        values.push_back(v);
    }
    for (const std::string& v : values) {
        const std::string encoded = ini::EncodeValue(v);
        EXPECT_EQ(encoded.find('\n'), std::string::npos);
        EXPECT_EQ(ini::DecodeValue(encoded), v) << encoded;
    }
}

TEST(IniTextTest, NamesAreEscapedAsQSettingsEscapesThem)
{
    EXPECT_EQ(ini::EncodeName("Internet Cache Path"), "Internet%20Cache%20Path");
    EXPECT_EQ(ini::DecodeName("Internet%20Cache%20Path"), "Internet Cache Path");
    EXPECT_EQ(ini::DecodeName("Drive Letters"), "Drive Letters");
    EXPECT_EQ(ini::EncodeName("Drives2"), "Drives2");
}

TEST_F(SettingsTest, FilesOfTheQSettingsProgramReadTheSameBothWays)
{
    const std::vector<std::string> texts = {"/home/ann/.cache", "a b  c ", "x,y, z", "back\\slash\\",
                                            "Gr\xC3\xBC\xC3\x9F" "e \xE2\x9C\x93", "@at", "\"quoted\"", "semi;colon",
                                            "=eq=", " lead", "tab\there", "C!D!"};
    for (const std::string& text : texts) {
        test::ClearSettings();
        {
            QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Halmere"),
                            QStringLiteral("Tarnowick"));
            store.setValue(QStringLiteral("Settings/Other Path"), QString::fromStdString(text));
            store.setValue(QStringLiteral("Drive Letters/D"), QString::fromStdString(text));
        }
        EXPECT_EQ(CSettings::Read(Setting::OtherPath), text) << test::ReadFile(CSettings::FilePath());
        EXPECT_EQ(CSettings::ReadDriveLetters()['D'], text);

        test::ClearSettings();
        CSettings::Write(Setting::TemporaryPath, text);
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Halmere"),
                        QStringLiteral("Tarnowick"));
        EXPECT_EQ(store.value(QStringLiteral("Settings/Temporary Path")).toString().toStdString(), text)
            << test::ReadFile(CSettings::FilePath());
    }
}

TEST_F(SettingsTest, AWriteChangesOnlyTheLineOfTheValueWritten)
{
    const std::string file = CSettings::FilePath();
    const std::string before =
        "\xEF\xBB\xBF; kept by hand\n"
        "[Settings]\n"
        "Other Path=/data/c,d\n"
        "Temporary%20Path=/tmp/\xFF\xFEnot-utf8\n"
        "Counter=FALSE\n"
        "Mystery Key = stays  as it is \n"
        "\n"
        "[Somebody Else]\n"
        "x=1,2,3\n"
        "[Drive%20Letters]\n"
        "D=/home\n";
    test::WriteFile(file, before);

    // What the hand-edited lines mean.
    EXPECT_EQ(CSettings::Read(Setting::OtherPath), "/data/c,d");
    EXPECT_EQ(CSettings::Read(Setting::TemporaryPath), "/tmp/\xFF\xFEnot-utf8");
    EXPECT_FALSE(CSettings::ReadBool(Setting::Counter));

    // The Counter toggle changes its line and nothing else.
    CSettings::WriteBool(Setting::Counter, true);
    std::string expected = before;
    expected.replace(expected.find("Counter=FALSE"), 13, "Counter=TRUE");
    EXPECT_EQ(test::ReadFile(file), expected);

    // Writing what a line already says leaves it as it stands, even in a
    // form the program would not have written.
    CSettings::Write(Setting::OtherPath, "/data/c,d");
    CSettings::Write(Setting::TemporaryPath, "/tmp/\xFF\xFEnot-utf8");
    EXPECT_EQ(test::ReadFile(file), expected);

    // A new value goes at the end of its section; a new drive letter into its own.
    CSettings::Write(Setting::Drives2, "C!");
    CSettings::WriteDriveLetter('E', "/media/stick");
    expected.insert(expected.find("Mystery Key") + std::string("Mystery Key = stays  as it is \n").size(),
                    "Drives2=C!\n");
    expected += "E=/media/stick\n";
    EXPECT_EQ(test::ReadFile(file), expected);
    EXPECT_EQ(CSettings::ReadDriveLetters().size(), 2u);

    // A changed path takes the place of the old one on the same line.
    CSettings::Write(Setting::OtherPath, "/srv/new, dir");
    expected.replace(expected.find("Other Path=/data/c,d"), 20, "Other Path=\"/srv/new, dir\"");
    EXPECT_EQ(test::ReadFile(file), expected);
    EXPECT_EQ(CSettings::Read(Setting::OtherPath), "/srv/new, dir");
}

TEST_F(SettingsTest, AFileWithWindowsLineEndsAndNoFinalNewlineStaysSo)
{
    const std::string file = CSettings::FilePath();
    test::WriteFile(file, "[Settings]\r\nAll=FALSE\r\nDrives=C!");
    EXPECT_EQ(CSettings::Read(Setting::All), "FALSE");
    EXPECT_EQ(CSettings::Read(Setting::Drives), "C!");
    CSettings::WriteBool(Setting::All, true);
    CSettings::Write(Setting::Drives, "D!");
    CSettings::Write(Setting::Counter, "TRUE");
    EXPECT_EQ(test::ReadFile(file), "[Settings]\r\nAll=TRUE\r\nDrives=D!\r\nCounter=TRUE\r\n");
}

TEST_F(SettingsTest, PathsThatAreNotUtf8AreKeptByteForByte)
{
    const std::string path = "/srv/\xFF\xC3(caf\xE9)";
    CSettings::Write(Setting::InternetCachePath, path);
    EXPECT_EQ(CSettings::Read(Setting::InternetCachePath), path);
    EXPECT_NE(test::ReadFile(CSettings::FilePath()).find("Internet%20Cache%20Path=" + path + "\n"),
              std::string::npos);
}

// --- What the store refuses: NUL bytes in values, files it cannot read ---

#include <sys/stat.h>
#include <unistd.h>

TEST_F(SettingsTest, AValueWithANulIsRefusedAndOneStandingInTheFileIsNeverCut)
{
    const std::string file = CSettings::FilePath();
    ASSERT_TRUE(CSettings::Write(Setting::TemporaryPath, "/srv/a"));
    const std::string before = test::ReadFile(file);
    EXPECT_FALSE(CSettings::Write(Setting::TemporaryPath, std::string("/srv/a\0b", 8)));
    EXPECT_FALSE(CSettings::Write(Setting::OtherPath, std::string("\0", 1)));
    EXPECT_EQ(test::ReadFile(file), before);
    EXPECT_EQ(CSettings::Read(Setting::TemporaryPath), "/srv/a");
    // Written back unchanged, a value changes no byte.
    EXPECT_TRUE(CSettings::Write(Setting::TemporaryPath, "/srv/a"));
    EXPECT_EQ(test::ReadFile(file), before);

    // Another program wrote a NUL into a path: it reads as it stands, never
    // as the part before the NUL (the sweeps refuse such a path whole).
    const std::string withNul("/x/parent\0/child", 16);
    test::WriteFile(file, "[Settings]\nTemporary%20Path=" + withNul + "\n");
    EXPECT_EQ(CSettings::Read(Setting::TemporaryPath), withNul);
}

TEST_F(SettingsTest, OnlyARegularFileOfBoundedSizeIsReadAndNothingElseIsEverWritten)
{
    const std::string file = CSettings::FilePath();
    const auto refused = [&](const std::string& what) {
        EXPECT_EQ(CSettings::Read(Setting::TemporaryPath), "") << what;
        EXPECT_TRUE(CSettings::ReadDriveLetters().empty()) << what;
        EXPECT_FALSE(CSettings::Write(Setting::TemporaryPath, "/tmp")) << what;
        EXPECT_FALSE(CSettings::WriteDriveLetter('D', "/home")) << what;
        const std::string problem = CSettings::ReadProblem();
        EXPECT_NE(problem.find(file), std::string::npos) << what << ": " << problem;
    };

    // A FIFO nobody writes to: reading it would wait for ever.
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    refused("FIFO");
    struct stat st {};
    ASSERT_EQ(lstat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    std::remove(file.c_str());

    // A link to a device that never ends.
    ASSERT_EQ(symlink("/dev/zero", file.c_str()), 0);
    refused("link to /dev/zero");
    ASSERT_EQ(lstat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    std::remove(file.c_str());

    ASSERT_EQ(mkdir(file.c_str(), 0700), 0);
    refused("folder");
    rmdir(file.c_str());

    // Past the bound by one byte: refused whole, left exactly as it is.
    std::string large = "[Settings]\nTemporary%20Path=/srv/large\n";
    large.resize(CSettings::kMaxFileBytes + 1, '\n');
    test::WriteFile(file, large);
    refused("larger than the bound");
    EXPECT_EQ(test::ReadFile(file), large);

    // At the bound it is read and written as usual, but never made larger.
    large.resize(CSettings::kMaxFileBytes);
    test::WriteFile(file, large);
    EXPECT_EQ(CSettings::ReadProblem(), "");
    EXPECT_EQ(CSettings::Read(Setting::TemporaryPath), "/srv/large");
    EXPECT_FALSE(CSettings::Write(Setting::OtherPath, "/srv/other"));
    EXPECT_EQ(test::ReadFile(file), large);
    EXPECT_TRUE(CSettings::Write(Setting::TemporaryPath, "/srv/small"));
    EXPECT_EQ(CSettings::Read(Setting::TemporaryPath), "/srv/small");
    EXPECT_EQ(test::ReadFile(file).size(), CSettings::kMaxFileBytes);
}
