// Companion files from anywhere: entering a winning time into whatever the "Top5" section holds
// gives a place of 1 to 5 or none, and the time then stands at that place.
#include "game/core/highscores.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace {
const char* const kMap = "fuzz.kivom";
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    mkdir("data", 0755);
    mkdir("data/maps", 0755);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    double seconds = 0.0;
    if (size < sizeof(seconds))
        return 0;
    std::memcpy(&seconds, data, sizeof(seconds));
    std::ofstream(highscoreFileName(kMap), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data + sizeof(seconds)),
               static_cast<std::streamsize>(size - sizeof(seconds)));

    const int place = updateHighscores(kMap, "Winner", seconds);
    if (place != -1 && (place < 1 || place > kHighscorePlaces))
        __builtin_trap();
    const auto entries = readTop5(kMap);
    if (place != -1 &&
        entries[static_cast<size_t>(place - 1)].timeText != formatHighscoreTime(seconds))
        __builtin_trap();
    return 0;
}
