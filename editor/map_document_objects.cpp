// The map being edited: lights, waypoints, start and finish points and monsters, each change one
// undo step kept as the map text before and after it.
#include "editor/map_document.h"

#include "editor/snapshot_command.h"
#include "world/box.h"
#include "world/monster.h"
#include "world/scene.h"
#include "world/waypoint.h"

#include <OgreLight.h>

#include <algorithm>

namespace {

constexpr int kAmbientMergeId = 2;
constexpr int kLightColourMergeId = 3;
const size_t kLightPrefixLength = 5; // the scene calls its lights "light" + name

} // namespace

template <typename Change>
bool CMapDocument::snapshotChange(const QString& text, Change&& change, int mergeId)
{
    if (!mScene)
        return false;
    std::string before = mapText();
    change();
    std::string after = mapText();
    if (after == before)
        return false;
    mUndoStack.push(
        new CSnapshotCommand(*this, text, std::move(before), std::move(after), mergeId));
    return true;
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
    bool added = false;
    snapshotChange(QStringLiteral("Create light"), [&] {
        added = mScene->addLight(name, light.position, light.diffuse, light.specular, light.range);
    });
    // The scene also refuses a name whose node or marker is taken by something else.
    return added ? ELightResult::Created : ELightResult::NameTaken;
}

bool CMapDocument::editLights(const std::vector<std::string>& names, const SLight& light)
{
    if (!(light.range > 0.0f))
        return false;
    return snapshotChange(QStringLiteral("Edit light"), [&] {
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
    return snapshotChange(
        QStringLiteral("Change light colours"),
        [&] {
            for (const std::string& name : names)
                mScene->setLightColours(name, diffuse, specular, range);
        },
        kLightColourMergeId);
}

int CMapDocument::deleteLights(const std::vector<std::string>& names)
{
    int deleted = 0;
    snapshotChange(QStringLiteral("Delete light"), [&] {
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
    snapshotChange(
        QStringLiteral("Ambient light"), [&] { mScene->setAmbientLight(colour); }, kAmbientMergeId);
}

// ---------------------------------------------------------------------------------------------
// Waypoints

bool CMapDocument::createWaypoints(int weight)
{
    return snapshotChange(QStringLiteral("Create waypoint"),
                          [&] { mScene->addWaypointsOnSelection(weight); });
}

CMapDocument::SDeletion CMapDocument::removeWaypoints()
{
    SDeletion deletion;
    snapshotChange(QStringLiteral("Remove waypoint"), [&] {
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
    return snapshotChange(QStringLiteral("Add neighbour"), [&] {
        for (const std::string& name : boxNames) {
            CBox* from = mScene->findBox(name);
            for (CBox* to : selection())
                mScene->linkWaypoints(from, to);
        }
    });
}

bool CMapDocument::unlinkWaypoints(const std::string& boxA, const std::string& boxB)
{
    return snapshotChange(QStringLiteral("Remove neighbour"), [&] {
        mScene->unlinkWaypoints(mScene->findBox(boxA), mScene->findBox(boxB));
    });
}

bool CMapDocument::setWaypointWeight(int weight)
{
    return snapshotChange(QStringLiteral("Set weight"),
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

bool CMapDocument::createPoints(bool start)
{
    return snapshotChange(
        start ? QStringLiteral("Create start point") : QStringLiteral("Create finish point"), [&] {
            if (start)
                mScene->addSelectedAsStartPoints();
            else
                mScene->addSelectedAsFinishPoints();
        });
}

bool CMapDocument::deletePoints(bool start)
{
    return snapshotChange(
        start ? QStringLiteral("Delete start point") : QStringLiteral("Delete finish point"), [&] {
            if (start)
                mScene->removeSelectedFromStartPoints();
            else
                mScene->removeSelectedFromFinishPoints();
        });
}

// ---------------------------------------------------------------------------------------------
// Monsters

bool CMapDocument::createMonster(int kind, const std::string& name)
{
    if (!mScene || !isAcceptableName(name) || kind < 0 || kind >= CMonster::kKindCount)
        return false;
    bool created = false;
    snapshotChange(QStringLiteral("Create monster"), [&] {
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
    snapshotChange(QStringLiteral("Delete monster"), [&] {
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
