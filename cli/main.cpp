// SPDX-License-Identifier: GPL-3.0-or-later
// tarnowick-cli: Tarnowick without a window, for terminals, scripts, timers
// and configuration-management tools.
#include "core/Translations.h"
#include "cli/CliCommands.h"
#include "platform/GiveBack.h"
#include "platform/StopSignal.h"
#include "platform/Terminal.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    // A signal from now on stops the command between two files (or two
    // writes of a fill) and lets it clean up, as Cancel Operation would.
    tw::InstallStopSignals();
    // A crash or an abort still gives back what a fill holds (named fillers,
    // a lowered ext4 reserve) before the process dies of it.
    tw::InstallLastResort();
    tw::IgnoreBrokenPipe();
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Halmere"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarnowick"));
    // Its own texts and the engine's messages in the user's language.
    tw::InstallTranslations(app);

    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    return tw::cli::RunCli(args);
}
