// SPDX-License-Identifier: GPL-3.0-or-later
// The free-space wipe's progress line.
#include "disk/FillProgress.h"

#include "core/Translations.h"

#include <QCoreApplication>

#include <cmath>
#include <cstdio>

namespace tw {

namespace {

// The line's words, in the user's language.
struct FillWords {
    Q_DECLARE_TR_FUNCTIONS(tw::FillProgress)
};

} // namespace

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
