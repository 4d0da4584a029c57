// The slime's planning without a scene, on random graphs against a plain quadratic search: the
// distances and predecessors (of whole searches, kept trees and searches made in pieces), the goal
// nearest in a straight line among the reachable ones (none for a ball without a waypoint or a
// slime on an island), the first step and its direction.
#include "world/path_planner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

constexpr float kSlimeStrength = 7.0f;

// The search exactly as a straightforward implementation does it: scan the queued nodes for
// the smallest tentative distance (the first queued wins a tie).
struct ReferenceResult
{
    std::vector<float> distance;
    std::vector<int> predecessor;
};

ReferenceResult referenceSearch(const std::vector<Ogre::Vector3>& tops,
                                const std::vector<std::vector<int>>& neighbours, int start)
{
    const size_t n = tops.size();
    ReferenceResult result{std::vector<float>(n, CPathPlanner::kUnreached),
                           std::vector<int>(n, CPathPlanner::kNoNode)};
    std::vector<bool> done(n, false), queued(n, false);
    std::vector<int> queue{start};
    queued[start] = true;
    result.distance[start] = 0.0f;
    while (!queue.empty()) {
        size_t best = 0;
        for (size_t i = 1; i < queue.size(); ++i) {
            if (result.distance[queue[i]] < result.distance[queue[best]])
                best = i;
        }
        const int current = queue[best];
        queue.erase(queue.begin() + best);
        done[current] = true;
        for (int next : neighbours[current]) {
            if (done[next])
                continue;
            const float cost = tops[current].distance(tops[next]);
            const float candidate = std::fabs(cost + result.distance[current]);
            if (candidate < result.distance[next]) {
                result.distance[next] = candidate;
                result.predecessor[next] = current;
                if (!queued[next]) {
                    queued[next] = true;
                    queue.push_back(next);
                }
            }
        }
    }
    return result;
}

// Random symmetric links between count nodes, never to themselves and never twice.
std::vector<std::vector<int>> randomLinks(std::mt19937& random, int count, int attempts)
{
    std::vector<std::vector<int>> neighbours(count);
    for (int l = 0; l < attempts; ++l) {
        const int x = static_cast<int>(random() % count);
        const int y = static_cast<int>(random() % count);
        if (x == y ||
            std::find(neighbours[x].begin(), neighbours[x].end(), y) != neighbours[x].end())
            continue;
        neighbours[x].push_back(y);
        neighbours[y].push_back(x);
    }
    return neighbours;
}

void fillPlanner(CPathPlanner& planner, const std::vector<Ogre::Vector3>& tops,
                 const std::vector<std::vector<int>>& neighbours)
{
    for (const Ogre::Vector3& top : tops)
        planner.addNode(top);
    for (size_t x = 0; x < neighbours.size(); ++x) {
        for (int y : neighbours[x])
            planner.addEdge(static_cast<int>(x), y);
    }
}

} // namespace

// Whole-number coordinates on a small grid give many paths of equal length, which is where the
// order of settling nodes shows in the predecessors.
TEST(PathPlanner, searchesAndPlansMatchAPlainSearchOnRandomGraphs)
{
    std::mt19937 random(20261206);
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        const int count = 2 + static_cast<int>(random() % 70);
        std::uniform_int_distribution<int> coordinate(0, 4);
        std::vector<Ogre::Vector3> tops;
        for (int i = 0; i < count; ++i)
            tops.emplace_back(static_cast<float>(coordinate(random)),
                              static_cast<float>(coordinate(random) % 2),
                              static_cast<float>(coordinate(random)));
        const int links = static_cast<int>(random() % (count * 2 + 1));
        const std::vector<std::vector<int>> neighbours = randomLinks(random, count, links);
        CPathPlanner planner;
        fillPlanner(planner, tops, neighbours);
        const int start = static_cast<int>(random() % count);
        const ReferenceResult full = referenceSearch(tops, neighbours, start);

        planner.search(start);
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(planner.getDistance(i), full.distance[i]);
            ASSERT_EQ(planner.getPredecessor(i), full.predecessor[i]);
        }

        // A plan stops searching at the goals; it must agree with the whole search.
        std::vector<int> goals;
        for (int g = 0; g < 4; ++g)
            goals.push_back(random() % 5 == 0 ? CPathPlanner::kNoNode
                                              : static_cast<int>(random() % count));
        int goal = CPathPlanner::kNoNode;
        for (int candidate : goals) {
            if (candidate == CPathPlanner::kNoNode ||
                (candidate != start && full.predecessor[candidate] == CPathPlanner::kNoNode))
                continue;
            if (goal == CPathPlanner::kNoNode ||
                tops[start].distance(tops[candidate]) < tops[start].distance(tops[goal]))
                goal = candidate;
        }
        int next = goal;
        while (next != CPathPlanner::kNoNode && next != start && full.predecessor[next] != start)
            next = full.predecessor[next];
        const bool moves = next != CPathPlanner::kNoNode && next != start;
        const Ogre::Vector3 direction =
            moves ? (tops[next] - tops[start]).normalisedCopy() * kSlimeStrength
                  : Ogre::Vector3::ZERO;
        const auto expectPlan = [&](const CPathPlanner::SPlan& plan) {
            EXPECT_EQ(plan.goal, goal);
            EXPECT_EQ(plan.next, next);
            EXPECT_EQ(plan.direction, direction);
        };
        expectPlan(planner.plan(start, goals, kSlimeStrength));

        // A kept tree, whether searched whole or in random pieces, plans the same.
        ASSERT_EQ(planner.searchTree(start).predecessor, full.predecessor);
        planner.beginSearch(start);
        size_t settled = 0;
        while (!planner.advanceSearch(1 + random() % 7, settled)) {
        }
        const CPathPlanner::STree tree = planner.takeTree();
        ASSERT_EQ(tree.predecessor, full.predecessor);
        expectPlan(planner.planOnTree(tree, goals, kSlimeStrength));
        if (HasFailure())
            return;
    }
}
