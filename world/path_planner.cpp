// Dijkstra on the waypoint graph with a binary heap and lazy deletion: a node whose distance
// drops is pushed again and its older heap entries are skipped when they surface. The edges
// are kept in one flat array so that a search over ten thousand waypoints stays in the cache.
#include "world/path_planner.h"

#include <algorithm>
#include <cmath>

void CPathPlanner::reserve(size_t nodes, size_t edges)
{
    mTops.reserve(nodes);
    mEdgeFrom.reserve(edges);
    mAddedEdges.reserve(edges);
}

int CPathPlanner::addNode(const Ogre::Vector3& top)
{
    mTops.push_back(top);
    mPacked = false;
    return static_cast<int>(mTops.size()) - 1;
}

void CPathPlanner::addEdge(int from, int to)
{
    if (!isValid(from) || !isValid(to))
        return;
    mEdgeFrom.push_back(from);
    mAddedEdges.push_back({to, mTops[from].distance(mTops[to])});
    mPacked = false;
}

void CPathPlanner::packEdges()
{
    const size_t nodes = mTops.size();
    mFirstEdge.assign(nodes + 1, 0);
    for (int from : mEdgeFrom)
        ++mFirstEdge[from + 1];
    for (size_t i = 0; i < nodes; ++i)
        mFirstEdge[i + 1] += mFirstEdge[i];
    mEdges.resize(mAddedEdges.size());
    std::vector<int> fill(mFirstEdge.begin(), mFirstEdge.end() - 1);
    for (size_t e = 0; e < mAddedEdges.size(); ++e)
        mEdges[fill[mEdgeFrom[e]]++] = mAddedEdges[e];
    mPacked = true;
}

// Entries are ordered by distance and then by the order in which their node was first queued,
// so that equal distances are settled in the same order as a plain scan of the queue would
// settle them; the predecessors then come out the same.
bool CPathPlanner::SEntry::later(const SEntry& a, const SEntry& b)
{
    return a.distance > b.distance || (a.distance == b.distance && a.order > b.order);
}

void CPathPlanner::beginSearch(int start)
{
    if (!mPacked)
        packEdges();
    const size_t nodes = mTops.size();
    mDistance.assign(nodes, kUnreached);
    mPredecessor.assign(nodes, kNoNode);
    // A node's queue order is set when it is first queued; -1 means not queued yet.
    mQueueOrder.assign(nodes, -1);
    mDone.assign(nodes, 0);
    mQueue.clear();
    mQueue.reserve(nodes);
    mNextOrder = 0;
    mStart = start;
    if (!isValid(start))
        return;
    mDistance[start] = 0.0f;
    mQueueOrder[start] = mNextOrder++;
    mQueue.push_back({0.0f, mQueueOrder[start], start});
}

int CPathPlanner::settleNext()
{
    std::pop_heap(mQueue.begin(), mQueue.end(), SEntry::later);
    const SEntry entry = mQueue.back();
    mQueue.pop_back();
    const int current = entry.node;
    if (mDone[current] || entry.distance != mDistance[current])
        return kNoNode;
    mDone[current] = 1;
    return current;
}

void CPathPlanner::relax(int current)
{
    const float here = mDistance[current];
    for (int e = mFirstEdge[current]; e < mFirstEdge[current + 1]; ++e) {
        const SEdge& edge = mEdges[e];
        if (mDone[edge.to])
            continue;
        const float candidate = std::fabs(edge.cost + here);
        if (candidate >= mDistance[edge.to])
            continue;
        mDistance[edge.to] = candidate;
        mPredecessor[edge.to] = current;
        if (mQueueOrder[edge.to] < 0)
            mQueueOrder[edge.to] = mNextOrder++;
        mQueue.push_back({candidate, mQueueOrder[edge.to], edge.to});
        std::push_heap(mQueue.begin(), mQueue.end(), SEntry::later);
    }
}

bool CPathPlanner::advanceSearch(size_t maxSettled, size_t& settled)
{
    settled = 0;
    while (!mQueue.empty() && settled < maxSettled) {
        const int current = settleNext();
        if (current == kNoNode)
            continue;
        ++settled;
        relax(current);
    }
    return mQueue.empty();
}

CPathPlanner::STree CPathPlanner::takeTree()
{
    STree tree;
    tree.start = mStart;
    tree.predecessor = mPredecessor;
    return tree;
}

void CPathPlanner::search(int start, const std::vector<int>& goals)
{
    beginSearch(start);
    if (!isValid(start))
        return;

    // Goals still to be settled; with none given the search covers everything reachable.
    std::vector<std::uint8_t> isGoal(goals.empty() ? 0 : mTops.size(), 0);
    int goalsLeft = 0;
    for (int goal : goals) {
        if (isValid(goal) && !isGoal[goal]) {
            isGoal[goal] = 1;
            ++goalsLeft;
        }
    }
    const bool stopAtGoals = goalsLeft > 0;

    while (!mQueue.empty()) {
        const int current = settleNext();
        if (current == kNoNode)
            continue;
        if (stopAtGoals && isGoal[current] && --goalsLeft == 0)
            break;
        relax(current);
    }
}

int CPathPlanner::firstStepIn(const std::vector<int>& predecessor, int start, int goal) const
{
    if (!isValid(goal) || !isValid(start))
        return kNoNode;
    if (goal == start)
        return start;
    if (predecessor[goal] == kNoNode)
        return kNoNode;

    int node = goal;
    // The predecessors form a tree rooted at the start, so the walk ends there; the bound only
    // guards against a search that was never run for this start.
    for (size_t steps = 0; steps < mTops.size(); ++steps) {
        const int previous = predecessor[node];
        if (previous == start)
            return node;
        if (previous == kNoNode)
            return kNoNode;
        node = previous;
    }
    return kNoNode;
}

CPathPlanner::SPlan CPathPlanner::plan(int start, const std::vector<int>& goals, float strength)
{
    search(start, goals);
    if (!isValid(start))
        return SPlan();
    return planIn(mPredecessor, start, goals, strength);
}

CPathPlanner::STree CPathPlanner::searchTree(int start)
{
    search(start);
    return takeTree();
}

CPathPlanner::SPlan CPathPlanner::planOnTree(const STree& tree, const std::vector<int>& goals,
                                             float strength) const
{
    if (!isValid(tree.start) || tree.predecessor.size() != mTops.size())
        return SPlan();
    return planIn(tree.predecessor, tree.start, goals, strength);
}

CPathPlanner::SPlan CPathPlanner::planIn(const std::vector<int>& predecessor, int start,
                                         const std::vector<int>& goals, float strength) const
{
    SPlan result;
    const Ogre::Vector3& own = mTops[start];
    float nearest = 0.0f;
    for (int goal : goals) {
        if (!isValid(goal) || (goal != start && predecessor[goal] == kNoNode))
            continue;
        const float distance = own.distance(mTops[goal]);
        if (result.goal == kNoNode || distance < nearest) {
            result.goal = goal;
            nearest = distance;
        }
    }
    if (result.goal == kNoNode)
        return result;

    result.next = firstStepIn(predecessor, start, result.goal);
    if (result.next != start)
        result.direction = (mTops[result.next] - own).normalisedCopy() * strength;
    return result;
}
