// SPDX-License-Identifier: GPL-3.0-or-later
// tarnowick-cli sweep: the four sweeps as the settings configure them, on a
// loop-mounted volume whose image is read afterwards; --dry-run, which
// lists exactly what the sweep takes and changes nothing; the settings
// messages; and a stop by signal while a question waits.
#include "tests/cli/CliFixture.h"

#include <csignal>
#include <linux/fs.h>
#include <set>

using namespace tw;
using namespace tw::test;

namespace {

class CliSweepTest : public ::testing::Test {
protected:
    void SetUp() override { ClearSettings(); }

    // A tree under `root`: two matches for "*.tmp" (one in a
    // subdirectory), one file that does not match.
    void MakeTree(const std::string& root)
    {
        ASSERT_EQ(mkdir((root + "/sub").c_str(), 0755), 0);
        WriteOnDevice(root + "/a.tmp", SecretContents("CLI-SWEEP-A-0d41", 9000));
        WriteOnDevice(root + "/sub/b.tmp", SecretContents("CLI-SWEEP-B-63ee", 4096));
        WriteOnDevice(root + "/c.txt", SecretContents("CLI-SWEEP-KEEP-a90b", 5000));
    }
    void ConfigureTemp(const std::string& path)
    {
        CSettings::Write(Setting::TemporaryPath, path);
        CSettings::Write(Setting::FileTypes, "*.tmp!");
        CSettings::Write(Setting::Subdirectories, "TRUE");
    }
};

std::set<std::string> Paths(const std::vector<QJsonObject>& items)
{
    std::set<std::string> paths;
    for (const QJsonObject& item : items)
        paths.insert(PathOf(item));
    return paths;
}

TEST_F(CliSweepTest, TheTemporaryFilesSweepDestroysTheMatchesOnTheDeviceAndNothingElse)
{
    LetteredVolume volume(32);
    if (!volume.Available())
        GTEST_SKIP() << volume.SkipReason();
    const std::string root = volume.Path() + "/temp";
    ASSERT_EQ(mkdir(root.c_str(), 0755), 0);
    MakeTree(root);
    ConfigureTemp(root);
    SyncVolume(volume.Path());
    ASSERT_TRUE(FileContains(volume.Image(), "CLI-SWEEP-A-0d41"));

    const CliResult run = RunCli({{"sweep", "temp", "--json"}});
    EXPECT_EQ(run.status, 0) << run.err;
    const JsonRun json = SplitJson(run);
    EXPECT_EQ(Paths(json.items), (std::set<std::string>{root + "/a.tmp", root + "/sub/b.tmp"}));
    for (const QJsonObject& item : json.items) {
        EXPECT_EQ(Str(item, "kind"), "file");
        EXPECT_EQ(Str(item, "result"), "destroyed");
        EXPECT_EQ(Num(item, "size"), PathOf(item) == root + "/a.tmp" ? 9000 : 4096);
    }
    EXPECT_EQ(Str(json.summary, "command"), "sweep temp");
    EXPECT_EQ(Num(json.summary, "destroyed"), 2);
    EXPECT_EQ(Num(json.summary, "bytes"), 13096);
    EXPECT_FALSE(Exists(root + "/a.tmp"));
    EXPECT_FALSE(Exists(root + "/sub/b.tmp"));
    EXPECT_TRUE(Exists(root + "/c.txt"));

    ASSERT_TRUE(volume.Unmount());
    EXPECT_FALSE(FileContains(volume.Image(), "CLI-SWEEP-A-0d41"));
    EXPECT_FALSE(FileContains(volume.Image(), "CLI-SWEEP-B-63ee"));
    EXPECT_TRUE(FileContains(volume.Image(), "CLI-SWEEP-KEEP-a90b"));
    EXPECT_TRUE(FileContains(volume.Image(), Pattern(4096)));
}

TEST_F(CliSweepTest, ADryRunListsWhatTheSweepWouldDestroyAndChangesNothing)
{
    TempDir root;
    MakeTree(root.Path());
    // A name that would break a line, and one that is not UTF-8.
    const std::string odd = root / "new\nline.tmp";
    const std::string latin = root / "caf\xe9.tmp";
    WriteFile(odd, "odd");
    WriteFile(latin, "latin");
    ConfigureTemp(root.Path());
    const auto treeBefore = TreeState(root.Path());
    const std::string settingsBefore = ReadFile(CSettings::FilePath());
    const std::set<std::string> matches{root / "a.tmp", root / "sub/b.tmp", odd, latin};

    const CliResult text = RunCli({{"sweep", "temp", "--dry-run"}});
    EXPECT_EQ(text.status, 0) << text.err;
    std::set<std::string> listed;
    for (const std::string& line : text.OutLines())
        listed.insert(UnescapeBytes(line).value_or("<bad escape: " + line + ">"));
    EXPECT_EQ(listed, matches);
    EXPECT_NE(text.out.find(root / "new\\x0aline.tmp\n"), std::string::npos) << text.out;
    EXPECT_NE(text.err.find("Would destroy 4 files (12.8 KiB)."), std::string::npos) << text.err;

    const CliResult json = RunCli({{"sweep", "temp", "--dry-run", "--json"}});
    EXPECT_EQ(json.status, 0);
    const JsonRun run = SplitJson(json);
    EXPECT_EQ(Paths(run.items), matches);
    for (const QJsonObject& item : run.items)
        EXPECT_EQ(Str(item, "result"), "listed");
    EXPECT_TRUE(run.summary.value(QStringLiteral("dry_run")).toBool());
    EXPECT_EQ(Num(run.summary, "listed"), 4);
    EXPECT_EQ(Num(run.summary, "listed_bytes"), 9000 + 4096 + 3 + 5);
    EXPECT_EQ(Num(run.summary, "destroyed"), 0);

    EXPECT_EQ(TreeState(root.Path()), treeBefore) << "a dry run changed the tree";
    EXPECT_EQ(ReadFile(CSettings::FilePath()), settingsBefore);

    // The sweep itself takes exactly what the dry run listed.
    const CliResult real = RunCli({{"sweep", "temp", "--json"}});
    EXPECT_EQ(Paths(SplitJson(real).items), matches);
    for (const std::string& path : matches)
        EXPECT_FALSE(Exists(path)) << path;
    EXPECT_TRUE(Exists(root / "c.txt"));
}

TEST_F(CliSweepTest, EachLocationSweepSaysWhenItsPathIsNotSet)
{
    struct Row {
        const char* name;
        Setting path;
        Setting allFiles;
        const char* message;
    };
    const Row rows[] = {
        {"cache", Setting::InternetCachePath, Setting::AllInternetCache, "Internet Cache Path Not Entered"},
        {"temp", Setting::TemporaryPath, Setting::AllTemporary, "Temporary Path Not Entered"},
        {"other", Setting::OtherPath, Setting::AllOther, "Other Path Not Entered"},
    };
    for (const Row& row : rows) {
        ClearSettings();
        const CliResult unset = RunCli({{"sweep", row.name, "--json"}});
        EXPECT_EQ(unset.status, 2) << row.name;
        const JsonRun json = SplitJson(unset);
        EXPECT_TRUE(json.items.empty());
        EXPECT_EQ(Str(json.summary, "result"), "not run") << row.name;
        ASSERT_EQ(json.summary.value(QStringLiteral("messages")).toArray().size(), 1);
        EXPECT_EQ(json.summary.value(QStringLiteral("messages")).toArray().at(0).toString().toStdString(), row.message);
        EXPECT_NE(unset.err.find(std::string("Tarnowick Parameters: ") + row.message), std::string::npos) << unset.err;
        // Not even a dry run takes an unset path for anything.
        EXPECT_EQ(RunCli({{"sweep", row.name, "--dry-run"}}).out, "");

        TempDir where;
        WriteFile(where / "x.dat", "x");
        CSettings::Write(row.path, where.Path());
        CSettings::Write(row.allFiles, "TRUE");
        const CliResult swept = RunCli({{"sweep", row.name}});
        EXPECT_EQ(swept.status, 0) << swept.err;
        EXPECT_FALSE(Exists(where / "x.dat")) << row.name;
    }
    // The preference-driven sweep with nothing set does nothing, quietly.
    ClearSettings();
    const CliResult nothing = RunCli({{"sweep", "preferences", "--json"}});
    EXPECT_EQ(nothing.status, 0);
    EXPECT_EQ(Str(SplitJson(nothing).summary, "result"), "completed");
    EXPECT_EQ(Num(SplitJson(nothing).summary, "destroyed"), 0);
}

// A location that cannot be swept is named with the reason, never a quiet
// "Destroyed 0 files": it does not exist, is a file, has a path too long,
// or cannot be listed (as an ordinary user). The settings ask for what
// cannot be done: status 2, for a dry run too.
TEST_F(CliSweepTest, ALocationThatCannotBeSweptIsNamedWithTheReason)
{
    TempDir dir;
    WriteFile(dir / "plain-file", "not a folder");
    ASSERT_EQ(mkdir((dir / "closed").c_str(), 0700), 0);
    WriteFile(dir / "closed/x.tmp", "kept");
    struct Case {
        std::string path;
        const char* why;
    };
    const Case cases[] = {
        {dir / "missing", "it does not exist"},
        {dir / "plain-file", "it is not a folder"},
        {"/" + std::string(5000, 'x'), "the path is too long"},
    };
    for (const Case& c : cases) {
        ConfigureTemp(c.path);
        const std::string said = "Temporary Path " + c.path + " could not be swept: " + c.why + ".";
        for (const bool dryRun : {false, true}) {
            std::vector<std::string> args = {"sweep", "temp", "--json"};
            if (dryRun)
                args.push_back("--dry-run");
            const CliResult run = RunCli({args});
            EXPECT_EQ(run.status, 2) << c.why << run.err;
            const JsonRun json = SplitJson(run);
            EXPECT_TRUE(json.items.empty());
            ASSERT_EQ(json.summary.value(QStringLiteral("messages")).toArray().size(), 1) << run.out;
            EXPECT_EQ(json.summary.value(QStringLiteral("messages")).toArray().at(0).toString().toStdString(), said);
            EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
        }
        const CliResult text = RunCli({{"sweep", "temp"}});
        EXPECT_EQ(text.err.find("Destroyed 0 files"), std::string::npos) << text.err;
    }

    // A folder this user may not list.
    ConfigureTemp(dir / "closed");
    ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);
    std::string reason;
    const std::string out = RunAsNobody([] {
        const CliResult run = RunCli({{"sweep", "temp", "--json"}});
        return std::to_string(run.status) + "\n" + run.err;
    }, &reason);
    if (out.empty())
        GTEST_SKIP() << reason;
    EXPECT_EQ(out, "2\nTarnowick Parameters: Temporary Path " + dir / "closed" + " could not be swept: you may not list it.\n");
    EXPECT_EQ(ReadFile(dir / "closed/x.tmp"), "kept");
}

TEST_F(CliSweepTest, ThePreferenceSweepCoversTheMarkedDrivesAndNamesOneThatIsNotThere)
{
    LetteredVolume volume(16);
    if (!volume.Available())
        GTEST_SKIP() << volume.SkipReason();
    ASSERT_NE(volume.Letter(), 0) << "the volume got no letter";
    MakeTree(volume.Path());
    CSettings::Write(Setting::All, "TRUE");
    CSettings::Write(Setting::Drives, volume.LetterText() + "!Z!");
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    CSettings::Write(Setting::Subdirectories, "TRUE");

    const CliResult run = RunCli({{"sweep", "preferences", "--json"}});
    EXPECT_EQ(run.status, 2) << "a drive named in the settings is not there";
    const JsonRun json = SplitJson(run);
    EXPECT_EQ(Paths(json.items), (std::set<std::string>{volume.Path() + "/a.tmp", volume.Path() + "/sub/b.tmp"}));
    ASSERT_EQ(json.summary.value(QStringLiteral("messages")).toArray().size(), 1);
    EXPECT_EQ(json.summary.value(QStringLiteral("messages")).toArray().at(0).toString(), QStringLiteral("Z Not Accessible"));
    EXPECT_TRUE(Exists(volume.Path() + "/c.txt"));
}

// SIGTERM while the user is being asked about a file that cannot be
// destroyed: the question ends as Cancel Operation would, and no later file
// is touched.
TEST_F(CliSweepTest, ASignalWhileAQuestionWaitsStopsTheSweepThere)
{
    LetteredVolume volume(16);
    if (!volume.Available())
        GTEST_SKIP() << volume.SkipReason();
    const std::string root = volume.Path() + "/temp";
    ASSERT_EQ(mkdir(root.c_str(), 0755), 0);
    for (int i = 0; i < 5; ++i)
        WriteFile(root + "/f" + std::to_string(i) + ".tmp", "contents");
    // The first file the walk meets cannot be opened for writing.
    const std::vector<std::string> order = ListingOrder(root);
    const std::string blocked = root + "/" + order.front();
    InodeFlag immutable(blocked, FS_IMMUTABLE_FL);
    ASSERT_TRUE(immutable.IsSet());
    ConfigureTemp(root);

    CliOnTerminal terminal({{"sweep", "temp", "--json"}}, true);
    ASSERT_TRUE(terminal.Expect("Secure Delete Error: " + blocked + ": Could not access this file for deletion [ 5 ]"))
        << terminal.Screen();
    ASSERT_TRUE(terminal.Expect("Ignore File (i), Cancel Operation (c)? "));
    kill(terminal.Pid(), SIGTERM);
    const CliResult result = terminal.Wait();
    EXPECT_EQ(result.status, 3);
    const JsonRun json = SplitJson(result);
    EXPECT_EQ(Str(json.summary, "stopped"), "signal");
    EXPECT_EQ(Str(json.summary, "result"), "stopped");
    EXPECT_EQ(Str(json.summary, "signal"), "SIGTERM");
    EXPECT_EQ(Num(json.summary, "destroyed"), 0);
    EXPECT_EQ(ListingOrder(root).size(), 5u) << "a file was destroyed after the stop";
}

} // namespace
