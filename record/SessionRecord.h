// SPDX-License-Identifier: GPL-3.0-or-later
// The record of this session: what every destroying command was given and
// what became of it. Kept in memory only and never written anywhere unless
// the user saves a report. Items arrive from the worker thread while the
// window reads them on the GUI thread.
#pragma once

#include "core/OperationHost.h"

#include <QDateTime>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tw {

// How a command destroys what it is given; the report states it.
enum class RecordMethod { Files, FreeSpace, Memory };

// A command's figures. Every item counts, listed or not.
struct RecordCounts {
    uint64_t filesDestroyed = 0;
    uint64_t bytesDestroyed = 0;
    uint64_t filesLeft = 0;
    uint64_t filesRemoved = 0;  // gone, but old copies remain (copy-on-write, an overlay's lower layer)
    uint64_t bytesRemoved = 0;
    std::string removedDrives;  // the letters whose free-space wipe reaches those copies, ascending
    uint64_t drivesWiped = 0;
    uint64_t bytesWritten = 0;  // into free space
    uint64_t drivesLeft = 0;
    uint64_t memoryHeld = 0;    // bytes held at once
    bool memoryReported = false;
    uint64_t unlisted = 0;      // destroyed items past the listing limit
    uint64_t unlistedBytes = 0;
    uint64_t foldersLeft = 0;   // folders a sweep could not list

    void Add(const ItemResult& item);
    RecordCounts& operator+=(const RecordCounts& other);
    bool Nothing() const;
};

// The one way the program writes a size: "1 byte", "512 bytes", then
// binary units with one decimal below 100 and none from there: "1.0 KiB",
// "14.2 MiB", "350 GiB". The window, the record, the reports and
// tarnowick-cli all write sizes with it.
std::string FormatSize(uint64_t bytes);
// A rate in the same units: "12.5 MiB/s", "938 MiB/s", "512 bytes/s".
std::string FormatRate(double bytesPerSecond);

// What a command did in one line: "312 files destroyed, 14.2 MB; 2 left",
// "free space of 1 drive overwritten, 3.1 GB", "held 7.9 GB of memory",
// "nothing destroyed". Without bytes: "312 files destroyed, 2 left".
// Removed files: "12 files removed, 3.1 MB; old copies remain until the
// free space of D: is wiped".
std::string SummaryText(const RecordCounts& counts, bool withBytes);

// How a command ended when it did not run to its end.
enum class StopKind {
    None,    // ran to its end
    Cancel,  // "Cancel Operation", or Cancel at a question
    Signal,  // the program was asked to end (SIGTERM, SIGINT, SIGHUP, the display gone)
    Error,   // an error ended it
};

// "cancel", "signal", "error"; null for None.
const char* StopKindName(StopKind kind);

// What the front end knows of a command's end that its items do not say.
struct CommandEnding {
    StopKind stopped = StopKind::None;
    // Matching items counted before the command began that it never
    // reached; -1 when nobody counted.
    long long notReached = -1;
    // What the command told the user, in order: why it could not run, why
    // a location could not be swept, what it could not reach.
    std::vector<std::string> notes;
    // The command ended at its first message, before it touched anything
    // (Operation::m_bEndedBeforeStart).
    bool endedAtMessage = false;
};

// The heading of one command in the record.
struct RecordedCommand {
    std::string name;       // as in the menu: "Secure Delete Temp Files"
    RecordMethod method = RecordMethod::Files;
    QDateTime started;
    QDateTime ended;        // invalid while the command runs
    RecordCounts counts;
    size_t listed = 0;      // items kept for listing
    StopKind stopped = StopKind::None;
    long long notReached = -1;
    std::vector<std::string> notes;
    // Ended at its first message without touching anything: not run. It
    // has no duration and no method, and makes no report on its own.
    bool notRun = false;
};

// A command's result in one line: the summary, and how it was stopped
// ("2 files destroyed, 20 bytes; 1 left; stopped by Cancel Operation,
// 8 matching files not reached"), or "not run: Other Path Not Entered".
std::string CommandSummaryText(const RecordedCommand& command, bool withBytes);
// "stopped by Cancel Operation; the rest was not reached" and the like;
// empty for a command that ran to its end.
std::string StopText(StopKind kind, long long notReached);


class CSessionRecord {
public:
    // Past this many items in one command only the counts grow; files that
    // were left are listed whatever their number, since each one is
    // something the user may still have to deal with.
    static constexpr size_t kListLimit = 100000;

    explicit CSessionRecord(size_t listLimit = kListLimit);
    ~CSessionRecord();
    CSessionRecord(const CSessionRecord&) = delete;
    CSessionRecord& operator=(const CSessionRecord&) = delete;

    // A command begins; the items added until EndCommand() are its own.
    void BeginCommand(const std::string& name, RecordMethod method);
    void EndCommand(const CommandEnding& ending = {});
    // One item's outcome, from any thread. Dropped when no command is open.
    void Add(const ItemResult& item);

    size_t CommandCount() const;
    bool Empty() const { return CommandCount() == 0; }
    RecordedCommand Command(size_t index) const;
    // Listed item `row` of command `index`, in the order the items came.
    ItemResult Item(size_t index, size_t row) const;
    // Every listed item of a command in order, under the record's lock.
    void ForEachItem(size_t index, const std::function<void(const ItemResult&)>& visit) const;
    // The figures of every command together.
    RecordCounts Totals() const;
    // True when at least one command ran (a report has something to say).
    bool AnyRun() const;

private:
    struct Stored;
    struct Entry;
    ItemResult Unpack(const Entry& entry, size_t row) const;

    size_t m_nListLimit;
    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<Entry>> m_commands;
    bool m_bOpen = false;
};

} // namespace tw
