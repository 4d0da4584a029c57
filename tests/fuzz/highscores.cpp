// Companion files from anywhere: entering a winning time into whatever the "Top5" section holds
// gives a place of 1 to 5 or none, and the time then stands at that place.
#include "game/core/highscores.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {
const char* const kMap = "fuzz.kivom";
} // namespace

// The best-times file lies in the user's data folder: here one inside the working folder.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const std::filesystem::path data = std::filesystem::current_path() / "xdg-data";
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    std::filesystem::create_directories(data / "kivo" / "maps");
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
