// SPDX-License-Identifier: GPL-3.0-or-later
// The headless front end's answer to an operation's questions: asked on the
// terminal, or answered by the --yes and --on-error choices. It also keeps
// the tally of every item's outcome, writes the --json lines, and decides
// the exit status.
#pragma once

#include "core/OperationHost.h"
#include "cli/CProgressLine.h"
#include "cli/CliOptions.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tw::cli {

// The exit statuses.
enum ExitStatus : int {
    kExitDestroyed = 0,  // everything selected was destroyed
    kExitLeft = 1,       // some items were left (errors skipped)
    kExitUsage = 2,      // usage, refusal, or settings asking for the impossible
    kExitStopped = 3,    // Cancel Operation, a signal, or a fatal error
};

class CTerminalHost : public IOperationHost {
public:
    struct Config {
        std::string command;         // "wipe", "sweep temp" ... for the summary
        bool interactive = false;    // a person answers on standard input
        bool yes = false;            // Yes To All from the start
        OnError onError = OnError::Skip;  // never Default here
        bool json = false;
        bool quiet = false;
        bool progress = false;       // draw the progress line on standard error
        bool dryRun = false;
        int inFd = 0;
        int outFd = 1;
        int errFd = 2;
    };

    explicit CTerminalHost(const Config& config);
    ~CTerminalHost() override;  // writes what standard output still holds
    CTerminalHost(const CTerminalHost&) = delete;
    CTerminalHost& operator=(const CTerminalHost&) = delete;

    int Confirm(const std::string& path) override;
    int FileError(const std::string& file, const std::string& message) override;
    int DiskError(const std::string& text) override;
    void Message(const std::string& text) override;
    void Warning(const std::string& text) override;
    std::unique_ptr<IProgress> CreateProgress() override;
    std::unique_ptr<IScopedWindow> ShowWorking() override;
    void Record(const ItemResult& item) override;

    // A dry run's match: listed on standard output.
    void Listed(const std::string& path, uint64_t size);
    // The number of items the command will take, when known beforehand.
    void ExpectItems(long long count);
    // An error that ended the command (a failure after an overwrite).
    void Fatal(const std::string& what);
    // The command ended at its first message, before it touched anything.
    void EndedBeforeStart() { m_bEndedBeforeStart = true; }

    // Writes the summary (text on standard error, or the JSON line) and
    // returns the exit status.
    int Finish();

    CProgressLine& Progress() { return m_progress; }

private:
    // Asks `question` until one of the answers is given; the index of the
    // answer, or -1 when input ended or a stop was asked for.
    int Ask(const std::string& question, const std::vector<std::vector<std::string>>& answers);
    int ItemError(const std::string& report, const std::string& ignoreLabel);
    void Diagnostic(const std::string& text);
    // Standard output is gathered and written in blocks: a few times a
    // second at most, before anything goes to standard error or the
    // terminal asks, and at the end.
    void Out(const std::string& line);
    void FlushOut();
    std::string SummaryText() const;
    // The command ended at its first message, before it touched anything.
    bool NotRun() const;

    Config m_config;
    CProgressLine m_progress;
    std::string m_strOutBuffer;
    CProgressLine::Clock::time_point m_lastFlush = CProgressLine::Clock::now();

    struct Tally {
        uint64_t destroyed = 0;
        uint64_t removed = 0;  // files gone whose old copies remain
        uint64_t left = 0;
        uint64_t bytes = 0;  // of what was destroyed
    };
    Tally m_files, m_drives, m_memory;
    std::string m_strRemovedDrives;  // where the removed files' old copies lie
    uint64_t m_nListed = 0;
    uint64_t m_nListedBytes = 0;
    bool m_bCancelled = false;
    bool m_bEndedBeforeStart = false;
    std::string m_strFatal;
    std::vector<std::string> m_messages;
    std::vector<std::string> m_warnings;
};

} // namespace tw::cli
