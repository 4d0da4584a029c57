// Ray query over the boxes' bounds, then the exact triangle test on the candidates.
#include "editor/box_picker.h"

#include "world/box.h"
#include "world/scene.h"

#include <OgreMath.h>
#include <OgreMovableObject.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreSceneQuery.h>

#include <limits>

namespace {

const char* const kEntityPrefix = "entity";

CBox* boxOf(const CScene& scene, const Ogre::MovableObject& object)
{
    std::string name = object.getName();
    if (object.getMovableType() == "Entity" && name.rfind(kEntityPrefix, 0) == 0)
        name.erase(0, std::char_traits<char>::length(kEntityPrefix));
    else if (object.getMovableType() != "ManualObject")
        return nullptr;
    CBox* box = scene.findBox(name);
    return box && box->getNode() == object.getParentSceneNode() ? box : nullptr;
}

} // namespace

SPick pickBox(const CScene& scene, const Ogre::Ray& ray)
{
    Ogre::SceneManager* sceneManager = scene.getSceneManager();
    // The query reads cached world bounds: bring them up to date after any edit.
    sceneManager->getRootSceneNode()->_update(true, false);
    Ogre::RaySceneQuery* query = sceneManager->createRayQuery(ray, kBoxQueryMask);
    query->setSortByDistance(true);

    SPick pick;
    float nearest = std::numeric_limits<float>::infinity();
    for (const Ogre::RaySceneQueryResultEntry& entry : query->execute()) {
        if (entry.distance > nearest)
            break; // sorted by the distance to the bounds: nothing further can be nearer
        if (!entry.movable)
            continue;
        CBox* box = boxOf(scene, *entry.movable);
        if (!box)
            continue;
        const Ogre::Node* node = box->getNode();
        const Ogre::Vector3 position = node->_getDerivedPosition();
        const Ogre::Quaternion orientation = node->_getDerivedOrientation();
        const Ogre::Vector3 scale = node->_getDerivedScale();
        for (const CBox::Triangle& local : box->getTriangles()) {
            Ogre::Vector3 corner[3];
            for (int i = 0; i < 3; ++i)
                corner[i] = position + orientation * (local[i] * scale);
            const auto hit =
                Ogre::Math::intersects(ray, corner[0], corner[1], corner[2], true, false);
            if (hit.first && hit.second < nearest) {
                nearest = hit.second;
                pick.box = box;
            }
        }
    }
    sceneManager->destroyQuery(query);
    if (pick.box)
        pick.point = ray.getPoint(nearest);
    return pick;
}
