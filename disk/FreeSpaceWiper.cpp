// SPDX-License-Identifier: GPL-3.0-or-later
// The free-space wipe: where the fillers go on each drive, what the user is
// asked, and the order of the clean-up that gives the space back.
#include "disk/FreeSpaceWiper.h"

#include "app/CommandIds.h"
#include "platform/FileError.h"
#include "platform/Filler.h"
#include "prefs/Settings.h"

#include <cerrno>
#include <mutex>
#include <optional>

namespace tw {

namespace {

std::mutex g_hookMutex;
FreeSpaceFilledHook g_filledHook;

// One write is 1 MiB of pattern: large enough that the fill runs at the
// device's speed, a multiple of 16 so that every write starts on the pattern.
constexpr size_t kFillChunk = 1 << 20;
static_assert(kFillChunk % kWipePatternSize == 0);
static_assert(kFillChunk % kWipeBufferSize == 0);

int AskDiskError(Operation& op, const std::string& text)
{
    return op.host.DiskError(text) == IDC_IGNORE ? 1 : 0;
}

// What became of one drive's free space, as the record and the headless
// front end show it: "D: /media/stick".
void RecordDrive(Operation& op, char letter, const std::string& root, unsigned long long bytes, bool overwritten,
                 int cause, const std::string& message)
{
    ItemResult item;
    item.kind = ItemKind::Drive;
    item.path = std::string(1, letter) + ":" + (root.empty() ? "" : " " + root);
    item.size = bytes;
    item.destroyed = overwritten;
    item.cause = cause;
    item.message = message;
    op.host.Record(item);
}

// The drive is reported as left, then the user is asked.
int LeaveDrive(Operation& op, char letter, const std::string& root, unsigned long long bytes, int cause,
               const std::string& text)
{
    RecordDrive(op, letter, root, bytes, false, cause, text);
    return AskDiskError(op, text);
}

bool MayNotCreate(int err) { return err == EACCES || err == EPERM || err == EROFS; }

// Opens the directory for the drive's fillers and creates the first one:
// the root; where the user may not create files there, the home directory,
// then the temporary directory, as long as they are on the same volume, so
// that it is this drive's free space that gets filled.
bool PlaceFirstFiller(FillerFiles& fillers, const std::string& root)
{
    dev_t volume = 0;
    if (root.empty() || DeviceOf(root, &volume) != 0)
        return false;
    const std::string candidates[] = {root, HomeDirectory(), TemporaryDirectory()};
    bool first = true;
    for (const std::string& directory : candidates) {
        const bool isRoot = first;
        first = false;
        if (directory.empty() || fillers.Open(directory) != 0)
            continue;
        if (!isRoot && fillers.Device() != volume)
            continue;
        // A filler that a crash left behind still holds the space it took.
        fillers.RemoveStale();
        const int err = fillers.Create();
        if (err == 0)
            return true;
        if (!MayNotCreate(err))
            return false;
    }
    return false;
}

// Gives every filler's space back; a filler that cannot be removed leaves the
// command, after all the others are gone.
void RemoveFillers(FillerFiles& fillers)
{
    std::string failed;
    if (const int err = fillers.Remove(&failed))
        throw MakeFileException("removing", failed, err);
}

} // namespace

void SetFreeSpaceFilledHook(FreeSpaceFilledHook hook)
{
    std::lock_guard lock(g_hookMutex);
    g_filledHook = std::move(hook);
}

int WipeFreeSpace(Operation& op, int nDrive, char cLetter)
{
    const std::string letter(1, cLetter);
    if (op.drives.ChangeDrive(nDrive) != 0)
        return LeaveDrive(op, cLetter, "", 0, 0, letter);
    const std::string root = op.drives.CurrentRoot();

    // The volume's reserve comes back only after the fillers are gone,
    // however the wipe ends.
    std::optional<ReserveLift> lift;
    FillerFiles fillers;
    if (!PlaceFirstFiller(fillers, root))
        return LeaveDrive(op, cLetter, root, 0, 0, letter);
    op.WarnIfCopyOnWrite(fillers.DirectoryFd(), root);

    const std::string chunk = RepeatBuffer(op.m_wipeBuffer, kFillChunk / kWipeBufferSize);

    lift.emplace(fillers.Device());
    const FillOutcome outcome = fillers.Fill(chunk.data(), chunk.size());
    if (outcome.error != 0) {
        // Never leave the volume full for every other program: the fillers
        // go before the user is asked.
        RemoveFillers(fillers);
        const int cause = CauseFromErrno(outcome.error);
        return LeaveDrive(op, cLetter, root, outcome.bytes, cause, "Error Securing Disk [ " + std::to_string(cause) + " ]");
    }

    {
        std::unique_lock lock(g_hookMutex);
        if (FreeSpaceFilledHook hook = g_filledHook) {
            lock.unlock();
            hook(fillers.Directory(), fillers.Names());
        }
    }

    // The pattern must reach the device before the fillers are cut: the
    // truncation drops pages that are still only in memory, and the freed
    // blocks would keep what they held before.
    std::string failed;
    const int flushError = fillers.Flush(&failed);
    try {
        RemoveFillers(fillers);
    } catch (const FileException& e) {
        RecordDrive(op, cLetter, root, outcome.bytes, false, e.m_cause, e.what());
        throw;
    }
    if (flushError != 0) {
        FileException e = MakeFileException("flushing", failed, flushError);
        RecordDrive(op, cLetter, root, outcome.bytes, false, e.m_cause, e.what());
        throw e;
    }
    RecordDrive(op, cLetter, root, outcome.bytes, true, 0, "");
    return 1;
}

void SecureEmptySpace(Operation& op, const std::string& drives)
{
    const std::unique_ptr<IScopedWindow> working = op.host.ShowWorking();

    // The earlier current drive comes back however the loop ends, before
    // the Working window goes.
    const CurrentDriveKeeper keeper(op.drives);

    int answer = 1;
    std::string rest = drives, entry;
    // Every entry ends with "!"; text after the last one is dropped.
    while (answer != 0 && CSettings::NextListItem(rest, entry)) {
        if (entry.empty())
            continue;
        const char letter = entry.front();
        answer = WipeFreeSpace(op, int(static_cast<unsigned char>(letter)) - 64, letter);
    }
}

} // namespace tw
