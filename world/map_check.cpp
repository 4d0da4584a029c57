// The playability checks of a level.
#include "world/map_check.h"

#include "world/box.h"
#include "world/box_materials.h"
#include "world/monster.h"
#include "world/scene.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <queue>
#include <set>
#include <unordered_map>
#include <unordered_set>

std::vector<SMapProblem> checkMapPoints(std::size_t startPoints, std::size_t finishPoints,
                                        int playerCount)
{
    std::vector<SMapProblem> problems;
    if (finishPoints == 0)
        problems.push_back({EMapProblem::NO_FINISH_POINT,
                            "The map has no finish point, so no ball could ever win.",
                            false,
                            {}});
    const std::size_t needed = playerCount > 0 ? static_cast<std::size_t>(playerCount) : 0;
    if (startPoints < needed)
        problems.push_back({EMapProblem::TOO_FEW_START_POINTS,
                            "The map has " + std::to_string(startPoints) + " start point" +
                                (startPoints == 1 ? "" : "s") + ", but " + std::to_string(needed) +
                                " player" + (needed == 1 ? " needs" : "s need") + " one each.",
                            false,
                            {}});
    return problems;
}

std::vector<SMapProblem> checkMap(const CScene& scene, int playerCount)
{
    return checkMapPoints(scene.getStartBoxes().size(), scene.getFinishBoxes().size(), playerCount);
}

std::string describeMapProblems(const std::vector<SMapProblem>& problems)
{
    std::string text;
    for (const SMapProblem& problem : problems) {
        if (!text.empty())
            text += "\n";
        text += problem.text;
    }
    return text;
}

// ---------------------------------------------------------------------------------------------
// The design check

namespace {

struct STop
{
    float minX, maxX, minZ, maxZ, low, high;
};

STop topOf(const SLevelBox& box)
{
    STop top{1e30f, -1e30f, 1e30f, -1e30f, 1e30f, -1e30f};
    // The four top corners and the top centre.
    for (int v = 0; v <= CBox::kTopCentre; ++v) {
        const float x = box.position.x + box.vertices[v].x;
        const float y = box.position.y + box.vertices[v].y;
        const float z = box.position.z + box.vertices[v].z;
        top.minX = std::min(top.minX, x);
        top.maxX = std::max(top.maxX, x);
        top.minZ = std::min(top.minZ, z);
        top.maxZ = std::max(top.maxZ, z);
        top.low = std::min(top.low, y);
        top.high = std::max(top.high, y);
    }
    return top;
}

bool reaches(const STop& from, const STop& to)
{
    const float gapX = std::max({0.0f, to.minX - from.maxX, from.minX - to.maxX});
    const float gapZ = std::max({0.0f, to.minZ - from.maxZ, from.minZ - to.maxZ});
    return std::hypot(gapX, gapZ) <= kReachGap && to.low - from.high <= kReachClimb;
}

// The start boxes from which no finish box can be reached. Box tops are bucketed in a grid of
// cells seen from above so that big levels stay fast.
std::vector<std::string> startsWithoutWayToFinish(const CLevel& level)
{
    std::vector<STop> tops;
    std::unordered_map<std::string, int> index;
    for (const SLevelGrid& grid : level.grids()) {
        for (const SLevelBox& box : grid.boxes) {
            index[box.name] = static_cast<int>(tops.size());
            tops.push_back(topOf(box));
        }
    }
    constexpr float kCell = 2.0f;
    auto cell = [](float c) { return static_cast<long long>(std::floor(c / kCell)); };
    auto key = [](long long x, long long z) { return x * 1000003LL + z; };
    std::unordered_map<long long, std::vector<int>> cells;
    for (int i = 0; i < static_cast<int>(tops.size()); ++i) {
        const STop& t = tops[i];
        for (long long x = cell(t.minX - kReachGap); x <= cell(t.maxX + kReachGap); ++x)
            for (long long z = cell(t.minZ - kReachGap); z <= cell(t.maxZ + kReachGap); ++z)
                cells[key(x, z)].push_back(i);
    }
    std::unordered_set<int> finishes;
    for (const std::string& box : level.finishPoints())
        finishes.insert(index.at(box));

    std::vector<std::string> stranded;
    for (const std::string& start : level.startPoints()) {
        std::vector<bool> seen(tops.size(), false);
        std::queue<int> open;
        open.push(index.at(start));
        seen[open.front()] = true;
        bool found = false;
        while (!open.empty() && !found) {
            const STop& from = tops[open.front()];
            found = finishes.count(open.front()) > 0;
            open.pop();
            for (long long x = cell(from.minX); x <= cell(from.maxX); ++x) {
                for (long long z = cell(from.minZ); z <= cell(from.maxZ); ++z) {
                    const auto it = cells.find(key(x, z));
                    if (it == cells.end())
                        continue;
                    for (int next : it->second) {
                        if (!seen[next] && reaches(from, tops[next])) {
                            seen[next] = true;
                            open.push(next);
                        }
                    }
                }
            }
        }
        if (!found)
            stranded.push_back(start);
    }
    return stranded;
}

} // namespace

std::vector<SMapProblem> checkMapDesign(const CLevel& level)
{
    std::vector<SMapProblem> problems;
    const std::size_t starts = level.startPoints().size();
    if (starts == 0)
        problems.push_back({EMapProblem::NO_START_POINT,
                            "The map has no start point, so no ball can be placed.",
                            false,
                            {}});
    for (SMapProblem& problem : checkMapPoints(starts, level.finishPoints().size(), 1)) {
        if (problem.kind == EMapProblem::NO_FINISH_POINT)
            problems.push_back(problem);
    }
    if (starts > 0 && starts < static_cast<std::size_t>(kMaxRoundPlayers))
        problems.push_back({EMapProblem::FEW_START_POINTS,
                            "The map has " + std::to_string(starts) + " start point" +
                                (starts == 1 ? "" : "s") + "; a round of " +
                                std::to_string(kMaxRoundPlayers) + " players needs " +
                                std::to_string(kMaxRoundPlayers) + ".",
                            true,
                            {}});
    if (!level.finishPoints().empty()) {
        for (const std::string& start : startsWithoutWayToFinish(level))
            problems.push_back({EMapProblem::FINISH_UNREACHABLE,
                                "No finish point can be reached from the start point " + start +
                                    " over the boxes.",
                                false,
                                {start}});
    }
    // The model holds no monster without its start waypoint (checkMapReferences reports what
    // a file names but the reader leaves out).
    for (const SLevelMonster& monster : level.monsters()) {
        if (monster.kind == CMonster::KIND_SLIME &&
            level.findWaypoint(monster.start)->neighbours.empty())
            problems.push_back({EMapProblem::LONELY_SLIME_WAYPOINT,
                                "The slime " + monster.name + " starts on the waypoint " +
                                    monster.start + ", which has no neighbours, so it never moves.",
                                false,
                                {monster.start}});
    }
    auto storable = [&problems](const std::string& what, const std::string& name,
                                std::vector<std::string> boxes) {
        if (!isStorableMapName(name))
            problems.push_back({EMapProblem::UNSTORABLE_NAME,
                                "The " + what + " name \"" + name +
                                    "\" cannot be stored in a map file (it is empty or holds a "
                                    "comma or a line break).",
                                false, std::move(boxes)});
    };
    for (const SLevelGrid& grid : level.grids()) {
        storable("grid", grid.name, {});
        for (const SLevelBox& box : grid.boxes)
            storable("box", box.name, {box.name});
    }
    for (const SLevelLight& light : level.lights())
        storable("light", light.name, {});
    for (const SLevelMonster& monster : level.monsters())
        storable("monster", monster.name, {});
    // One warning per foreign material, naming all its boxes: a level of thousands of such boxes
    // gets a short list.
    std::map<std::string, std::vector<std::string>> foreign;
    for (const SLevelGrid& grid : level.grids()) {
        for (const SLevelBox& box : grid.boxes) {
            if (!isBoxMaterial(box.material))
                foreign[box.material].push_back(box.name);
        }
    }
    for (auto& [material, boxes] : foreign) {
        const std::size_t count = boxes.size();
        problems.push_back({EMapProblem::NO_BOX_MATERIAL,
                            std::to_string(count) + (count == 1 ? " box has" : " boxes have") +
                                " the material \"" + material +
                                "\", which is not made for boxes: the game cannot draw " +
                                (count == 1 ? "it" : "them") + " as meant.",
                            true, std::move(boxes)});
    }
    return problems;
}

std::vector<SMapProblem> checkMapReferences(const std::vector<std::string>& lines)
{
    std::set<std::string> waypointBoxes;
    std::vector<std::pair<std::string, std::string>> monsters; // name, start box
    for (const std::string& line : lines) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = line.substr(0, equals);
        std::vector<std::string> fields;
        std::size_t begin = equals + 1;
        for (std::size_t comma; (comma = line.find(',', begin)) != std::string::npos;
             begin = comma + 1)
            fields.push_back(line.substr(begin, comma - begin));
        fields.push_back(line.substr(begin));
        if (key == "waypoint")
            waypointBoxes.insert(fields[0]);
        else if (key == "monster")
            monsters.emplace_back(fields.size() > 1 ? fields[1] : "",
                                  fields.size() > 2 ? fields[2] : "");
    }
    std::vector<SMapProblem> problems;
    for (const auto& [name, box] : monsters) {
        if (!waypointBoxes.count(box))
            problems.push_back({EMapProblem::MONSTER_WITHOUT_START,
                                "The monster " + name + " starts on \"" + box +
                                    "\", which carries no waypoint; the level leaves it out.",
                                false,
                                {}});
    }
    return problems;
}
