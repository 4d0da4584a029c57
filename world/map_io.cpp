// Map files to scenes and back, through the level model.
#include "world/map_io.h"

#include "world/box.h"
#include "world/box_grid.h"
#include "world/level_ogre.h"
#include "world/monster.h"
#include "world/scene.h"
#include "world/waypoint.h"

#include <OgreLight.h>
#include <OgreSceneNode.h>

#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

const size_t kLightNamePrefixLength = 5; // scene lights are called "light" + name

} // namespace

bool CIOMap::openForReading(const std::string& path)
{
    mLines.clear();
    std::ifstream in(path, std::ios::in | std::ios::binary);
    // A folder opens like a file here but reads as nothing: it is no map either.
    std::error_code error;
    if (!in || std::filesystem::is_directory(path, error)) {
        std::cerr << "CIOMap: Can't open file: " << path << "!" << std::endl;
        return false;
    }
    mLines = splitMapLines(in);
    return true;
}

void CIOMap::readIntoScene(CScene& scene)
{
    buildInScene(readMap(mLines), scene);
}

void CIOMap::buildInScene(const CLevel& level, CScene& scene)
{
    for (const SLevelGrid& grid : level.grids()) {
        for (const SLevelBox& box : grid.boxes) {
            const CBox::Vertices vertices = toOgre(box.vertices);
            scene.addBox(box.name, box.material, grid.name, toOgre(box.position), &vertices,
                         box.fitTexture);
        }
    }
    for (const SLevelLight& light : level.lights())
        scene.addLight(light.name, toOgre(light.position), toOgre(light.diffuse),
                       toOgre(light.specular), light.range);
    scene.setAmbientLight(toOgre(level.ambient()));
    for (const std::string& box : level.startPoints())
        scene.addPoint(scene.findBox(box), true);
    for (const std::string& box : level.finishPoints())
        scene.addPoint(scene.findBox(box), false);
    for (const SLevelWaypoint& waypoint : level.waypoints())
        scene.addWaypoint(scene.findBox(waypoint.box), waypoint.weight);
    for (const SLevelWaypoint& waypoint : level.waypoints()) {
        CBox* box = scene.findBox(waypoint.box);
        std::vector<CWaypoint*> neighbours;
        for (const std::string& neighbour : waypoint.neighbours) {
            CBox* other = scene.findBox(neighbour);
            scene.linkWaypoints(box, other);
            neighbours.push_back(scene.findWaypoint(other));
        }
        if (CWaypoint* made = scene.findWaypoint(box))
            made->orderNeighbours(neighbours);
    }
    for (const SLevelMonster& monster : level.monsters())
        scene.addMonster(monster.kind, monster.name,
                         scene.findWaypoint(scene.findBox(monster.start)));
}

CLevel CIOMap::levelOf(const CScene& scene)
{
    CLevel level;
    for (const auto& grid : scene.getGrids()) {
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
    for (const Ogre::Light* light : scene.getLights()) {
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
    level.setAmbient(toLevel(scene.getAmbientLight()));
    for (const CBox* box : scene.getStartBoxes())
        level.addPoint(box->getName(), true);
    for (const CBox* box : scene.getFinishBoxes())
        level.addPoint(box->getName(), false);
    for (const CWaypoint* waypoint : scene.getWaypoints())
        level.addWaypoint(waypoint->getBox()->getName(), waypoint->getWeight());
    for (const CWaypoint* waypoint : scene.getWaypoints()) {
        std::vector<std::string> neighbours;
        for (const CWaypoint* neighbour : waypoint->getNeighbours()) {
            neighbours.push_back(neighbour->getBox()->getName());
            level.link(waypoint->getBox()->getName(), neighbours.back());
        }
        level.orderNeighbours(waypoint->getBox()->getName(), neighbours);
    }
    for (const CMonster* monster : scene.getMonsters()) {
        const CWaypoint* start = monster->getStartWaypoint();
        level.addMonster({monster->getKind(), monster->getName(),
                          start && start->getBox() ? start->getBox()->getName() : ""});
    }
    return level;
}
