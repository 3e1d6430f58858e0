// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CProgressLine.h"

#include "cli/TextFormat.h"

#include "core/Translations.h"
#include "platform/Terminal.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

namespace tw::cli {

namespace {

// The line's words, in the user's language; the phases are the window's.
struct LineWords {
    Q_DECLARE_TR_FUNCTIONS(tw::cli::CProgressLine)
};

// A terminal redraws a line faster than anyone reads it; five times a
// second is enough and costs nothing beside a wipe.
constexpr auto kRedrawInterval = std::chrono::milliseconds(200);

std::string Bar(double fraction, int width)
{
    fraction = std::clamp(fraction, 0.0, 1.0);
    const int filled = int(fraction * width + 0.5);
    return "[" + std::string(size_t(filled), '#') + std::string(size_t(width - filled), '.') + "]";
}

std::string Percent(double fraction)
{
    char text[16];
    std::snprintf(text, sizeof text, "%3d%%", int(std::clamp(fraction, 0.0, 1.0) * 100));
    return text;
}

std::string Rate(double perSecond, const std::string& unit)
{
    char text[48];
    std::snprintf(text, sizeof text, perSecond >= 10 ? "%.0f %s/s" : "%.1f %s/s", perSecond, unit.c_str());
    return text;
}

// `before`, a bar and `after`. The bar keeps one width for the whole run, a
// fifth of the terminal (12 to 32 characters), so that it does not jump as
// the figures after it change length; a line too long for the terminal is
// cut at its end.
std::string WithBar(const std::string& before, double fraction, const std::string& after, int columns)
{
    const int width = std::clamp(columns / 5, 12, 32);
    return before + "  " + Bar(fraction, width - 2) + "  " + after;
}

std::string TimeLeft(double seconds)
{
    return seconds < 1 ? tw::cli::LineWords::tr("less than a second left").toStdString()
                       : FillText(tw::cli::LineWords::tr("about %1 left"), {FormatDuration(seconds)});
}

} // namespace

std::string ScanningPhase()
{
    return QCoreApplication::translate("tw::CProgressBox", " Scanning for Files ...").toStdString();
}

std::string DeletingPhase()
{
    return QCoreApplication::translate("tw::CProgressBox", " Deleting Files ...").toStdString();
}

CProgressLine::CProgressLine(bool enabled, int fd) : m_bEnabled(enabled), m_fd(fd) {}

CProgressLine::~CProgressLine() { Clear(); }

void CProgressLine::SetPhase(const std::string& text)
{
    m_mode = Mode::Items;
    m_strPhase = text;
    m_nDone = 0;
    m_nBytes = 0;
    m_start = Clock::now();
    Redraw(true);
}

void CProgressLine::SetTotal(long long total)
{
    m_mode = Mode::Items;
    m_nTotal = total;
    Redraw(true);
}

void CProgressLine::ItemDone(uint64_t bytes)
{
    if (m_mode != Mode::Items) {
        m_mode = Mode::Items;
        m_start = Clock::now();
    }
    ++m_nDone;
    m_nBytes += bytes;
    Redraw(false);
}

void CProgressLine::Fill(const FillStatus& status)
{
    const bool newDrive = m_mode != Mode::Fill || status.letter != m_fill.letter;
    if (newDrive)
        m_fillStart = Clock::now();
    const bool newPhase = newDrive || status.phase != m_fill.phase;
    m_mode = Mode::Fill;
    m_fill = status;
    Redraw(newPhase);
}

void CProgressLine::Working()
{
    m_mode = Mode::Working;
    Redraw(true);
}

std::string CProgressLine::Compose(int columns, Clock::time_point now) const
{
    std::string line;
    switch (m_mode) {
    case Mode::Idle:
        return {};
    case Mode::Working:
        line = QCoreApplication::translate("tw::CWorking", "Working ...").toStdString();
        break;
    case Mode::Items: {
        const double seconds = std::chrono::duration<double>(now - m_start).count();
        std::string after = m_nTotal >= 0 ? std::to_string(m_nDone) + "/" + std::to_string(m_nTotal)
                                          : CountOf(m_nDone, "file");
        // Rates and the time left only once there is something to go by.
        if (seconds >= 1 && m_nDone > 0) {
            after += "  " + Rate(double(m_nDone) / seconds, tw::cli::LineWords::tr("files", "per second").toStdString()) + "  "
                + FormatRate(double(m_nBytes) / seconds);
            if (m_nTotal >= 0 && uint64_t(m_nTotal) > m_nDone)
                after += "  " + TimeLeft(double(uint64_t(m_nTotal) - m_nDone) * seconds / double(m_nDone));
        }
        const std::string before = m_strPhase.empty() ? DeletingPhase() : m_strPhase;
        // Scanning without a count yet: the phase says all there is.
        if (m_nDone == 0 && m_nTotal < 0) {
            line = before;
            break;
        }
        if (m_nTotal > 0)
            line = WithBar(before, double(m_nDone) / double(m_nTotal), after, columns);
        else
            line = before + "  " + after;
        break;
    }
    case Mode::Fill: {
        const std::string drive = std::string(1, m_fill.letter) + ": " + TerminalText(m_fill.mountPoint);
        if (m_fill.phase == FillStatus::Flushing) {
            line = drive + "  " + QCoreApplication::translate("tw::FillProgress", "Flushing to the device ...").toStdString();
            break;
        }
        if (m_fill.phase == FillStatus::GivingBack) {
            line = drive + "  " + QCoreApplication::translate("tw::FillProgress", "Giving the space back ...").toStdString();
            break;
        }
        const double seconds = std::chrono::duration<double>(now - m_fillStart).count();
        std::string after = FillText(tw::cli::LineWords::tr("%1 of %2"), {FormatBytes(m_fill.written), FormatBytes(m_fill.total)});
        if (seconds >= 1 && m_fill.written > 0) {
            const double rate = double(m_fill.written) / seconds;
            after += "  " + FormatRate(rate);
            if (m_fill.total > m_fill.written)
                after += "  " + TimeLeft(double(m_fill.total - m_fill.written) / rate);
        }
        const double fraction = m_fill.total ? double(m_fill.written) / double(m_fill.total) : 0;
        line = WithBar(drive + "  " + Percent(fraction), fraction, after, columns);
        break;
    }
    }
    // Never past the last column, where the terminal would wrap; a name's
    // bytes count at least one column each, and no character is cut.
    if (columns > 1 && int(line.size()) > columns - 1) {
        size_t length = size_t(columns - 1);
        while (length > 0 && (static_cast<unsigned char>(line[length]) & 0xC0) == 0x80)
            --length;
        line.resize(length);
    }
    return line;
}

void CProgressLine::Redraw(bool force)
{
    if (!m_bEnabled)
        return;
    const Clock::time_point now = Clock::now();
    if (!force && m_bShown && now - m_lastDraw < kRedrawInterval)
        return;
    m_lastDraw = now;
    // Carriage return, the line, then erase whatever a longer line left.
    WriteAll(m_fd, "\r" + Compose(TerminalColumns(m_fd), now) + "\033[K");
    m_bShown = true;
}

void CProgressLine::Clear()
{
    if (!m_bEnabled || !m_bShown)
        return;
    WriteAll(m_fd, "\r\033[K");
    m_bShown = false;
}

} // namespace tw::cli
