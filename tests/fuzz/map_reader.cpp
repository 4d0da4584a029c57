// Map files from anywhere, read into the level model alone (no engine): lines keep their bound,
// the level the reader makes is consistent (every reference leads to something that exists,
// links are symmetric, one monster per waypoint), and a level that can be stored writes, reads
// back and writes again to the very same text. Millions of inputs a few minutes; scene_build
// builds a whole scene per input.
#include "world/level/map_format.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool has(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

void checkConsistent(const CLevel& level)
{
    for (const std::string& box : level.startPoints())
        check(level.findBox(box) != nullptr);
    for (const std::string& box : level.finishPoints())
        check(level.findBox(box) != nullptr);
    for (const SLevelWaypoint& waypoint : level.waypoints()) {
        check(level.findBox(waypoint.box) != nullptr);
        for (const std::string& neighbour : waypoint.neighbours) {
            const SLevelWaypoint* other = level.findWaypoint(neighbour);
            check(other && other != &waypoint && has(other->neighbours, waypoint.box));
        }
    }
    std::set<std::string> names, starts;
    for (const SLevelMonster& monster : level.monsters()) {
        check(level.findWaypoint(monster.start) != nullptr);
        check(monster.kind >= 0 && monster.kind < CLevel::kMonsterKinds);
        check(names.insert(monster.name).second && starts.insert(monster.start).second);
    }
}

CLevel read(const std::string& text)
{
    std::istringstream in(text);
    const std::vector<std::string> lines = splitMapLines(in);
    for (const std::string& line : lines)
        check(line.size() <= kMapMaxLineLength);
    return readMap(lines);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const CLevel level = read(std::string(reinterpret_cast<const char*>(data), size));
    checkConsistent(level);
    if (!unstorableReason(level).empty())
        return 0;
    const std::string text = writeMap(level);
    const CLevel back = read(text);
    checkConsistent(back);
    check(writeMap(back) == text);
    return 0;
}
