// The six monster kinds in a real level (headless Ogre, real physics): how they are built in
// both modes, hunting, the stamper's travel, what touching them does to a ball, falling out of
// the level, and the slime's planning over the scene's waypoints.
#include "monster_test_maps.h"

#include "world/evil_marble_monster.h"
#include "world/moving_obstacle.h"
#include "world/slime.h"

#include <OgreBillboardSet.h>
#include <OgreEntity.h>
#include <OgreMesh.h>
#include <OgreParticleSystem.h>
#include <OgreSceneNode.h>
#include <OgreSubEntity.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using monstertest::Level;
using monstertest::MapText;

namespace {

constexpr float kBallRadius = 0.4f;
constexpr float kMonsterRadius = 0.5f;
constexpr float kTouchTolerance = 0.1f;
const Ogre::Vector3 kPushRight(40.0f, 0.0f, 0.0f);

// Three rows of boxes (z = -1, 0, 1) from x = 0 to 9; the ball starts on m0, the middle row
// carries linked waypoints m0..m9.
MapText corridor()
{
    MapText map;
    map.row("l", 10, 0, 0, -1).row("m", 10, 0, 0, 0).row("r", 10, 0, 0, 1).start("m0");
    for (int i = 0; i < 10; ++i) {
        std::string name = "m" + std::to_string(i);
        if (i + 1 < 10)
            map.waypoint(name, 1, {"m" + std::to_string(i + 1)});
        else
            map.waypoint(name, 1);
    }
    return map;
}

struct TouchOutcome
{
    bool touched = false;
    bool reset = false;
};

// Pushes ball 0 to the right into the monster; stops half a second after the first touch.
TouchOutcome rollBallInto(Level& level, CMonster* monster, float seconds)
{
    TouchOutcome outcome;
    float afterTouch = 0.0f;
    for (float t = 0.0f; t < seconds && afterTouch < 0.5f; t += monstertest::kFrameTime) {
        level.scene->getBallForces()[0] = kPushRight;
        level.ogre.frame(monstertest::kFrameTime);
        if (level.scene->takeResetEvent(0))
            outcome.reset = true;
        const float distance = level.ball().distance(monster->getBody()->getPosition());
        if (distance <= kBallRadius + kMonsterRadius + kTouchTolerance)
            outcome.touched = true;
        if (outcome.touched)
            afterTouch += monstertest::kFrameTime;
    }
    return outcome;
}

} // namespace

TEST(MonsterConstruction, gameModeGivesEachKindItsLookBodyAndEffect)
{
    MapText map;
    map.row("b", 12, 0, 0, 0).start("b11");
    const char* names[] = {"evil", "block", "venom", "stamper", "slime", "big"};
    for (int kind = 0; kind < CMonster::kKindCount; ++kind) {
        map.waypoint("b" + std::to_string(kind * 2), 1);
        map.monster(kind, names[kind], "b" + std::to_string(kind * 2));
    }
    Level level(map.str());
    ASSERT_EQ(level.scene->getMonsters().size(), 6u);

    const char* meshes[] = {"ellipsoid.mesh", "obstacle.mesh",  "obstacle.mesh",
                            "obstacle.mesh",  "ellipsoid.mesh", "ellipsoid.mesh"};
    const char* materials[] = {"evilsphere", nullptr, nullptr, nullptr, "sphere", "sphere"};
    const float scales[] = {1.0f, 0.8f, 0.5f, 0.8f, 1.0f, 1.0f};
    const float masses[] = {10, 10, 10, 10, 10, 30};
    const float heights[] = {2, 0, 0, 2, 2, 2};
    const bool hits[] = {false, true, true, true, false, false};
    for (int kind = 0; kind < CMonster::kKindCount; ++kind) {
        SCOPED_TRACE(names[kind]);
        CMonster* monster = level.monster(names[kind]);
        ASSERT_NE(monster, nullptr);
        EXPECT_EQ(monster->getKind(), kind);
        ASSERT_TRUE(level.ogre.sceneManager->hasEntity(std::string("Monster") + names[kind]));
        Ogre::Entity* entity =
            level.ogre.sceneManager->getEntity(std::string("Monster") + names[kind]);
        EXPECT_EQ(entity->getMesh()->getName(), meshes[kind]);
        const std::string material = materials[kind] ? materials[kind] : "obstacle";
        EXPECT_EQ(entity->getSubEntity(0)->getMaterialName(), material);
        Ogre::SceneNode* node = entity->getParentSceneNode();
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->getName(), std::string("Monster") + names[kind]);
        EXPECT_FLOAT_EQ(node->getScale().x, scales[kind]);

        CPhysicsBody* body = monster->getBody();
        ASSERT_NE(body, nullptr);
        EXPECT_FLOAT_EQ(body->getMass(), masses[kind]);
        EXPECT_EQ(body->getMaterialGroupID(), level.scene->getMaterialGroupID());
        const Ogre::Vector3 expected =
            level.top("b" + std::to_string(kind * 2)) + Ogre::Vector3(0, heights[kind], 0);
        EXPECT_LT(body->getPosition().distance(expected), 1e-4f);
        EXPECT_LT(node->getPosition().distance(expected), 1e-4f);
        EXPECT_EQ(monster->hitsBall(), hits[kind]);
        EXPECT_EQ(monster->getLastWaypoint(), monster->getStartWaypoint());
    }

    if (!level.ogre.particlesAvailable)
        return;
    CMonster* evil = level.monster("evil");
    CMonster* block = level.monster("block");
    CMonster* stamper = level.monster("stamper");
    Ogre::SceneManager* sm = level.ogre.sceneManager;
    ASSERT_FALSE(evil->getEffectName().empty());
    EXPECT_EQ(sm->getParticleSystem(evil->getEffectName())->getParentSceneNode(), evil->getNode());
    ASSERT_FALSE(stamper->getEffectName().empty());
    EXPECT_EQ(sm->getParticleSystem(stamper->getEffectName())->getParentSceneNode(),
              stamper->getNode());
    ASSERT_FALSE(block->getEffectName().empty());
    Ogre::SceneNode* fireNode = sm->getParticleSystem(block->getEffectName())->getParentSceneNode();
    EXPECT_EQ(fireNode->getName(), "ParticleSceneNode" + block->getEffectName());
    EXPECT_LT(fireNode->getPosition().distance(level.top("b2")), 1e-4f);
    EXPECT_TRUE(level.monster("venom")->getEffectName().empty());
    EXPECT_TRUE(level.monster("slime")->getEffectName().empty());
    EXPECT_TRUE(level.monster("big")->getEffectName().empty());
    // Flames, the obstacle's fire and the stamper's fire.
    EXPECT_EQ(level.scene->getParticleSystems().size(), 3u);
}

TEST(MonsterConstruction, sceneRefusesTakenNamesTakenWaypointsAndUnknownKinds)
{
    Level level(MapText().row("b", 4, 0, 0, 0).waypoint("b1", 1).waypoint("b2", 1).str());
    CWaypoint* first = level.waypointOn("b1");
    CWaypoint* second = level.waypointOn("b2");

    EXPECT_TRUE(level.scene->addMonster(CMonster::KIND_THE_BALL, "one", first));
    EXPECT_FALSE(level.scene->addMonster(CMonster::KIND_SLIME, "one", second));
    EXPECT_FALSE(level.scene->addMonster(CMonster::KIND_SLIME, "two", first));
    EXPECT_FALSE(level.scene->addMonster(6, "two", second));
    EXPECT_FALSE(level.scene->addMonster(-1, "two", second));
    EXPECT_TRUE(level.scene->addMonster(CMonster::KIND_SLIME, "two", second));
    EXPECT_EQ(level.scene->getMonsters().size(), 2u);
}

TEST(MonsterConstruction, editorModeMonstersAreMarkersWithoutBodiesAndNeverUpdate)
{
    MapText map;
    map.row("b", 12, 0, 0, 0).start("b11");
    for (int kind = 0; kind < CMonster::kKindCount; ++kind) {
        map.waypoint("b" + std::to_string(kind * 2), 1);
        map.monster(kind, "m" + std::to_string(kind), "b" + std::to_string(kind * 2));
    }
    Level::Options options;
    options.editor = true;
    Level level(map.str(), options);
    ASSERT_EQ(level.scene->getMonsters().size(), 6u);

    level.run(0.5f);

    Ogre::SceneManager* sm = level.ogre.sceneManager;
    for (int kind = 0; kind < CMonster::kKindCount; ++kind) {
        const std::string name = "m" + std::to_string(kind);
        SCOPED_TRACE(name);
        CMonster* monster = level.monster(name);
        EXPECT_EQ(monster->getBody(), nullptr);
        EXPECT_EQ(monster->getEntity(), nullptr);
        EXPECT_FALSE(sm->hasEntity("Monster" + name));
        EXPECT_EQ(monster->getSteeringTimer(), 0.0);
        EXPECT_TRUE(monster->getEffectName().empty());
        ASSERT_TRUE(sm->hasBillboardSet("billboard" + name));
        Ogre::BillboardSet* marker = sm->getBillboardSet("billboard" + name);
        EXPECT_EQ(marker->getMaterialName(), "ogrehead");
        EXPECT_EQ(marker->getNumBillboards(), 1);
        Ogre::SceneNode* node = marker->getParentSceneNode();
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->getName(), "billboardNode" + name);
        EXPECT_FLOAT_EQ(node->getScale().y, 0.01f);
        const Ogre::Vector3 expected =
            level.top("b" + std::to_string(kind * 2)) + Ogre::Vector3(0, 1, 0);
        EXPECT_LT(node->getPosition().distance(expected), 1e-5f);
    }
    EXPECT_EQ(level.scene->getPhysicsWorld()->getBodyCount(), 0u);
    EXPECT_TRUE(level.scene->getParticleSystems().empty());

    // Deleting a marker monster takes its billboard with it.
    EXPECT_TRUE(level.scene->deleteMonster("m0"));
    EXPECT_FALSE(sm->hasBillboardSet("billboardm0"));
    EXPECT_FALSE(sm->hasSceneNode("billboardNodem0"));
}

TEST(Hunting, evilMarbleKeepsStillUntilABallIsWithinRangeThenHuntsItForGood)
{
    MapText map;
    map.row("f", 30, 0, 0, 0).start("f0").waypoint("f20", 1).monster(0, "evil", "f20");
    Level level(map.str());
    CMonster* evil = level.monster("evil");
    const Ogre::Vector3 start = evil->getBody()->getPosition();

    level.run(2.0f);

    EXPECT_FALSE(evil->isHunting());
    EXPECT_EQ(evil->getDirection(), Ogre::Vector3::ZERO);
    const Ogre::Vector3 resting = evil->getBody()->getPosition();
    EXPECT_NEAR(resting.x, start.x, 1e-3f);
    EXPECT_NEAR(resting.z, start.z, 1e-3f);
    EXPECT_LT(resting.y, start.y); // it fell onto its box: only gravity acted
    ASSERT_EQ(evil->getBallDistances().size(), 1u);
    EXPECT_GT(evil->getBallDistances()[0], CEvilMarbleMonster::kHuntingRange);

    // 11 units away: within range.
    level.putBall(0, level.top("f9") + Ogre::Vector3(0, 0.5f, 0));
    level.run(0.3f);
    EXPECT_TRUE(evil->isHunting());
    EXPECT_EQ(evil->getNearestBall(), 0);

    // The ball goes back 20 units away: the marble keeps chasing it.
    level.putBall(0, level.top("f0") + Ogre::Vector3(0, 0.5f, 0));
    const float before = evil->getBody()->getPosition().x;
    level.run(1.0f);
    EXPECT_TRUE(evil->isHunting());
    EXPECT_NEAR(evil->getDirection().x, -CEvilMarbleMonster::kStrength, 0.05f);
    EXPECT_LT(evil->getBody()->getPosition().x, before - 0.3f);
    EXPECT_LT(evil->getBody()->getVelocity().x, 0.0f);
}

TEST(Hunting, ofTwoBallsAtTheSameDistanceTheLaterOneIsChosen)
{
    for (int kind : {CMonster::KIND_EVIL_MARBLE, CMonster::KIND_VENOM_MARBLE}) {
        SCOPED_TRACE(kind);
        for (float firstZ : {-3.0f, -2.5f}) {
            MapText map;
            map.box("s0", 0, 0, firstZ).box("s1", 0, 0, 3).box("m", 0, 0, 0);
            map.start("s0").start("s1").waypoint("m", 1).monster(kind, "hunter", "m");
            Level::Options options;
            options.players = 2;
            Level level(map.str(), options);
            ASSERT_EQ(level.scene->getBallCount(), 2u);
            CMonster* hunter = level.monster("hunter");

            Ogre::Vector3 direction;
            hunter->steer(direction);

            EXPECT_TRUE(hunter->isHunting());
            const int expected = firstZ == -3.0f ? 1 : 0; // a tie goes to the later ball
            EXPECT_EQ(hunter->getNearestBall(), expected);
            EXPECT_GT(direction.z * (expected == 1 ? 1.0f : -1.0f), 0.0f);
        }
    }
}

TEST(Hunting, venomMarbleRollsAtTheBallWithItsOwnStrength)
{
    MapText map;
    map.row("f", 8, 0, 0, 0).start("f0").waypoint("f6", 1).monster(2, "venom", "f6");
    Level level(map.str());
    CMonster* venom = level.monster("venom");

    level.run(0.3f);

    EXPECT_TRUE(venom->isHunting());
    EXPECT_NEAR(venom->getDirection().length(), 4.0f, 1e-4f);
    EXPECT_LT(venom->getDirection().x, -3.5f);
}

TEST(MovingObstacle, travelsBetweenItsTwoHeightsInItsColumn)
{
    Level level(MapText().box("m", 0, 0, 0).waypoint("m", 1).monster(3, "stamper", "m").str());
    auto* stamper = static_cast<CMovingObstacle*>(level.monster("stamper"));
    const Ogre::Vector3 top = level.top("m");
    EXPECT_FLOAT_EQ(stamper->getLowerHeight(), top.y + 1.0f);
    EXPECT_FLOAT_EQ(stamper->getUpperHeight(), top.y + 3.0f);

    float lowest = 100.0f;
    float highest = -100.0f;
    int turns = 0;
    bool goingDown = stamper->isGoingDown();
    for (float t = 0.0f; t < 8.0f; t += monstertest::kFrameTime) {
        level.ogre.frame(monstertest::kFrameTime);
        const Ogre::Vector3 p = stamper->getBody()->getPosition();
        lowest = std::min(lowest, p.y);
        highest = std::max(highest, p.y);
        // Slamming onto the box may shift it a little; from 0.2 on it is put back.
        EXPECT_LT(std::fabs(p.x - top.x), CMovingObstacle::kMaxDrift + 0.05f);
        EXPECT_LT(std::fabs(p.z - top.z), CMovingObstacle::kMaxDrift + 0.05f);
        if (stamper->isGoingDown() != goingDown) {
            ++turns;
            goingDown = stamper->isGoingDown();
            EXPECT_EQ(stamper->getDirection(),
                      goingDown ? CMovingObstacle::kDownDirection : CMovingObstacle::kUpDirection);
        }
    }
    EXPECT_LE(lowest, stamper->getLowerHeight());
    EXPECT_GE(highest, stamper->getUpperHeight());
    EXPECT_GE(turns, 3);
}

TEST(MovingObstacle, pushedSidewaysByTwoTenthsItJumpsBackToItsColumn)
{
    Level level(MapText().box("m", 0, 0, 0).waypoint("m", 1).monster(3, "stamper", "m").str());
    CMonster* stamper = level.monster("stamper");
    const Ogre::Vector3 top = level.top("m");
    level.run(0.5f);

    // A small push stays where it is.
    Ogre::Vector3 p = stamper->getBody()->getPosition();
    stamper->getBody()->setPositionOrientation(p + Ogre::Vector3(0.15f, 0, 0),
                                               Ogre::Quaternion::IDENTITY);
    level.ogre.frame(monstertest::kFrameTime);
    EXPECT_NEAR(stamper->getBody()->getPosition().x, top.x + 0.15f, 0.02f);

    for (const Ogre::Vector3& push : {Ogre::Vector3(0.25f, 0, 0), Ogre::Vector3(0, 0, -0.2f)}) {
        p = stamper->getBody()->getPosition();
        stamper->getBody()->setPositionOrientation(Ogre::Vector3(top.x, p.y, top.z) + push,
                                                   Ogre::Quaternion::IDENTITY);
        level.ogre.frame(monstertest::kFrameTime);
        const Ogre::Vector3 back = stamper->getBody()->getPosition();
        EXPECT_FLOAT_EQ(back.x, top.x);
        EXPECT_FLOAT_EQ(back.z, top.z);
        EXPECT_FLOAT_EQ(back.y, top.y + 2.0f);
        EXPECT_EQ(stamper->getBody()->getVelocity(), Ogre::Vector3::ZERO);
    }
}

TEST(MonsterContact, obstacleAndVenomMarbleSendTheBallBackToItsStart)
{
    for (int kind : {CMonster::KIND_OBSTACLE, CMonster::KIND_VENOM_MARBLE}) {
        SCOPED_TRACE(kind);
        Level level(corridor().monster(kind, "killer", "m3").str());
        CMonster* killer = level.monster("killer");
        level.run(0.5f);
        ASSERT_FALSE(level.scene->takeResetEvent(0));

        const TouchOutcome outcome = rollBallInto(level, killer, 4.0f);

        EXPECT_TRUE(outcome.touched);
        EXPECT_TRUE(outcome.reset);
        EXPECT_LT(level.ball().x, 1.0f); // back on m0
    }
}

TEST(MonsterContact, stamperComingDownOnTheBallSendsItBack)
{
    Level level(corridor().monster(3, "stamper", "m3").str());
    level.run(0.2f);
    level.putBall(0, level.top("m3") + Ogre::Vector3(0, 0.45f, 0));

    bool reset = false;
    for (float t = 0.0f; t < 4.0f && !reset; t += monstertest::kFrameTime) {
        level.ogre.frame(monstertest::kFrameTime);
        reset = level.scene->takeResetEvent(0);
    }

    EXPECT_TRUE(reset);
    EXPECT_LT(level.ball().x, 1.0f);
}

TEST(MonsterContact, evilMarbleSlimeAndBigBallOnlyPushTheBall)
{
    for (int kind : {CMonster::KIND_EVIL_MARBLE, CMonster::KIND_SLIME, CMonster::KIND_THE_BALL}) {
        SCOPED_TRACE(kind);
        Level level(corridor().monster(kind, "pusher", "m3").str());
        CMonster* pusher = level.monster("pusher");
        level.run(0.5f);
        const Ogre::Vector3 before = pusher->getBody()->getPosition();

        const TouchOutcome outcome = rollBallInto(level, pusher, 5.0f);

        EXPECT_TRUE(outcome.touched);
        EXPECT_FALSE(outcome.reset);
        EXPECT_GT(pusher->getBody()->getPosition().distance(before), 0.05f);
    }
}

TEST(MonsterFall, monstersBelowTheLevelReturnToTheirStartWaypoint)
{
    MapText map;
    map.row("f", 10, 0, 0, 0).start("f0");
    const int kinds[] = {CMonster::KIND_EVIL_MARBLE, CMonster::KIND_VENOM_MARBLE,
                         CMonster::KIND_SLIME, CMonster::KIND_THE_BALL};
    for (int i = 0; i < 4; ++i) {
        const std::string box = "f" + std::to_string(2 + 2 * i);
        map.waypoint(box, 1).monster(kinds[i], "k" + std::to_string(i), box);
    }
    Level level(map.str());
    level.run(0.5f);

    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(kinds[i]);
        CMonster* monster = level.monster("k" + std::to_string(i));
        const Ogre::Vector3 top = monster->getStartWaypoint()->getPosition();
        monster->getBody()->setPositionOrientation(top + Ogre::Vector3(5, -11.0f, 5),
                                                   Ogre::Quaternion::IDENTITY);
        monster->getBody()->setVelocity(Ogre::Vector3(0, -3, 0));

        level.ogre.frame(monstertest::kFrameTime);

        // The frame may step the physics after the monster's update: allow one step's fall.
        const Ogre::Vector3 back = monster->getBody()->getPosition();
        EXPECT_LT(back.distance(top + Ogre::Vector3(0, 2, 0)), 0.05f);
        EXPECT_LT(monster->getBody()->getVelocity().length(), 0.5f);
        EXPECT_FALSE(monster->isHunting());
        EXPECT_EQ(monster->getDirection(), Ogre::Vector3::ZERO);
    }
}

TEST(MonsterReset, restartingTheRoundPutsEveryMonsterBackOnItsStart)
{
    Level level(corridor()
                    .monster(CMonster::KIND_OBSTACLE, "block", "m2")
                    .monster(CMonster::KIND_MOVING_OBSTACLE, "stamper", "m5")
                    .monster(CMonster::KIND_THE_BALL, "big", "m8")
                    .str());
    level.run(1.0f);
    for (CMonster* monster : level.scene->getMonsters()) {
        const Ogre::Vector3 p = monster->getBody()->getPosition();
        monster->getBody()->setPositionOrientation(p + Ogre::Vector3(0.1f, 0.3f, 0.1f),
                                                   Ogre::Quaternion::IDENTITY);
        monster->getBody()->setVelocity(Ogre::Vector3(1, 1, 1));
    }

    level.scene->restartRound();

    EXPECT_LT(level.monster("block")->getBody()->getPosition().distance(level.top("m2")), 1e-4f);
    auto* stamper = static_cast<CMovingObstacle*>(level.monster("stamper"));
    EXPECT_LT(stamper->getBody()->getPosition().distance(level.top("m5") + Ogre::Vector3(0, 2, 0)),
              1e-4f);
    EXPECT_TRUE(stamper->isGoingDown());
    EXPECT_EQ(stamper->getDirection(), Ogre::Vector3::ZERO);
    EXPECT_LT(level.monster("big")->getBody()->getPosition().distance(level.top("m8") +
                                                                      Ogre::Vector3(0, 2, 0)),
              1e-4f);
    for (CMonster* monster : level.scene->getMonsters())
        EXPECT_EQ(monster->getBody()->getVelocity(), Ogre::Vector3::ZERO);
}

namespace {

// s (ball start) and g (slime start) joined directly through p (weight 1000) and by a detour
// over the row q0..q2 at z = 1 (weights 1).
MapText slimeGraph(bool startCarriesWaypoint)
{
    MapText map;
    map.box("s", 0, 0, 0).box("p", 1, 0, 0).box("g", 2, 0, 0).row("q", 3, 0, 0, 1).start("s");
    if (startCarriesWaypoint)
        map.waypoint("s", 1, {"p", "q0"});
    map.waypoint("p", 1000, {"s", "g"}).waypoint("g", 1, {"p", "q2"});
    map.waypoint("q0", 1, {"s", "q1"})
        .waypoint("q1", 1, {"q0", "q2"})
        .waypoint("q2", 1, {"q1", "g"});
    return map;
}

} // namespace

TEST(Slime, headsForTheFirstWaypointOfTheShortestPathWhateverItsWeight)
{
    Level level(slimeGraph(true).monster(4, "slime", "g").str());
    auto* slime = static_cast<CSlime*>(level.monster("slime"));
    // Until the ball lands on s the slime has no goal and stays on g.
    for (float t = 0.0f; t < 2.0f && !level.scene->getBallWaypoint(0); t += monstertest::kFrameTime)
        level.ogre.frame(monstertest::kFrameTime);
    ASSERT_EQ(level.scene->getBallWaypoint(0), level.waypointOn("s"));
    ASSERT_EQ(slime->getLastWaypoint(), level.waypointOn("g"));

    Ogre::Vector3 direction;
    slime->steer(direction);

    EXPECT_EQ(slime->getNextWaypoint(), level.waypointOn("p"));
    EXPECT_NEAR(direction.x, -CSlime::kStrength, 1e-4f);
    EXPECT_NEAR(direction.y, 0.0f, 1e-4f);
    EXPECT_NEAR(direction.z, 0.0f, 1e-4f);
}

TEST(Slime, followsTheGraphUntilItReachesTheBall)
{
    Level level(slimeGraph(true).monster(4, "slime", "g").str());
    CMonster* slime = level.monster("slime");

    bool reachedP = false;
    for (float t = 0.0f; t < 6.0f && !reachedP; t += monstertest::kFrameTime) {
        level.ogre.frame(monstertest::kFrameTime);
        reachedP = slime->getLastWaypoint() == level.waypointOn("p");
    }

    EXPECT_TRUE(reachedP);
    EXPECT_LT(slime->getBody()->getPosition().x, 1.6f);
}

TEST(Slime, standsStillWhenTheBallIsOnABoxWithoutWaypoint)
{
    Level level(slimeGraph(false).monster(4, "slime", "g").str());
    auto* slime = static_cast<CSlime*>(level.monster("slime"));
    level.run(0.5f);
    ASSERT_EQ(level.scene->getBallWaypoint(0), nullptr);

    Ogre::Vector3 direction(1, 1, 1);
    slime->steer(direction);

    EXPECT_EQ(direction, Ogre::Vector3::ZERO);
    EXPECT_EQ(slime->getNextWaypoint(), nullptr);
}

TEST(Slime, standsStillOnAnIsolatedWaypoint)
{
    Level level(slimeGraph(true)
                    .box("island", 5, 0, 0)
                    .waypoint("island", 1)
                    .monster(4, "slime", "island")
                    .str());
    auto* slime = static_cast<CSlime*>(level.monster("slime"));
    level.run(1.0f);
    ASSERT_EQ(level.scene->getBallWaypoint(0), level.waypointOn("s"));

    EXPECT_EQ(slime->getDirection(), Ogre::Vector3::ZERO);
    EXPECT_NEAR(slime->getBody()->getPosition().x, 5.0f, 1e-3f);
}
