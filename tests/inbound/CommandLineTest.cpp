// SPDX-License-Identifier: GPL-3.0-or-later
// The command line read from raw argument bytes: which form it is, and the
// names of --delete exactly as given, made absolute.
#include "inbound/CommandLine.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {

CommandLine Read(std::vector<std::string> args, const std::string& cwd = "/home/ann")
{
    std::vector<const char*> argv{"tarnowick"};
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    return ReadCommandLine(int(argv.size()), argv.data(), cwd);
}

TEST(CommandLineTest, HelpAndVersionAreFoundBeforeTheToolkitStarts)
{
    EXPECT_EQ(Read({"--help"}).kind, CommandLine::Help);
    EXPECT_EQ(Read({"-h"}).kind, CommandLine::Help);
    EXPECT_EQ(Read({"--version"}).kind, CommandLine::Version);
    EXPECT_EQ(Read({"-platform", "offscreen", "--version"}).kind, CommandLine::Version);
    // After --delete every word is a file name, even "--help".
    const CommandLine named = Read({"--delete", "--help"});
    EXPECT_EQ(named.kind, CommandLine::Delete);
    EXPECT_EQ(named.names, std::vector<std::string>{"/home/ann/--help"});
    EXPECT_EQ(VersionText(), "Tarnowick 1.0");
}

TEST(CommandLineTest, DeleteNamesKeepEveryByteAndBecomeAbsolute)
{
    const std::string latin1 = "caf\xe9 \"draft\".txt";  // not UTF-8
    const CommandLine line = Read({"-style", "fusion", "--delete", "/tmp/a b", "./notes", latin1, "sub/../x", "-n"});
    ASSERT_EQ(line.kind, CommandLine::Delete);
    EXPECT_EQ(line.names, (std::vector<std::string>{"/tmp/a b", "/home/ann/notes", "/home/ann/" + latin1,
                                                    "/home/ann/sub/../x", "/home/ann/-n"}));
    // The toolkit sees the program name and its own options only.
    EXPECT_EQ(line.toolkitArgc, 3);

    const CommandLine dashed = Read({"--delete", "--", "--", "-x"}, "/");
    EXPECT_EQ(dashed.names, (std::vector<std::string>{"/--", "/-x"}));
}

TEST(CommandLineTest, WrongFormsAreUsageErrors)
{
    struct Case {
        std::vector<std::string> args;
        std::string cwd;
        const char* error;
    } cases[] = {
        {{"--delete"}, "/home/ann", "--delete needs at least one file name"},
        {{"--delete", "--"}, "/home/ann", "--delete needs at least one file name"},
        {{"--delete", "a", ""}, "/home/ann", "an empty file name was given"},
        // Without the working directory a relative name is never guessed.
        {{"--delete", "/abs", "rel"}, "", "the current directory is unknown, so rel cannot be found; give a full path"},
    };
    for (const Case& c : cases) {
        const CommandLine line = Read(c.args, c.cwd);
        EXPECT_EQ(line.kind, CommandLine::Usage) << c.error;
        EXPECT_EQ(line.error, c.error);
    }
    EXPECT_EQ(Read({"--delete", "/abs"}, "").kind, CommandLine::Delete);
}

TEST(CommandLineTest, WhatTheToolkitLeavesIsNoneOrOneDocument)
{
    const CommandLine start = Read({});
    EXPECT_EQ(ReadRemainingArguments(start, {}).kind, CommandLine::Window);
    const CommandLine doc = ReadRemainingArguments(start, {"report.txt"});
    EXPECT_EQ(doc.kind, CommandLine::Document);
    EXPECT_EQ(doc.names, std::vector<std::string>{"report.txt"});
    EXPECT_EQ(ReadRemainingArguments(start, {"-"}).kind, CommandLine::Document);
    EXPECT_EQ(ReadRemainingArguments(start, {"a", "b"}).error, "more than one file name");
    EXPECT_EQ(ReadRemainingArguments(start, {"--frobnicate"}).error, "unknown option --frobnicate");

    const CommandLine del = Read({"--delete", "/f"});
    EXPECT_EQ(ReadRemainingArguments(del, {}).kind, CommandLine::Delete);
    EXPECT_EQ(ReadRemainingArguments(del, {"stray"}).kind, CommandLine::Usage);
}

} // namespace
