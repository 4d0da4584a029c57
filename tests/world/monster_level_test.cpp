// The shipped monster level: it holds every monster kind on one waypoint graph, and a ball
// steered along the safe route (weaving between the stampers, wide of the fires and the venom
// pit) reaches the finish. Monsters may still knock it back; it then starts the route again.
#include "monster_test_maps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <set>

using monstertest::Level;

namespace {

const char* const kLevel = "/data/maps/04_monster_mayhem.kivom";

// The route through the level, in (x, z); the finish box is the last point.
const std::vector<Ogre::Vector2> kRoute = {{1, -3.5f}, {1, -6},     {-1, -7}, {-1, -9.5f},
                                           {1, -10},   {1, -12.5f}, {0, -14}, {0, -16},
                                           {0, -19},   {0, -22},    {0, -25}, {0, -27}};

constexpr float kKeyForce = 40.0f; // what a key gives per axis
constexpr float kCruiseSpeed = 2.2f;
constexpr float kSpeedGain = 30.0f;
constexpr float kReached = 0.5f;

float clampForce(float value)
{
    return std::max(-kKeyForce, std::min(kKeyForce, value));
}

// Steering like a player on the keys: towards the next route point at cruising speed.
Ogre::Vector3 steer(const Ogre::Vector3& position, const Ogre::Vector3& velocity,
                    const Ogre::Vector2& target)
{
    Ogre::Vector2 toTarget(target.x - position.x, target.y - position.z);
    const float distance = toTarget.normalise();
    const float speed = std::min(kCruiseSpeed, 1.5f * distance + 0.5f);
    const Ogre::Vector2 wanted = toTarget * speed;
    return Ogre::Vector3(clampForce(kSpeedGain * (wanted.x - velocity.x)), 0.0f,
                         clampForce(kSpeedGain * (wanted.y - velocity.z)));
}

} // namespace

TEST(MonsterLevel, holdsEveryMonsterKindOnOneWaypointGraph)
{
    Level level(testenv::readFile(testenv::sourceDir() + kLevel));

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
    Level level(testenv::readFile(testenv::sourceDir() + kLevel));
    ASSERT_EQ(level.scene->getBallCount(), 1u);
    level.run(1.0f);

    size_t next = 0;
    int restarts = 0;
    float time = 0.0f;
    constexpr float kTimeLimit = 120.0f;
    constexpr int kMaxRestarts = 3;
    while (level.scene->getWinner() == 0 && time < kTimeLimit && restarts <= kMaxRestarts) {
        const Ogre::Vector3 position = level.ball();
        Ogre::Vector3 velocity;
        Ogre::Vector3 omega;
        Ogre::Vector3 where;
        level.scene->getBallState(0, where, velocity, omega);
        const Ogre::Vector2& target = kRoute[next];
        if (Ogre::Vector2(target.x - position.x, target.y - position.z).length() < kReached &&
            next + 1 < kRoute.size())
            ++next;
        level.scene->getBallForces()[0] = steer(position, velocity, kRoute[next]);
        level.ogre.frame(monstertest::kFrameTime);
        time += monstertest::kFrameTime;
        if (level.scene->takeResetEvent(0)) {
            std::cout << "ball sent back at " << time << " s near route point " << next << "\n";
            ++restarts;
            next = 0;
        }
    }

    std::cout << "finished after " << time << " s with " << restarts << " restarts\n";
    EXPECT_EQ(level.scene->getWinner(), 1);
    EXPECT_LE(restarts, kMaxRestarts);
}
