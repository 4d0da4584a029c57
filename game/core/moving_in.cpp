// Copying the old settings and best times into the user's folders, once.
#include "game/core/moving_in.h"

#include "game/core/highscores.h"
#include "game/core/profile.h"
#include "world/paths.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {
const char* const kNoteFile = "moved-in";
const char* const kSettingsFiles[] = {"ogre.cfg", "input.cfg"};

struct Move
{
    fs::path from;
    fs::path to;
};

bool readWhole(const fs::path& file, std::string& text)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    text = out.str();
    return in.good() || in.eof();
}

// A companion file that holds at least one best time; untouched copies of the shipped ones are
// not worth moving.
bool holdsBestTimes(const fs::path& file)
{
    for (int place = 1; place <= kHighscorePlaces; ++place) {
        const std::string time =
            getProfileString("Top5", "time" + std::to_string(place), "0", file.string());
        if (std::atof(time.c_str()) > 0.0)
            return true;
    }
    return false;
}

bool sameFile(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

void addIfWanted(std::vector<Move>& moves, const fs::path& from, const fs::path& to)
{
    std::error_code ec;
    if (fs::is_regular_file(from, ec) && !fs::exists(to, ec) && !sameFile(from, to))
        moves.push_back({from, to});
}

std::vector<Move> findMoves(const std::string& oldBase, const std::string& oldMaps)
{
    std::vector<Move> moves;
    for (const char* name : kSettingsFiles)
        addIfWanted(moves, fs::path(oldBase) / name, paths::configFile(name));
    std::error_code ec;
    for (fs::directory_iterator it(oldMaps, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path file = it->path();
        if (file.extension() == paths::kCompanionExtension && holdsBestTimes(file))
            addIfWanted(moves, file, fs::path(paths::userMapDir()) / file.filename());
    }
    return moves;
}
} // namespace

std::vector<std::string> moveIn(const std::string& oldBase, const std::string& oldMaps)
{
    const std::string note = paths::stateFile(kNoteFile);
    std::error_code ec;
    if (fs::exists(note, ec))
        return {};
    const std::vector<Move> moves = findMoves(oldBase, oldMaps);
    if (moves.empty())
        return {};
    std::vector<std::string> lines;
    std::string record;
    for (const Move& move : moves) {
        std::string text;
        fs::create_directories(move.to.parent_path(), ec);
        if (!readWhole(move.from, text) || !replaceFile(move.to.string(), text)) {
            lines.push_back("Moving in: could not copy \"" + move.from.string() + "\" to \"" +
                            move.to.string() + "\"; it stays where it is");
            continue;
        }
        lines.push_back("Moving in: \"" + move.from.string() + "\" copied to \"" +
                        move.to.string() + "\"");
        record += move.from.string() + " -> " + move.to.string() + "\n";
    }
    const std::time_t now = std::time(nullptr);
    replaceFile(note, "Moved in on " + std::string(std::ctime(&now)) + record);
    lines.push_back("Moving in: settings and best times now live in \"" + paths::configDir() +
                    "\" and \"" + paths::userDataDir() +
                    "\"; the old files were left as they were");
    return lines;
}
