// Taking a piece of the level from the model and putting it back in the model and the scene.
#include "editor/level_piece.h"

#include "world/box.h"
#include "world/box_grid.h"
#include "world/level/level.h"
#include "world/monster.h"
#include "world/scene.h"
#include "world/waypoint.h"

#include <algorithm>
#include <tuple>

namespace {

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

SLevelPiece SLevelPiece::of(const CLevel& level, const SKeys& keys)
{
    SLevelPiece piece;
    const auto& grids = level.grids();
    for (const std::string& name : keys.grids) {
        piece.grids.push_back({name, false, 0, std::string()});
        for (size_t g = 0; g < grids.size(); ++g) {
            if (grids[g].name == name)
                piece.grids.back() = {name, true, g, grids[g].material};
        }
    }
    for (const std::string& name : keys.boxes) {
        piece.boxes.emplace_back();
        piece.boxes.back().state.name = name;
        if (const SLevelBox* box = level.findBox(name)) {
            const std::string grid = level.gridOf(name);
            const auto& members = level.findGrid(grid)->boxes;
            piece.boxes.back() = {SBoxState::of(*box, grid), true,
                                  static_cast<size_t>(box - members.data())};
        }
    }
    const auto& waypoints = level.waypoints();
    for (const std::string& name : keys.waypoints) {
        piece.waypoints.push_back({name, false, 0, 0, {}});
        if (const SLevelWaypoint* waypoint = level.findWaypoint(name))
            piece.waypoints.back() = {name, true, static_cast<size_t>(waypoint - waypoints.data()),
                                      waypoint->weight, waypoint->neighbours};
    }
    const auto& monsters = level.monsters();
    for (const std::string& name : keys.monsters) {
        piece.monsters.push_back({name, false, 0, 0, std::string()});
        if (const SLevelMonster* monster = level.findMonster(name))
            piece.monsters.back() = {name, true, static_cast<size_t>(monster - monsters.data()),
                                     monster->kind, monster->start};
    }
    piece.withPoints = keys.points;
    if (keys.points) {
        piece.startPoints = level.startPoints();
        piece.finishPoints = level.finishPoints();
    }
    return piece;
}

void SLevelPiece::applyTo(CLevel& level) const
{
    for (const SMonster& monster : monsters) {
        if (!monster.exists)
            level.removeMonster(monster.name);
    }
    for (const SWaypoint& waypoint : waypoints) {
        if (!waypoint.exists)
            level.removeWaypoint(waypoint.box);
    }
    for (const SBox& box : boxes) {
        if (!box.exists)
            level.removeBox(box.state.name);
    }
    // A grid exists through its boxes: one that comes back is made at its place with its
    // first box, so the grids are filled in the order of their places.
    const auto gridPlace = [this](const std::string& name) {
        for (const SGrid& grid : grids) {
            if (grid.name == name && grid.exists)
                return grid.place;
        }
        return CLevel::kAtEnd;
    };
    std::vector<const SBox*> returning;
    for (const SBox* box : presentByPlace(boxes)) {
        if (!level.findBox(box->state.name))
            returning.push_back(box);
    }
    std::stable_sort(returning.begin(), returning.end(), [&](const SBox* a, const SBox* b) {
        return gridPlace(a->state.grid) < gridPlace(b->state.grid);
    });
    for (const SBox* box : returning)
        level.addBox(box->state.grid, box->state.plain(), box->place, gridPlace(box->state.grid));
    if (withPoints) {
        level.setPoints(startPoints, true);
        level.setPoints(finishPoints, false);
    }
    for (const SWaypoint* waypoint : presentByPlace(waypoints)) {
        level.addWaypoint(waypoint->box, waypoint->weight, waypoint->place);
        level.setWeight(waypoint->box, waypoint->weight);
    }
    for (const SWaypoint& state : waypoints) {
        const SLevelWaypoint* waypoint = state.exists ? level.findWaypoint(state.box) : nullptr;
        if (!waypoint)
            continue;
        for (const std::string& old : std::vector<std::string>(waypoint->neighbours)) {
            if (std::find(state.neighbours.begin(), state.neighbours.end(), old) ==
                state.neighbours.end())
                level.unlink(state.box, old);
        }
        for (const std::string& neighbour : state.neighbours)
            level.link(state.box, neighbour);
        level.orderNeighbours(state.box, state.neighbours);
    }
    for (const SMonster* monster : presentByPlace(monsters)) {
        if (!level.findMonster(monster->name))
            level.addMonster({monster->kind, monster->name, monster->startBox}, monster->place);
    }
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
        scene.setPoints(startPoints, true);
        scene.setPoints(finishPoints, false);
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
