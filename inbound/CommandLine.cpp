// SPDX-License-Identifier: GPL-3.0-or-later
#include "inbound/CommandLine.h"

#include "core/Translations.h"

#include <QCoreApplication>

#ifndef TARNOWICK_VERSION
#define TARNOWICK_VERSION "1.0"
#endif

namespace tw {

namespace {

// The command line's words, in the user's language where a translation is
// installed.
std::string Words(const char* text) { return QCoreApplication::translate("tw::CommandLine", text).toStdString(); }

std::string Absolute(const std::string& name, const std::string& workingDirectory)
{
    if (name.front() == '/')
        return name;
    std::string path = workingDirectory;
    if (path.empty() || path.back() != '/')
        path += '/';
    // "./a" reads better as "a" in the confirm dialog; the bytes of the
    // name itself are never changed.
    size_t start = 0;
    while (name.compare(start, 2, "./") == 0)
        start += 2;
    return path + name.substr(start);
}

CommandLine UsageError(std::string error)
{
    CommandLine line;
    line.kind = CommandLine::Usage;
    line.error = std::move(error);
    return line;
}

} // namespace

CommandLine ReadCommandLine(int argc, const char* const* argv, const std::string& workingDirectory)
{
    CommandLine line;
    int deleteAt = argc;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--delete") {
            deleteAt = i;
            break;
        }
        if (arg == "--help" || arg == "-h") {
            line.kind = CommandLine::Help;
            return line;
        }
        if (arg == "--version") {
            line.kind = CommandLine::Version;
            return line;
        }
    }
    line.toolkitArgc = deleteAt;
    if (deleteAt == argc)
        return line;

    // Everything after --delete is a file name; a first "--" may stand
    // before names that begin with "-".
    int first = deleteAt + 1;
    if (first < argc && std::string(argv[first]) == "--")
        ++first;
    if (first == argc)
        return UsageError(Words(QT_TRANSLATE_NOOP("tw::CommandLine", "--delete needs at least one file name")));
    line.kind = CommandLine::Delete;
    for (int i = first; i < argc; ++i) {
        const std::string name = argv[i];
        if (name.empty())
            return UsageError(Words(QT_TRANSLATE_NOOP("tw::CommandLine", "an empty file name was given")));
        // Without the working directory a relative name could only be
        // guessed at, and a guess might name another file.
        if (name.front() != '/' && workingDirectory.empty())
            return UsageError(FillText(QCoreApplication::translate(
                "tw::CommandLine", "the current directory is unknown, so %1 cannot be found; give a full path"),
                {name}));
        line.names.push_back(Absolute(name, workingDirectory));
    }
    return line;
}

CommandLine ReadRemainingArguments(CommandLine line, const std::vector<std::string>& rest)
{
    if (line.kind != CommandLine::Window && line.kind != CommandLine::Delete)
        return line;
    if (line.kind == CommandLine::Delete) {
        if (!rest.empty())
            return UsageError(FillText(QCoreApplication::translate("tw::CommandLine", "unknown argument before --delete: %1"), {rest.front()}));
        return line;
    }
    if (rest.empty())
        return line;
    if (rest.size() > 1)
        return UsageError(Words(QT_TRANSLATE_NOOP("tw::CommandLine", "more than one file name")));
    if (rest.front().size() > 1 && rest.front().front() == '-')
        return UsageError(FillText(QCoreApplication::translate("tw::CommandLine", "unknown option %1"), {rest.front()}));
    return CommandLine::OpenDocument(rest.front());
}

std::string UsageText()
{
    return Words(QT_TRANSLATE_NOOP("tw::CommandLine", "usage: tarnowick [FILE]\n"
                                                      "       tarnowick --delete FILE...\n"
                                                      "       tarnowick --help | --version\n"));
}

std::string HelpText()
{
    return UsageText() + Words(QT_TRANSLATE_NOOP("tw::CommandLine",
           "\n"
           "Opens the Tarnowick window, which destroys files by overwriting them\n"
           "before removing them.\n"
           "\n"
           "  FILE               opened for reading only, never changed\n"
           "  --delete FILE...   asks in the window about each FILE (\"Secure Delete\n"
           "                     Confirm\") and destroys those answered Yes; when\n"
           "                     Tarnowick already runs for this user, its window asks\n"
           "  --help             shows this text\n"
           "  --version          shows the version\n"
           "\n"
           "The manual is in Help > Index.\n"));
}

std::string VersionText() { return std::string("Tarnowick ") + TARNOWICK_VERSION; }

} // namespace tw
