// The slime: "ellipsoid.mesh" in "sphere", steered along the waypoint graph by CPathPlanner.
#include "world/slime.h"

#include "world/path_planner.h"
#include "world/scene.h"
#include "world/waypoint.h"

#include <unordered_map>

namespace {

const CMonster::SKindLook kLook{"ellipsoid.mesh", "sphere", 1.0f};

} // namespace

CSlime::CSlime(const std::string& name, CWaypoint* start, CScene& scene)
    : CMonster(name, KIND_SLIME, start, scene)
{
    createLook(kLook);
    createBody({ECollision::ELLIPSOID, 10.0f, kRespawnHeight},
               [this](CPhysicsBody& body, float step) { applyHuntingForce(body, step); });
}

bool CSlime::update(const Ogre::FrameEvent& evt)
{
    returnIfFallen();
    if (steeringDue(evt.timeSinceLastFrame)) {
        Ogre::Vector3 direction;
        steer(direction);
        if (mBody)
            mBody->setVelocity(direction * kVelocityScale * evt.timeSinceLastFrame);
    }
    return true;
}

void CSlime::steer(Ogre::Vector3& direction)
{
    // A fresh graph every time: the editor may have changed the waypoints, and the copy is
    // cheap next to the search itself.
    const std::vector<CWaypoint*>& waypoints = mScene.getWaypoints();
    CPathPlanner planner;
    std::unordered_map<const CWaypoint*, int> nodes;
    nodes.reserve(waypoints.size());
    for (const CWaypoint* waypoint : waypoints)
        nodes.emplace(waypoint, planner.addNode(waypoint->getPosition()));
    for (const CWaypoint* waypoint : waypoints) {
        const int from = nodes[waypoint];
        for (const CWaypoint* neighbour : waypoint->getNeighbours()) {
            const auto found = nodes.find(neighbour);
            if (found != nodes.end())
                planner.addEdge(from, found->second);
        }
    }
    auto nodeOf = [&nodes](const CWaypoint* waypoint) {
        const auto found = nodes.find(waypoint);
        return found == nodes.end() ? CPathPlanner::kNoNode : found->second;
    };

    std::vector<int> goals;
    for (size_t i = 0; i < mScene.getBallCount(); ++i)
        goals.push_back(nodeOf(mScene.getBallWaypoint(static_cast<int>(i))));

    const CPathPlanner::SPlan plan = planner.plan(nodeOf(mLastWaypoint), goals, kStrength);
    mNextWaypoint = plan.next == CPathPlanner::kNoNode ? nullptr : waypoints[plan.next];
    mDirection = plan.direction;
    direction = mDirection;
}
