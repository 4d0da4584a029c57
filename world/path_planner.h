// Shortest paths on the waypoint graph, as the slime uses them to chase the balls. The planner
// works on a plain description of the graph (node tops and neighbour lists) so that it does not
// depend on the scene; the slime copies the scene's waypoints into it before each plan.
#pragma once

#include <OgreVector.h>

#include <cstdint>
#include <vector>

class CPathPlanner
{
public:
    // Tentative distance of a node the search has not reached.
    static constexpr float kUnreached = 10000.0f;
    static constexpr int kNoNode = -1;

    // What one plan decided: the goal aimed at, the first node on the way there (the start
    // itself when the slime already stands on the goal) and the steering direction.
    struct SPlan
    {
        int goal = kNoNode;
        int next = kNoNode;
        Ogre::Vector3 direction = Ogre::Vector3::ZERO;
    };

    void reserve(size_t nodes, size_t edges);
    // Adds a node at the given top position and returns its index.
    int addNode(const Ogre::Vector3& top);
    // An edge from one node to another; its cost is the straight-line distance of their tops.
    // Waypoint links are symmetric, so callers add both directions. Each node's edges are
    // searched in the order they were added.
    void addEdge(int from, int to);

    // Shortest distances from the start to every node it reaches (Dijkstra with a binary heap;
    // ties go to the node that was queued first).
    void search(int start) { search(start, {}); }
    // The same search, stopped as soon as every one of the goals is settled: the distances and
    // predecessors of the goals and of every node on their shortest paths are then final.
    void search(int start, const std::vector<int>& goals);
    float getDistance(int node) const { return mDistance[node]; }
    int getPredecessor(int node) const { return mPredecessor[node]; }

    // Searches from the start (until the goals are settled) and steers towards the reachable
    // goal whose top is nearest (in a straight line) to the start's top; goals that are kNoNode
    // or unreached are skipped. The direction points from the start's top to the first step's
    // top with the given length, and is zero when there is no goal or the start is the goal.
    SPlan plan(int start, const std::vector<int>& goals, float strength);

    // Every node's predecessor after a whole search from one start. A node's predecessor is
    // final once the search settles it, so a whole search leaves every goal the predecessors
    // that a search stopped at the goals leaves: plans on a kept tree are the plans of plan().
    struct STree
    {
        int start = kNoNode;
        std::vector<int> predecessor;
    };
    STree searchTree(int start);
    // The same whole search a piece at a time: begin it, then settle at most maxSettled more
    // nodes per call (settled tells how many) until it reports the search done; the tree is
    // then the one searchTree gives. Any other search on this planner abandons it.
    void beginSearch(int start);
    bool advanceSearch(size_t maxSettled, size_t& settled);
    STree takeTree();
    // The plan that plan(tree.start, goals, strength) makes, without searching again. The tree
    // must come from this graph, unchanged since.
    SPlan planOnTree(const STree& tree, const std::vector<int>& goals, float strength) const;

private:
    struct SEdge
    {
        int to;
        float cost;
    };
    struct SEntry
    {
        float distance;
        int order;
        int node;
        static bool later(const SEntry& a, const SEntry& b);
    };

    bool isValid(int node) const { return node >= 0 && node < static_cast<int>(mTops.size()); }
    int firstStepIn(const std::vector<int>& predecessor, int start, int goal) const;
    SPlan planIn(const std::vector<int>& predecessor, int start, const std::vector<int>& goals,
                 float strength) const;
    // Sorts the added edges by their node (keeping their order) into one flat array.
    void packEdges();
    // Takes the nearest queued node and marks it done; kNoNode for an outdated queue entry.
    int settleNext();
    // Lowers the distances of the node's neighbours that are not done through it.
    void relax(int current);

    std::vector<Ogre::Vector3> mTops;
    std::vector<int> mEdgeFrom;
    std::vector<SEdge> mAddedEdges;
    std::vector<int> mFirstEdge; // node i's edges are mEdges[mFirstEdge[i] .. mFirstEdge[i+1])
    std::vector<SEdge> mEdges;
    bool mPacked = false;

    // Search state, one entry per node.
    std::vector<float> mDistance;
    std::vector<int> mPredecessor;
    std::vector<int> mQueueOrder;
    std::vector<std::uint8_t> mDone;
    std::vector<SEntry> mQueue; // a binary heap, the smallest distance on top
    int mNextOrder = 0;
    int mStart = kNoNode;
};
