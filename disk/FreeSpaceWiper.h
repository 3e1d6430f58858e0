// SPDX-License-Identifier: GPL-3.0-or-later
// The free-space wipe: every chosen drive is filled with the pattern up to
// the last free byte, flushed to the device, and given back empty.
#pragma once

#include "core/Operation.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tw {

// What one "Secure Empty Space" command gathers across its drives.
struct FreeSpaceCommand {
    // The Working window, told the figures of each drive's fill.
    IScopedWindow* working = nullptr;
    // Free space an ordinary user's fill could not reach because the file
    // system keeps it for the administrator: drive ("D: /home") and bytes.
    std::vector<std::pair<std::string, uint64_t>> unreached;
    // Free space no fill reaches while the volume is mounted (what XFS keeps
    // back for its own metadata): drive and bytes.
    std::vector<std::pair<std::string, uint64_t>> keptBack;
    // Drives whose journal could not be overwritten (ext4, as an ordinary
    // user): it may still hold copies of names and small files.
    std::vector<std::string> journalKept;
};

// Wipes the free space of drive `nDrive` (1 = A) with the pattern of
// op.m_wipeBuffer; `cLetter` names the drive to the user. Returns 1 to go on
// with the next drive (wiped, or "Ignore Disk"), 0 to cancel the rest ("Cancel
// Operation", or a stop asked for from outside). On return drive `nDrive` is
// current whenever it could be made current, and no filler is left on it.
// The outcome is recorded once (op.host.Record). When a flush fails, or a
// filler cannot be removed, the command ends with a FileException that
// names first the failure that happened first, then what was left behind.
// Without `command` the drive is a command of its own: the warning about
// unreached space comes at the end of this call.
int WipeFreeSpace(Operation& op, int nDrive, char cLetter, FreeSpaceCommand* command = nullptr);

// "Secure Empty Space": wipes the drives of `drives` ("C!E!") in order,
// with the Working window up, and makes the earlier current drive current
// again on every way out. Space that only the administrator could have
// reached is named once, at the end.
void SecureEmptySpace(Operation& op, const std::string& drives);

// The warning about free space kept for the administrator.
std::string UnreachedSpaceWarning(const std::vector<std::pair<std::string, uint64_t>>& unreached);
// The warning about what a fill could not reach beyond that: space the file
// system keeps back for itself, journals that could not be overwritten.
// Empty when there is nothing to say.
std::string KeptBackWarning(const FreeSpaceCommand& command);
// Both in one box, when there is anything to say.
void WarnOfWhatWasNotReached(Operation& op, const FreeSpaceCommand& command);

// Start-up: gives back what an earlier run that was killed left behind: an
// ext4 reserve still lowered, and this user's named fillers in the root of
// every drive and in the home and temporary directories (one listing each).
void GiveBackLeftovers(IDriveTable& drives);

// Test seams. The filled hook is called when a drive is full, before its
// fillers are flushed and removed, with the directory and paths by which the
// fillers can be read. The update interval is how often the Working window is
// told the figures (half a second; 0: after every write). Turning the
// discard off lets a test see the pattern on a device that discards.
using FreeSpaceFilledHook = std::function<void(const std::string& directory, const std::vector<std::string>& fillers)>;
void SetFreeSpaceFilledHook(FreeSpaceFilledHook hook);
void SetFillUpdateInterval(std::chrono::milliseconds interval);
// Whether the free space is discarded after a drive's wipe (on by default).
void SetDiscardAfterWipe(bool discard);

} // namespace tw
