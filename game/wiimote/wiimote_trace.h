// The Wii Remote driver's trace lines: printf-formatted, cut to 255 characters, written to
// standard error and to an observer a test may set.
#pragma once

#include <functional>
#include <string>

void wiimoteTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));
void setWiimoteTraceObserver(std::function<void(const std::string&)> observer);
