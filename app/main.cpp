// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the command line from its raw bytes. --help, --version and the
// hand-off of `--delete` to a running instance need no display, so they
// happen before the toolkit starts; the toolkit never sees the file names
// after --delete, so none of them can be taken for one of its options.
#include "app/CTarnowickApp.h"
#include "inbound/CommandLine.h"
#include "inbound/HandOffMessage.h"
#include "core/Translations.h"
#include "inbound/HandOff.h"
#include "platform/StopSignal.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

// The first argument before --delete that is an option neither this
// program nor the toolkit knows; empty when there is none. Such an option
// is a usage error, told without a display: the toolkit would otherwise
// meet it first and, with no display to open, abort.
std::string UnknownOption(int argc, char** argv)
{
    // The toolkit's own options; those of the first list take a value.
    static const char* const withValue[] = {
        "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon", "qwindowtitle",
        "session", "display", "geometry", "style", "stylesheet", "name", "title", "icon", "fn", "font", "bg",
        "background", "fg", "foreground", "btn", "button", "visual", "ncols", "cmap", "im", "inputstyle"};
    static const char* const flags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--delete" || arg == "--")
            break;
        if (arg.size() < 2 || arg[0] != '-')
            continue;
        std::string option = arg.substr(arg[1] == '-' ? 2 : 1);
        const size_t equals = option.find('=');
        const bool valueGiven = equals != std::string::npos;
        option = option.substr(0, equals);
        bool known = option == "qmljsdebugger";
        for (const char* name : flags)
            known = known || option == name;
        for (const char* name : withValue)
            if (option == name) {
                known = true;
                if (!valueGiven)
                    ++i;
            }
        if (!known)
            return arg;
    }
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    using tw::CommandLine;

    std::error_code ec;
    const std::string cwd = std::filesystem::current_path(ec).native();
    CommandLine line = tw::ReadCommandLine(argc, argv, ec ? std::string() : cwd);
    if (line.kind == CommandLine::Help || line.kind == CommandLine::Usage) {
        // Text only, in the user's language: the translations need an
        // application object, which needs no display. The line is read
        // again, so that its mistake is told in that language too.
        int coreArgc = 1;
        QCoreApplication core(coreArgc, argv);
        tw::InstallTranslations(core);
        line = tw::ReadCommandLine(argc, argv, ec ? std::string() : cwd);
        if (line.kind == CommandLine::Help) {
            std::fputs(tw::HelpText().c_str(), stdout);
            return 0;
        }
        std::fprintf(stderr, "tarnowick: %s\n%s", line.error.c_str(), tw::UsageText().c_str());
        return 2;
    }
    if (line.kind == CommandLine::Window || line.kind == CommandLine::Delete) {
        if (const std::string unknown = UnknownOption(line.toolkitArgc, argv); !unknown.empty()) {
            int coreArgc = 1;
            QCoreApplication core(coreArgc, argv);
            tw::InstallTranslations(core);
            std::fprintf(stderr, "tarnowick: %s\n%s",
                         tw::FillText(QCoreApplication::translate("tw::CommandLine", "unknown option %1"), {unknown}).c_str(),
                         tw::UsageText().c_str());
            return 2;
        }
    }
    switch (line.kind) {
    case CommandLine::Version:
        std::printf("%s\n", tw::VersionText().c_str());
        return 0;
    case CommandLine::Delete: {
        // What goes wrong on the way is told in the user's language; this
        // application object is gone before the window's is made.
        int coreArgc = 1;
        QCoreApplication core(coreArgc, argv);
        tw::InstallTranslations(core);
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
                std::fprintf(stderr, "tarnowick: %s\n",
                             tw::FillText(QCoreApplication::translate("tw::HandOff", "%1; asking in a window of its own"),
                                          {why})
                                 .c_str());
                break;
            }
        }
        break;
    }
    default:
        break;
    }

    int status = 0;
    {
        int toolkitArgc = line.toolkitArgc;
        tw::CTarnowickApp app(toolkitArgc, argv);
        // What the toolkit left of the arguments before --delete.
        line = tw::ReadRemainingArguments(line, std::vector<std::string>(argv + 1, argv + toolkitArgc));
        status = app.InitInstance(line);
        if (status == 0)
            status = app.exec();
    }
    // Ended by SIGTERM, SIGINT or SIGHUP: everything is cleaned up and the
    // window is gone; the process now ends as that signal ends it.
    tw::ReraiseStopSignal();
    return status;
}
