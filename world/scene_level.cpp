// Putting a level model on screen and reading back the level the scene shows.
#include "world/scene.h"

#include "world/box.h"
#include "world/box_grid.h"
#include "world/level_ogre.h"
#include "world/monster.h"
#include "world/waypoint.h"

#include <OgreLight.h>
#include <OgreSceneNode.h>

namespace {

const size_t kLightNamePrefixLength = 5; // scene lights are called "light" + name

} // namespace

void CScene::realise(const CLevel& level)
{
    for (const SLevelGrid& grid : level.grids()) {
        for (const SLevelBox& box : grid.boxes) {
            const CBox::Vertices vertices = toOgre(box.vertices);
            addBox(box.name, box.material, grid.name, toOgre(box.position), &vertices,
                   box.fitTexture);
        }
    }
    for (const SLevelLight& light : level.lights())
        addLight(light.name, toOgre(light.position), toOgre(light.diffuse), toOgre(light.specular),
                 light.range);
    setAmbientLight(toOgre(level.ambient()));
    for (const std::string& box : level.startPoints())
        addPoint(findBox(box), true);
    for (const std::string& box : level.finishPoints())
        addPoint(findBox(box), false);
    for (const SLevelWaypoint& waypoint : level.waypoints())
        addWaypoint(findBox(waypoint.box), waypoint.weight);
    for (const SLevelWaypoint& waypoint : level.waypoints()) {
        CBox* box = findBox(waypoint.box);
        std::vector<CWaypoint*> neighbours;
        for (const std::string& neighbour : waypoint.neighbours) {
            CBox* other = findBox(neighbour);
            linkWaypoints(box, other);
            neighbours.push_back(findWaypoint(other));
        }
        if (CWaypoint* made = findWaypoint(box))
            made->orderNeighbours(neighbours);
    }
    for (const SLevelMonster& monster : level.monsters())
        addMonster(monster.kind, monster.name, findWaypoint(findBox(monster.start)));
}

CLevel CScene::shownLevel() const
{
    CLevel level;
    for (const auto& grid : getGrids()) {
        for (const auto& box : grid->getBoxes()) {
            SLevelBox plain;
            plain.name = box->getName();
            plain.material = box->getMaterialName();
            plain.position = toLevel(box->getPosition());
            plain.vertices = toLevel(box->getVertices());
            plain.fitTexture = box->getFitTexture();
            level.addBox(grid->getName(), std::move(plain));
        }
    }
    for (const Ogre::Light* light : getLights()) {
        SLevelLight plain;
        const std::string& name = light->getName();
        plain.name = name.size() > kLightNamePrefixLength ? name.substr(kLightNamePrefixLength)
                                                          : std::string();
        if (light->getParentSceneNode())
            plain.position = toLevel(light->getParentSceneNode()->getPosition());
        plain.diffuse = toLevel(light->getDiffuseColour());
        plain.specular = toLevel(light->getSpecularColour());
        plain.range = light->getAttenuationRange();
        level.addLight(plain);
    }
    level.setAmbient(toLevel(getAmbientLight()));
    for (const CBox* box : getStartBoxes())
        level.addPoint(box->getName(), true);
    for (const CBox* box : getFinishBoxes())
        level.addPoint(box->getName(), false);
    for (const CWaypoint* waypoint : getWaypoints())
        level.addWaypoint(waypoint->getBox()->getName(), waypoint->getWeight());
    for (const CWaypoint* waypoint : getWaypoints()) {
        std::vector<std::string> neighbours;
        for (const CWaypoint* neighbour : waypoint->getNeighbours()) {
            neighbours.push_back(neighbour->getBox()->getName());
            level.link(waypoint->getBox()->getName(), neighbours.back());
        }
        level.orderNeighbours(waypoint->getBox()->getName(), neighbours);
    }
    for (const CMonster* monster : getMonsters()) {
        const CWaypoint* start = monster->getStartWaypoint();
        level.addMonster({monster->getKind(), monster->getName(),
                          start && start->getBox() ? start->getBox()->getName() : ""});
    }
    return level;
}
