// The per-map list of the five best times, kept in section "Top5" of the map's best-times file
// (paths::bestTimesFile: in the user's data folder) under the keys "name1".."name5" and
// "time1".."time5". Place 1 is the fastest; a place whose time is 0 is free.
#pragma once

#include <array>
#include <string>

constexpr int kHighscorePlaces = 5;

struct HighscoreEntry
{
    std::string name;     // "Free" for a free place
    std::string timeText; // seconds exactly as stored, "0" for a free place
};

// The file holding the map's best times, for every user a file of their own; mapName includes the
// map file's extension. Files kept with the best times are named after this one.
std::string highscoreFileName(const std::string& mapName);

// Enters a winning time into the map's list. Returns the place 1 to 5, or -1 when the time does
// not enter the list or the file cannot be written (the old file then stays as it was). Times that
// are not positive are never entered: a stored 0 means a free place.
int updateHighscores(const std::string& mapName, const std::string& winnerName, double seconds);

// The five entries for display, defaults ("Free", "0") where the file or a key is missing.
std::array<HighscoreEntry, kHighscorePlaces> readTop5(const std::string& mapName);

// A time as the file stores it: six significant digits in general notation ("75.0417").
std::string formatHighscoreTime(double seconds);
