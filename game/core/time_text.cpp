// Formatting of race times.
#include "game/core/time_text.h"

#include <cmath>
#include <cstdio>

namespace {
const double kMillisPerSecond = 1000.0;
const long long kMillisPerMinute = 60000;
const long long kSecondsPerMinute = 60;
// Decimal times such as 59.999 are stored a hair below their value; this lifts them back over the
// millisecond boundary before truncating, far below any real millisecond.
const double kMillisTolerance = 1e-6;
// Keeps the millisecond count far inside a long long.
const double kLongestShownTime = 1e12;
} // namespace

std::string formatRaceTime(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0.0)
        seconds = 0.0;
    seconds = std::fmin(seconds, kLongestShownTime);
    const long long millis =
        static_cast<long long>(std::floor(seconds * kMillisPerSecond + kMillisTolerance));
    const long long minutes = millis / kMillisPerMinute;
    const long long wholeSeconds =
        (millis / static_cast<long long>(kMillisPerSecond)) % kSecondsPerMinute;
    const long long fraction = millis % static_cast<long long>(kMillisPerSecond);
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%03lld", minutes, wholeSeconds, fraction);
    return text;
}
