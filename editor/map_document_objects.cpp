// The map being edited: lights, waypoints, start and finish points and monsters, each change one
// undo step that keeps just what it changes.
#include "editor/map_document.h"

#include "editor/level_piece_command.h"
#include "editor/light_commands.h"
#include "editor/points_command.h"
#include "editor/undo_ids.h"
#include "world/box.h"
#include "world/monster.h"
#include "world/scene.h"
#include "world/waypoint.h"

#include <OgreLight.h>

#include <algorithm>

namespace {

const size_t kLightPrefixLength = 5; // the scene calls its lights "light" + name

SLevelPiece::SKeys graphKeys(std::vector<std::string> waypoints,
                             std::vector<std::string> monsters = {})
{
    SLevelPiece::SKeys keys;
    keys.waypoints = std::move(waypoints);
    keys.monsters = std::move(monsters);
    return keys;
}

} // namespace

bool CMapDocument::pieceChange(const QString& text, const SLevelPiece::SKeys& keys,
                               const std::function<void()>& change,
                               std::vector<std::string> reselect)
{
    if (!mScene)
        return false;
    SLevelPiece before = SLevelPiece::of(*mScene, keys);
    change();
    SLevelPiece after = SLevelPiece::of(*mScene, keys);
    if (after == before)
        return false;
    mUndoStack.push(new CLevelPieceCommand(*this, text, std::move(before), std::move(after),
                                           std::move(reselect)));
    return true;
}

std::vector<std::string> CMapDocument::selectedWaypointsAndNeighbours() const
{
    std::vector<std::string> names;
    for (const CBox* box : selection()) {
        const CWaypoint* waypoint = mScene->findWaypoint(box);
        if (!waypoint)
            continue;
        names.push_back(box->getName());
        for (const CWaypoint* neighbour : waypoint->getNeighbours())
            names.push_back(neighbour->getBox()->getName());
    }
    return names;
}

std::vector<CMapDocument::SLightState>
CMapDocument::lightStates(const std::vector<std::string>& names) const
{
    std::vector<SLightState> states;
    for (const std::string& name : names) {
        if (std::any_of(states.begin(), states.end(),
                        [&name](const SLightState& state) { return state.name == name; }))
            continue;
        SLightState state;
        state.name = name;
        const auto& lights = mScene->getLights();
        for (size_t i = 0; i < lights.size(); ++i) {
            if (lights[i]->getName().substr(kLightPrefixLength) == name)
                state.index = i;
        }
        state.exists = findLight(name, state.light);
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
        if (!state.exists)
            mScene->deleteLight(state.name);
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
        SLight current;
        if (findLight(state->name, current))
            mScene->setLightValues(state->name, light.position, light.diffuse, light.specular,
                                   light.range);
        else
            mScene->addLight(state->name, light.position, light.diffuse, light.specular,
                             light.range, state->index);
    }
}

// ---------------------------------------------------------------------------------------------
// Lights

CMapDocument::ELightResult CMapDocument::addLight(const std::string& name, const SLight& light)
{
    if (!mScene || !isAcceptableName(name) || !(light.range > 0.0f))
        return ELightResult::InvalidInput;
    SLight existing;
    if (findLight(name, existing))
        return ELightResult::NameTaken;
    const bool added = lightChange(QStringLiteral("Create light"), {name}, [&] {
        mScene->addLight(name, light.position, light.diffuse, light.specular, light.range);
    });
    // The scene also refuses a name whose light or node name is taken by something else.
    return added ? ELightResult::Created : ELightResult::NameTaken;
}

bool CMapDocument::editLights(const std::vector<std::string>& names, const SLight& light)
{
    if (!(light.range > 0.0f))
        return false;
    return lightChange(QStringLiteral("Edit light"), names, [&] {
        for (const std::string& name : names)
            mScene->setLightValues(name, light.position, light.diffuse, light.specular,
                                   light.range);
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
            for (const std::string& name : names)
                mScene->setLightColours(name, diffuse, specular, range);
        },
        MERGE_LIGHT_COLOURS);
}

int CMapDocument::deleteLights(const std::vector<std::string>& names)
{
    int deleted = 0;
    lightChange(QStringLiteral("Delete light"), names, [&] {
        for (const std::string& name : names)
            deleted += mScene->deleteLight(name) ? 1 : 0;
    });
    return deleted;
}

bool CMapDocument::findLight(const std::string& name, SLight& light) const
{
    return mScene &&
           mScene->getLightValues(name, light.position, light.diffuse, light.specular, light.range);
}

std::vector<std::string> CMapDocument::lightNames() const
{
    std::vector<std::string> names;
    if (mScene) {
        for (const Ogre::Light* light : mScene->getLights())
            names.push_back(light->getName().substr(kLightPrefixLength));
    }
    return names;
}

void CMapDocument::setAmbientLight(const Ogre::ColourValue& colour)
{
    if (mScene && mScene->getAmbientLight() != colour)
        mUndoStack.push(new CAmbientCommand(*this, mScene->getAmbientLight(), colour));
}

// ---------------------------------------------------------------------------------------------
// Waypoints

bool CMapDocument::createWaypoints(int weight)
{
    return pieceChange(QStringLiteral("Create waypoint"), graphKeys(selectedBoxNames()),
                       [&] { mScene->addWaypointsOnSelection(weight); });
}

CMapDocument::SDeletion CMapDocument::removeWaypoints()
{
    SDeletion deletion;
    if (!mScene)
        return deletion;
    std::vector<std::string> monsters;
    for (const CMonster* monster : mScene->getMonsters()) {
        const CWaypoint* start = monster->getStartWaypoint();
        const std::vector<CBox*> boxes = selection();
        if (start && std::find(boxes.begin(), boxes.end(), start->getBox()) != boxes.end())
            monsters.push_back(monster->getName());
    }
    const auto keys = graphKeys(selectedWaypointsAndNeighbours(), std::move(monsters));
    pieceChange(QStringLiteral("Remove waypoint"), keys, [&] {
        for (CBox* box : selection()) {
            const CWaypoint* waypoint = mScene->findWaypoint(box);
            if (!waypoint)
                continue;
            // The scene keeps a waypoint a monster starts on: such monsters go first.
            std::vector<std::string> starting;
            for (const CMonster* monster : mScene->getMonsters()) {
                if (monster->getStartWaypoint() == waypoint)
                    starting.push_back(monster->getName());
            }
            for (const std::string& name : starting)
                deletion.monsters += mScene->deleteMonster(name) ? 1 : 0;
            deletion.waypoints += mScene->removeWaypoint(box) ? 1 : 0;
        }
    });
    return deletion;
}

bool CMapDocument::linkWaypoints(const std::vector<std::string>& boxNames)
{
    if (!mScene)
        return false;
    std::vector<std::string> ends = selectedBoxNames();
    ends.insert(ends.end(), boxNames.begin(), boxNames.end());
    return pieceChange(QStringLiteral("Add neighbour"), graphKeys(ends), [&] {
        for (const std::string& name : boxNames) {
            CBox* from = mScene->findBox(name);
            for (CBox* to : selection())
                mScene->linkWaypoints(from, to);
        }
    });
}

bool CMapDocument::unlinkWaypoints(const std::string& boxA, const std::string& boxB)
{
    return pieceChange(QStringLiteral("Remove neighbour"), graphKeys({boxA, boxB}), [&] {
        mScene->unlinkWaypoints(mScene->findBox(boxA), mScene->findBox(boxB));
    });
}

bool CMapDocument::setWaypointWeight(int weight)
{
    return pieceChange(QStringLiteral("Set weight"), graphKeys(selectedBoxNames()),
                       [&] { mScene->setWeightOnSelection(weight); });
}

std::vector<std::string> CMapDocument::waypointNames() const
{
    std::vector<std::string> names;
    if (mScene) {
        for (const CWaypoint* waypoint : mScene->getWaypoints())
            names.push_back(waypoint->getBox()->getName());
    }
    return names;
}

std::vector<std::string> CMapDocument::neighbourNames(const std::string& boxName) const
{
    std::vector<std::string> names;
    const CWaypoint* waypoint = mScene ? mScene->findWaypoint(mScene->findBox(boxName)) : nullptr;
    if (waypoint) {
        for (const CWaypoint* neighbour : waypoint->getNeighbours())
            names.push_back(neighbour->getBox()->getName());
    }
    return names;
}

bool CMapDocument::waypointWeight(const std::string& boxName, int& weight) const
{
    const CWaypoint* waypoint = mScene ? mScene->findWaypoint(mScene->findBox(boxName)) : nullptr;
    if (waypoint)
        weight = waypoint->getWeight();
    return waypoint != nullptr;
}

// ---------------------------------------------------------------------------------------------
// Start and finish points

std::vector<std::string> CMapDocument::pointNames(bool start) const
{
    std::vector<std::string> names;
    for (const CBox* box : start ? mScene->getStartBoxes() : mScene->getFinishBoxes())
        names.push_back(box->getName());
    return names;
}

void CMapDocument::applyPoints(const std::vector<std::string>& boxes, bool start)
{
    std::vector<CBox*> points;
    for (const std::string& name : boxes) {
        if (CBox* box = mScene->findBox(name))
            points.push_back(box);
    }
    mScene->setPoints(points, start);
}

bool CMapDocument::pointsChange(bool start, bool add)
{
    if (!mScene)
        return false;
    std::vector<std::string> before = pointNames(start);
    if (add && start)
        mScene->addSelectedAsStartPoints();
    else if (add)
        mScene->addSelectedAsFinishPoints();
    else if (start)
        mScene->removeSelectedFromStartPoints();
    else
        mScene->removeSelectedFromFinishPoints();
    std::vector<std::string> after = pointNames(start);
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
        for (CBox* box : selection()) {
            CWaypoint* waypoint = mScene->findWaypoint(box);
            if (waypoint && mScene->addMonster(kind, name, waypoint)) {
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
            deleted += mScene->deleteMonster(name) ? 1 : 0;
    });
    return deleted;
}

std::vector<std::string> CMapDocument::monsterNames() const
{
    std::vector<std::string> names;
    if (mScene) {
        for (const CMonster* monster : mScene->getMonsters())
            names.push_back(monster->getName());
    }
    return names;
}

void CMapDocument::selectMonsterStarts(const std::vector<std::string>& names)
{
    if (!mScene)
        return;
    mScene->clearSelection();
    for (const CMonster* monster : mScene->getMonsters()) {
        const CWaypoint* start = monster->getStartWaypoint();
        if (start && std::find(names.begin(), names.end(), monster->getName()) != names.end())
            mScene->addToSelection(start->getBox());
    }
}
