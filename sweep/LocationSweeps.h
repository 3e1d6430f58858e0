// SPDX-License-Identifier: GPL-3.0-or-later
// The location commands (cache, temporary files, other directory) and the
// preference-driven sweep over the marked drives or the three locations.
#pragma once

#include "core/Operation.h"

namespace tw {

// One location: its path and all-files setting, swept with SweepDirectory.
// `mode` and `progress` as for SweepDirectory.
int SweepCache(Operation& op, int mode, IProgress* progress);
int SweepTemp(Operation& op, int mode, IProgress* progress);
int SweepOther(Operation& op, int mode, IProgress* progress);

// The current drive from its root, with the file-type list.
int SweepCurrentDrive(Operation& op, int mode, IProgress* progress);

// "All" TRUE: every drive in "Drives", in list order, the current drive put
// back afterwards however the sweep ends. Otherwise the three locations
// that are set. Returns the sum of the sweeps' results.
int SweepByPreferences(Operation& op, int mode, IProgress* progress);

// The bodies of the four commands: an unset path is reported; with
// "Counter" on, a counting pass sizes the progress box before the deleting
// pass, and the box goes away however the command ends.
void SecureDeleteCache(Operation& op);
void SecureDeleteTemp(Operation& op);
void SecureDeleteOther(Operation& op);
void SecureDeleteByPreferences(Operation& op);

} // namespace tw
