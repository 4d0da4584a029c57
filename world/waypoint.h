// CWaypoint: a waypoint on one box, with an integer weight and symmetric links to its
// neighbours. Monsters start on waypoints and the slime plans its path over their graph.
#pragma once

#include <OgreVector.h>

#include <string>
#include <vector>

namespace Ogre {
class BillboardSet;
class Entity;
class ManualObject;
class SceneManager;
class SceneNode;
} // namespace Ogre

class CBox;

class CWaypoint
{
public:
    // visible: draw markers and link lines (editor mode).
    CWaypoint(int weight, Ogre::SceneManager* sceneManager, CBox* box, bool visible);
    ~CWaypoint();
    CWaypoint(const CWaypoint&) = delete;
    CWaypoint& operator=(const CWaypoint&) = delete;

    // Links both ways; false for itself or an existing neighbour.
    bool link(CWaypoint* other);
    // Removes the link both ways; false when there was none.
    bool unlink(CWaypoint* other);
    // Puts the listed neighbours first, in the list's order; the others follow as they were.
    // Names of waypoints that are not neighbours are passed over.
    void orderNeighbours(const std::vector<CWaypoint*>& first);

    // The top of the box: its node position raised by the top centre vertex's height.
    Ogre::Vector3 getPosition() const;
    // Editor mode: puts the post and the link lines (its own and its neighbours' lines to it)
    // where the box now is, after the box was moved or its top reshaped.
    void refreshMarkers();

    CBox* getBox() const { return mBox; }
    int getWeight() const { return mWeight; }
    void setWeight(int weight) { mWeight = weight; }
    const std::vector<CWaypoint*>& getNeighbours() const { return mNeighbours; }
    const std::string& getId() const { return mId; }
    bool isVisible() const { return mVisible; }

    // Counters shared by all waypoints: creations and links made so far.
    static unsigned long getCreatedCount();
    static unsigned long getLinkCount();
    // Changes whenever any waypoint graph may have changed: a waypoint made or destroyed, a link
    // made or removed, a box moved in the editor (refreshMarkers). Path searches kept from
    // before stay valid while it stands still.
    static unsigned long getGraphRevision();

private:
    void drawLink(CWaypoint* other);
    void drawLine(CWaypoint* other, const std::string& number);
    void redrawLink(CWaypoint* other);
    void eraseLink(CWaypoint* other);
    void createMarker();
    void destroyMarker();

    std::vector<CWaypoint*> mNeighbours;
    std::vector<Ogre::Entity*> mLines; // one per neighbour drawn from this side (editor mode)
    std::vector<CWaypoint*> mLineTargets;
    CBox* mBox;
    int mWeight;
    std::string mId;
    Ogre::SceneManager* mSceneManager;
    Ogre::BillboardSet* mBillboardSet = nullptr;
    Ogre::SceneNode* mNode = nullptr;
    Ogre::SceneNode* mLineNode = nullptr;
    bool mVisible;
};
