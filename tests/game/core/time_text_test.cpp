// The race-time text of the head-up display.
#include "game/core/time_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(TimeText, showsZeroPaddedMinutesSecondsAndMillisecondsTruncated)
{
    const std::pair<double, const char*> cases[] = {
        {0.0, "00:00:000"},
        {75.0417, "01:15:041"},
        {6000.0, "100:00:000"},
        {119.9996, "01:59:999"},
        // Decimal times lie a hair below their value in binary; they still show their digits.
        {59.999, "00:59:999"},
        {1.005, "00:01:005"},
        {std::numeric_limits<double>::quiet_NaN(), "00:00:000"},
        {-std::numeric_limits<double>::infinity(), "00:00:000"}};
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(formatRaceTime(seconds), text) << seconds;
    double sum = 0.0;
    for (int i = 0; i < 600; ++i)
        sum += 1.0 / 60.0;
    EXPECT_EQ(formatRaceTime(sum), "00:10:000");
}

} // namespace
