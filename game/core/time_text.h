// The race-time text of the head-up display: minutes, seconds and milliseconds.
#pragma once

#include <string>

// "mm:ss:mmm" with at least two digits of minutes (no upper limit), two of seconds and three of
// milliseconds, each truncated, never rounded up: 75.0417 gives "01:15:041". Negative or
// non-finite times show as "00:00:000".
std::string formatRaceTime(double seconds);
