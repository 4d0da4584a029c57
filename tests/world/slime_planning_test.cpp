// The slimes' shared planning in a level chooses exactly what a fresh search per steering chooses,
// also after the graph changed between plans, and searches only once the graph is built.
#include "level_fixture.h"

#include "world/path_planner.h"
#include "world/slime.h"

#include <gtest/gtest.h>

#include <random>
#include <unordered_map>

namespace {

using leveltest::Level;
using leveltest::MapText;

// A 6 x 6 field of boxes with waypoints linked to their four neighbours, the ball's start in a
// corner and six slimes spread over it.
std::string slimeField()
{
    MapText map;
    const int side = 6;
    const auto name = [](int x, int z) {
        return "b" + std::to_string(x) + "_" + std::to_string(z);
    };
    for (int z = 0; z < side; ++z)
        for (int x = 0; x < side; ++x)
            map.box(name(x, z), float(x), 0.0f, float(z));
    for (int z = 0; z < side; ++z) {
        for (int x = 0; x < side; ++x) {
            if (x + 1 < side && z + 1 < side)
                map.waypoint(name(x, z), 1, {name(x + 1, z), name(x, z + 1)});
            else if (x + 1 < side)
                map.waypoint(name(x, z), 1, {name(x + 1, z)});
            else if (z + 1 < side)
                map.waypoint(name(x, z), 1, {name(x, z + 1)});
            else
                map.waypoint(name(x, z), 1);
        }
    }
    map.start(name(0, 0)).finish(name(5, 5));
    for (int i = 0; i < 6; ++i)
        map.monster(CMonster::KIND_SLIME, "slime" + std::to_string(i), name(5 - i % 3, 2 + i / 2));
    return map.str();
}

// The next waypoint a fresh search from the waypoint chooses.
CWaypoint* freshChoice(const CScene& scene, CWaypoint* from)
{
    const std::vector<CWaypoint*>& waypoints = scene.getWaypoints();
    std::unordered_map<const CWaypoint*, int> index;
    CPathPlanner planner;
    for (size_t i = 0; i < waypoints.size(); ++i) {
        index[waypoints[i]] = int(i);
        planner.addNode(waypoints[i]->getPosition());
    }
    for (size_t i = 0; i < waypoints.size(); ++i)
        for (const CWaypoint* neighbour : waypoints[i]->getNeighbours())
            planner.addEdge(int(i), index.at(neighbour));
    std::vector<int> goals;
    for (size_t b = 0; b < scene.getBallCount(); ++b) {
        const CWaypoint* goal = scene.getBallWaypoint(int(b));
        goals.push_back(goal ? index.at(goal) : CPathPlanner::kNoNode);
    }
    const CPathPlanner::SPlan plan = planner.plan(index.at(from), goals, CSlime::kStrength);
    return plan.next == CPathPlanner::kNoNode ? nullptr : waypoints[plan.next];
}

TEST(SlimePlanning, slimesChooseWhatAFreshSearchChoosesAsTheGraphChanges)
{
    Level level(slimeField());
    for (float t = 0.0f; t < 2.0f && !level.scene->getBallWaypoint(0); t += leveltest::kFrameTime)
        level.ogre.frame(leveltest::kFrameTime);
    ASSERT_NE(level.scene->getBallWaypoint(0), nullptr);

    std::mt19937 random(7);
    const std::vector<CWaypoint*>& waypoints = level.scene->getWaypoints();
    for (int round = 0; round < 30; ++round) {
        if (round % 5 == 4) { // cut a link: plans kept from before must not be used any more
            CWaypoint* a = waypoints[random() % waypoints.size()];
            if (!a->getNeighbours().empty())
                level.scene->unlinkWaypoints(a->getBox(), a->getNeighbours().front()->getBox());
        }
        for (CMonster* monster : level.scene->getMonsters()) {
            auto* slime = static_cast<CSlime*>(monster);
            slime->setLastWaypoint(waypoints[random() % waypoints.size()]);
            Ogre::Vector3 direction;
            slime->steer(direction);
            ASSERT_EQ(slime->getNextWaypoint(), freshChoice(*level.scene, slime->getLastWaypoint()))
                << "round " << round << ", " << slime->getName();
        }
    }
}

TEST(SlimePlanning, searchingWaitsForTheFrameAfterTheGraphWasBuilt)
{
    Level level(slimeField());
    // All six slimes become due in the same frame. That frame builds the graph; the next one
    // searches (the field is small enough for all six searches in one frame's budget).
    const auto steeredNow = [&] {
        int steered = 0;
        for (CMonster* monster : level.scene->getMonsters())
            steered += monster->getSteeringTimer() == 0.0;
        return steered;
    };
    for (int frame = 0; frame < 20 && level.scene->getMonsters().front()->getSteeringTimer() <=
                                          CMonster::kSteeringInterval;
         ++frame)
        level.ogre.frame(leveltest::kFrameTime);
    level.ogre.frame(leveltest::kFrameTime);
    EXPECT_EQ(steeredNow(), 0);
    level.ogre.frame(leveltest::kFrameTime);
    EXPECT_EQ(steeredNow(), 6);
}

} // namespace
