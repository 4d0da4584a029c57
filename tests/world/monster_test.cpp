// The monster kinds in a real level (headless Ogre, real physics): hunting, the stamper's travel,
// falling out of the level, and the slime's planning over the scene's waypoints.
#include "level_fixture.h"

#include "world/evil_marble_monster.h"
#include "world/moving_obstacle.h"
#include "world/slime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using leveltest::kFrameTime;
using leveltest::Level;
using leveltest::LevelOptions;
using leveltest::MapText;

namespace {

// Three rows of boxes (z = -1, 0, 1) from x = 0 to 9; the ball starts on m0, the middle row carries
// linked waypoints m0..m9.
MapText corridor()
{
    MapText map;
    map.row("l", 10, 0, 0, -1).row("m", 10, 0, 0, 0).row("r", 10, 0, 0, 1).start("m0");
    for (int i = 0; i < 10; ++i)
        map.waypoint("m" + std::to_string(i), 1, {"m" + std::to_string(std::min(i + 1, 9))});
    return map;
}

} // namespace

TEST(Hunting, evilMarbleKeepsStillUntilABallIsWithinRangeThenHuntsItForGood)
{
    Level level(MapText()
                    .row("f", 30, 0, 0, 0)
                    .start("f0")
                    .waypoint("f20", 1)
                    .monster(0, "evil", "f20")
                    .str());
    CMonster* evil = level.monster("evil");
    const Ogre::Vector3 start = evil->getBody()->getPosition();
    level.run(2.0f);
    EXPECT_FALSE(evil->isHunting());
    EXPECT_NEAR(evil->getBody()->getPosition().x, start.x, 1e-3f);
    EXPECT_GT(evil->getBallDistances()[0], CEvilMarbleMonster::kHuntingRange);

    level.putBall(0, level.top("f9") + Ogre::Vector3(0, 0.5f, 0)); // 11 away: within range
    level.run(0.3f);
    EXPECT_TRUE(evil->isHunting());

    // The ball goes back 20 units away: the marble keeps chasing it.
    level.putBall(0, level.top("f0") + Ogre::Vector3(0, 0.5f, 0));
    const float before = evil->getBody()->getPosition().x;
    level.run(1.0f);
    EXPECT_TRUE(evil->isHunting());
    EXPECT_NEAR(evil->getDirection().x, -CEvilMarbleMonster::kStrength, 0.05f);
    EXPECT_LT(evil->getBody()->getPosition().x, before - 0.3f);
}

TEST(Hunting, marblesHuntWithTheirStrengthAndATieGoesToTheLaterBall)
{
    LevelOptions two;
    two.players = 2;
    for (int kind : {CMonster::KIND_EVIL_MARBLE, CMonster::KIND_VENOM_MARBLE}) {
        for (float firstZ : {-3.0f, -2.5f}) {
            SCOPED_TRACE(std::to_string(kind) + " first ball at " + std::to_string(firstZ));
            Level level(MapText()
                            .box("s0", 0, 0, firstZ)
                            .box("s1", 0, 0, 3)
                            .box("m", 0, 0, 0)
                            .start("s0")
                            .start("s1")
                            .waypoint("m", 1)
                            .monster(kind, "hunter", "m")
                            .str(),
                        two);
            CMonster* hunter = level.monster("hunter");
            Ogre::Vector3 direction;
            hunter->steer(direction);
            EXPECT_TRUE(hunter->isHunting());
            const int expected = firstZ == -3.0f ? 1 : 0;
            EXPECT_EQ(hunter->getNearestBall(), expected);
            EXPECT_GT(direction.z * (expected == 1 ? 1.0f : -1.0f), 0.0f);
            EXPECT_NEAR(direction.length(),
                        kind == CMonster::KIND_VENOM_MARBLE ? 4.0f : CEvilMarbleMonster::kStrength,
                        1e-4f);
        }
    }
}

TEST(MovingObstacle, travelsBetweenItsTwoHeightsInItsColumn)
{
    Level level(MapText().box("m", 0, 0, 0).waypoint("m", 1).monster(3, "stamper", "m").str());
    auto* stamper = static_cast<CMovingObstacle*>(level.monster("stamper"));
    const Ogre::Vector3 top = level.top("m");
    float lowest = 100.0f, highest = -100.0f;
    int turns = 0;
    bool goingDown = stamper->isGoingDown();
    for (float t = 0.0f; t < 8.0f; t += kFrameTime) {
        level.ogre.frame(kFrameTime);
        const Ogre::Vector3 p = stamper->getBody()->getPosition();
        lowest = std::min(lowest, p.y);
        highest = std::max(highest, p.y);
        // Slamming onto the box may shift it a little; from 0.2 on it is put back.
        EXPECT_LT(std::max(std::fabs(p.x - top.x), std::fabs(p.z - top.z)),
                  CMovingObstacle::kMaxDrift + 0.05f);
        turns += stamper->isGoingDown() != goingDown ? 1 : 0;
        goingDown = stamper->isGoingDown();
    }
    EXPECT_LE(lowest, top.y + 1.0f);
    EXPECT_GE(highest, top.y + 3.0f);
    EXPECT_GE(turns, 3);

    // Pushed sideways by two tenths or more it jumps back into its column, still.
    for (const Ogre::Vector3& push : {Ogre::Vector3(0.25f, 0, 0), Ogre::Vector3(0, 0, -0.2f)}) {
        const Ogre::Vector3 p = stamper->getBody()->getPosition();
        stamper->getBody()->setPositionOrientation(Ogre::Vector3(top.x, p.y, top.z) + push,
                                                   Ogre::Quaternion::IDENTITY);
        level.ogre.frame(kFrameTime);
        EXPECT_LT(stamper->getBody()->getPosition().distance(top + Ogre::Vector3(0, 2, 0)), 1e-5f);
        EXPECT_EQ(stamper->getBody()->getVelocity(), Ogre::Vector3::ZERO);
    }
}

// Monsters that fall below the level, and all monsters when the round restarts, go back to their
// start waypoint and stand still there.
TEST(MonsterReturn, monstersBelowTheLevelOrOnRestartGoBackToTheirStart)
{
    MapText map = corridor();
    for (int kind = 0; kind < CMonster::kKindCount; ++kind)
        map.monster(kind, "k" + std::to_string(kind), "m" + std::to_string(kind + 3));
    Level level(map.str());
    level.run(0.5f);
    const auto displace = [](CMonster* monster, const Ogre::Vector3& offset) {
        monster->getBody()->setPositionOrientation(monster->getBody()->getPosition() + offset,
                                                   Ogre::Quaternion::IDENTITY);
        monster->getBody()->setVelocity(Ogre::Vector3(1, -3, 1));
    };
    const auto start = [&](CMonster* monster) {
        const bool onItsBox = monster->getKind() == CMonster::KIND_OBSTACLE;
        return monster->getStartWaypoint()->getPosition() + Ogre::Vector3(0, onItsBox ? 0 : 2, 0);
    };
    for (int kind : {CMonster::KIND_EVIL_MARBLE, CMonster::KIND_VENOM_MARBLE, CMonster::KIND_SLIME,
                     CMonster::KIND_THE_BALL}) {
        SCOPED_TRACE(kind);
        CMonster* monster = level.monster("k" + std::to_string(kind));
        displace(monster, Ogre::Vector3(5, -13, 5));
        level.ogre.frame(kFrameTime);
        // The frame may step the physics after the monster's update: allow one step's fall.
        EXPECT_LT(monster->getBody()->getPosition().distance(start(monster)), 0.05f);
        EXPECT_LT(monster->getBody()->getVelocity().length(), 0.5f);
        EXPECT_FALSE(monster->isHunting());
    }
    for (CMonster* monster : level.scene->getMonsters())
        displace(monster, Ogre::Vector3(0.1f, 0.3f, 0.1f));
    level.scene->restartRound();
    for (CMonster* monster : level.scene->getMonsters()) {
        if (monster->getKind() == CMonster::KIND_VENOM_MARBLE)
            continue; // it stands on its box, not above it
        SCOPED_TRACE(monster->getName());
        EXPECT_LT(monster->getBody()->getPosition().distance(start(monster)), 1e-4f);
        EXPECT_EQ(monster->getBody()->getVelocity(), Ogre::Vector3::ZERO);
    }
    auto* stamper = static_cast<CMovingObstacle*>(level.monster("k3"));
    EXPECT_TRUE(stamper->isGoingDown());
    EXPECT_EQ(stamper->getDirection(), Ogre::Vector3::ZERO);
}

namespace {

// s (ball start) and g (slime start) joined directly through p (weight 1000) and by a detour over
// the row q0..q2 at z = 1 (weights 1).
MapText slimeGraph()
{
    MapText map;
    map.box("s", 0, 0, 0).box("p", 1, 0, 0).box("g", 2, 0, 0).row("q", 3, 0, 0, 1).start("s");
    map.waypoint("s", 1, {"p", "q0"}).waypoint("p", 1000, {"s", "g"}).waypoint("g", 1, {"p", "q2"});
    map.waypoint("q0", 1, {"s", "q1"})
        .waypoint("q1", 1, {"q0", "q2"})
        .waypoint("q2", 1, {"q1", "g"});
    return map;
}

} // namespace

TEST(Slime, headsForTheFirstWaypointOfTheShortestPathWhateverItsWeightAndGetsThere)
{
    Level level(slimeGraph().monster(4, "slime", "g").str());
    auto* slime = static_cast<CSlime*>(level.monster("slime"));
    // Until the ball lands on s the slime has no goal and stays on g.
    level.runUntil([&] { return level.scene->getBallWaypoint(0) != nullptr; }, 2.0f);
    ASSERT_EQ(level.scene->getBallWaypoint(0), level.waypointOn("s"));
    ASSERT_EQ(slime->getLastWaypoint(), level.waypointOn("g"));

    Ogre::Vector3 direction;
    slime->steer(direction);
    EXPECT_EQ(slime->getNextWaypoint(), level.waypointOn("p"));
    EXPECT_LT(direction.distance(Ogre::Vector3(-CSlime::kStrength, 0, 0)), 1e-4f);

    EXPECT_TRUE(
        level.runUntil([&] { return slime->getLastWaypoint() == level.waypointOn("p"); }, 6.0f));
    EXPECT_LT(slime->getBody()->getPosition().x, 1.6f);
}
