// Taking a piece of the level from the scene and putting it back.
#include "editor/level_piece.h"

#include "world/box.h"
#include "world/box_grid.h"
#include "world/monster.h"
#include "world/scene.h"
#include "world/waypoint.h"

#include <algorithm>
#include <tuple>
#include <unordered_set>

namespace {

using Names = std::unordered_set<std::string>;

Names nameSet(const std::vector<std::string>& names)
{
    return Names(names.begin(), names.end());
}

std::vector<std::string> boxNames(const std::vector<CBox*>& boxes)
{
    std::vector<std::string> names;
    for (const CBox* box : boxes)
        names.push_back(box->getName());
    return names;
}

CWaypoint* waypointOn(const CScene& scene, const std::string& boxName)
{
    return scene.findWaypoint(scene.findBox(boxName));
}

// The present ones in the order of their places, so that each goes back where it was.
template <typename Item> std::vector<const Item*> presentByPlace(const std::vector<Item>& items)
{
    std::vector<const Item*> present;
    for (const Item& item : items) {
        if (item.exists)
            present.push_back(&item);
    }
    std::stable_sort(present.begin(), present.end(),
                     [](const Item* a, const Item* b) { return a->place < b->place; });
    return present;
}

bool sameBox(const SBoxState& a, const SBoxState& b)
{
    return a.name == b.name && a.grid == b.grid && a.material == b.material &&
           a.position == b.position && a.vertices == b.vertices && a.fitTexture == b.fitTexture;
}

} // namespace

SLevelPiece SLevelPiece::of(const CScene& scene, const SKeys& keys)
{
    SLevelPiece piece;
    for (const std::string& name : keys.grids)
        piece.grids.push_back({name, false, 0, std::string()});
    for (const std::string& name : keys.boxes) {
        piece.boxes.emplace_back();
        piece.boxes.back().state.name = name;
    }
    for (const std::string& name : keys.waypoints)
        piece.waypoints.push_back({name, false, 0, 0, {}});
    for (const std::string& name : keys.monsters)
        piece.monsters.push_back({name, false, 0, 0, std::string()});

    // One walk over each list of the scene finds every place.
    const Names wantedGrids = nameSet(keys.grids);
    const Names wantedBoxes = nameSet(keys.boxes);
    const auto& grids = scene.getGrids();
    for (size_t g = 0; g < grids.size(); ++g) {
        const CBoxGrid& grid = *grids[g];
        if (wantedGrids.count(grid.getName())) {
            for (SGrid& entry : piece.grids) {
                if (entry.name == grid.getName())
                    entry = {grid.getName(), true, g, grid.getMaterialName()};
            }
        }
        if (wantedBoxes.empty())
            continue;
        const auto& boxes = grid.getBoxes();
        for (size_t b = 0; b < boxes.size(); ++b) {
            if (!wantedBoxes.count(boxes[b]->getName()))
                continue;
            for (SBox& entry : piece.boxes) {
                if (entry.state.name == boxes[b]->getName())
                    entry = {SBoxState::of(*boxes[b], grid.getName()), true, b};
            }
        }
    }
    if (!piece.waypoints.empty()) {
        const auto& waypoints = scene.getWaypoints();
        const Names wanted = nameSet(keys.waypoints);
        for (size_t w = 0; w < waypoints.size(); ++w) {
            const CWaypoint& waypoint = *waypoints[w];
            if (!wanted.count(waypoint.getBox()->getName()))
                continue;
            for (SWaypoint& entry : piece.waypoints) {
                if (entry.box != waypoint.getBox()->getName())
                    continue;
                entry.exists = true;
                entry.place = w;
                entry.weight = waypoint.getWeight();
                for (const CWaypoint* neighbour : waypoint.getNeighbours())
                    entry.neighbours.push_back(neighbour->getBox()->getName());
            }
        }
    }
    const auto& monsters = scene.getMonsters();
    for (size_t m = 0; m < monsters.size() && !piece.monsters.empty(); ++m) {
        for (SMonster& entry : piece.monsters) {
            if (entry.name != monsters[m]->getName())
                continue;
            const CWaypoint* start = monsters[m]->getStartWaypoint();
            entry = {entry.name, true, m, monsters[m]->getKind(),
                     start ? start->getBox()->getName() : std::string()};
        }
    }
    piece.withPoints = keys.points;
    if (keys.points) {
        piece.startPoints = boxNames(scene.getStartBoxes());
        piece.finishPoints = boxNames(scene.getFinishBoxes());
    }
    return piece;
}

void SLevelPiece::applyTo(CScene& scene) const
{
    // What goes, dependants first: a monster holds its waypoint, a waypoint its box.
    for (const SMonster& monster : monsters) {
        if (!monster.exists)
            scene.deleteMonster(monster.name);
    }
    for (const SWaypoint& waypoint : waypoints) {
        if (!waypoint.exists)
            scene.removeWaypoint(scene.findBox(waypoint.box));
    }
    for (const SBox& box : boxes) {
        if (!box.exists)
            scene.deleteBox(scene.findBox(box.state.name));
    }
    for (const SGrid& grid : grids) {
        if (!grid.exists)
            scene.deleteGrid(grid.name);
    }

    // What comes back, each in its place.
    for (const SGrid* grid : presentByPlace(grids)) {
        if (!scene.findGrid(grid->name))
            scene.addGrid(grid->name, grid->material, grid->place);
    }
    for (const SBox* box : presentByPlace(boxes)) {
        const SBoxState& state = box->state;
        if (!scene.findBox(state.name))
            scene.addBox(state.name, state.material, state.grid, state.position, &state.vertices,
                         state.fitTexture, box->place);
    }
    if (withPoints) {
        for (const bool start : {true, false}) {
            std::vector<CBox*> points;
            for (const std::string& name : start ? startPoints : finishPoints) {
                if (CBox* box = scene.findBox(name))
                    points.push_back(box);
            }
            scene.setPoints(points, start);
        }
    }
    for (const SWaypoint* waypoint : presentByPlace(waypoints)) {
        CBox* box = scene.findBox(waypoint->box);
        if (!scene.findWaypoint(box))
            scene.addWaypoint(box, waypoint->weight, waypoint->place);
        if (CWaypoint* present = scene.findWaypoint(box))
            present->setWeight(waypoint->weight);
    }
    for (const SWaypoint& state : waypoints) {
        CWaypoint* waypoint = state.exists ? waypointOn(scene, state.box) : nullptr;
        if (!waypoint)
            continue;
        std::vector<CWaypoint*> neighbours;
        for (const std::string& name : state.neighbours) {
            if (CWaypoint* neighbour = waypointOn(scene, name))
                neighbours.push_back(neighbour);
        }
        for (CWaypoint* old : std::vector<CWaypoint*>(waypoint->getNeighbours())) {
            if (std::find(neighbours.begin(), neighbours.end(), old) == neighbours.end())
                waypoint->unlink(old);
        }
        for (CWaypoint* neighbour : neighbours)
            waypoint->link(neighbour);
        waypoint->orderNeighbours(neighbours);
    }
    for (const SMonster* monster : presentByPlace(monsters)) {
        const auto& present = scene.getMonsters();
        if (std::none_of(present.begin(), present.end(),
                         [monster](const CMonster* m) { return m->getName() == monster->name; }))
            scene.addMonster(monster->kind, monster->name, waypointOn(scene, monster->startBox),
                             monster->place);
    }
}

bool operator==(const SLevelPiece& a, const SLevelPiece& b)
{
    const auto grid = [](const SLevelPiece::SGrid& g) {
        return std::tie(g.name, g.exists, g.place, g.material);
    };
    const auto waypoint = [](const SLevelPiece::SWaypoint& w) {
        return std::tie(w.box, w.exists, w.place, w.weight, w.neighbours);
    };
    const auto monster = [](const SLevelPiece::SMonster& m) {
        return std::tie(m.name, m.exists, m.place, m.kind, m.startBox);
    };
    return std::equal(a.grids.begin(), a.grids.end(), b.grids.begin(), b.grids.end(),
                      [&](const auto& x, const auto& y) { return grid(x) == grid(y); }) &&
           std::equal(a.boxes.begin(), a.boxes.end(), b.boxes.begin(), b.boxes.end(),
                      [](const auto& x, const auto& y) {
                          return x.exists == y.exists && x.place == y.place &&
                                 sameBox(x.state, y.state);
                      }) &&
           std::equal(a.waypoints.begin(), a.waypoints.end(), b.waypoints.begin(),
                      b.waypoints.end(),
                      [&](const auto& x, const auto& y) { return waypoint(x) == waypoint(y); }) &&
           std::equal(a.monsters.begin(), a.monsters.end(), b.monsters.begin(), b.monsters.end(),
                      [&](const auto& x, const auto& y) { return monster(x) == monster(y); }) &&
           a.withPoints == b.withPoints && a.startPoints == b.startPoints &&
           a.finishPoints == b.finishPoints;
}
