// Dijkstra on the waypoint graph with a binary heap and lazy deletion: a node whose distance
// drops is pushed again and its older heap entries are skipped when they surface.
#include "world/path_planner.h"

#include <cmath>
#include <queue>

int CPathPlanner::addNode(const Ogre::Vector3& top)
{
    SNode node;
    node.top = top;
    mNodes.push_back(std::move(node));
    return static_cast<int>(mNodes.size()) - 1;
}

void CPathPlanner::addEdge(int from, int to)
{
    if (!isValid(from) || !isValid(to))
        return;
    mNodes[from].edges.push_back({to, mNodes[from].top.distance(mNodes[to].top)});
}

void CPathPlanner::search(int start)
{
    for (SNode& node : mNodes) {
        node.distance = kUnreached;
        node.predecessor = kNoNode;
        node.done = false;
        node.queued = false;
    }
    mStart = start;
    if (!isValid(start))
        return;

    // Entries are ordered by distance and then by the order in which their node was first
    // queued, so that equal distances are settled in the same order as a plain scan of the
    // queue would settle them; the predecessors then come out the same.
    struct SEntry
    {
        float distance;
        int order;
        int node;
    };
    auto later = [](const SEntry& a, const SEntry& b) {
        return a.distance > b.distance || (a.distance == b.distance && a.order > b.order);
    };
    std::priority_queue<SEntry, std::vector<SEntry>, decltype(later)> queue(later);

    int nextOrder = 0;
    SNode& first = mNodes[start];
    first.distance = 0.0f;
    first.queued = true;
    first.queueOrder = nextOrder++;
    queue.push({first.distance, first.queueOrder, start});

    while (!queue.empty()) {
        const SEntry entry = queue.top();
        queue.pop();
        SNode& current = mNodes[entry.node];
        if (current.done || entry.distance != current.distance)
            continue;
        current.done = true;

        for (const SEdge& edge : current.edges) {
            SNode& neighbour = mNodes[edge.to];
            if (neighbour.done)
                continue;
            const float candidate = std::fabs(edge.cost + current.distance);
            if (candidate >= neighbour.distance)
                continue;
            neighbour.distance = candidate;
            neighbour.predecessor = entry.node;
            if (!neighbour.queued) {
                neighbour.queued = true;
                neighbour.queueOrder = nextOrder++;
            }
            queue.push({candidate, neighbour.queueOrder, edge.to});
        }
    }
}

int CPathPlanner::firstStep(int goal) const
{
    if (!isValid(goal) || !isValid(mStart))
        return kNoNode;
    if (goal == mStart)
        return mStart;
    if (mNodes[goal].predecessor == kNoNode)
        return kNoNode;

    int node = goal;
    // The predecessors form a tree rooted at the start, so the walk ends there; the bound only
    // guards against a search that was never run for this start.
    for (size_t steps = 0; steps < mNodes.size(); ++steps) {
        const int predecessor = mNodes[node].predecessor;
        if (predecessor == mStart)
            return node;
        if (predecessor == kNoNode)
            return kNoNode;
        node = predecessor;
    }
    return kNoNode;
}

CPathPlanner::SPlan CPathPlanner::plan(int start, const std::vector<int>& goals, float strength)
{
    SPlan result;
    search(start);
    if (!isValid(start))
        return result;

    const Ogre::Vector3& own = mNodes[start].top;
    float nearest = 0.0f;
    for (int goal : goals) {
        if (!isValid(goal) || (goal != start && mNodes[goal].predecessor == kNoNode))
            continue;
        const float distance = own.distance(mNodes[goal].top);
        if (result.goal == kNoNode || distance < nearest) {
            result.goal = goal;
            nearest = distance;
        }
    }
    if (result.goal == kNoNode)
        return result;

    result.next = firstStep(result.goal);
    if (result.next != start)
        result.direction = (mNodes[result.next].top - own).normalisedCopy() * strength;
    return result;
}
