// The shipped monster level: it holds every monster kind on one waypoint graph, and a ball
// steered along the safe route (weaving between the stampers, wide of the fires and the venom
// pit) reaches the finish. Monsters may still knock it back; it then starts the route again.
#include "monster_level_route.h"
#include "monster_test_maps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <set>

using monstertest::Level;

namespace {

std::string levelText()
{
    return testenv::readFile(testenv::sourceDir() + "/data/maps/" + monstertest::kMonsterLevel);
}

} // namespace

TEST(MonsterLevel, holdsEveryMonsterKindOnOneWaypointGraph)
{
    Level level(levelText());

    std::set<int> kinds;
    for (CMonster* monster : level.scene->getMonsters())
        kinds.insert(monster->getKind());
    EXPECT_EQ(kinds.size(), static_cast<size_t>(CMonster::kKindCount));
    EXPECT_EQ(level.scene->getMonsters().size(), 15u);
    EXPECT_EQ(level.scene->getBallCount(), 1u);
    ASSERT_EQ(level.scene->getFinishBoxes().size(), 1u);

    // Every waypoint but the venom pit's is reachable from the start: the slimes can come.
    const std::vector<CWaypoint*>& waypoints = level.scene->getWaypoints();
    std::set<CWaypoint*> seen{level.waypointOn("start")};
    std::vector<CWaypoint*> open{level.waypointOn("start")};
    while (!open.empty()) {
        CWaypoint* current = open.back();
        open.pop_back();
        for (CWaypoint* next : current->getNeighbours()) {
            if (seen.insert(next).second)
                open.push_back(next);
        }
    }
    EXPECT_EQ(seen.size(), waypoints.size() - 1);
    EXPECT_EQ(seen.count(level.waypointOn("pit")), 0u);
    for (CWaypoint* waypoint : waypoints) {
        for (CWaypoint* neighbour : waypoint->getNeighbours()) {
            const auto& back = neighbour->getNeighbours();
            EXPECT_NE(std::find(back.begin(), back.end(), waypoint), back.end());
        }
    }
}

TEST(MonsterLevel, aBallSteeredAlongTheRouteReachesTheFinish)
{
    Level level(levelText());
    ASSERT_EQ(level.scene->getBallCount(), 1u);
    level.run(1.0f);

    monstertest::CRouteDriver driver;
    int restarts = 0;
    float time = 0.0f;
    constexpr float kTimeLimit = 120.0f;
    constexpr int kMaxRestarts = 3;
    while (level.scene->getWinner() == 0 && time < kTimeLimit && restarts <= kMaxRestarts) {
        Ogre::Vector3 position;
        Ogre::Vector3 velocity;
        Ogre::Vector3 omega;
        level.scene->getBallState(0, position, velocity, omega);
        level.scene->getBallForces()[0] = driver.steer(position, velocity);
        level.ogre.frame(monstertest::kFrameTime);
        time += monstertest::kFrameTime;
        if (level.scene->takeResetEvent(0)) {
            std::cout << "ball sent back at " << time << " s on the way to route point "
                      << driver.next() << "\n";
            ++restarts;
            driver.restart();
        }
    }

    std::cout << "finished after " << time << " s with " << restarts << " restarts\n";
    EXPECT_EQ(level.scene->getWinner(), 1);
    EXPECT_LE(restarts, kMaxRestarts);
}
