// SPDX-License-Identifier: GPL-3.0-or-later
// The free-space wipe's progress line.
#include "disk/FillProgress.h"

#include "app/Translations.h"

#include <QCoreApplication>

#include <cmath>
#include <cstdio>

namespace tw {

namespace {

// The line's words, in the user's language.
struct FillWords {
    Q_DECLARE_TR_FUNCTIONS(tw::FillProgress)
};

std::string OneDecimalBelowHundred(double value, const char* unit)
{
    char text[48];
    if (value < 99.95)
        std::snprintf(text, sizeof text, "%.1f %s", value, unit);
    else
        std::snprintf(text, sizeof text, "%.0f %s", value, unit);
    return text;
}

} // namespace

std::string FormatBytes(uint64_t bytes)
{
    static const char* const units[] = {"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    if (bytes < 1024)
        return std::to_string(bytes) + " B";
    double value = double(bytes) / 1024.0;
    size_t unit = 0;
    // Four digits never show: 1000 KiB and up is 1.0 MiB.
    while (value >= 999.5 && unit + 1 < sizeof units / sizeof units[0]) {
        value /= 1024.0;
        ++unit;
    }
    return OneDecimalBelowHundred(value, units[unit]);
}

std::string FormatRate(double bytesPerSecond)
{
    static const char* const units[] = {"B/s", "kB/s", "MB/s", "GB/s", "TB/s"};
    double value = bytesPerSecond < 0 ? 0 : bytesPerSecond;
    size_t unit = 0;
    while (value >= 999.5 && unit + 1 < sizeof units / sizeof units[0]) {
        value /= 1000.0;
        ++unit;
    }
    if (unit == 0)
        return std::to_string((long long)std::llround(value)) + " B/s";
    // Rates read best without decimals from 10 up: 480 MB/s, 2.5 GB/s.
    char text[32];
    std::snprintf(text, sizeof text, value < 9.95 ? "%.1f %s" : "%.0f %s", value, units[unit]);
    return text;
}

std::string FormatTimeLeft(double seconds)
{
    if (!(seconds >= 0))
        seconds = 0;
    if (seconds < 60)
        return tw::FillWords::tr("less than a minute").toStdString();
    const long long minutes = std::llround(seconds / 60.0);
    if (minutes < 60)
        return tw::FillWords::tr("about %1 min").arg(minutes).toStdString();
    const long long hours = minutes / 60, rest = minutes % 60;
    if (rest == 0)
        return tw::FillWords::tr("about %1 h").arg(hours).toStdString();
    return tw::FillWords::tr("about %1 h %2 min").arg(hours).arg(rest).toStdString();
}

std::string DescribeFill(const FillStatus& status, double elapsedSeconds)
{
    switch (status.phase) {
    case FillStatus::Flushing: return tw::FillWords::tr("Flushing to the device ...").toStdString();
    case FillStatus::GivingBack: return tw::FillWords::tr("Giving the space back ...").toStdString();
    case FillStatus::Filling: break;
    }
    // The mount point goes in as its bytes.
    std::string text = FillText(tw::FillWords::tr("%1: %2 — %3 of %4"),
                                {std::string(1, status.letter ? status.letter : '?'), status.mountPoint,
                                 FormatBytes(status.written), FormatBytes(status.total)});
    if (elapsedSeconds >= 1.0 && status.written > 0) {
        const double rate = double(status.written) / elapsedSeconds;
        text += ", " + FormatRate(rate);
        if (status.written < status.total)
            text += ", " + FillText(tw::FillWords::tr("%1 left"),
                                    {FormatTimeLeft(double(status.total - status.written) / rate)});
    }
    return text;
}

std::string FillProgressText::Describe(const FillStatus& status, Clock::time_point now)
{
    if (!m_bStarted || status.letter != m_letter || status.mountPoint != m_strMountPoint
        || (status.phase == FillStatus::Filling && status.written < m_written)) {
        m_bStarted = true;
        m_letter = status.letter;
        m_strMountPoint = status.mountPoint;
        m_start = now;
    }
    m_written = status.written;
    return DescribeFill(status, std::chrono::duration<double>(now - m_start).count());
}

} // namespace tw
