// SPDX-License-Identifier: GPL-3.0-or-later
// The free-space wipe: where the fillers go on each drive, what the user is
// asked and told, and the order of the clean-up that gives the space back.
#include "disk/FreeSpaceWiper.h"

#include "core/CommandIds.h"
#include "core/Translations.h"
#include "disk/FillProgress.h"
#include "platform/FileError.h"
#include "platform/Filler.h"
#include "platform/Reserve.h"
#include "platform/Scrub.h"
#include "platform/StopSignal.h"
#include "prefs/Settings.h"

#include <QCoreApplication>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <set>
#include <unistd.h>

namespace tw {

namespace {

// The free-space wipe's messages, in the user's language.
struct DiskWords {
    Q_DECLARE_TR_FUNCTIONS(tw::FreeSpaceWiper)
};

std::mutex g_hookMutex;
FreeSpaceFilledHook g_filledHook;
std::atomic<long long> g_updateMilliseconds{500};
std::atomic<bool> g_discard{true};

// One write is 1 MiB of pattern: large enough that the fill runs at the
// device's speed, a multiple of 16 so that every write starts on the pattern.
constexpr size_t kFillChunk = 1 << 20;
static_assert(kFillChunk % kWipePatternSize == 0);
static_assert(kFillChunk % kWipeBufferSize == 0);

int AskDiskError(Operation& op, const std::string& text)
{
    return op.host.DiskError(text) == IDC_IGNORE ? 1 : 0;
}

void RecordDrive(Operation& op, const std::string& drive, uint64_t written, bool done, int cause,
                 const std::string& message)
{
    ItemResult item;
    item.kind = ItemKind::Drive;
    item.path = drive;
    item.size = written;
    item.destroyed = done;
    item.cause = cause;
    item.message = message;
    op.host.Record(item);
}

bool MayNotCreate(int err) { return err == EACCES || err == EPERM || err == EROFS; }

// Why a drive's free space could not be filled at all, in words: the
// drive, what stood in the way, and the system's reason.
std::string FillerProblemText(const std::string& drive, const std::string& root, int err)
{
    const std::string reason = std::strerror(err);
    if (root.empty())
        return FillText(tw::DiskWords::tr("%1: the drive is no longer mounted (%2)."), {drive, reason});
    if (err == EROFS)
        return FillText(tw::DiskWords::tr("%1: the drive is mounted read-only, so nothing can be written to it (%2)."),
                        {drive, reason});
    if (MayNotCreate(err))
        return FillText(tw::DiskWords::tr("%1: its root folder is not writable for you, nor is a folder of yours on "
                                          "this drive, so the file that fills the free space could not be created "
                                          "(%2)."),
                        {drive, reason});
    return FillText(tw::DiskWords::tr("%1: the file that fills the free space could not be created (%2)."),
                    {drive, reason});
}

// Opens the directory for the drive's fillers and creates the first one:
// the root; where the user may not create files there, the home directory,
// then the temporary directory, as long as they are on the same volume, so
// that it is this drive's free space that gets filled. 0 or errno.
int PlaceFirstFiller(FillerFiles& fillers, const std::string& root)
{
    dev_t volume = 0;
    if (root.empty())
        return ENOENT;
    if (const int err = DeviceOf(root, &volume))
        return err;
    const std::string candidates[] = {root, HomeDirectory(), TemporaryDirectory()};
    int last = EACCES;
    bool first = true;
    for (const std::string& directory : candidates) {
        const bool isRoot = first;
        first = false;
        if (directory.empty() || fillers.Open(directory) != 0)
            continue;
        if (!isRoot && fillers.Device() != volume)
            continue;
        // A named filler that a killed run left behind still holds the space
        // it took.
        fillers.RemoveStale();
        const int err = fillers.Create();
        if (err == 0)
            return 0;
        last = err;
        if (!MayNotCreate(err))
            return err;
    }
    return last;
}

// Tells the Working window how far the fill has come: at the start, about
// twice a second, at the end, and at every change of phase. The window
// takes the figures without making the fill wait.
class FillReporter {
public:
    FillReporter(IScopedWindow* window, char letter, const std::string& root, uint64_t total) : m_pWindow(window)
    {
        m_status.letter = letter;
        m_status.mountPoint = root;
        m_status.total = total;
        Send();
    }
    void Written(uint64_t bytes)
    {
        m_status.written = bytes;
        const auto now = std::chrono::steady_clock::now();
        if (now - m_last >= std::chrono::milliseconds(g_updateMilliseconds.load()))
            Send();
    }
    void Phase(FillStatus::Phase phase, uint64_t bytes)
    {
        m_status.written = bytes;
        if (m_status.phase == FillStatus::Filling)
            Send();  // the last figures of the fill first
        m_status.phase = phase;
        Send();
    }

private:
    void Send()
    {
        m_last = std::chrono::steady_clock::now();
        if (m_pWindow)
            m_pWindow->Update(m_status);
    }
    IScopedWindow* m_pWindow;
    FillStatus m_status;
    std::chrono::steady_clock::time_point m_last{};
};

struct CleanUp {
    int flushError = 0;
    std::string flushFailed;
    int removeError = 0;
    std::string removeFailed;
};

// Flushes, then removes every filler, then restores the reserve: the order
// that holds on every way out. The pattern must reach the device before the
// fillers are cut: the truncation drops pages that are still only in memory,
// and the freed blocks would keep what they held before.
CleanUp GiveBack(FillerFiles& fillers, std::optional<ReserveLift>& lift, FillReporter& reporter, uint64_t written)
{
    CleanUp c;
    reporter.Phase(FillStatus::Flushing, written);
    c.flushError = fillers.Flush(&c.flushFailed);
    // With the reserve lowered, the file system may find no room for the
    // blocks its own bookkeeping needs to place the last data written: the
    // flush fails for lack of space. The end of the last filler is given
    // back, a megabyte at a time, until the rest reaches the device; those
    // bytes were never placed, so nothing they would have covered is
    // claimed as overwritten.
    for (int attempt = 0; attempt < 64 && (c.flushError == ENOSPC || c.flushError == EDQUOT) && lift && lift->Lifted();
         ++attempt) {
        if (!fillers.ShrinkLast(uint64_t(1) << 20))
            break;
        c.flushFailed.clear();
        c.flushError = fillers.Flush(&c.flushFailed);
    }
    reporter.Phase(FillStatus::GivingBack, written);
    c.removeError = fillers.Remove(&c.removeFailed);
    lift.reset();
    return c;
}

// The failure that happened first, then what it left behind.
FileException CleanUpFailure(const CleanUp& c)
{
    if (c.flushError == 0)
        return MakeFileException("removing", c.removeFailed, c.removeError);
    FileException flush = MakeFileException("flushing", c.flushFailed, c.flushError);
    if (c.removeError == 0)
        return flush;
    const FileException removal = MakeFileException("removing", c.removeFailed, c.removeError);
    return FileException(flush.m_cause, flush.m_lOsError, flush.m_strFileName,
                         std::string(flush.what()) + "\n" + removal.what());
}

} // namespace

// Everything a command's fills could not reach, in one box at its end.
void WarnOfWhatWasNotReached(Operation& op, const FreeSpaceCommand& command)
{
    std::string text = command.unreached.empty() ? std::string() : UnreachedSpaceWarning(command.unreached);
    if (const std::string kept = KeptBackWarning(command); !kept.empty())
        text += (text.empty() ? "" : "\n\n") + kept;
    if (!text.empty())
        op.host.Warning(text);
}

void SetFreeSpaceFilledHook(FreeSpaceFilledHook hook)
{
    std::lock_guard lock(g_hookMutex);
    g_filledHook = std::move(hook);
}

void SetFillUpdateInterval(std::chrono::milliseconds interval) { g_updateMilliseconds = interval.count(); }

void SetDiscardAfterWipe(bool discard) { g_discard = discard; }

std::string KeptBackWarning(const FreeSpaceCommand& command)
{
    std::string text;
    if (!command.keptBack.empty()) {
        text = tw::DiskWords::tr("Free space that the file system keeps back for its own records was not overwritten: "
                                 "no program can write there while the drive is mounted.")
                   .toStdString()
            + "\n";
        for (const auto& [drive, bytes] : command.keptBack)
            text += "\n" + drive + " \u2014 " + FormatBytes(bytes);
    }
    if (!command.journalKept.empty()) {
        if (!text.empty())
            text += "\n\n";
        text += tw::DiskWords::tr("The journal of these drives was not overwritten; it may still hold the names of "
                                  "removed files and copies of small ones:")
                    .toStdString()
            + "\n";
        for (const std::string& drive : command.journalKept)
            text += "\n" + drive;
        text += "\n\n" + tw::DiskWords::tr("Run Tarnowick as administrator (root) to overwrite the journal too.").toStdString();
    }
    return text;
}

std::string UnreachedSpaceWarning(const std::vector<std::pair<std::string, uint64_t>>& unreached)
{
    std::string text =
        tw::DiskWords::tr("Free space that the file system keeps for the administrator was not overwritten:").toStdString()
        + "\n";
    for (const auto& [drive, bytes] : unreached)
        text += "\n" + drive + " \u2014 " + FormatBytes(bytes);
    text += "\n\n" + tw::DiskWords::tr("Run Tarnowick as administrator (root) to overwrite it too.").toStdString();
    return text;
}

int WipeFreeSpace(Operation& op, int nDrive, char cLetter, FreeSpaceCommand* command)
{
    const std::string letter(1, cLetter);
    if (op.drives.ChangeDrive(nDrive) != 0) {
        const std::string text =
            FillText(tw::DiskWords::tr("%1: no drive with this letter is mounted now, so its free space was not "
                                       "overwritten."),
                     {letter});
        RecordDrive(op, letter + ":", 0, false, causeBadPath, text);
        return AskDiskError(op, text);
    }
    const std::string root = op.drives.CurrentRoot();
    const std::string drive = letter + ": " + root;

    // The volume's reserve comes back only after the fillers are gone,
    // however the wipe ends: it is declared first and goes last.
    std::optional<ReserveLift> lift;
    FillerFiles fillers;
    if (const int err = PlaceFirstFiller(fillers, root)) {
        const std::string text = FillerProblemText(drive, root, err);
        RecordDrive(op, drive, 0, false, CauseFromErrno(err), text);
        return AskDiskError(op, text);
    }
    op.WarnIfCopyOnWrite(fillers.DirectoryFd(), root);

    const std::string chunk = RepeatBuffer(op.m_wipeBuffer, kFillChunk / kWipeBufferSize);

    // btrfs keeps small files inside metadata blocks, and the old copies of
    // those blocks stay in the metadata block groups. Moving the metadata
    // to new block groups gives the old ones back as free space, which the
    // fill then overwrites. Only root may; elsewhere nothing happens.
    if (geteuid() == 0 && FamilyOf(fillers.DirectoryFd()) == FsFamily::Btrfs)
        RelocateBtrfsMetadata(fillers.DirectoryFd());

    lift.emplace(fillers.Device(), fillers.DirectoryFd());
    VolumeSpace space;
    SpaceOf(fillers.DirectoryFd(), &space);
    FillReporter reporter(command ? command->working : nullptr, cLetter, root, space.fillable);
    const FillOutcome outcome = fillers.Fill(chunk.data(), chunk.size(),
                                             [&reporter](unsigned long long written) { reporter.Written(written); });

    if (outcome.error != 0) {
        // Never leave the volume full for every other program: the fillers
        // go before the user is asked. The failed write is what the user
        // hears of first; a filler that could not be removed ends the
        // command afterwards.
        const CleanUp c = GiveBack(fillers, lift, reporter, outcome.bytes);
        const int cause = CauseFromErrno(outcome.error);
        const std::string text = tw::DiskWords::tr("Error Securing Disk [ %1 ]").arg(cause).toStdString();
        RecordDrive(op, drive, outcome.bytes, false, cause, text);
        const int answer = AskDiskError(op, text);
        if (c.removeError != 0)
            throw MakeFileException("removing", c.removeFailed, c.removeError);
        return answer;
    }

    if (outcome.stopped) {
        // Ended from outside: what was written still reaches the device,
        // and the space comes back before the program goes.
        const CleanUp c = GiveBack(fillers, lift, reporter, outcome.bytes);
        if (c.flushError != 0 || c.removeError != 0) {
            const FileException e = CleanUpFailure(c);
            RecordDrive(op, drive, outcome.bytes, false, e.m_cause, e.what());
            throw e;
        }
        RecordDrive(op, drive, outcome.bytes, false, causeNone,
                    tw::DiskWords::tr("Stopped before the drive was full").toStdString());
        return 0;
    }

    // Full. What is still free now is what this user may not write.
    VolumeSpace full;
    uint64_t unreached = SpaceOf(fillers.DirectoryFd(), &full) == 0 ? full.adminOnly : 0;
    // XFS shows no free space to anyone once the fill is done, but keeps
    // blocks back for its own records: what its allocation groups still
    // hold free. With the reserve pool lowered (root) that is all no fill
    // can reach; an ordinary user's fill leaves the pool as well, which an
    // administrator's fill reaches.
    uint64_t keptBack = XfsFreeBytes(fillers.DirectoryFd());
    if (keptBack > 0 && geteuid() != 0) {
        unreached += keptBack;
        keptBack = 0;
    }
    {
        std::unique_lock lock(g_hookMutex);
        if (FreeSpaceFilledHook hook = g_filledHook) {
            lock.unlock();
            hook(fillers.Directory(), fillers.Paths());
        }
    }

    const CleanUp c = GiveBack(fillers, lift, reporter, outcome.bytes);
    if (c.flushError != 0 || c.removeError != 0) {
        const FileException e = CleanUpFailure(c);
        RecordDrive(op, drive, outcome.bytes, false, e.m_cause, e.what());
        throw e;
    }
    // What the journal or log still holds: copies of directory blocks (the
    // names of removed files) and of small files. ext4's journal is zeroed
    // by the kernel (root only); XFS's log is a ring that new records of
    // our own push round once.
    bool journalKept = false;
    switch (FamilyOf(fillers.DirectoryFd())) {
    case FsFamily::Ext4:
        journalKept = ZeroJournal(fillers.DirectoryFd()) == EPERM;
        break;
    case FsFamily::Xfs:
        WrapXfsLog(fillers.DirectoryFd(), [] { return StopRequested(); });
        break;
    default:
        break;
    }
    // A solid-state drive still holds the blocks the fillers had, and
    // whatever it remapped; discarding the free space lets it drop them.
    // Where the device or the user's rights do not allow it, nothing is lost.
    if (g_discard)
        DiscardFreeSpace(fillers.DirectoryFd(), nullptr);

    RecordDrive(op, drive, outcome.bytes, true, causeNone, "");
    FreeSpaceCommand own;
    FreeSpaceCommand& gathered = command ? *command : own;
    if (unreached > 0)
        gathered.unreached.emplace_back(drive, unreached);
    if (keptBack > 0)
        gathered.keptBack.emplace_back(drive, keptBack);
    if (journalKept)
        gathered.journalKept.push_back(drive);
    if (!command && !StopRequested())
        WarnOfWhatWasNotReached(op, own);
    return 1;
}

void SecureEmptySpace(Operation& op, const std::string& drives)
{
    const std::unique_ptr<IScopedWindow> working = op.host.ShowWorking();

    // The earlier current drive comes back however the loop ends, before
    // the Working window goes.
    const CurrentDriveKeeper keeper(op.drives);

    FreeSpaceCommand command;
    command.working = working.get();
    int answer = 1;
    std::string rest = drives, entry;
    // Every entry ends with "!"; text after the last one is dropped. A stop
    // asked for from outside ends the command as "Cancel Operation" would.
    while (answer != 0 && !StopRequested() && CSettings::NextListItem(rest, entry)) {
        if (entry.empty())
            continue;
        const char letter = entry.front();
        answer = WipeFreeSpace(op, int(static_cast<unsigned char>(letter)) - 64, letter, &command);
    }
    if (!StopRequested())
        WarnOfWhatWasNotReached(op, command);
}

void GiveBackLeftovers(IDriveTable& drives)
{
    std::set<std::string> listed;
    auto sweep = [&listed](const std::string& directory) {
        if (!directory.empty() && listed.insert(directory).second)
            RemoveStaleFillersIn(directory);
    };
    for (const DriveInfo& drive : drives.ListDrives())
        sweep(drive.root);
    sweep(HomeDirectory());
    sweep(TemporaryDirectory());
    // With the fillers gone, the reserves they were allowed into come back.
    RestoreLiftedReserves();
}

} // namespace tw
