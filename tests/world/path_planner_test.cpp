// The slime's planning on small graphs without a scene: stand-still cases, the first step and
// its direction, the choice among goals, and agreement with a plain quadratic search.
#include "world/path_planner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

constexpr float kSlimeStrength = 7.0f;

// A ━ B ━ C ━ E along a bent route, and A ━ D ━ C as a detour that is longer.
struct SmallGraph
{
    CPathPlanner planner;
    int a, b, c, d, e;

    SmallGraph()
    {
        a = planner.addNode({0, 0, 0});
        b = planner.addNode({3, 4, 0}); // 5 from A
        c = planner.addNode({3, 4, 4}); // 4 from B
        d = planner.addNode({0, 0, 10});
        e = planner.addNode({3, 4, 10}); // 6 from C
        link(a, b);
        link(b, c);
        link(c, e);
        link(a, d);
        link(d, c);
    }
    void link(int x, int y)
    {
        planner.addEdge(x, y);
        planner.addEdge(y, x);
    }
};

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

} // namespace

TEST(PathPlanner, slimeOnIsolatedWaypointStandsStill)
{
    CPathPlanner planner;
    const int own = planner.addNode({0, 0, 0});
    const int other = planner.addNode({5, 0, 0});

    const CPathPlanner::SPlan plan = planner.plan(own, {other}, kSlimeStrength);

    EXPECT_EQ(plan.goal, CPathPlanner::kNoNode);
    EXPECT_EQ(plan.direction, Ogre::Vector3::ZERO);
    EXPECT_FLOAT_EQ(planner.getDistance(other), CPathPlanner::kUnreached);
}

TEST(PathPlanner, ballWithoutWaypointGivesNoGoal)
{
    SmallGraph graph;

    const CPathPlanner::SPlan plan =
        graph.planner.plan(graph.a, {CPathPlanner::kNoNode}, kSlimeStrength);

    EXPECT_EQ(plan.goal, CPathPlanner::kNoNode);
    EXPECT_EQ(plan.next, CPathPlanner::kNoNode);
    EXPECT_EQ(plan.direction, Ogre::Vector3::ZERO);
}

TEST(PathPlanner, firstStepOfShortestPathAndItsDirection)
{
    SmallGraph graph;

    const CPathPlanner::SPlan plan = graph.planner.plan(graph.a, {graph.e}, kSlimeStrength);

    EXPECT_FLOAT_EQ(graph.planner.getDistance(graph.b), 5.0f);
    EXPECT_FLOAT_EQ(graph.planner.getDistance(graph.c), 9.0f);
    EXPECT_FLOAT_EQ(graph.planner.getDistance(graph.e), 15.0f);
    EXPECT_EQ(graph.planner.getPredecessor(graph.e), graph.c);
    EXPECT_EQ(graph.planner.getPredecessor(graph.c), graph.b);
    EXPECT_EQ(plan.goal, graph.e);
    EXPECT_EQ(plan.next, graph.b);
    // From (0,0,0) towards (3,4,0): (0.6, 0.8, 0) times 7.
    EXPECT_NEAR(plan.direction.x, 4.2f, 1e-5f);
    EXPECT_NEAR(plan.direction.y, 5.6f, 1e-5f);
    EXPECT_NEAR(plan.direction.z, 0.0f, 1e-5f);
}

TEST(PathPlanner, firstStepFromTheMiddleOfTheGraph)
{
    SmallGraph graph;

    const CPathPlanner::SPlan plan = graph.planner.plan(graph.d, {graph.b}, kSlimeStrength);

    // D-A-B is 10 + 5, D-C-B is sqrt(9+16+36) + 4 = 11.81: the route goes through C.
    EXPECT_EQ(plan.next, graph.c);
    EXPECT_NEAR(plan.direction.length(), kSlimeStrength, 1e-5f);
}

TEST(PathPlanner, standingOnTheGoalStandsStill)
{
    SmallGraph graph;

    const CPathPlanner::SPlan plan = graph.planner.plan(graph.c, {graph.c}, kSlimeStrength);

    EXPECT_EQ(plan.goal, graph.c);
    EXPECT_EQ(plan.next, graph.c);
    EXPECT_EQ(plan.direction, Ogre::Vector3::ZERO);
}

TEST(PathPlanner, nearerGoalByStraightLineWins)
{
    SmallGraph graph;

    // E is 11.9 away in a straight line, B only 5: B wins whatever the order of the balls.
    EXPECT_EQ(graph.planner.plan(graph.a, {graph.e, graph.b}, kSlimeStrength).goal, graph.b);
    EXPECT_EQ(graph.planner.plan(graph.a, {graph.b, graph.e}, kSlimeStrength).goal, graph.b);
    // From D, C lies nearer in a straight line (7.8) than A (10) even though A is adjacent.
    const CPathPlanner::SPlan plan =
        graph.planner.plan(graph.d, {graph.a, graph.c}, kSlimeStrength);
    EXPECT_EQ(plan.goal, graph.c);
    EXPECT_EQ(plan.next, graph.c);
}

TEST(PathPlanner, unreachableGoalIsSkippedForAReachableOne)
{
    SmallGraph graph;
    const int island = graph.planner.addNode({0.5f, 0, 0});

    const CPathPlanner::SPlan plan = graph.planner.plan(graph.a, {island, graph.c}, kSlimeStrength);

    EXPECT_EQ(plan.goal, graph.c);
    EXPECT_EQ(plan.next, graph.b);
}

namespace {

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

TEST(PathPlanner, heapSearchMatchesPlainSearchOnRandomGraphs)
{
    std::mt19937 random(20261206);
    for (int round = 0; round < 300; ++round) {
        const int count = 2 + static_cast<int>(random() % 60);
        std::vector<Ogre::Vector3> tops;
        // Whole-number coordinates on a small grid give many paths of equal length, which is
        // where the order of settling nodes shows in the predecessors.
        std::uniform_int_distribution<int> coordinate(0, 4);
        for (int i = 0; i < count; ++i) {
            tops.emplace_back(static_cast<float>(coordinate(random)),
                              static_cast<float>(coordinate(random) % 2),
                              static_cast<float>(coordinate(random)));
        }
        const int links = static_cast<int>(random() % (count * 2 + 1));
        const std::vector<std::vector<int>> neighbours = randomLinks(random, count, links);

        CPathPlanner planner;
        fillPlanner(planner, tops, neighbours);

        const int start = static_cast<int>(random() % count);
        planner.search(start);
        const ReferenceResult expected = referenceSearch(tops, neighbours, start);
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(planner.getDistance(i), expected.distance[i]) << "round " << round;
            ASSERT_EQ(planner.getPredecessor(i), expected.predecessor[i]) << "round " << round;
        }
    }
}

TEST(PathPlanner, plansStoppingAtTheGoalsMatchPlansOverTheWholeGraph)
{
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        const int count = 2 + static_cast<int>(random() % 80);
        std::uniform_int_distribution<int> coordinate(0, 5);
        std::vector<Ogre::Vector3> tops;
        for (int i = 0; i < count; ++i)
            tops.emplace_back(static_cast<float>(coordinate(random)), 0.0f,
                              static_cast<float>(coordinate(random)));
        const std::vector<std::vector<int>> neighbours = randomLinks(random, count, count * 2);
        CPathPlanner planner;
        fillPlanner(planner, tops, neighbours);
        const int start = static_cast<int>(random() % count);
        std::vector<int> goals;
        for (int g = 0; g < 4; ++g)
            goals.push_back(random() % 5 == 0 ? CPathPlanner::kNoNode
                                              : static_cast<int>(random() % count));

        // The plan as the whole search gives it.
        const ReferenceResult full = referenceSearch(tops, neighbours, start);
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

        const CPathPlanner::SPlan plan = planner.plan(start, goals, kSlimeStrength);
        ASSERT_EQ(plan.goal, goal) << "round " << round;
        ASSERT_EQ(plan.next, next) << "round " << round;
        if (next != CPathPlanner::kNoNode && next != start) {
            const Ogre::Vector3 expected =
                (tops[next] - tops[start]).normalisedCopy() * kSlimeStrength;
            ASSERT_EQ(plan.direction, expected) << "round " << round;
        } else {
            ASSERT_EQ(plan.direction, Ogre::Vector3::ZERO) << "round " << round;
        }
    }
}
