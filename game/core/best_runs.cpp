// Keeping recordings in step with a map's best times.
#include "game/core/best_runs.h"

#include "game/core/highscores.h"
#include "game/core/profile.h"
#include "world/paths.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>

namespace {
const char* const kRunInfix = ".run-";
const char* const kRunExtension = ".kivorun";
const char* const kFreeTime = "0";

std::string hex(std::uint64_t value)
{
    char text[17];
    std::snprintf(text, sizeof(text), "%016llx", static_cast<unsigned long long>(value));
    return text;
}

bool isFree(const HighscoreEntry& entry)
{
    return entry.timeText == kFreeTime || entry.timeText.empty() || entry.timeText[0] == '-';
}

// Removes every recording beside the best-times file that no listed entry names.
void removeUnlistedRuns(const std::string& mapName)
{
    namespace fs = std::filesystem;
    const std::string bestTimes = highscoreFileName(mapName);
    std::set<std::string> listed;
    for (const HighscoreEntry& entry : readTop5(mapName))
        listed.insert(
            fs::path(bestRunFileName(bestTimes, entry.name, entry.timeText)).filename().string());
    const fs::path path(bestTimes);
    const std::string prefix = path.filename().string() + kRunInfix;
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0 || listed.count(name) ||
            it->path().extension() != kRunExtension)
            continue;
        std::error_code removeError;
        fs::remove(it->path(), removeError);
    }
}

std::string readFile(const std::string& file, bool& found)
{
    std::ifstream in(file, std::ios::binary);
    found = static_cast<bool>(in);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
} // namespace

std::string bestRunFileName(const std::string& bestTimesFile, const std::string& playerName,
                            const std::string& timeText)
{
    return bestTimesFile + kRunInfix + hex(contentHash(playerName + '\n' + timeText)) +
           kRunExtension;
}

std::string mapFileName(const std::string& mapName)
{
    return paths::mapFile(mapName);
}

int enterBestRun(const std::string& mapName, const std::string& winnerName, double seconds,
                 const SRecording* run)
{
    if (run) {
        // Written first: until the best times name it, it is an unlisted file, removed below or
        // by the next entry.
        const std::string file =
            bestRunFileName(highscoreFileName(mapName), winnerName, formatHighscoreTime(seconds));
        std::error_code ec; // the user's map folder may not be there yet; the write then says so
        std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
        if (!replaceFile(file, encodeRecording(*run)))
            std::cerr << "Best runs: cannot write \"" << file << "\"" << std::endl;
    }
    const int place = updateHighscores(mapName, winnerName, seconds);
    removeUnlistedRuns(mapName);
    return place;
}

bool loadBestRun(const std::string& mapName, int place, SRecording& run)
{
    if (place < 1 || place > kHighscorePlaces)
        return false;
    const HighscoreEntry entry = readTop5(mapName)[static_cast<size_t>(place - 1)];
    if (isFree(entry))
        return false;
    const std::string file =
        bestRunFileName(highscoreFileName(mapName), entry.name, entry.timeText);
    bool found = false;
    const std::string bytes = readFile(file, found);
    std::string problem;
    SRecording read;
    if (!found)
        problem = "no recording";
    else if (decodeRecording(bytes, read, problem) &&
             read.mapHash != fileContentHash(mapFileName(mapName)))
        problem = "recorded on another version of the map";
    else if (problem.empty() &&
             (read.playerName != entry.name || formatHighscoreTime(read.time) != entry.timeText))
        problem = "the recording is of another run";
    if (!problem.empty()) {
        std::cerr << "Best runs: place " << place << " of \"" << mapName << "\" is shown without "
                  << "its run (" << problem << "): \"" << file << "\"" << std::endl;
        return false;
    }
    run = std::move(read);
    return true;
}
