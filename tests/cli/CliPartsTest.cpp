// SPDX-License-Identifier: GPL-3.0-or-later
// The parts of tarnowick-cli that need no process of their own: reading the
// command line, writing names safely to a terminal, sizes and times, and the
// progress line. What the program does with them is tested on the program.
#include "record/ItemReport.h"
#include "cli/CProgressLine.h"
#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "cli/TextFormat.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

using namespace tw;
using namespace tw::cli;

namespace {

struct ParseRow {
    std::vector<std::string> args;
    std::string error;  // "" = accepted; else a part of the reason
};

TEST(CliOptionsTest, CommandLinesAreAcceptedOrRefusedWithAReason)
{
    const ParseRow rows[] = {
        {{"wipe", "a", "b"}, ""},
        {{"--yes", "wipe", "--json", "a"}, ""},
        {{"wipe", "--", "-a"}, ""},
        {{"sweep", "temp", "--dry-run"}, ""},
        {{"sweep", "preferences", "--on-error=stop"}, ""},
        {{"sweep", "other", "--on-error", "skip"}, ""},
        {{"empty-space"}, ""},
        {{"empty-space", "d", "E:", "D"}, ""},
        {{"overcommit", "-q"}, ""},
        {{"drives", "--json"}, ""},
        {{}, "no command"},
        {{"--yes"}, "no command"},
        {{"shred", "a"}, "unknown command 'shred'"},
        {{"wipe"}, "at least one file"},
        {{"wipe", ""}, "empty file name"},
        {{"sweep"}, "one of cache, temp, other or preferences"},
        {{"sweep", "tmp"}, "not 'tmp'"},
        {{"sweep", "temp", "cache"}, "one of cache"},
        {{"empty-space", "DE"}, "'DE' is not a drive letter"},
        {{"empty-space", "1"}, "'1' is not a drive letter"},
        {{"empty-space", "/home"}, "not a drive letter"},
        {{"overcommit", "now"}, "takes no operands"},
        {{"drives", "C"}, "takes no operands"},
        {{"wipe", "--dry-run", "a"}, "--dry-run goes with sweep only"},
        {{"sweep", "temp", "--on-error=later"}, "ask, skip or stop, not 'later'"},
        {{"sweep", "temp", "--on-error"}, "needs a value"},
        {{"wipe", "--force", "a"}, "unknown option '--force'"},
    };
    for (const ParseRow& row : rows) {
        CliOptions options;
        const std::string error = ParseCommandLine(row.args, options);
        std::string line;
        for (const std::string& a : row.args)
            line += "[" + a + "] ";
        if (row.error.empty())
            EXPECT_EQ(error, "") << line;
        else
            EXPECT_NE(error.find(row.error), std::string::npos) << line << "gave: " << error;
    }
}

TEST(CliOptionsTest, OperandsAndSwitchesLandWhereTheCommandsReadThem)
{
    CliOptions wipe;
    ASSERT_EQ(ParseCommandLine({"-y", "wipe", "a", "--", "--json", "-"}, wipe), "");
    EXPECT_EQ(wipe.command, CliCommand::Wipe);
    EXPECT_EQ(wipe.files, (std::vector<std::string>{"a", "--json", "-"}));
    EXPECT_TRUE(wipe.yes);
    EXPECT_FALSE(wipe.json);

    CliOptions space;
    ASSERT_EQ(ParseCommandLine({"empty-space", "e", "D:", "E", "--on-error=ask"}, space), "");
    EXPECT_EQ(space.letters, (std::vector<char>{'E', 'D'}));
    EXPECT_EQ(space.onError, OnError::Ask);

    CliOptions sweep;
    ASSERT_EQ(ParseCommandLine({"sweep", "-n", "preferences", "-q", "--json"}, sweep), "");
    EXPECT_EQ(sweep.sweep, SweepTarget::Preferences);
    EXPECT_TRUE(sweep.dryRun && sweep.quiet && sweep.json);

    // --help and --version win over anything else on the line.
    CliOptions help;
    EXPECT_EQ(ParseCommandLine({"nonsense", "--help", "--bogus"}, help), "");
    EXPECT_TRUE(help.help);
    EXPECT_NE(UsageText().find("--on-error=ask|skip|stop"), std::string::npos);
}

TEST(CliTextTest, NamesReachTheTerminalWithoutControlsAndComeBackWhole)
{
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"/home/ann/report.txt", "/home/ann/report.txt"},
        {"/tmp/new\nline", "/tmp/new\\x0aline"},
        {"/tmp/\x1b[2Jclear", "/tmp/\\x1b[2Jclear"},
        {"tab\there", "tab\\x09here"},
        {"del\x7f", "del\\x7f"},
        {"csi\xc2\x9b" "1m", "csi\\xc2\\x9b1m"},
        {"back\\slash", "back\\\\slash"},
        {"latin1 \xe9t\xe9", "latin1 \\xe9t\\xe9"},
        {"caf\xc3\xa9", "caf\xc3\xa9"},
    };
    for (const auto& [bytes, shown] : rows) {
        EXPECT_EQ(TerminalText(bytes), shown);
        EXPECT_EQ(UnescapeBytes(TerminalText(bytes)), bytes) << shown;
    }
}

TEST(CliTextTest, SizesTimesAndCounts)
{
    EXPECT_EQ(FormatBytes(0), "0 bytes");
    EXPECT_EQ(FormatBytes(1023), "1023 bytes");
    EXPECT_EQ(FormatBytes(1024), "1.0 KiB");
    EXPECT_EQ(FormatBytes(1536), "1.5 KiB");
    EXPECT_EQ(FormatBytes(1048575), "1.0 MiB");
    EXPECT_EQ(FormatBytes(5ull << 30), "5.0 GiB");
    EXPECT_EQ(FormatDuration(0.3), "less than a second");
    EXPECT_EQ(FormatDuration(59.4), "59 s");
    EXPECT_EQ(FormatDuration(185), "3 min 5 s");
    EXPECT_EQ(FormatDuration(7620), "2 h 7 min");
    EXPECT_EQ(FormatDuration(1.0 / 0.0), "an unknown time");
    EXPECT_EQ(CountOf(1, "file"), "1 file");
    EXPECT_EQ(CountOf(0, "drive"), "0 drives");
}

TEST(CliTextTest, RelativeNamesAreMadeAbsoluteWithoutResolvingLinks)
{
    EXPECT_EQ(AbsolutePath("/etc/x", "/home/ann"), "/etc/x");
    EXPECT_EQ(AbsolutePath("a.txt", "/home/ann"), "/home/ann/a.txt");
    EXPECT_EQ(AbsolutePath("./a.txt", "/home/ann"), "/home/ann/a.txt");
    EXPECT_EQ(AbsolutePath("././/sub/../a", "/"), "/sub/../a");
    EXPECT_EQ(AbsolutePath("link/a", "/home/ann/"), "/home/ann/link/a");
}

TEST(CliProgressTest, TheLineShowsCountRateAndTimeLeftWithinTheTerminal)
{
    using namespace std::chrono;
    CProgressLine line(false);
    const auto start = CProgressLine::Clock::now();
    EXPECT_EQ(line.Compose(80, start), "");

    line.SetPhase(" Scanning for Files ...");
    EXPECT_EQ(line.Compose(80, start), " Scanning for Files ...");
    line.SetTotal(400);
    line.SetPhase(" Deleting Files ...");
    for (int i = 0; i < 100; ++i)
        line.ItemDone(1024);
    // 100 of 400 files in (at least) ten seconds: 300 more take thirty.
    const std::string later = line.Compose(100, start + seconds(10) + milliseconds(1));
    EXPECT_EQ(later.rfind(" Deleting Files ...  [", 0), 0u) << later;
    EXPECT_NE(later.find("100/400"), std::string::npos) << later;
    EXPECT_NE(later.find("files/s"), std::string::npos) << later;
    EXPECT_NE(later.find("about 30 s left"), std::string::npos) << later;
    EXPECT_LE(later.size(), 99u);
    EXPECT_LE(line.Compose(30, start + seconds(10)).size(), 29u);

    FillStatus fill;
    fill.letter = 'D';
    fill.mountPoint = "/media/stick";
    fill.total = 1000ull << 20;
    fill.written = 250ull << 20;
    line.Fill(fill);
    const std::string filling = line.Compose(120, CProgressLine::Clock::now() + seconds(5));
    EXPECT_EQ(filling.rfind("D: /media/stick   25%", 0), 0u) << filling;
    EXPECT_NE(filling.find("250 MiB of 1.0 GiB"), std::string::npos) << filling;
    EXPECT_NE(filling.find(" left"), std::string::npos) << filling;
    fill.phase = FillStatus::Flushing;
    line.Fill(fill);
    EXPECT_EQ(line.Compose(120, CProgressLine::Clock::now()), "D: /media/stick  Flushing to the device ...");
    fill.phase = FillStatus::GivingBack;
    line.Fill(fill);
    EXPECT_EQ(line.Compose(120, CProgressLine::Clock::now()), "D: /media/stick  Giving the space back ...");
}

} // namespace
