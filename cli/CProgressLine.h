// SPDX-License-Identifier: GPL-3.0-or-later
// The one line of progress that tarnowick-cli keeps at the bottom of a
// terminal on standard error: the phase, a bar when the total is known, the
// count, the rate and the time left. Redrawn in place a few times a second
// at most, and erased before anything else is written to the terminal.
#pragma once

#include "core/OperationHost.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace tw::cli {

// The phases of the progress box, in the window's words: " Scanning for
// Files ...", " Deleting Files ...".
std::string ScanningPhase();
std::string DeletingPhase();

class CProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    // Nothing is drawn unless `enabled`.
    explicit CProgressLine(bool enabled, int fd = 2);
    ~CProgressLine();
    CProgressLine(const CProgressLine&) = delete;
    CProgressLine& operator=(const CProgressLine&) = delete;

    bool Enabled() const { return m_bEnabled; }

    // A sweep or the file walk: the phase text, the total when it is known
    // (a negative total: not known), and each item as it is done.
    void SetPhase(const std::string& text);
    void SetTotal(long long total);
    void ItemDone(uint64_t bytes);

    // The free-space wipe's figures, and the plain "Working ..." of the
    // disk-level commands.
    void Fill(const FillStatus& status);
    void Working();

    // Erases the line; the next change draws it again.
    void Clear();

    // The text of the line for `columns` columns at `now` (tests).
    std::string Compose(int columns, Clock::time_point now) const;

private:
    enum class Mode { Idle, Items, Fill, Working };
    void Redraw(bool force);

    bool m_bEnabled;
    int m_fd;
    bool m_bShown = false;
    Mode m_mode = Mode::Idle;
    Clock::time_point m_lastDraw{};

    std::string m_strPhase;
    long long m_nTotal = -1;
    uint64_t m_nDone = 0;
    uint64_t m_nBytes = 0;
    Clock::time_point m_start{};

    FillStatus m_fill;
    Clock::time_point m_fillStart{};
};

} // namespace tw::cli
