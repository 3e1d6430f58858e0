// SPDX-License-Identifier: GPL-3.0-or-later
// tarnowick-cli wipe as a user runs it: on a loop-mounted volume whose image
// is read afterwards, without a terminal (refused, or --yes), with each
// --on-error choice, and on a pseudo-terminal that answers its questions.
#include "tests/cli/CliFixture.h"
#include "tests/sweep/SweepFixture.h"

#include <csignal>
#include <linux/fs.h>

using namespace tw;
using namespace tw::test;

namespace {

class CliWipeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSettings();
        CSettings::Write(Setting::InitialDirectory, "/before");
    }
    TempDir dir;
};

TEST_F(CliWipeTest, FilesOnAVolumeAreGoneFromItsImageAndTheJsonSaysWhatHappened)
{
    LetteredVolume volume(32);
    if (!volume.Available())
        GTEST_SKIP() << volume.SkipReason();
    const std::string secret1 = volume.Path() + "/secret one.txt";
    const std::string secret2 = volume.Path() + "/secret2.bin";
    const std::string keep = volume.Path() + "/keep.txt";
    const std::string missing = volume.Path() + "/missing";
    WriteOnDevice(secret1, SecretContents("CLI-WIPE-FIRST-7f3a", 20000));
    WriteOnDevice(secret2, SecretContents("CLI-WIPE-SECOND-91c2", 5000));
    WriteOnDevice(keep, SecretContents("CLI-WIPE-KEEP-55de", 3000));
    SyncVolume(volume.Path());
    ASSERT_TRUE(FileContains(volume.Image(), "CLI-WIPE-FIRST-7f3a")) << "the old contents never reached the image";

    const CliResult run = RunCli({{"wipe", "--yes", "--json", secret1, secret2, missing}});
    EXPECT_EQ(run.status, 1) << run.err;
    const JsonRun json = SplitJson(run);
    ASSERT_EQ(json.items.size(), 3u) << run.out;
    EXPECT_EQ(PathOf(json.items[0]), secret1);
    EXPECT_EQ(Str(json.items[0], "result"), "destroyed");
    EXPECT_EQ(Num(json.items[0], "size"), 20000);
    EXPECT_EQ(PathOf(json.items[1]), secret2);
    EXPECT_EQ(Num(json.items[1], "size"), 5000);
    EXPECT_EQ(PathOf(json.items[2]), missing);
    EXPECT_EQ(Str(json.items[2], "result"), "left");
    EXPECT_EQ(Num(json.items[2], "cause"), 2);
    EXPECT_EQ(Str(json.items[2], "message"), "Could not access this file for deletion [ 2 ]");
    EXPECT_EQ(Num(json.summary, "destroyed"), 2);
    EXPECT_EQ(Num(json.summary, "left"), 1);
    EXPECT_EQ(Num(json.summary, "bytes"), 25000);
    EXPECT_EQ(Num(json.summary, "status"), 1);
    EXPECT_TRUE(json.summary.value(QStringLiteral("stopped")).isNull());
    EXPECT_NE(run.err.find("Secure Delete Error: " + missing + ": Could not access this file for deletion [ 2 ] (Ignore File)"),
              std::string::npos) << run.err;

    EXPECT_FALSE(Exists(secret1));
    EXPECT_FALSE(Exists(secret2));
    EXPECT_EQ(ReadFile(keep), SecretContents("CLI-WIPE-KEEP-55de", 3000));
    // The window's file dialog still opens where it did.
    EXPECT_EQ(CSettings::Read(Setting::InitialDirectory), "/before");

    ASSERT_TRUE(volume.Unmount());
    EXPECT_FALSE(FileContains(volume.Image(), "CLI-WIPE-FIRST-7f3a"));
    EXPECT_FALSE(FileContains(volume.Image(), "CLI-WIPE-SECOND-91c2"));
    EXPECT_TRUE(FileContains(volume.Image(), "CLI-WIPE-KEEP-55de"));
    EXPECT_TRUE(FileContains(volume.Image(), Pattern(4096)));
}

// On btrfs the overwrite cannot reach the old copies: the file is removed,
// never called destroyed, and the run does not end with status 0.
TEST_F(CliWipeTest, OnBtrfsAFileIsRemovedAndTheRunSaysWhereTheOldCopiesRemain)
{
    LetteredVolume volume(128, "btrfs");
    if (!volume.Available())
        GTEST_SKIP() << volume.SkipReason();
    ASSERT_NE(volume.Letter(), 0);
    const std::string file = volume.Path() + "/secret.txt";
    WriteOnDevice(file, SecretContents("CLI-BTRFS-3b1e", 9000));

    const CliResult run = RunCli({{"wipe", "--yes", "--json", file}});
    EXPECT_EQ(run.status, 1) << run.err;
    const JsonRun json = SplitJson(run);
    ASSERT_EQ(json.items.size(), 1u) << run.out;
    EXPECT_EQ(Str(json.items[0], "result"), "removed");
    EXPECT_EQ(Str(json.items[0], "message"),
              "Old copies remain until the free space of " + volume.LetterText() + ": is wiped");
    EXPECT_EQ(Num(json.summary, "destroyed"), 0);
    EXPECT_EQ(Num(json.summary, "removed"), 1);
    EXPECT_EQ(Num(json.summary, "left"), 0);
    EXPECT_NE(run.err.find("Secure Empty Space"), std::string::npos) << run.err;
    EXPECT_FALSE(Exists(file));

    WriteOnDevice(file, "again");
    const CliResult text = RunCli({{"wipe", "--yes", file}});
    EXPECT_EQ(text.status, 1);
    EXPECT_NE(text.err.find("Removed 1 file; its old copies remain until the free space of " + volume.LetterText()
                            + ": is wiped."),
              std::string::npos)
        << text.err;
}

// --verify reads each file back from the device before it is cut; only
// then does its line say "verified".
TEST_F(CliWipeTest, VerifyMarksEachFileReadBackFromTheDevice)
{
    LetteredVolume volume(32);
    if (!volume.Available())
        GTEST_SKIP() << volume.SkipReason();
    const std::string checked = volume.Path() + "/checked.bin", plain = volume.Path() + "/plain.bin";
    WriteOnDevice(checked, SecretContents("CLI-VERIFY-ONE-3b7e", 70000));
    WriteOnDevice(plain, SecretContents("CLI-VERIFY-TWO-d41c", 70000));
    SyncVolume(volume.Path());

    const CliResult verified = RunCli({{"wipe", "--yes", "--json", "--verify", checked}});
    EXPECT_EQ(verified.status, 0) << verified.err;
    const JsonRun first = SplitJson(verified);
    ASSERT_EQ(first.items.size(), 1u) << verified.out;
    EXPECT_EQ(Str(first.items[0], "result"), "destroyed");
    EXPECT_TRUE(first.items[0].value(QStringLiteral("verified")).toBool()) << verified.out;

    const CliResult unchecked = RunCli({{"wipe", "--yes", "--json", plain}});
    EXPECT_EQ(unchecked.status, 0) << unchecked.err;
    const JsonRun second = SplitJson(unchecked);
    ASSERT_EQ(second.items.size(), 1u) << unchecked.out;
    EXPECT_FALSE(second.items[0].contains(QStringLiteral("verified"))) << unchecked.out;
    EXPECT_FALSE(Exists(checked));
    EXPECT_FALSE(Exists(plain));
}

TEST_F(CliWipeTest, WithoutATerminalItRefusesUnlessToldYes)
{
    const std::string file = dir / "a.txt";
    WriteFile(file, "still here");
    const CliResult refused = RunCli({{"wipe", file}});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("--yes"), std::string::npos) << refused.err;
    EXPECT_EQ(ReadFile(file), "still here");

    // Input from a pipe is no terminal either, whatever it says.
    CliLaunch piped{{"wipe", file}};
    piped.devNullInput = false;
    piped.input = "y\ny\n";
    EXPECT_EQ(RunCli(piped).status, 2);
    EXPECT_EQ(RunCli({{"wipe", "--yes", "--on-error=ask", file}}).status, 2);
    EXPECT_EQ(ReadFile(file), "still here");

    const CliResult done = RunCli({{"wipe", "-y", file}});
    EXPECT_EQ(done.status, 0) << done.err;
    EXPECT_FALSE(Exists(file));
    EXPECT_NE(done.err.find("Destroyed 1 file (10 bytes)."), std::string::npos) << done.err;
    EXPECT_EQ(done.out, "");
}

TEST_F(CliWipeTest, OnErrorStopEndsAtTheFirstFileLeftAndSkipGoesOn)
{
    const std::string missing = dir / "missing";
    const std::string file = dir / "b.txt";
    WriteFile(file, "b");

    const CliResult stopped = RunCli({{"wipe", "--yes", "--json", "--on-error=stop", missing, file}});
    EXPECT_EQ(stopped.status, 3);
    const JsonRun json = SplitJson(stopped);
    ASSERT_EQ(json.items.size(), 1u);
    EXPECT_EQ(Str(json.summary, "stopped"), "cancel");
    EXPECT_NE(stopped.err.find("(Cancel Operation)"), std::string::npos) << stopped.err;
    EXPECT_TRUE(Exists(file));

    // Names are taken relative to the directory the program runs in.
    CliLaunch skip{{"wipe", "--yes", "--json", "--on-error=skip", "missing", "./b.txt"}};
    skip.workingDirectory = dir.Path();
    const CliResult skipped = RunCli(skip);
    EXPECT_EQ(skipped.status, 1);
    const JsonRun all = SplitJson(skipped);
    ASSERT_EQ(all.items.size(), 2u);
    EXPECT_EQ(PathOf(all.items[0]), missing);
    EXPECT_EQ(PathOf(all.items[1]), file);
    EXPECT_EQ(Str(all.items[1], "result"), "destroyed");
    EXPECT_FALSE(Exists(file));
}

// A directory that takes no renames: the file is overwritten and emptied,
// then cannot be removed. That ends the command as an error, after the
// record says what became of the file.
TEST_F(CliWipeTest, AFileWhoseNameCannotBeRemovedIsLeftUntouchedAndTheRestGoesOn)
{
    LetteredVolume volume(16);
    if (!volume.Available())
        GTEST_SKIP() << volume.SkipReason();
    const std::string folder = volume.Path() + "/locked";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string first = folder + "/first.txt";
    const std::string second = volume.Path() + "/second.txt";
    WriteFile(first, "first secret");
    WriteFile(second, "second secret");
    InodeFlag immutable(folder, FS_IMMUTABLE_FL);
    ASSERT_TRUE(immutable.IsSet());

    // The name could not be removed afterwards, so not a byte of the file
    // is written: it is reported as left, and the next file is destroyed.
    const CliResult run = RunCli({{"wipe", "--yes", "--json", first, second}});
    EXPECT_EQ(run.status, 1) << run.err;
    const JsonRun json = SplitJson(run);
    ASSERT_EQ(json.items.size(), 2u) << run.out;
    EXPECT_EQ(PathOf(json.items[0]), first);
    EXPECT_EQ(Str(json.items[0], "result"), "left");
    EXPECT_EQ(Num(json.items[0], "cause"), 5);
    EXPECT_EQ(Str(json.items[0], "message"), "Could not access this file for deletion [ 5 ]");
    EXPECT_EQ(PathOf(json.items[1]), second);
    EXPECT_EQ(Str(json.items[1], "result"), "destroyed");
    EXPECT_EQ(Num(json.summary, "left"), 1);
    EXPECT_EQ(ReadFile(first), "first secret");
    EXPECT_FALSE(Exists(second));
}

TEST_F(CliWipeTest, OnATerminalEachFileIsConfirmedInTheWindowsWords)
{
    std::vector<std::string> files;
    for (int i = 1; i <= 4; ++i) {
        files.push_back(dir / ("f" + std::to_string(i) + ".txt"));
        WriteFile(files.back(), "file " + std::to_string(i));
    }
    const std::string choices = "Yes (y), Yes To All (a), No (n), Cancel (q)? ";
    CliOnTerminal terminal({{"wipe", files[0], files[1], files[2], files[3]}});
    ASSERT_TRUE(terminal.Expect("Secure Delete File: " + files[0] + "\r\n" + choices)) << terminal.Screen();
    terminal.Type("n\n");
    ASSERT_TRUE(terminal.Expect("Secure Delete File: " + files[1])) << terminal.Screen();
    ASSERT_TRUE(terminal.Expect(choices));
    terminal.Type("perhaps\n");
    ASSERT_TRUE(terminal.Expect(choices)) << "an unknown answer is asked again: " << terminal.Screen();
    terminal.Type("y\n");
    ASSERT_TRUE(terminal.Expect("Secure Delete File: " + files[2])) << terminal.Screen();
    terminal.Type("a\n");
    const CliResult result = terminal.Wait();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err.find("Secure Delete File: " + files[3]), std::string::npos) << "asked after Yes To All";
    EXPECT_NE(result.err.find("Destroyed 3 files (18 bytes)."), std::string::npos) << result.err;
    EXPECT_TRUE(Exists(files[0]));
    EXPECT_FALSE(Exists(files[1]));
    EXPECT_FALSE(Exists(files[2]));
    EXPECT_FALSE(Exists(files[3]));
}

TEST_F(CliWipeTest, OnATerminalAFileErrorIsAskedAndCancelEndsTheWalk)
{
    const std::string missing = dir / "missing";
    const std::string file = dir / "b.txt";
    WriteFile(file, "b");
    const std::string errorText = "Secure Delete Error: " + missing + ": Could not access this file for deletion [ 2 ]\r\n"
                                  "Ignore File (i), Cancel Operation (c)? ";
    {
        CliOnTerminal terminal({{"wipe", missing, file}});
        ASSERT_TRUE(terminal.Expect("Secure Delete File: " + missing));
        terminal.Type("y\n");
        ASSERT_TRUE(terminal.Expect(errorText)) << terminal.Screen();
        terminal.Type("c\n");
        const CliResult result = terminal.Wait();
        EXPECT_EQ(result.status, 3);
        EXPECT_EQ(result.err.find("Secure Delete File: " + file), std::string::npos);
        EXPECT_NE(result.err.find("Stopped: Cancel Operation."), std::string::npos) << result.err;
        EXPECT_TRUE(Exists(file));
    }
    {
        // Ignore goes on; the end of input at the next question cancels.
        CliOnTerminal terminal({{"wipe", missing, file}});
        ASSERT_TRUE(terminal.Expect("Secure Delete File: " + missing));
        terminal.Type("y\n");
        ASSERT_TRUE(terminal.Expect(errorText)) << terminal.Screen();
        terminal.Type("i\n");
        ASSERT_TRUE(terminal.Expect("Secure Delete File: " + file)) << terminal.Screen();
        terminal.Type("\x04");
        EXPECT_EQ(terminal.Wait().status, 3);
        EXPECT_TRUE(Exists(file));
    }
    {
        // Ctrl+C at a question stops the command there.
        CliOnTerminal terminal({{"wipe", file}});
        ASSERT_TRUE(terminal.Expect("Secure Delete File: " + file));
        terminal.Type("\x03");
        const CliResult result = terminal.Wait();
        EXPECT_EQ(result.status, 3);
        EXPECT_NE(result.err.find("Stopped by SIGINT."), std::string::npos) << result.err;
        EXPECT_TRUE(Exists(file));
    }
}

// With --yes on a terminal the progress line counts the files on standard
// error, while standard output carries clean JSON.
TEST_F(CliWipeTest, OnATerminalAProgressLineCountsTheFiles)
{
    std::vector<std::string> args{"wipe", "--yes", "--json"};
    for (int i = 0; i < 40; ++i) {
        args.push_back(dir / ("p" + std::to_string(i)));
        WriteFile(args.back(), std::string(size_t(1000 + i), 'p'));
    }
    CliOnTerminal terminal({args}, true);
    const CliResult result = terminal.Wait();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find(" Deleting Files ..."), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("0/40"), std::string::npos) << result.err;
    // The line is erased before the program ends: nothing of it remains.
    EXPECT_EQ(result.err.substr(result.err.size() - 4), "\r\x1b[K") << result.err;
    const JsonRun json = SplitJson(result);
    EXPECT_EQ(json.items.size(), 40u);
    EXPECT_EQ(result.out.find('\x1b'), std::string::npos);
}

} // namespace
