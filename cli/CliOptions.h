// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of tarnowick-cli: one command, its operands, and the
// options, which may stand anywhere before "--".
#pragma once

#include <string>
#include <vector>

namespace tw::cli {

enum class CliCommand { None, Wipe, Sweep, EmptySpace, Overcommit, Drives };

// What happens when a file or a drive cannot be destroyed.
enum class OnError {
    Default,  // ask on a terminal, skip otherwise
    Ask,      // "Ignore File" / "Cancel Operation" asked on the terminal
    Skip,     // answered "Ignore" (the item is left, the command goes on)
    Stop,     // answered "Cancel Operation"
};

enum class SweepTarget { Cache, Temp, Other, Preferences };

struct CliOptions {
    CliCommand command = CliCommand::None;
    std::string commandName;            // as typed: "wipe", "sweep" ...
    std::vector<std::string> files;     // wipe: the files, as given
    SweepTarget sweep = SweepTarget::Cache;
    std::string sweepName;              // "cache", "temp", "other", "preferences"
    std::vector<char> letters;          // empty-space: upper-case letters, each once
    bool yes = false;
    bool dryRun = false;
    bool json = false;
    bool quiet = false;
    bool verify = false;                // read each overwritten file back from the device
    bool help = false;
    bool version = false;
    OnError onError = OnError::Default;
};

// Reads the arguments after the program's name into `options`. Returns ""
// or the reason the command line cannot be used. --help and --version stand
// on their own: with either, nothing else is checked.
std::string ParseCommandLine(const std::vector<std::string>& args, CliOptions& options);

// The text of --help.
std::string UsageText();

} // namespace tw::cli
