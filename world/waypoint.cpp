// Waypoints and their symmetric links.
#include "world/waypoint.h"

#include "world/box.h"

#include <algorithm>

namespace {
unsigned long sWaypointCounter = 0;
unsigned long sLinkCounter = 0;
} // namespace

unsigned long CWaypoint::getCreatedCount()
{
    return sWaypointCounter;
}

unsigned long CWaypoint::getLinkCount()
{
    return sLinkCounter;
}

CWaypoint::CWaypoint(int weight, Ogre::SceneManager* sceneManager, CBox* box, bool visible)
    : mBox(box), mWeight(weight), mSceneManager(sceneManager), mVisible(visible)
{
    mId = std::to_string(++sWaypointCounter);
    if (mVisible)
        createMarker();
}

CWaypoint::~CWaypoint()
{
    for (CWaypoint* other : std::vector<CWaypoint*>(mNeighbours))
        unlink(other);
    if (mVisible)
        destroyMarker();
}

bool CWaypoint::link(CWaypoint* other)
{
    if (!other || other == this ||
        std::find(mNeighbours.begin(), mNeighbours.end(), other) != mNeighbours.end())
        return false;
    mNeighbours.push_back(other);
    other->link(this);
    ++sLinkCounter;
    if (mVisible)
        drawLink(other);
    return true;
}

bool CWaypoint::unlink(CWaypoint* other)
{
    auto it = std::find(mNeighbours.begin(), mNeighbours.end(), other);
    if (it == mNeighbours.end())
        return false;
    mNeighbours.erase(it);
    if (mVisible)
        eraseLink(other);
    other->unlink(this);
    return true;
}

Ogre::Vector3 CWaypoint::getPosition() const
{
    return mBox ? mBox->getTopCentre() : Ogre::Vector3::ZERO;
}

void CWaypoint::createMarker()
{
}

void CWaypoint::destroyMarker()
{
}

void CWaypoint::drawLink(CWaypoint*)
{
}

void CWaypoint::eraseLink(CWaypoint*)
{
}
