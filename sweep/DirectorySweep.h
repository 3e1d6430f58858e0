// SPDX-License-Identifier: GPL-3.0-or-later
// The directory sweep: walks one tree and counts, or hands to the file
// wiper, every regular file whose name matches the file-type list.
#pragma once

#include "core/Operation.h"
#include "sweep/SweepSettings.h"

#include <string>
#include <string_view>

namespace tw {

inline constexpr int kSweepCounting = 1;
inline constexpr int kSweepDeleting = 0;

// The list that stands for every file.
inline constexpr char kAllFilesList[] = "*.*!";

// One file-type pattern against a file name. "*" followed by a suffix and
// "~*" followed by a suffix match a name whose extension (from its last "."
// on, empty without one) equals the suffix; "*.*" matches every name; any
// other text matches nothing. Bytes are compared exactly.
bool MatchesPattern(std::string_view pattern, std::string_view name);

// Why `root` cannot be swept: 0 when it can be listed, else the errno
// (ENAMETOOLONG for a path longer than the system takes, EINVAL for one
// holding a NUL byte).
int SweepRootError(const std::string& root);

// Sweeps `root` ("" = the root of the current drive). `mode` kSweepCounting
// returns the number of matching files and changes nothing; any other mode
// wipes them (each file once, at its first matching pattern), stores the
// wiper's answer in op.m_bContinue and returns 0. Stops at once when
// op.m_bContinue is 0. "Subdirectories" and "File Types" are taken for every
// directory as it is entered (read again only when the settings file has
// changed); `allFiles` uses kAllFilesList instead of
// "File Types". A root that cannot be listed yields 0.
int SweepDirectory(Operation& op, const std::string& root, int mode, IProgress* progress, bool allFiles);

// The same with the settings given: "Subdirectories" and "File Types" are
// taken from `settings` as every directory is entered. The files are
// destroyed in batches that share one flush (CWipeBatch); every question,
// progress step and outcome comes in the order of the walk.
int SweepDirectory(Operation& op, const std::string& root, int mode, IProgress* progress, bool allFiles,
                   ISweepSettings& settings);

} // namespace tw
