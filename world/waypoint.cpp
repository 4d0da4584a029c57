// Waypoints and their symmetric links.
#include "world/waypoint.h"

#include "world/box.h"

#include <algorithm>

namespace {
unsigned long sWaypointCounter = 0;
unsigned long sGraphRevision = 0;
} // namespace

unsigned long CWaypoint::getCreatedCount()
{
    return sWaypointCounter;
}

unsigned long CWaypoint::getGraphRevision()
{
    return sGraphRevision;
}

CWaypoint::CWaypoint(int weight, CBox* box) : mBox(box), mWeight(weight)
{
    ++sWaypointCounter;
    ++sGraphRevision;
}

CWaypoint::~CWaypoint()
{
    ++sGraphRevision;
    for (CWaypoint* other : std::vector<CWaypoint*>(mNeighbours))
        unlink(other);
}

bool CWaypoint::link(CWaypoint* other)
{
    if (!other || other == this ||
        std::find(mNeighbours.begin(), mNeighbours.end(), other) != mNeighbours.end())
        return false;
    mNeighbours.push_back(other);
    other->link(this);
    ++sGraphRevision;
    return true;
}

bool CWaypoint::unlink(CWaypoint* other)
{
    auto it = std::find(mNeighbours.begin(), mNeighbours.end(), other);
    if (it == mNeighbours.end())
        return false;
    mNeighbours.erase(it);
    ++sGraphRevision;
    other->unlink(this);
    return true;
}

void CWaypoint::orderNeighbours(const std::vector<CWaypoint*>& first)
{
    std::vector<CWaypoint*> ordered;
    for (CWaypoint* neighbour : first) {
        if (std::find(mNeighbours.begin(), mNeighbours.end(), neighbour) != mNeighbours.end() &&
            std::find(ordered.begin(), ordered.end(), neighbour) == ordered.end())
            ordered.push_back(neighbour);
    }
    for (CWaypoint* neighbour : mNeighbours) {
        if (std::find(ordered.begin(), ordered.end(), neighbour) == ordered.end())
            ordered.push_back(neighbour);
    }
    if (ordered != mNeighbours)
        ++sGraphRevision;
    mNeighbours = std::move(ordered);
}

Ogre::Vector3 CWaypoint::getPosition() const
{
    return mBox ? mBox->getTopCentre() : Ogre::Vector3::ZERO;
}
