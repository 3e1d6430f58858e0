// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliOptions.h"

#include "core/Translations.h"

#include <QCoreApplication>

#include <algorithm>
#include <cctype>

namespace tw::cli {

namespace {

// The messages and the help, in the user's language; the commands and
// options are the same in every language.
struct OptionWords {
    Q_DECLARE_TR_FUNCTIONS(tw::cli::CliOptions)
};

struct NamedCommand {
    const char* name;
    CliCommand command;
};
constexpr NamedCommand kCommands[] = {
    {"wipe", CliCommand::Wipe},
    {"sweep", CliCommand::Sweep},
    {"empty-space", CliCommand::EmptySpace},
    {"overcommit", CliCommand::Overcommit},
    {"drives", CliCommand::Drives},
};

struct NamedSweep {
    const char* name;
    SweepTarget target;
};
constexpr NamedSweep kSweeps[] = {
    {"cache", SweepTarget::Cache},
    {"temp", SweepTarget::Temp},
    {"other", SweepTarget::Other},
    {"preferences", SweepTarget::Preferences},
};

std::string OnErrorValue(const std::string& value, OnError& onError)
{
    if (value == "ask")
        onError = OnError::Ask;
    else if (value == "skip")
        onError = OnError::Skip;
    else if (value == "stop")
        onError = OnError::Stop;
    else
        return FillText(tw::cli::OptionWords::tr("--on-error takes ask, skip or stop, not '%1'"), {value});
    return {};
}

// "D", "d", "D:" and "d:" all name drive D.
bool DriveLetter(const std::string& operand, char& letter)
{
    if (operand.empty() || operand.size() > 2 || (operand.size() == 2 && operand[1] != ':'))
        return false;
    const auto c = static_cast<unsigned char>(operand[0]);
    if (c >= 0x80 || !std::isalpha(c))
        return false;
    letter = char(std::toupper(c));
    return true;
}

std::string CheckOperands(const std::vector<std::string>& operands, CliOptions& options)
{
    switch (options.command) {
    case CliCommand::None:
        return tw::cli::OptionWords::tr("no command given").toStdString();
    case CliCommand::Wipe:
        if (operands.empty())
            return tw::cli::OptionWords::tr("wipe needs at least one file").toStdString();
        options.files = operands;
        for (const std::string& file : operands)
            if (file.empty())
                return tw::cli::OptionWords::tr("an empty file name cannot be wiped").toStdString();
        break;
    case CliCommand::Sweep: {
        if (operands.size() != 1)
            return tw::cli::OptionWords::tr("sweep takes one of cache, temp, other or preferences").toStdString();
        const auto it = std::find_if(std::begin(kSweeps), std::end(kSweeps),
                                     [&](const NamedSweep& s) { return operands[0] == s.name; });
        if (it == std::end(kSweeps))
            return FillText(tw::cli::OptionWords::tr("sweep takes one of cache, temp, other or preferences, not '%1'"),
                            {operands[0]});
        options.sweep = it->target;
        options.sweepName = it->name;
        break;
    }
    case CliCommand::EmptySpace:
        for (const std::string& operand : operands) {
            char letter = 0;
            if (!DriveLetter(operand, letter))
                return FillText(tw::cli::OptionWords::tr("'%1' is not a drive letter (tarnowick-cli drives lists them)"),
                                {operand});
            if (std::find(options.letters.begin(), options.letters.end(), letter) == options.letters.end())
                options.letters.push_back(letter);
        }
        break;
    case CliCommand::Overcommit:
    case CliCommand::Drives:
        if (!operands.empty())
            return FillText(tw::cli::OptionWords::tr("%1 takes no operands"), {options.commandName});
        break;
    }
    if (options.dryRun && options.command != CliCommand::Sweep)
        return tw::cli::OptionWords::tr("--dry-run goes with sweep only").toStdString();
    return {};
}

} // namespace

std::string ParseCommandLine(const std::vector<std::string>& args, CliOptions& options)
{
    std::vector<std::string> operands;
    bool optionsEnded = false;
    std::string error;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            if (options.command == CliCommand::None && options.commandName.empty()) {
                options.commandName = arg;
                const auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                                             [&](const NamedCommand& c) { return arg == c.name; });
                if (it != std::end(kCommands))
                    options.command = it->command;
                else if (error.empty())
                    error = FillText(tw::cli::OptionWords::tr("unknown command '%1'"), {arg});
            } else {
                operands.push_back(arg);
            }
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--yes" || arg == "-y") {
            options.yes = true;
        } else if (arg == "--dry-run" || arg == "-n") {
            options.dryRun = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--quiet" || arg == "-q") {
            options.quiet = true;
        } else if (arg == "--verify") {
            options.verify = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version" || arg == "-V") {
            options.version = true;
        } else if (arg.rfind("--on-error=", 0) == 0) {
            const std::string problem = OnErrorValue(arg.substr(11), options.onError);
            if (error.empty())
                error = problem;
        } else if (arg == "--on-error") {
            std::string problem = tw::cli::OptionWords::tr("--on-error needs a value: ask, skip or stop").toStdString();
            if (i + 1 < args.size())
                problem = OnErrorValue(args[++i], options.onError);
            if (error.empty())
                error = problem;
        } else if (error.empty()) {
            error = FillText(tw::cli::OptionWords::tr("unknown option '%1'"), {arg});
        }
    }
    if (options.help || options.version)
        return {};
    if (!error.empty())
        return error;
    return CheckOperands(operands, options);
}

std::string UsageText()
{
    return tw::cli::OptionWords::tr(
               "Usage: tarnowick-cli [OPTION]... COMMAND [OPERAND]...\n"
               "Destroy files, sweep locations and overwrite free space without a window,\n"
               "with the settings and drive letters of Tarnowick.\n"
               "\n"
               "Commands:\n"
               "  wipe FILE...            overwrite, truncate and remove each FILE\n"
               "                          (Secure Delete File); asks for each file on a\n"
               "                          terminal, refuses without one unless --yes\n"
               "  sweep cache|temp|other|preferences\n"
               "                          run one of the four sweeps as configured\n"
               "  empty-space [LETTER]... overwrite the free space of these drives\n"
               "                          (default: those last chosen for Secure Empty Space)\n"
               "  overcommit              push memory out to swap (Overcommit Swapfile)\n"
               "  drives                  list the drives: letter, mount point, file system,\n"
               "                          size, free space, removable\n"
               "\n"
               "Options:\n"
               "  -y, --yes               answer Yes To All: destroy without asking\n"
               "  -n, --dry-run           sweep: list what would be destroyed, touch nothing\n"
               "      --on-error=ask|skip|stop\n"
               "                          when an item cannot be destroyed: ask (the default\n"
               "                          on a terminal), skip it (Ignore; the default\n"
               "                          otherwise) or stop (Cancel Operation)\n"
               "      --json              one JSON object per line on standard output: each\n"
               "                          item's result, then a summary\n"
               "      --verify            read each overwritten file back from the device\n"
               "                          before it is cut; a file that does not hold the\n"
               "                          pattern there is an error\n"
               "  -q, --quiet             no progress, no item lines, no summary text; errors\n"
               "                          are still reported (with --json the summary stays)\n"
               "  -h, --help              show this help and exit\n"
               "  -V, --version           show the version and exit\n"
               "\n"
               "Exit status: 0 everything selected was destroyed; 1 some items were left;\n"
               "2 usage error, refusal, or settings that ask for what cannot be done;\n"
               "3 stopped (Cancel Operation, a signal, or a fatal error).\n"
               "\n"
               "The manual: man tarnowick-cli\n")
        .toStdString();
}

} // namespace tw::cli
