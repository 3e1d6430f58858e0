// SPDX-License-Identifier: GPL-3.0-or-later
// The session record: one compact array of items per command and one byte
// arena for their paths and messages, so that a long sweep costs a few
// dozen bytes per listed file and nothing per file past the limit.
#include "record/SessionRecord.h"

#include "core/Translations.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tw {

namespace {

// A translated text for the record's std::string interface: UTF-8.
std::string Text(const QString& translated) { return translated.toStdString(); }

// The texts with a count come in pairs below, one for 1 and one for every
// other number: English needs no more, and the second one carries the
// plural forms of languages that have several.

} // namespace

void RecordCounts::Add(const ItemResult& item)
{
    switch (item.kind) {
    case ItemKind::File:
        if (item.destroyed) {
            ++filesDestroyed;
            bytesDestroyed += item.size;
        } else if (item.removed) {
            ++filesRemoved;
            bytesRemoved += item.size;
            if (item.drive && removedDrives.find(item.drive) == std::string::npos) {
                removedDrives += item.drive;
                std::sort(removedDrives.begin(), removedDrives.end());
            }
        } else {
            ++filesLeft;
        }
        break;
    case ItemKind::Drive:
        if (item.destroyed) {
            ++drivesWiped;
            bytesWritten += item.size;
        } else {
            ++drivesLeft;
        }
        break;
    case ItemKind::Memory:
        memoryReported = true;
        memoryHeld += item.size;
        break;
    case ItemKind::Folder:
        ++foldersLeft;
        break;
    }
}

RecordCounts& RecordCounts::operator+=(const RecordCounts& o)
{
    filesDestroyed += o.filesDestroyed;
    bytesDestroyed += o.bytesDestroyed;
    filesLeft += o.filesLeft;
    filesRemoved += o.filesRemoved;
    bytesRemoved += o.bytesRemoved;
    for (const char letter : o.removedDrives)
        if (removedDrives.find(letter) == std::string::npos)
            removedDrives += letter;
    std::sort(removedDrives.begin(), removedDrives.end());
    drivesWiped += o.drivesWiped;
    bytesWritten += o.bytesWritten;
    drivesLeft += o.drivesLeft;
    memoryHeld += o.memoryHeld;
    memoryReported = memoryReported || o.memoryReported;
    unlisted += o.unlisted;
    unlistedBytes += o.unlistedBytes;
    foldersLeft += o.foldersLeft;
    return *this;
}

bool RecordCounts::Nothing() const
{
    return filesDestroyed == 0 && filesLeft == 0 && filesRemoved == 0 && drivesWiped == 0 && drivesLeft == 0
        && !memoryReported && foldersLeft == 0;
}

std::string FormatSize(uint64_t bytes)
{
    if (bytes < 1024)
        return Text(bytes == 1 ? QCoreApplication::translate("tw::SessionRecord", "1 byte")
                               : QCoreApplication::translate("tw::SessionRecord", "%n bytes", nullptr, PluralCount(bytes)));
    static const char* const units[] = {"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    double value = double(bytes) / 1024.0;
    size_t unit = 0;
    // Four digits never show: 1000 KiB and up is 1.0 MiB.
    while (value >= 999.5 && unit + 1 < std::size(units)) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, value < 99.95 ? "%.1f %s" : "%.0f %s", value, units[unit]);
    return text;
}

std::string FormatRate(double bytesPerSecond)
{
    const double rate = bytesPerSecond > 0 && std::isfinite(bytesPerSecond) ? bytesPerSecond : 0;
    if (rate < 1024)
        return Text(QCoreApplication::translate("tw::SessionRecord", "%1 bytes/s").arg(std::llround(rate)));
    return FormatSize(uint64_t(std::llround(rate))) + "/s";
}

std::string SummaryText(const RecordCounts& c, bool withBytes)
{
    // With the sizes a part reads "312 files destroyed, 14.2 MB; 2 left";
    // without them "312 files destroyed, 2 left".
    const char* beforeLeft = withBytes ? "; " : ", ";
    std::vector<std::string> parts;
    if (c.filesDestroyed > 0 || c.filesLeft > 0 || c.filesRemoved > 0) {
        std::string part;
        if (c.filesDestroyed > 0 || c.filesRemoved == 0) {
            part = Text(c.filesDestroyed == 1
                            ? QCoreApplication::translate("tw::SessionRecord", "%n file destroyed", nullptr, 1)
                            : QCoreApplication::translate("tw::SessionRecord", "%n files destroyed", nullptr,
                                                          PluralCount(c.filesDestroyed)));
            if (withBytes && c.filesDestroyed > 0)
                part += ", " + FormatSize(c.bytesDestroyed);
        }
        if (c.filesRemoved > 0) {
            // Gone from their folders, but not from the device: the user
            // learns where the old copies are and what reaches them.
            if (!part.empty())
                part += "; " + Text(QCoreApplication::translate("tw::SessionRecord", "%n removed", nullptr,
                                                                 PluralCount(c.filesRemoved)));
            else
                part = Text(c.filesRemoved == 1
                                ? QCoreApplication::translate("tw::SessionRecord", "%n file removed", nullptr, 1)
                                : QCoreApplication::translate("tw::SessionRecord", "%n files removed", nullptr,
                                                              PluralCount(c.filesRemoved)));
            if (withBytes)
                part += ", " + FormatSize(c.bytesRemoved);
            std::string drives;
            for (const char letter : c.removedDrives)
                drives += (drives.empty() ? "" : ", ") + std::string(1, letter) + ":";
            part += "; "
                + (drives.empty()
                       ? Text(QCoreApplication::translate("tw::SessionRecord", "old copies remain"))
                       : FillText(QCoreApplication::translate("tw::SessionRecord",
                                                              "old copies remain until the free space of %1 is wiped"),
                                  {drives}));
        }
        if (c.filesLeft > 0)
            part += beforeLeft + Text(QCoreApplication::translate("tw::SessionRecord", "%n left", nullptr, PluralCount(c.filesLeft)));
        parts.push_back(part);
    }
    if (c.drivesWiped > 0 || c.drivesLeft > 0) {
        std::string part = Text(
            c.drivesWiped == 1
                ? QCoreApplication::translate("tw::SessionRecord", "free space of %n drive overwritten", nullptr, 1)
                : QCoreApplication::translate("tw::SessionRecord", "free space of %n drives overwritten", nullptr,
                                              PluralCount(c.drivesWiped)));
        if (withBytes && c.drivesWiped > 0)
            part += ", " + FormatSize(c.bytesWritten);
        if (c.drivesLeft > 0)
            part += beforeLeft + Text(c.drivesLeft == 1
                                          ? QCoreApplication::translate("tw::SessionRecord", "%n drive left", nullptr, 1)
                                          : QCoreApplication::translate("tw::SessionRecord", "%n drives left", nullptr,
                                                                        PluralCount(c.drivesLeft)));
        parts.push_back(part);
    }
    if (c.foldersLeft > 0)
        parts.push_back(Text(c.foldersLeft == 1
                                 ? QCoreApplication::translate("tw::SessionRecord", "%n folder not swept", nullptr, 1)
                                 : QCoreApplication::translate("tw::SessionRecord", "%n folders not swept", nullptr,
                                                               PluralCount(c.foldersLeft))));
    if (c.memoryReported)
        parts.push_back(FillText(QCoreApplication::translate("tw::SessionRecord", "held %1 of memory"),
                                 {FormatSize(c.memoryHeld)}));
    if (parts.empty())
        return Text(QCoreApplication::translate("tw::SessionRecord", "nothing destroyed"));
    std::string text = parts[0];
    for (size_t i = 1; i < parts.size(); ++i)
        text += "; " + parts[i];
    return text;
}

const char* StopKindName(StopKind kind)
{
    switch (kind) {
    case StopKind::None: return nullptr;
    case StopKind::Cancel: return "cancel";
    case StopKind::Signal: return "signal";
    case StopKind::Error: return "error";
    }
    return nullptr;
}

std::string StopText(StopKind kind, long long notReached)
{
    std::string how;
    switch (kind) {
    case StopKind::None: return {};
    case StopKind::Cancel:
        how = Text(QCoreApplication::translate("tw::SessionRecord", "stopped by Cancel Operation"));
        break;
    case StopKind::Signal:
        how = Text(QCoreApplication::translate("tw::SessionRecord", "stopped: the program was asked to end"));
        break;
    case StopKind::Error:
        how = Text(QCoreApplication::translate("tw::SessionRecord", "stopped by an error"));
        break;
    }
    if (notReached > 0)
        return how + ", " + Text(notReached == 1
                                     ? QCoreApplication::translate("tw::SessionRecord", "%n matching file not reached", nullptr, 1)
                                     : QCoreApplication::translate("tw::SessionRecord", "%n matching files not reached",
                                                                   nullptr, PluralCount(uint64_t(notReached))));
    if (notReached == 0)
        return how;
    return how + "; " + Text(QCoreApplication::translate("tw::SessionRecord", "the rest was not reached"));
}

std::string CommandSummaryText(const RecordedCommand& command, bool withBytes)
{
    if (command.notRun)
        return FillText(QCoreApplication::translate("tw::SessionRecord", "not run: %1"),
                        {command.notes.empty() ? std::string() : command.notes.front()});
    std::string text = SummaryText(command.counts, withBytes);
    if (command.stopped != StopKind::None)
        text += "; " + StopText(command.stopped, command.notReached);
    return text;
}

// One listed item: its texts live in the command's arena.
struct CSessionRecord::Stored {
    uint64_t size = 0;
    uint64_t pathOffset = 0;
    uint64_t messageOffset = 0;
    uint32_t pathLength = 0;
    uint32_t messageLength = 0;
    int32_t cause = 0;
    ItemKind kind = ItemKind::File;
    bool destroyed = false;
    bool removed = false;
    char drive = 0;
};

struct CSessionRecord::Entry {
    RecordedCommand heading;
    std::vector<Stored> items;
    std::string arena;
};

CSessionRecord::CSessionRecord(size_t listLimit) : m_nListLimit(listLimit) {}

CSessionRecord::~CSessionRecord() = default;

void CSessionRecord::BeginCommand(const std::string& name, RecordMethod method)
{
    auto command = std::make_unique<Entry>();
    command->heading.name = name;
    command->heading.method = method;
    command->heading.started = QDateTime::currentDateTime();
    std::lock_guard lock(m_mutex);
    m_commands.push_back(std::move(command));
    m_bOpen = true;
}

void CSessionRecord::EndCommand(const CommandEnding& ending)
{
    const QDateTime now = QDateTime::currentDateTime();
    std::lock_guard lock(m_mutex);
    if (!m_bOpen || m_commands.empty())
        return;
    RecordedCommand& heading = m_commands.back()->heading;
    heading.ended = now;
    heading.stopped = ending.stopped;
    heading.notReached = ending.notReached;
    heading.notes = ending.notes;
    // A command that said why it could not begin and touched nothing did
    // not run: it is listed as such, and alone makes no report.
    heading.notRun = ending.endedAtMessage && ending.stopped == StopKind::None && heading.counts.Nothing()
        && heading.listed == 0 && !heading.notes.empty();
    m_bOpen = false;
}

void CSessionRecord::Add(const ItemResult& item)
{
    std::lock_guard lock(m_mutex);
    if (!m_bOpen || m_commands.empty())
        return;
    Entry& command = *m_commands.back();
    RecordedCommand& heading = command.heading;
    heading.counts.Add(item);
    if (item.destroyed && heading.listed >= m_nListLimit) {
        ++heading.counts.unlisted;
        heading.counts.unlistedBytes += item.size;
        return;
    }
    Stored stored;
    stored.size = item.size;
    stored.cause = item.cause;
    stored.kind = item.kind;
    stored.destroyed = item.destroyed;
    stored.removed = item.removed;
    stored.drive = item.drive;
    stored.pathOffset = command.arena.size();
    stored.pathLength = uint32_t(item.path.size());
    command.arena += item.path;
    stored.messageOffset = command.arena.size();
    stored.messageLength = uint32_t(item.message.size());
    command.arena += item.message;
    command.items.push_back(stored);
    ++heading.listed;
}

size_t CSessionRecord::CommandCount() const
{
    std::lock_guard lock(m_mutex);
    return m_commands.size();
}

RecordedCommand CSessionRecord::Command(size_t index) const
{
    std::lock_guard lock(m_mutex);
    return index < m_commands.size() ? m_commands[index]->heading : RecordedCommand{};
}

ItemResult CSessionRecord::Unpack(const Entry& command, size_t row) const
{
    const Stored& s = command.items[row];
    ItemResult item;
    item.kind = s.kind;
    item.path.assign(command.arena, s.pathOffset, s.pathLength);
    item.size = s.size;
    item.destroyed = s.destroyed;
    item.removed = s.removed;
    item.drive = s.drive;
    item.cause = s.cause;
    item.message.assign(command.arena, s.messageOffset, s.messageLength);
    return item;
}

ItemResult CSessionRecord::Item(size_t index, size_t row) const
{
    std::lock_guard lock(m_mutex);
    if (index >= m_commands.size() || row >= m_commands[index]->items.size())
        return {};
    return Unpack(*m_commands[index], row);
}

void CSessionRecord::ForEachItem(size_t index, const std::function<void(const ItemResult&)>& visit) const
{
    std::lock_guard lock(m_mutex);
    if (index >= m_commands.size())
        return;
    const Entry& command = *m_commands[index];
    for (size_t row = 0; row < command.items.size(); ++row)
        visit(Unpack(command, row));
}

bool CSessionRecord::AnyRun() const
{
    std::lock_guard lock(m_mutex);
    for (const auto& command : m_commands)
        if (!command->heading.notRun)
            return true;
    return false;
}

RecordCounts CSessionRecord::Totals() const
{
    std::lock_guard lock(m_mutex);
    RecordCounts totals;
    for (const auto& command : m_commands)
        totals += command->heading.counts;
    return totals;
}

} // namespace tw
