// SPDX-License-Identifier: GPL-3.0-or-later
// The free-space wipe's progress line, table by table: sizes, rates, the
// time left, and the whole line in each phase.
#include "disk/FillProgress.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {

constexpr uint64_t KiB = 1024, MiB = KiB * 1024, GiB = MiB * 1024;

TEST(FillProgress, SizesInBinaryUnitsWithOneDecimalBelowAHundred)
{
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "0 bytes"},
        {1023, "1023 bytes"},
        {1024, "1.0 KiB"},
        {1536, "1.5 KiB"},
        {999 * KiB, "999 KiB"},
        {1023 * KiB, "1.0 MiB"},  // never four digits
        {MiB - 1, "1.0 MiB"},
        {uint64_t(12.4 * GiB), "12.4 GiB"},
        {uint64_t(99.96 * GiB), "100 GiB"},
        {350 * GiB, "350 GiB"},
        {2048 * GiB, "2.0 TiB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(FormatBytes(bytes), text) << bytes;
}

TEST(FillProgress, RatesInTheSameBinaryUnitsAsSizes)
{
    const std::pair<double, const char*> cases[] = {
        {0, "0 bytes/s"},
        {512, "512 bytes/s"},
        {95e3, "92.8 KiB/s"},
        {1.26e6, "1.2 MiB/s"},
        {480e6, "458 MiB/s"},
        {999.6e6, "953 MiB/s"},
        {2.5e9, "2.3 GiB/s"},
    };
    for (const auto& [rate, text] : cases)
        EXPECT_EQ(FormatRate(rate), text) << rate;
}

TEST(FillProgress, TimeLeftInWholeMinutes)
{
    const std::pair<double, const char*> cases[] = {
        {0, "less than a minute"},
        {59.4, "less than a minute"},
        {60, "about 1 min"},
        {12 * 60 + 10, "about 12 min"},
        {59 * 60 + 40, "about 1 h"},
        {125 * 60, "about 2 h 5 min"},
        {-5, "less than a minute"},
    };
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(FormatTimeLeft(seconds), text) << seconds;
}

TEST(FillProgress, TheLineOfEachPhase)
{
    FillStatus s;
    s.letter = 'D';
    s.mountPoint = "/home";
    s.total = 350 * GiB;
    s.written = uint64_t(12.4 * GiB);
    // 458 MiB/s over 12.4 GiB: 27.7 s so far; 337.6 GiB more take 12.6 min.
    const double elapsed = double(s.written) / 480e6;
    EXPECT_EQ(DescribeFill(s, elapsed), "D: /home \u2014 12.4 GiB of 350 GiB, 458 MiB/s, about 13 min left");

    // No rate before a second has passed or before anything was written.
    EXPECT_EQ(DescribeFill(s, 0.5), "D: /home \u2014 12.4 GiB of 350 GiB");
    s.written = 0;
    EXPECT_EQ(DescribeFill(s, 5), "D: /home \u2014 0 bytes of 350 GiB");

    // Past the free space found at the start (another program freed some):
    // no time left is guessed.
    s.written = 351 * GiB;
    EXPECT_EQ(DescribeFill(s, 351.0 * GiB / 500e6), "D: /home \u2014 351 GiB of 350 GiB, 477 MiB/s");

    s.phase = FillStatus::Flushing;
    EXPECT_EQ(DescribeFill(s, 100), "Flushing to the device ...");
    s.phase = FillStatus::GivingBack;
    EXPECT_EQ(DescribeFill(s, 100), "Giving the space back ...");
}

TEST(FillProgress, TheClockStartsAnewForEachDrive)
{
    using Clock = FillProgressText::Clock;
    FillProgressText text;
    const Clock::time_point t0 = Clock::now();
    FillStatus d{FillStatus::Filling, 'D', "/home", 0, 100 * MiB};
    EXPECT_EQ(text.Describe(d, t0), "D: /home \u2014 0 bytes of 100 MiB");
    d.written = 50 * MiB;
    EXPECT_EQ(text.Describe(d, t0 + std::chrono::seconds(10)),
              "D: /home \u2014 50.0 MiB of 100 MiB, 5.0 MiB/s, less than a minute left");

    // Drive E starts its own clock: 10 s after its start, not 20 s after D's.
    FillStatus e{FillStatus::Filling, 'E', "/data", 0, 100 * MiB};
    text.Describe(e, t0 + std::chrono::seconds(10));
    e.written = 10 * MiB;
    EXPECT_EQ(text.Describe(e, t0 + std::chrono::seconds(20)),
              "E: /data \u2014 10.0 MiB of 100 MiB, 1.0 MiB/s, about 2 min left");
}

} // namespace
