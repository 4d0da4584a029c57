// CWaypoint: a waypoint on one box, with an integer weight and symmetric links to its
// neighbours. Monsters start on waypoints and the slime plans its path over their graph.
#pragma once

#include <OgreVector.h>

#include <string>
#include <vector>

class CBox;

class CWaypoint
{
public:
    CWaypoint(int weight, CBox* box);
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

    CBox* getBox() const { return mBox; }
    int getWeight() const { return mWeight; }
    void setWeight(int weight) { mWeight = weight; }
    const std::vector<CWaypoint*>& getNeighbours() const { return mNeighbours; }

    // How many waypoints were made so far, by all scenes.
    static unsigned long getCreatedCount();
    // Changes whenever any waypoint graph may have changed: a waypoint made or destroyed, a link
    // made, removed or reordered. Path searches kept from before stay valid while it stands
    // still.
    static unsigned long getGraphRevision();

private:
    std::vector<CWaypoint*> mNeighbours;
    CBox* mBox;
    int mWeight;
};
