// SPDX-License-Identifier: GPL-3.0-or-later
// tarnowick-cli's command line: a command line that is taken says what it
// does (a known command, files that are named, drive letters A to Z each
// once), and after "--" every argument is a file name, taken exactly.
//
// Input: the arguments, separated by NUL bytes as in argv.
#include "cli/CliOptions.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>

using namespace tw::cli;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> args;
    if (size > 0)
        args = tw::fuzz::Split(tw::fuzz::Bytes(data, size), '\0');

    CliOptions options;
    const std::string error = ParseCommandLine(args, options);
    if (error.empty() && !options.help && !options.version) {
        FUZZ_CHECK(options.command != CliCommand::None);
        if (options.command == CliCommand::Wipe) {
            FUZZ_CHECK(!options.files.empty());
            for (const std::string& file : options.files) {
                FUZZ_CHECK(!file.empty());
                FUZZ_CHECK(std::find(args.begin(), args.end(), file) != args.end());
            }
        }
        for (size_t i = 0; i < options.letters.size(); ++i) {
            FUZZ_CHECK(options.letters[i] >= 'A' && options.letters[i] <= 'Z');
            FUZZ_CHECK(std::count(options.letters.begin(), options.letters.end(), options.letters[i]) == 1);
        }
        if (options.command == CliCommand::Sweep) {
            const std::vector<std::string> sweeps = {"cache", "temp", "other", "preferences"};
            FUZZ_CHECK(std::find(sweeps.begin(), sweeps.end(), options.sweepName) != sweeps.end());
        }
        FUZZ_CHECK(!options.dryRun || options.command == CliCommand::Sweep);
    }

    // After "--", names that look like options are files all the same.
    std::vector<std::string> files;
    for (const std::string& arg : args)
        if (!arg.empty())
            files.push_back(arg);
    if (files.empty())
        return 0;
    std::vector<std::string> wipe = {"--yes", "wipe", "--"};
    wipe.insert(wipe.end(), files.begin(), files.end());
    CliOptions wipeOptions;
    FUZZ_CHECK(ParseCommandLine(wipe, wipeOptions).empty());
    FUZZ_CHECK(wipeOptions.command == CliCommand::Wipe && wipeOptions.yes && wipeOptions.files == files);
    return 0;
}
