// Trace output of the Wii Remote driver, shared by its threads.
#include "game/wiimote/wiimote_trace.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {
const size_t kTraceBuffer = 256;
const char* const kPrefix = "wiimote : ";

std::mutex& traceLock()
{
    static std::mutex lock;
    return lock;
}

std::function<void(const std::string&)>& observer()
{
    static std::function<void(const std::string&)> current;
    return current;
}
} // namespace

void wiimoteTrace(const char* format, ...)
{
    char text[kTraceBuffer];
    int used = std::snprintf(text, sizeof(text), "%s", kPrefix);
    va_list args;
    va_start(args, format);
    std::vsnprintf(text + used, sizeof(text) - static_cast<size_t>(used), format, args);
    va_end(args);
    std::lock_guard<std::mutex> lock(traceLock());
    std::fputs(text, stderr);
    if (observer())
        observer()(text);
}

void setWiimoteTraceObserver(std::function<void(const std::string&)> newObserver)
{
    std::lock_guard<std::mutex> lock(traceLock());
    observer() = std::move(newObserver);
}
