// Reading and updating a map's Top5 list.
#include "game/core/highscores.h"

#include "game/core/profile.h"
#include "world/paths.h"

#include <cmath>
#include <filesystem>
#include <iostream>
#include <locale>
#include <sstream>
#include <utility>
#include <vector>

namespace {
const char* const kSection = "Top5";
const char* const kFreeName = "Free";
const char* const kFreeTime = "0";

std::string nameKey(int place)
{
    return "name" + std::to_string(place);
}

std::string timeKey(int place)
{
    return "time" + std::to_string(place);
}

// A stored time; text that is not a number counts as 0, a free place.
double parseTime(const std::string& text)
{
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double value = 0.0;
    if (!(in >> value) || !std::isfinite(value))
        return 0.0;
    return value;
}
} // namespace

std::string highscoreFileName(const std::string& mapName)
{
    return paths::bestTimesFile(mapName);
}

std::string formatHighscoreTime(double seconds)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << seconds;
    return out.str();
}

int updateHighscores(const std::string& mapName, const std::string& winnerName, double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0.0)
        return -1;
    const std::string file = highscoreFileName(mapName);

    struct OldEntry
    {
        std::string name;
        double time;
    };
    std::array<OldEntry, kHighscorePlaces> old;
    int place = -1;
    std::vector<std::pair<std::string, std::string>> changes;
    for (int i = 1; i <= kHighscorePlaces; ++i) {
        OldEntry& entry = old[i - 1];
        entry.name = getProfileString(kSection, nameKey(i), kFreeName, file);
        entry.time = parseTime(getProfileString(kSection, timeKey(i), kFreeTime, file));
        // Strictly faster: an equal time goes below the one already there. A time of 0 marks
        // a free place; a negative one can only come from a damaged file and must not hold the
        // place for ever, so it counts as free too.
        if (place == -1 && (seconds < entry.time || entry.time <= 0.0)) {
            place = i;
            changes.emplace_back(nameKey(i), winnerName);
            changes.emplace_back(timeKey(i), formatHighscoreTime(seconds));
        }
    }
    if (place == -1)
        return -1;
    for (int k = kHighscorePlaces; k > place; --k) {
        const OldEntry& moved = old[k - 2];
        changes.emplace_back(nameKey(k), moved.name);
        changes.emplace_back(timeKey(k), formatHighscoreTime(moved.time));
    }
    // One replacement of the file, so the list is never left half shifted. A place that could
    // not be stored is no place.
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
    if (!writeProfileStrings(kSection, changes, file)) {
        std::cerr << "Highscores: cannot write \"" << file << "\"" << std::endl;
        return -1;
    }
    return place;
}

std::array<HighscoreEntry, kHighscorePlaces> readTop5(const std::string& mapName)
{
    const std::string file = highscoreFileName(mapName);
    std::array<HighscoreEntry, kHighscorePlaces> entries;
    for (int i = 1; i <= kHighscorePlaces; ++i) {
        entries[i - 1].name = getProfileString(kSection, nameKey(i), kFreeName, file);
        entries[i - 1].timeText = getProfileString(kSection, timeKey(i), kFreeTime, file);
    }
    return entries;
}
