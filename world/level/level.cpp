// The level model's operations and the rules that keep it consistent.
#include "world/level/level.h"

#include <algorithm>

namespace {

template <typename T, typename Name>
auto findNamed(T& items, const std::string& name, Name nameOf) -> decltype(&items[0])
{
    for (auto& item : items) {
        if (nameOf(item) == name)
            return &item;
    }
    return nullptr;
}

template <typename T> void insertAt(std::vector<T>& items, std::size_t place, T item)
{
    place = std::min(place, items.size());
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(place), std::move(item));
}

bool eraseName(std::vector<std::string>& names, const std::string& name)
{
    const auto it = std::find(names.begin(), names.end(), name);
    if (it == names.end())
        return false;
    names.erase(it);
    return true;
}

} // namespace

SLevelVertices CLevel::cubeVertices(float edge)
{
    const float h = edge * 0.5f;
    return {{{h, h, -h},
             {-h, h, -h},
             {-h, h, h},
             {h, h, h},
             {0.0f, h, 0.0f},
             {h, -h, -h},
             {-h, -h, -h},
             {-h, -h, h},
             {h, -h, h}}};
}

// --- boxes and grids ---------------------------------------------------------------------

const SLevelGrid* CLevel::findGrid(const std::string& name) const
{
    return findNamed(mGrids, name, [](const SLevelGrid& grid) { return grid.name; });
}

const SLevelBox* CLevel::findBox(const std::string& name) const
{
    const auto it = mBoxes.find(name);
    return it == mBoxes.end() ? nullptr : &mGrids[it->second.grid].boxes[it->second.box];
}

std::string CLevel::gridOf(const std::string& boxName) const
{
    const auto it = mBoxes.find(boxName);
    return it == mBoxes.end() ? std::string() : mGrids[it->second.grid].name;
}

std::string CLevel::freeBoxName(const std::string& wanted) const
{
    if (!mBoxes.count(wanted))
        return wanted;
    for (unsigned long number = 0;; ++number) {
        std::string candidate = wanted + std::to_string(number);
        if (!mBoxes.count(candidate))
            return candidate;
    }
}

std::string CLevel::addBox(const std::string& gridName, SLevelBox box, std::size_t place,
                           std::size_t gridPlace)
{
    box.name = freeBoxName(box.name);
    std::size_t grid = 0;
    while (grid < mGrids.size() && mGrids[grid].name != gridName)
        ++grid;
    if (grid == mGrids.size()) {
        grid = std::min(gridPlace, mGrids.size());
        insertAt(mGrids, grid, SLevelGrid{gridName, box.material, {}});
        for (std::size_t later = grid + 1; later < mGrids.size(); ++later)
            reindexGrid(later);
    }
    std::vector<SLevelBox>& boxes = mGrids[grid].boxes;
    place = std::min(place, boxes.size());
    const std::string name = box.name;
    insertAt(boxes, place, std::move(box));
    if (place + 1 == boxes.size())
        mBoxes[name] = {grid, place};
    else
        reindexGrid(grid);
    return name;
}

bool CLevel::setBox(const SLevelBox& box)
{
    const auto it = mBoxes.find(box.name);
    if (it == mBoxes.end())
        return false;
    mGrids[it->second.grid].boxes[it->second.box] = box;
    return true;
}

bool CLevel::removeBox(const std::string& name)
{
    const auto it = mBoxes.find(name);
    if (it == mBoxes.end() || monsterStartsOn(name))
        return false;
    const SBoxPlace place = it->second;
    removeWaypoint(name);
    eraseName(mStarts, name);
    eraseName(mFinishes, name);
    mBoxes.erase(it);
    std::vector<SLevelBox>& boxes = mGrids[place.grid].boxes;
    boxes.erase(boxes.begin() + static_cast<std::ptrdiff_t>(place.box));
    if (boxes.empty()) {
        // A grid exists through its boxes only.
        mGrids.erase(mGrids.begin() + static_cast<std::ptrdiff_t>(place.grid));
        for (std::size_t grid = place.grid; grid < mGrids.size(); ++grid)
            reindexGrid(grid);
    } else {
        reindexGrid(place.grid);
    }
    return true;
}

void CLevel::reindexGrid(std::size_t grid)
{
    const std::vector<SLevelBox>& boxes = mGrids[grid].boxes;
    for (std::size_t box = 0; box < boxes.size(); ++box)
        mBoxes[boxes[box].name] = {grid, box};
}

// --- lights ------------------------------------------------------------------------------

const SLevelLight* CLevel::findLight(const std::string& name) const
{
    return findNamed(mLights, name, [](const SLevelLight& light) { return light.name; });
}

bool CLevel::addLight(const SLevelLight& light, std::size_t place)
{
    if (findLight(light.name))
        return false;
    insertAt(mLights, place, light);
    return true;
}

bool CLevel::setLight(const SLevelLight& light)
{
    SLevelLight* found =
        findNamed(mLights, light.name, [](const SLevelLight& l) { return l.name; });
    if (!found)
        return false;
    *found = light;
    return true;
}

bool CLevel::removeLight(const std::string& name)
{
    const auto it = std::find_if(mLights.begin(), mLights.end(),
                                 [&name](const SLevelLight& light) { return light.name == name; });
    if (it == mLights.end())
        return false;
    mLights.erase(it);
    return true;
}

// --- start and finish points -------------------------------------------------------------

bool CLevel::addPoint(const std::string& box, bool start)
{
    std::vector<std::string>& points = start ? mStarts : mFinishes;
    if (!mBoxes.count(box) || std::find(points.begin(), points.end(), box) != points.end())
        return false;
    points.push_back(box);
    return true;
}

bool CLevel::removePoint(const std::string& box, bool start)
{
    return eraseName(start ? mStarts : mFinishes, box);
}

void CLevel::setPoints(const std::vector<std::string>& boxes, bool start)
{
    (start ? mStarts : mFinishes).clear();
    for (const std::string& box : boxes)
        addPoint(box, start);
}

// --- waypoints ---------------------------------------------------------------------------

const SLevelWaypoint* CLevel::findWaypoint(const std::string& box) const
{
    const auto it = mWaypointIndex.find(box);
    return it == mWaypointIndex.end() ? nullptr : &mWaypoints[it->second];
}

SLevelWaypoint* CLevel::waypoint(const std::string& box)
{
    const auto it = mWaypointIndex.find(box);
    return it == mWaypointIndex.end() ? nullptr : &mWaypoints[it->second];
}

bool CLevel::addWaypoint(const std::string& box, int weight, std::size_t place)
{
    if (!mBoxes.count(box) || mWaypointIndex.count(box))
        return false;
    if (place >= mWaypoints.size()) {
        mWaypointIndex[box] = mWaypoints.size();
        mWaypoints.push_back({box, weight, {}});
    } else {
        insertAt(mWaypoints, place, SLevelWaypoint{box, weight, {}});
        reindexWaypoints();
    }
    return true;
}

bool CLevel::setWeight(const std::string& box, int weight)
{
    SLevelWaypoint* found = waypoint(box);
    if (!found)
        return false;
    found->weight = weight;
    return true;
}

bool CLevel::removeWaypoint(const std::string& box)
{
    SLevelWaypoint* found = waypoint(box);
    if (!found || monsterStartsOn(box))
        return false;
    for (const std::string& neighbour : std::vector<std::string>(found->neighbours))
        unlink(box, neighbour);
    mWaypoints.erase(mWaypoints.begin() + static_cast<std::ptrdiff_t>(mWaypointIndex[box]));
    reindexWaypoints();
    return true;
}

void CLevel::reindexWaypoints()
{
    mWaypointIndex.clear();
    for (std::size_t i = 0; i < mWaypoints.size(); ++i)
        mWaypointIndex[mWaypoints[i].box] = i;
}

bool CLevel::link(const std::string& a, const std::string& b)
{
    SLevelWaypoint* first = waypoint(a);
    SLevelWaypoint* second = waypoint(b);
    if (!first || !second || first == second)
        return false;
    if (std::find(first->neighbours.begin(), first->neighbours.end(), b) != first->neighbours.end())
        return false;
    first->neighbours.push_back(b);
    second->neighbours.push_back(a);
    return true;
}

bool CLevel::unlink(const std::string& a, const std::string& b)
{
    SLevelWaypoint* first = waypoint(a);
    SLevelWaypoint* second = waypoint(b);
    if (!first || !second || !eraseName(first->neighbours, b))
        return false;
    eraseName(second->neighbours, a);
    return true;
}

void CLevel::orderNeighbours(const std::string& box, const std::vector<std::string>& first)
{
    SLevelWaypoint* found = waypoint(box);
    if (!found)
        return;
    std::vector<std::string> ordered;
    const auto has = [](const std::vector<std::string>& names, const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    for (const std::string& name : first) {
        if (has(found->neighbours, name) && !has(ordered, name))
            ordered.push_back(name);
    }
    for (const std::string& name : found->neighbours) {
        if (!has(ordered, name))
            ordered.push_back(name);
    }
    found->neighbours = std::move(ordered);
}

// --- monsters ----------------------------------------------------------------------------

const SLevelMonster* CLevel::findMonster(const std::string& name) const
{
    return findNamed(mMonsters, name, [](const SLevelMonster& monster) { return monster.name; });
}

bool CLevel::monsterStartsOn(const std::string& box) const
{
    return std::any_of(mMonsters.begin(), mMonsters.end(),
                       [&box](const SLevelMonster& monster) { return monster.start == box; });
}

bool CLevel::addMonster(const SLevelMonster& monster, std::size_t place)
{
    if (monster.kind < 0 || monster.kind >= kMonsterKinds || findMonster(monster.name) ||
        !findWaypoint(monster.start) || monsterStartsOn(monster.start))
        return false;
    insertAt(mMonsters, place, monster);
    return true;
}

bool CLevel::removeMonster(const std::string& name)
{
    const auto it =
        std::find_if(mMonsters.begin(), mMonsters.end(),
                     [&name](const SLevelMonster& monster) { return monster.name == name; });
    if (it == mMonsters.end())
        return false;
    mMonsters.erase(it);
    return true;
}
