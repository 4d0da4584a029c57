// The race-time text of the head-up display.
#include "game/core/time_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(TimeText, showsMinutesSecondsAndMillisecondsZeroPadded)
{
    EXPECT_EQ(formatRaceTime(0.0), "00:00:000");
    EXPECT_EQ(formatRaceTime(75.0417), "01:15:041");
    EXPECT_EQ(formatRaceTime(83.5), "01:23:500");
    EXPECT_EQ(formatRaceTime(0.007), "00:00:007");
}

TEST(TimeText, minutesAreNotLimitedToTwoDigits)
{
    EXPECT_EQ(formatRaceTime(3725.5), "62:05:500");
    EXPECT_EQ(formatRaceTime(3600.0), "60:00:000");
    EXPECT_EQ(formatRaceTime(6000.0), "100:00:000");
}

TEST(TimeText, decimalTimesJustBelowTheirValueInBinaryStillShowTheirDigits)
{
    EXPECT_EQ(formatRaceTime(59.999), "00:59:999");
    EXPECT_EQ(formatRaceTime(1.001), "00:01:001");
    EXPECT_EQ(formatRaceTime(0.3), "00:00:300");
    EXPECT_EQ(formatRaceTime(4.35), "00:04:350");
}

TEST(TimeText, truncatesInsteadOfRoundingUp)
{
    EXPECT_EQ(formatRaceTime(59.9999), "00:59:999");
    EXPECT_EQ(formatRaceTime(119.9996), "01:59:999");
}

TEST(TimeText, sumsOfFrameTimesShowTheirTruncatedValue)
{
    double time = 0.0;
    for (int i = 0; i < 600; ++i)
        time += 1.0 / 60.0;
    EXPECT_EQ(formatRaceTime(time), "00:10:000");
}

TEST(TimeText, negativeAndNonFiniteTimesShowZero)
{
    EXPECT_EQ(formatRaceTime(-1.0), "00:00:000");
    EXPECT_EQ(formatRaceTime(std::numeric_limits<double>::quiet_NaN()), "00:00:000");
    EXPECT_EQ(formatRaceTime(-std::numeric_limits<double>::infinity()), "00:00:000");
}

} // namespace
