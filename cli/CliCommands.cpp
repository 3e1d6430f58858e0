// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"

#include "record/ItemReport.h"
#include "core/Operation.h"
#include "cli/CProgressLine.h"
#include "cli/CTerminalHost.h"
#include "cli/CliOptions.h"
#include "cli/TextFormat.h"
#include "disk/FreeSpaceWiper.h"
#include "disk/SwapOvercommit.h"
#include "platform/Memory.h"
#include "platform/Terminal.h"
#include "platform/Volumes.h"
#include "prefs/CDriveTable.h"
#include "prefs/Settings.h"
#include "sweep/LocationSweeps.h"
#include "wipe/DeleteFileCommand.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <exception>

#ifndef TARNOWICK_VERSION
#define TARNOWICK_VERSION "1.0"
#endif

namespace tw::cli {

namespace {

constexpr int kIn = 0, kOut = 1, kErr = 2;

// The front end's messages, in the user's language.
struct CommandWords {
    Q_DECLARE_TR_FUNCTIONS(tw::cli::CliCommands)
};

void Say(int fd, const std::string& text) { WriteAll(fd, text); }

int UsageError(const std::string& problem)
{
    Say(kErr, "tarnowick-cli: " + problem + "\n"
                  + tw::cli::CommandWords::tr("Try 'tarnowick-cli --help' for more information.").toStdString() + "\n");
    return kExitUsage;
}

std::string StrippedDotSlash(std::string path)
{
    while (path.size() > 2 && path.compare(0, 2, "./") == 0) {
        path.erase(0, 2);
        while (path.size() > 1 && path[0] == '/')
            path.erase(0, 1);
    }
    return path;
}

// The drives of the machine: letter, mount point, file system, size, free
// space, removable.
int ListDrives(CDriveTable& drives, bool json)
{
    std::vector<Volume> volumes = ListLocalVolumes("/proc/self/mountinfo", "/sys");
    struct Row {
        DriveInfo drive;
        std::string fsType;
        VolumeSpace space;
        bool spaceKnown = false;
    };
    std::vector<Row> rows;
    for (const DriveInfo& d : drives.ListDrives()) {
        Row row{d, {}, {}, false};
        for (const Volume& v : volumes)
            if (v.mountPoint == d.root)
                row.fsType = v.fsType;
        row.spaceKnown = GetVolumeSpace(d.root, &row.space) == 0;
        rows.push_back(row);
    }

    if (json) {
        for (const Row& row : rows) {
            QJsonObject o;
            const std::string mountPoint = EscapeBytes(row.drive.root);
            o.insert(QStringLiteral("letter"), QString(QLatin1Char(row.drive.letter)));
            o.insert(QStringLiteral("mount_point"), QString::fromUtf8(mountPoint.data(), qsizetype(mountPoint.size())));
            o.insert(QStringLiteral("file_system"), QString::fromStdString(row.fsType));
            o.insert(QStringLiteral("size"), row.spaceKnown ? QJsonValue(qint64(row.space.size)) : QJsonValue());
            o.insert(QStringLiteral("free"), row.spaceKnown ? QJsonValue(qint64(row.space.available)) : QJsonValue());
            o.insert(QStringLiteral("reserved"),
                     row.spaceKnown ? QJsonValue(qint64(row.space.free - row.space.available)) : QJsonValue());
            o.insert(QStringLiteral("removable"), row.drive.removable);
            Say(kOut, QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString() + "\n");
        }
        return kExitDestroyed;
    }

    const auto word = [](const char* text) { return tw::cli::CommandWords::tr(text).toStdString(); };
    std::vector<std::vector<std::string>> table = {
        {word(QT_TRANSLATE_NOOP("tw::cli::CliCommands", "Drive")),
         word(QT_TRANSLATE_NOOP("tw::cli::CliCommands", "Mount point")),
         word(QT_TRANSLATE_NOOP("tw::cli::CliCommands", "File system")),
         word(QT_TRANSLATE_NOOP("tw::cli::CliCommands", "Size")),
         word(QT_TRANSLATE_NOOP("tw::cli::CliCommands", "Free")),
         word(QT_TRANSLATE_NOOP("tw::cli::CliCommands", "Removable"))}};
    const std::string yes = word(QT_TRANSLATE_NOOP("tw::cli::CliCommands", "yes"));
    const std::string no = word(QT_TRANSLATE_NOOP("tw::cli::CliCommands", "no"));
    for (const Row& row : rows)
        table.push_back({std::string(1, row.drive.letter) + ":", TerminalText(row.drive.root), row.fsType,
                         row.spaceKnown ? FormatBytes(row.space.size) : "?",
                         row.spaceKnown ? FormatBytes(row.space.available) : "?", row.drive.removable ? yes : no});
    // Columns line up by characters, not bytes: a heading or a mount point
    // may hold letters that take more than one byte.
    const auto columns = [](const std::string& text) {
        return size_t(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
    };
    std::vector<size_t> widths(table[0].size(), 0);
    for (const auto& line : table)
        for (size_t i = 0; i < line.size(); ++i)
            widths[i] = std::max(widths[i], columns(line[i]));
    std::string out;
    for (const auto& line : table) {
        std::string text;
        for (size_t i = 0; i < line.size(); ++i) {
            // Sizes are right-aligned, so that their units line up.
            const bool right = i == 3 || i == 4;
            const std::string pad(widths[i] - columns(line[i]), ' ');
            text += right ? pad + line[i] : line[i] + (i + 1 < line.size() ? pad : "");
            if (i + 1 < line.size())
                text += "  ";
        }
        out += text + "\n";
    }
    Say(kOut, out);
    return kExitDestroyed;
}

// The drive list of the free-space wipe: the letters given, or the drives
// last chosen in the window's Select Drives dialog.
std::string EmptySpaceDrives(const std::vector<char>& letters)
{
    if (letters.empty())
        return CSettings::Read(Setting::Drives2);
    std::vector<std::string> items;
    for (char letter : letters)
        items.emplace_back(1, letter);
    return CSettings::EncodeList(items);
}

void RunSweep(Operation& op, SweepTarget target)
{
    switch (target) {
    case SweepTarget::Cache: SecureDeleteCache(op); break;
    case SweepTarget::Temp: SecureDeleteTemp(op); break;
    case SweepTarget::Other: SecureDeleteOther(op); break;
    case SweepTarget::Preferences: SecureDeleteByPreferences(op); break;
    }
}

} // namespace

std::string AbsolutePath(const std::string& path, const std::string& currentDirectory)
{
    if (path.empty() || path[0] == '/')
        return path;
    const std::string relative = StrippedDotSlash(path);
    if (currentDirectory.empty())
        return relative;
    return currentDirectory + (currentDirectory.back() == '/' ? "" : "/") + relative;
}

int RunCli(const std::vector<std::string>& args)
{
    CliOptions options;
    const std::string problem = ParseCommandLine(args, options);
    if (options.help) {
        Say(kOut, UsageText());
        return kExitDestroyed;
    }
    if (options.version) {
        Say(kOut, std::string("tarnowick-cli ") + TARNOWICK_VERSION + "\n");
        return kExitDestroyed;
    }
    if (!problem.empty())
        return UsageError(problem);
    // A settings file that cannot be read (a FIFO, a device, far too large)
    // is said once; the command goes on with the defaults.
    if (const std::string settings = CSettings::ReadProblem(); !settings.empty())
        Say(kErr, "tarnowick-cli: " + settings + "\n");

    CDriveTable drives;
    if (options.command == CliCommand::Drives)
        return ListDrives(drives, options.json);

    const bool interactive = IsTerminal(kIn);
    if (options.command == CliCommand::Wipe && !options.yes && !interactive) {
        Say(kErr, "tarnowick-cli: "
                      + tw::cli::CommandWords::tr("no terminal to confirm each file on; refusing to wipe.\n"
                                         "Give --yes to destroy the files without asking.")
                            .toStdString()
                      + "\n");
        return kExitUsage;
    }
    if (options.onError == OnError::Ask && !interactive)
        return UsageError(tw::cli::CommandWords::tr("--on-error=ask needs a terminal on standard input").toStdString());

    // What a killed run left behind comes back first, as when the window
    // starts: named fillers on every drive, a lowered ext4 reserve. A dry
    // run changes nothing, so it leaves them to the next real run.
    if (!options.dryRun)
        GiveBackLeftovers(drives);

    CTerminalHost::Config config;
    config.command = options.commandName + (options.command == CliCommand::Sweep ? " " + options.sweepName : "");
    config.interactive = interactive;
    config.yes = options.yes;
    config.onError = options.onError == OnError::Default ? (interactive ? OnError::Ask : OnError::Skip) : options.onError;
    config.json = options.json;
    config.quiet = options.quiet;
    config.dryRun = options.dryRun;
    // Progress between questions would only be in the way.
    config.progress = IsTerminal(kErr) && !(options.command == CliCommand::Wipe && !options.yes);
    CTerminalHost host(config);

    WipeBuffer buffer{};
    FillWipeBuffer(buffer);
    Operation op(buffer, host, drives);
    op.m_bVerify = options.verify;

    try {
        switch (options.command) {
        case CliCommand::Wipe: {
            const std::string cwd = CurrentDirectory();
            std::vector<std::string> selection;
            for (const std::string& file : options.files)
                selection.push_back(AbsolutePath(file, cwd));
            if (options.yes)
                host.ExpectItems((long long)selection.size());
            // No file dialog here, so "Initial Directory" stays as the
            // window left it.
            DeleteSelectedFiles(op, selection, false);
            break;
        }
        case CliCommand::Sweep:
            if (options.dryRun) {
                op.passes = SweepPasses::CountOnly;
                op.onMatch = [&host](const std::string& path, uint64_t size) { host.Listed(path, size); };
                host.Progress().SetPhase(ScanningPhase());
            } else if (host.Progress().Enabled()) {
                // A counting pass first gives the line its total and the
                // time left.
                op.passes = SweepPasses::Counted;
            }
            RunSweep(op, options.sweep);
            break;
        case CliCommand::EmptySpace: {
            const std::string list = EmptySpaceDrives(options.letters);
            if (CSettings::DecodeList(list).empty()) {
                host.Message(tw::cli::CommandWords::tr("No drives chosen: name their letters (tarnowick-cli drives lists them), "
                                              "or choose them once in the window's Secure Empty Space.")
                                 .toStdString());
                op.m_bEndedBeforeStart = true;
                break;
            }
            SecureEmptySpace(op, list);
            break;
        }
        case CliCommand::Overcommit: {
            SystemAllocator allocator;
            OvercommitSwapfile(op, allocator);
            break;
        }
        case CliCommand::None:
        case CliCommand::Drives:
            break;
        }
    } catch (const std::exception& e) {
        host.Fatal(e.what());
    } catch (...) {
        host.Fatal(tw::cli::CommandWords::tr("Unknown error").toStdString());
    }
    if (op.m_bEndedBeforeStart)
        host.EndedBeforeStart();
    return host.Finish();
}

} // namespace tw::cli
