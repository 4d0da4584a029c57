// The recorded runs of a map's best times. Each entry of the Top 5 that was driven with a
// recording has one file beside the map's best-times file, named after the entry (player name and
// time as stored), so a recording moves with its entry when the places shift. A new run is written
// before the best times change and the runs that left the list are removed after, so a kill at any
// moment leaves every listed time with its recording.
#pragma once

#include "game/core/recording.h"

#include <string>

// The file of the recorded run of the entry (name, time as stored) in a best-times file.
std::string bestRunFileName(const std::string& bestTimesFile, const std::string& playerName,
                            const std::string& timeText);

// The file of a map below the maps folder.
std::string mapFileName(const std::string& mapName);

// Enters a winning time as updateHighscores does and keeps the run's recording (nullptr: none)
// with it; recordings whose entries left the list are removed. Returns the place or -1.
int enterBestRun(const std::string& mapName, const std::string& winnerName, double seconds,
                 const SRecording* run);

// The recording of a place (1 to 5) of the map's list. False when the place is free, and, with
// one line on the error stream, when the recording is missing, damaged, made on another version
// of the map or not the run of that entry.
bool loadBestRun(const std::string& mapName, int place, SRecording& run);
