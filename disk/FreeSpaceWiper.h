// SPDX-License-Identifier: GPL-3.0-or-later
// The free-space wipe: every chosen drive is filled with the pattern up to
// the last free byte, flushed to the device, and given back empty.
#pragma once

#include "app/Operation.h"

#include <functional>
#include <string>
#include <vector>

namespace tw {

// Wipes the free space of drive `nDrive` (1 = A) with the pattern of
// op.m_wipeBuffer; `cLetter` names the drive to the user. Returns 1 to go on
// with the next drive (wiped, or "Ignore Disk"), 0 to cancel the rest. On
// return drive `nDrive` is current whenever it could be made current.
// Failures while the fillers are flushed and removed throw FileException.
int WipeFreeSpace(Operation& op, int nDrive, char cLetter);

// "Secure Empty Space": wipes the drives of `drives` ("C!E!") in order,
// with the Working window up, and makes the earlier current drive current
// again on every way out.
void SecureEmptySpace(Operation& op, const std::string& drives);

// Test seam: called when a drive is full, before its fillers are flushed and
// removed, with the directory and the names of the fillers.
using FreeSpaceFilledHook = std::function<void(const std::string& directory, const std::vector<std::string>& fillers)>;
void SetFreeSpaceFilledHook(FreeSpaceFilledHook hook);

} // namespace tw
