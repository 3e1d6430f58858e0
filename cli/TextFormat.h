// SPDX-License-Identifier: GPL-3.0-or-later
// How the headless front end writes names, sizes, rates and times for a
// person reading a terminal or a log.
#pragma once

// Sizes and rates are written as the window and the record write them:
// tw::FormatSize and tw::FormatRate.
#include "disk/FillProgress.h"

#include <cstdint>
#include <string>

namespace tw::cli {

// A byte string made safe to print: the reversible escaped form of the
// saved report (backslash doubled, bytes that are not UTF-8 as \xNN), with
// control characters (C0, DEL and C1) also written as \xNN, so that a file
// name can neither move the cursor nor break a line. UnescapeBytes turns it
// back into the same bytes.
std::string TerminalText(const std::string& bytes);

// "less than a second", "12 s", "3 min 5 s", "2 h 7 min"; "an unknown time"
// for what is not a finite number. These and the counts below are in the
// user's language.
std::string FormatDuration(double seconds);

// "1 file", "2 files", "0 drives": `count` and the noun ("file" or "drive";
// another noun gets an English "s").
std::string CountOf(uint64_t count, const std::string& noun);

} // namespace tw::cli
