// The slime: "ellipsoid.mesh" in "sphere", steered along the waypoint graph by CPathPlanner.
#include "world/slime.h"

#include "world/path_planner.h"
#include "world/scene.h"
#include "world/waypoint.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace {

// The kind: mesh, material (nullptr: the mesh's own), scale; collision, mass, start height.
const CMonster::SKindLook kLook{"ellipsoid.mesh", "sphere", 1.0f};
const CMonster::SKindBody kBody{CMonster::ECollision::ELLIPSOID, 10.0f, CMonster::kRespawnHeight};

// The position of each waypoint in the scene's list, found by its address. Open addressing in
// one array: a level of ten thousand waypoints is indexed without ten thousand allocations.
class CWaypointIndex
{
public:
    explicit CWaypointIndex(const std::vector<CWaypoint*>& waypoints)
    {
        size_t capacity = kMinimumCapacity;
        while (capacity < waypoints.size() * 2)
            capacity *= 2;
        mMask = capacity - 1;
        mSlots.assign(capacity, {nullptr, CPathPlanner::kNoNode});
        for (size_t i = 0; i < waypoints.size(); ++i) {
            size_t slot = slotOf(waypoints[i]);
            while (mSlots[slot].first && mSlots[slot].first != waypoints[i])
                slot = (slot + 1) & mMask;
            mSlots[slot] = {waypoints[i], static_cast<int>(i)};
        }
    }

    int find(const CWaypoint* waypoint) const
    {
        if (!waypoint)
            return CPathPlanner::kNoNode;
        for (size_t slot = slotOf(waypoint);; slot = (slot + 1) & mMask) {
            if (mSlots[slot].first == waypoint)
                return mSlots[slot].second;
            if (!mSlots[slot].first)
                return CPathPlanner::kNoNode;
        }
    }

private:
    static constexpr size_t kMinimumCapacity = 16;

    size_t slotOf(const CWaypoint* waypoint) const
    {
        // Fibonacci hashing spreads the aligned addresses over the table.
        const std::uint64_t address = reinterpret_cast<std::uintptr_t>(waypoint);
        return static_cast<size_t>((address * 0x9E3779B97F4A7C15ull) >> 32) & mMask;
    }

    std::vector<std::pair<const CWaypoint*, int>> mSlots;
    size_t mMask = 0;
};

} // namespace

CSlime::CSlime(const std::string& name, CWaypoint* start, CScene& scene)
    : CMonster(name, KIND_SLIME, start, scene)
{
    createLook(kLook);
    createBody(kBody, [this](CPhysicsBody& body, float step) { applyHuntingForce(body, step); });
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
    const CWaypointIndex index(waypoints);
    CPathPlanner planner;
    size_t links = 0;
    for (const CWaypoint* waypoint : waypoints)
        links += waypoint->getNeighbours().size();
    planner.reserve(waypoints.size(), links);
    for (const CWaypoint* waypoint : waypoints)
        planner.addNode(waypoint->getPosition());
    for (size_t i = 0; i < waypoints.size(); ++i) {
        for (const CWaypoint* neighbour : waypoints[i]->getNeighbours()) {
            const int to = index.find(neighbour);
            if (to != CPathPlanner::kNoNode)
                planner.addEdge(static_cast<int>(i), to);
        }
    }

    std::vector<int> goals;
    for (size_t i = 0; i < mScene.getBallCount(); ++i)
        goals.push_back(index.find(mScene.getBallWaypoint(static_cast<int>(i))));

    const CPathPlanner::SPlan plan = planner.plan(index.find(mLastWaypoint), goals, kStrength);
    mNextWaypoint = plan.next == CPathPlanner::kNoNode ? nullptr : waypoints[plan.next];
    mDirection = plan.direction;
    direction = mDirection;
}
