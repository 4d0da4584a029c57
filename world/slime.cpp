// The slime: "ellipsoid.mesh" in "sphere", steered along the waypoint graph by CPathPlanner.
#include "world/slime.h"

#include "world/path_planner.h"
#include "world/scene.h"
#include "world/waypoint.h"

#include <OgreRoot.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
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

// Copies the waypoints' tops and links into a planner.
void buildPlanner(const std::vector<CWaypoint*>& waypoints, const CWaypointIndex& index,
                  CPathPlanner& planner)
{
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
}

} // namespace

// The waypoint graph of one scene as the slimes search it, shared by all its slimes. A whole
// search from each start is kept while the graph stays as it is, so a slime that plans from
// the same waypoint again (or from one another slime planned from) only walks the kept tree;
// its choice is the one a fresh search would make. The searches themselves go on a piece per
// frame: a slime whose tree is not ready steers in a later frame instead.
class CSlimeGraph
{
public:
    // Nodes a frame's searching may settle (a level of ten thousand waypoints takes four
    // frames); building the graph takes a whole frame's turn.
    static constexpr size_t kSettledPerFrame = 2500;
    static constexpr size_t kKeptTrees = 64;

    explicit CSlimeGraph(const CScene& scene) : mScene(scene) {}

    // Whether a plan from the waypoint can be made in this frame.
    bool canPlan(const CWaypoint* from)
    {
        startFrame();
        if (refresh())
            mBudget = 0;
        const int start = mIndex->find(from);
        if (start == CPathPlanner::kNoNode || mTrees.count(start))
            return true;
        if (mSearching == CPathPlanner::kNoNode) {
            mPlanner.beginSearch(start);
            mSearching = start;
        }
        if (mSearching != start || mBudget == 0)
            return false; // another slime's search goes first
        size_t settled = 0;
        const bool done = mPlanner.advanceSearch(mBudget, settled);
        mBudget -= std::min(settled, mBudget);
        if (!done)
            return false;
        keep(start, mPlanner.takeTree());
        mSearching = CPathPlanner::kNoNode;
        return true;
    }

    CPathPlanner::SPlan plan(const CWaypoint* from, const std::vector<const CWaypoint*>& goals,
                             float strength, CWaypoint*& next)
    {
        refresh();
        std::vector<int> goalNodes;
        for (const CWaypoint* goal : goals)
            goalNodes.push_back(mIndex->find(goal));
        const CPathPlanner::SPlan plan =
            mPlanner.planOnTree(tree(mIndex->find(from)), goalNodes, strength);
        next = plan.next == CPathPlanner::kNoNode ? nullptr : mWaypoints[plan.next];
        return plan;
    }

private:
    struct SKeptTree
    {
        CPathPlanner::STree tree;
        unsigned long lastUse = 0;
    };

    // Rebuilds the graph when a waypoint or link changed since it was built; true when it did.
    bool refresh()
    {
        const std::vector<CWaypoint*>& waypoints = mScene.getWaypoints();
        if (mIndex && mRevision == CWaypoint::getGraphRevision() && mWaypoints == waypoints)
            return false;
        mRevision = CWaypoint::getGraphRevision();
        mWaypoints = waypoints;
        mIndex = std::make_unique<CWaypointIndex>(mWaypoints);
        mPlanner = CPathPlanner();
        buildPlanner(mWaypoints, *mIndex, mPlanner);
        mTrees.clear();
        mSearching = CPathPlanner::kNoNode;
        return true;
    }

    // A new frame of the Ogre root renews the search budget; without a root nothing is held
    // back.
    void startFrame()
    {
        const Ogre::Root* root = Ogre::Root::getSingletonPtr();
        if (!root || root->getNextFrameNumber() != mFrame) {
            mFrame = root ? root->getNextFrameNumber() : 0;
            mBudget = kSettledPerFrame;
        }
    }

    const CPathPlanner::STree& tree(int start)
    {
        auto kept = mTrees.find(start);
        if (kept == mTrees.end()) {
            // A plan asked for outside the frame's turn: searched at once, whole.
            mSearching = CPathPlanner::kNoNode;
            kept = keep(start, mPlanner.searchTree(start));
        }
        kept->second.lastUse = ++mUses;
        return kept->second.tree;
    }

    std::unordered_map<int, SKeptTree>::iterator keep(int start, CPathPlanner::STree tree)
    {
        if (mTrees.size() >= kKeptTrees) {
            auto oldest = mTrees.begin();
            for (auto it = mTrees.begin(); it != mTrees.end(); ++it)
                if (it->second.lastUse < oldest->second.lastUse)
                    oldest = it;
            mTrees.erase(oldest);
        }
        return mTrees.insert_or_assign(start, SKeptTree{std::move(tree), ++mUses}).first;
    }

    const CScene& mScene;
    unsigned long mRevision = 0;
    std::vector<CWaypoint*> mWaypoints;
    std::unique_ptr<CWaypointIndex> mIndex;
    CPathPlanner mPlanner;
    std::unordered_map<int, SKeptTree> mTrees;
    int mSearching = CPathPlanner::kNoNode; // the start of the search under way
    unsigned long mUses = 0;
    unsigned long mFrame = 0;
    size_t mBudget = kSettledPerFrame;
};

namespace {

// The shared graph of a scene: made by its first slime, gone with its last.
std::shared_ptr<CSlimeGraph> sharedGraph(const CScene& scene)
{
    static std::map<const CScene*, std::weak_ptr<CSlimeGraph>> graphs;
    for (auto it = graphs.begin(); it != graphs.end();)
        it = it->second.expired() ? graphs.erase(it) : std::next(it);
    std::shared_ptr<CSlimeGraph> graph = graphs[&scene].lock();
    if (!graph) {
        graph = std::make_shared<CSlimeGraph>(scene);
        graphs[&scene] = graph;
    }
    return graph;
}

} // namespace

CSlime::CSlime(const std::string& name, CWaypoint* start, CScene& scene)
    : CMonster(name, KIND_SLIME, start, scene)
{
    createLook(kLook);
    createBody(kBody, [this](CPhysicsBody& body, float step) { applyHuntingForce(body, step); });
    if (!mEditorMode)
        mGraph = sharedGraph(scene);
}

CSlime::~CSlime() = default;

bool CSlime::update(const Ogre::FrameEvent& evt)
{
    returnIfFallen();
    if (steeringDue(evt.timeSinceLastFrame)) {
        if (mGraph && !mGraph->canPlan(mLastWaypoint)) {
            // Still due: the next frame tries again.
            mSteeringTimer = kSteeringInterval + evt.timeSinceLastFrame;
            return true;
        }
        Ogre::Vector3 direction;
        steer(direction);
        if (mBody)
            mBody->setVelocity(direction * kVelocityScale * evt.timeSinceLastFrame);
    }
    return true;
}

void CSlime::steer(Ogre::Vector3& direction)
{
    std::vector<const CWaypoint*> goals;
    for (size_t i = 0; i < mScene.getBallCount(); ++i)
        goals.push_back(mScene.getBallWaypoint(static_cast<int>(i)));
    if (mGraph) {
        mDirection = mGraph->plan(mLastWaypoint, goals, kStrength, mNextWaypoint).direction;
    } else {
        // The editor changes boxes and waypoints at will: a fresh graph every time.
        const std::vector<CWaypoint*>& waypoints = mScene.getWaypoints();
        const CWaypointIndex index(waypoints);
        CPathPlanner planner;
        buildPlanner(waypoints, index, planner);
        std::vector<int> goalNodes;
        for (const CWaypoint* goal : goals)
            goalNodes.push_back(index.find(goal));
        const CPathPlanner::SPlan plan =
            planner.plan(index.find(mLastWaypoint), goalNodes, kStrength);
        mNextWaypoint = plan.next == CPathPlanner::kNoNode ? nullptr : waypoints[plan.next];
        mDirection = plan.direction;
    }
    direction = mDirection;
}
