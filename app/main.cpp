// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the command line from its raw bytes. --help, --version and the
// hand-off of `--delete` to a running instance need no display, so they
// happen before the toolkit starts; the toolkit never sees the file names
// after --delete, so none of them can be taken for one of its options.
#include "app/CTarnowickApp.h"
#include "app/CommandLine.h"
#include "app/HandOffMessage.h"
#include "platform/HandOff.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

int main(int argc, char** argv)
{
    using tw::CommandLine;

    std::error_code ec;
    const std::string cwd = std::filesystem::current_path(ec).native();
    CommandLine line = tw::ReadCommandLine(argc, argv, ec ? std::string() : cwd);
    switch (line.kind) {
    case CommandLine::Help:
        std::fputs(tw::HelpText().c_str(), stdout);
        return 0;
    case CommandLine::Version:
        std::printf("%s\n", tw::VersionText().c_str());
        return 0;
    case CommandLine::Usage:
        std::fprintf(stderr, "tarnowick: %s\n%s", line.error.c_str(), tw::UsageText().c_str());
        return 2;
    case CommandLine::Delete: {
        // The instance already running for this user asks about the files
        // in its window; this process then has nothing more to do.
        std::string why;
        const std::string path = tw::HandOffSocketPath(&why);
        if (!path.empty()) {
            switch (tw::SendHandOff(path, tw::EncodeHandOff(line.names), 30000, &why)) {
            case tw::HandOffResult::Delivered:
                return 0;
            case tw::HandOffResult::NoInstance:
                break;
            case tw::HandOffResult::Failed:
                std::fprintf(stderr, "tarnowick: %s; asking in a window of its own\n", why.c_str());
                break;
            }
        }
        break;
    }
    default:
        break;
    }

    int toolkitArgc = line.toolkitArgc;
    tw::CTarnowickApp app(toolkitArgc, argv);
    // What the toolkit left of the arguments before --delete.
    line = tw::ReadRemainingArguments(line, std::vector<std::string>(argv + 1, argv + toolkitArgc));
    if (const int status = app.InitInstance(line))
        return status;
    return app.exec();
}
