// SPDX-License-Identifier: GPL-3.0-or-later
// How far the free-space wipe of a drive has come, in words: the one line
// that the Working window shows below "Working ...", and that a front end
// without a window can print, in the user's language. The text is UTF-8
// except for the mount point, which is given as its bytes.
#pragma once

#include "core/OperationHost.h"
#include "record/SessionRecord.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace tw {

// While filling: "D: /home — 12.4 GiB of 350 GiB, 458 MiB/s, about 12 min
// left", the rate being the average since the drive's fill began
// (`elapsedSeconds` ago). Rate and time left are left out until a second
// has passed and something was written; the time left is left out once the
// free space found at the start is reached. During the flush: "Flushing to
// the device ..."; while the fillers go: "Giving the space back ...".
std::string DescribeFill(const FillStatus& status, double elapsedSeconds);

// The same as FormatSize (the program's one size formatter); rates are
// written with FormatRate.
inline std::string FormatBytes(uint64_t bytes) { return FormatSize(bytes); }
// "less than a minute", "about 12 min", "about 2 h 5 min".
std::string FormatTimeLeft(double seconds);

// Keeps the start of each drive's fill so that a stream of FillStatus
// updates can be described: a new drive, or figures that went back, start
// the clock anew.
class FillProgressText {
public:
    using Clock = std::chrono::steady_clock;
    std::string Describe(const FillStatus& status, Clock::time_point now = Clock::now());

private:
    char m_letter = 0;
    std::string m_strMountPoint;
    uint64_t m_written = 0;
    Clock::time_point m_start{};
    bool m_bStarted = false;
};

} // namespace tw
