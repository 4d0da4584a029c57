// The map being edited: lights, waypoints, start and finish points and monsters, each change one
// undo step that keeps just what it changes.
#include "editor/map_document.h"

#include "editor/level_piece_command.h"
#include "editor/light_commands.h"
#include "editor/points_command.h"
#include "editor/undo_ids.h"
#include "world/level_ogre.h"
#include "world/monster.h"
#include "world/scene.h"

#include <algorithm>

namespace {

SLevelPiece::SKeys graphKeys(std::vector<std::string> waypoints,
                             std::vector<std::string> monsters = {})
{
    SLevelPiece::SKeys keys;
    keys.waypoints = std::move(waypoints);
    keys.monsters = std::move(monsters);
    return keys;
}

CMapDocument::SLight lightOf(const SLevelLight& light)
{
    return {toOgre(light.position), toOgre(light.diffuse), toOgre(light.specular), light.range};
}

SLevelLight plainLight(const std::string& name, const CMapDocument::SLight& light)
{
    return {name, toLevel(light.position), toLevel(light.diffuse), toLevel(light.specular),
            light.range};
}

} // namespace

bool CMapDocument::pieceChange(const QString& text, const SLevelPiece::SKeys& keys,
                               const std::function<void()>& change,
                               std::vector<std::string> reselect)
{
    if (!mScene)
        return false;
    SLevelPiece before = SLevelPiece::of(mLevel, keys);
    change();
    SLevelPiece after = SLevelPiece::of(mLevel, keys);
    if (after == before)
        return false;
    // The model has changed already; the step's first redo puts the change into the scene.
    mUndoStack.push(new CLevelPieceCommand(*this, text, std::move(before), std::move(after),
                                           std::move(reselect)));
    return true;
}

std::vector<std::string> CMapDocument::selectedWaypointsAndNeighbours() const
{
    std::vector<std::string> names;
    for (const std::string& box : mSelection) {
        const SLevelWaypoint* waypoint = mLevel.findWaypoint(box);
        if (!waypoint)
            continue;
        names.push_back(box);
        names.insert(names.end(), waypoint->neighbours.begin(), waypoint->neighbours.end());
    }
    return names;
}

std::vector<CMapDocument::SLightState>
CMapDocument::lightStates(const std::vector<std::string>& names) const
{
    std::vector<SLightState> states;
    const auto& lights = mLevel.lights();
    for (const std::string& name : names) {
        if (std::any_of(states.begin(), states.end(),
                        [&name](const SLightState& state) { return state.name == name; }))
            continue;
        SLightState state;
        state.name = name;
        if (const SLevelLight* light = mLevel.findLight(name)) {
            state.exists = true;
            state.index = static_cast<size_t>(light - lights.data());
            state.light = lightOf(*light);
        }
        states.push_back(state);
    }
    return states;
}

template <typename Change>
bool CMapDocument::lightChange(const QString& text, const std::vector<std::string>& names,
                               Change&& change, int mergeId)
{
    if (!mScene)
        return false;
    std::vector<SLightState> before = lightStates(names);
    change();
    std::vector<SLightState> after = lightStates(names);
    bool changed = false;
    for (size_t i = 0; i < before.size(); ++i) {
        const SLight& a = before[i].light;
        const SLight& b = after[i].light;
        changed = changed || before[i].exists != after[i].exists ||
                  (after[i].exists && (a.position != b.position || a.diffuse != b.diffuse ||
                                       a.specular != b.specular || a.range != b.range));
    }
    if (!changed)
        return false;
    mUndoStack.push(new CLightsCommand(*this, text, std::move(before), std::move(after), mergeId));
    return true;
}

void CMapDocument::applyLightStates(const std::vector<SLightState>& states)
{
    for (const SLightState& state : states) {
        if (!state.exists) {
            mLevel.removeLight(state.name);
            mScene->deleteLight(state.name);
        }
    }
    std::vector<const SLightState*> present;
    for (const SLightState& state : states) {
        if (state.exists)
            present.push_back(&state);
    }
    std::sort(present.begin(), present.end(),
              [](const SLightState* a, const SLightState* b) { return a->index < b->index; });
    for (const SLightState* state : present) {
        const SLight& light = state->light;
        if (!mLevel.setLight(plainLight(state->name, light)))
            mLevel.addLight(plainLight(state->name, light), state->index);
        if (!mScene->setLightValues(state->name, light.position, light.diffuse, light.specular,
                                    light.range))
            mScene->addLight(state->name, light.position, light.diffuse, light.specular,
                             light.range, state->index);
    }
}

void CMapDocument::applyAmbient(const Ogre::ColourValue& colour)
{
    mLevel.setAmbient(toLevel(colour));
    mScene->setAmbientLight(colour);
}

// ---------------------------------------------------------------------------------------------
// Lights

CMapDocument::ELightResult CMapDocument::addLight(const std::string& name, const SLight& light)
{
    if (!mScene || !isAcceptableName(name) || !(light.range > 0.0f))
        return ELightResult::InvalidInput;
    const bool added = lightChange(QStringLiteral("Create light"), {name},
                                   [&] { mLevel.addLight(plainLight(name, light)); });
    return added ? ELightResult::Created : ELightResult::NameTaken;
}

bool CMapDocument::editLights(const std::vector<std::string>& names, const SLight& light)
{
    if (!(light.range > 0.0f))
        return false;
    return lightChange(QStringLiteral("Edit light"), names, [&] {
        for (const std::string& name : names)
            mLevel.setLight(plainLight(name, light));
    });
}

bool CMapDocument::setLightColours(const std::vector<std::string>& names,
                                   const Ogre::ColourValue& diffuse,
                                   const Ogre::ColourValue& specular, float range)
{
    if (!(range > 0.0f))
        return false;
    return lightChange(
        QStringLiteral("Change light colours"), names,
        [&] {
            for (const std::string& name : names) {
                if (const SLevelLight* found = mLevel.findLight(name))
                    mLevel.setLight(
                        {name, found->position, toLevel(diffuse), toLevel(specular), range});
            }
        },
        MERGE_LIGHT_COLOURS);
}

int CMapDocument::deleteLights(const std::vector<std::string>& names)
{
    int deleted = 0;
    lightChange(QStringLiteral("Delete light"), names, [&] {
        for (const std::string& name : names)
            deleted += mLevel.removeLight(name) ? 1 : 0;
    });
    return deleted;
}

bool CMapDocument::findLight(const std::string& name, SLight& light) const
{
    const SLevelLight* found = mScene ? mLevel.findLight(name) : nullptr;
    if (found)
        light = lightOf(*found);
    return found != nullptr;
}

std::vector<std::string> CMapDocument::lightNames() const
{
    std::vector<std::string> names;
    for (const SLevelLight& light : mLevel.lights())
        names.push_back(light.name);
    return names;
}

void CMapDocument::setAmbientLight(const Ogre::ColourValue& colour)
{
    const Ogre::ColourValue current = toOgre(mLevel.ambient());
    if (mScene && current != colour)
        mUndoStack.push(new CAmbientCommand(*this, current, colour));
}

// ---------------------------------------------------------------------------------------------
// Waypoints

bool CMapDocument::createWaypoints(int weight)
{
    return pieceChange(QStringLiteral("Create waypoint"), graphKeys(mSelection), [&] {
        for (const std::string& box : mSelection)
            mLevel.addWaypoint(box, weight);
    });
}

CMapDocument::SDeletion CMapDocument::removeWaypoints()
{
    SDeletion deletion;
    if (!mScene)
        return deletion;
    std::vector<std::string> monsters;
    for (const SLevelMonster& monster : mLevel.monsters()) {
        if (std::find(mSelection.begin(), mSelection.end(), monster.start) != mSelection.end())
            monsters.push_back(monster.name);
    }
    const auto keys = graphKeys(selectedWaypointsAndNeighbours(), monsters);
    pieceChange(QStringLiteral("Remove waypoint"), keys, [&] {
        // The level keeps a waypoint a monster starts on: such monsters go first.
        for (const std::string& name : monsters)
            deletion.monsters += mLevel.removeMonster(name) ? 1 : 0;
        for (const std::string& box : mSelection)
            deletion.waypoints += mLevel.removeWaypoint(box) ? 1 : 0;
    });
    return deletion;
}

bool CMapDocument::linkWaypoints(const std::vector<std::string>& boxNames)
{
    if (!mScene)
        return false;
    std::vector<std::string> ends = mSelection;
    ends.insert(ends.end(), boxNames.begin(), boxNames.end());
    return pieceChange(QStringLiteral("Add neighbour"), graphKeys(ends), [&] {
        for (const std::string& from : boxNames) {
            for (const std::string& to : mSelection)
                mLevel.link(from, to);
        }
    });
}

bool CMapDocument::unlinkWaypoints(const std::string& boxA, const std::string& boxB)
{
    return pieceChange(QStringLiteral("Remove neighbour"), graphKeys({boxA, boxB}),
                       [&] { mLevel.unlink(boxA, boxB); });
}

bool CMapDocument::setWaypointWeight(int weight)
{
    return pieceChange(QStringLiteral("Set weight"), graphKeys(mSelection), [&] {
        for (const std::string& box : mSelection)
            mLevel.setWeight(box, weight);
    });
}

std::vector<std::string> CMapDocument::waypointNames() const
{
    std::vector<std::string> names;
    for (const SLevelWaypoint& waypoint : mLevel.waypoints())
        names.push_back(waypoint.box);
    return names;
}

std::vector<std::string> CMapDocument::neighbourNames(const std::string& boxName) const
{
    const SLevelWaypoint* waypoint = mLevel.findWaypoint(boxName);
    return waypoint ? waypoint->neighbours : std::vector<std::string>();
}

bool CMapDocument::waypointWeight(const std::string& boxName, int& weight) const
{
    const SLevelWaypoint* waypoint = mLevel.findWaypoint(boxName);
    if (waypoint)
        weight = waypoint->weight;
    return waypoint != nullptr;
}

// ---------------------------------------------------------------------------------------------
// Start and finish points

void CMapDocument::applyPoints(const std::vector<std::string>& boxes, bool start)
{
    mLevel.setPoints(boxes, start);
    mScene->setPoints(boxes, start);
}

bool CMapDocument::pointsChange(bool start, bool add)
{
    if (!mScene)
        return false;
    std::vector<std::string> before = start ? mLevel.startPoints() : mLevel.finishPoints();
    for (const std::string& box : mSelection) {
        if (add)
            mLevel.addPoint(box, start);
        else
            mLevel.removePoint(box, start);
    }
    std::vector<std::string> after = start ? mLevel.startPoints() : mLevel.finishPoints();
    if (after == before)
        return false;
    const QString text =
        add ? (start ? QStringLiteral("Create start point") : QStringLiteral("Create finish point"))
            : (start ? QStringLiteral("Delete start point")
                     : QStringLiteral("Delete finish point"));
    mUndoStack.push(new CPointsCommand(*this, text, start, std::move(before), std::move(after)));
    return true;
}

bool CMapDocument::createPoints(bool start)
{
    return pointsChange(start, true);
}

bool CMapDocument::deletePoints(bool start)
{
    return pointsChange(start, false);
}

// ---------------------------------------------------------------------------------------------
// Monsters

bool CMapDocument::createMonster(int kind, const std::string& name)
{
    if (!mScene || !isAcceptableName(name) || kind < 0 || kind >= CMonster::kKindCount)
        return false;
    bool created = false;
    pieceChange(QStringLiteral("Create monster"), graphKeys({}, {name}), [&] {
        for (const std::string& box : mSelection) {
            if (mLevel.addMonster({kind, name, box})) {
                created = true;
                return;
            }
        }
    });
    return created;
}

int CMapDocument::deleteMonsters(const std::vector<std::string>& names)
{
    int deleted = 0;
    pieceChange(QStringLiteral("Delete monster"), graphKeys({}, names), [&] {
        for (const std::string& name : names)
            deleted += mLevel.removeMonster(name) ? 1 : 0;
    });
    return deleted;
}

std::vector<std::string> CMapDocument::monsterNames() const
{
    std::vector<std::string> names;
    for (const SLevelMonster& monster : mLevel.monsters())
        names.push_back(monster.name);
    return names;
}

void CMapDocument::selectMonsterStarts(const std::vector<std::string>& names)
{
    clearSelection();
    for (const SLevelMonster& monster : mLevel.monsters()) {
        if (std::find(names.begin(), names.end(), monster.name) != names.end())
            toggleSelection(monster.start);
    }
}
