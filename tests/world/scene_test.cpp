// A level built from a map on headless Ogre with real physics: balls and their
// start, the contact rules, falls, pause, editor operations, and levels that fail to build.
#include "level_fixture.h"

#include "world/box_grid.h"

#include <OgreLight.h>
#include <OgreSceneNode.h>

#include <gtest/gtest.h>

#include <algorithm>

using leveltest::Level;
using leveltest::LevelOptions;
using leveltest::MapText;
using leveltest::straightCourse;

namespace {

LevelOptions editor()
{
    LevelOptions options;
    options.editor = true;
    return options;
}

} // namespace

TEST(Scene, eachStartBoxGivesOneBallTwoAboveItsTopCentre)
{
    Level level(MapText().box("raised", 3, 1, -2, "startbox", 0.5f).start("raised").str());
    // The top centre stands at 1.0 above the box position: the ball starts 3 above it.
    EXPECT_EQ(level.scene->getStartPosition(1), Ogre::Vector3(3, 4, -2));
    EXPECT_EQ(level.scene->getStartPosition(2), Ogre::Vector3::ZERO);
    EXPECT_EQ(level.ball(), Ogre::Vector3(3, 4, -2));

    LevelOptions three;
    three.players = 3;
    CScene& s = level.build(straightCourse(1, 2).str(), three);
    EXPECT_EQ(s.getBallCount(), 2u);
    EXPECT_FALSE(level.ogre.sceneManager->hasEntity("Ball2"));
    EXPECT_EQ(s.getBallBody(2), nullptr);
    EXPECT_FALSE(s.takeResetEvent(2));
    EXPECT_FALSE(s.correctBall(-1, Ogre::Vector3::ZERO, 0.5f));
}

TEST(Scene, hardLandingSetsTheCollisionFlagOnceAndGentleRollingDoesNot)
{
    Level level(straightCourse(3).str());
    CScene& s = *level.scene;
    ASSERT_TRUE(level.runUntil([&] { return level.ball().y < 1.0f; }, 3.0f));
    level.run(0.5f);
    EXPECT_TRUE(s.takeCollisionEvent(0));
    EXPECT_FALSE(s.takeCollisionEvent(0)); // read and cleared
    level.runUntil(
        [&] {
            s.getBallForces()[0] = Ogre::Vector3(0, 0, -40);
            return false;
        },
        0.5f);
    EXPECT_FALSE(s.takeCollisionEvent(0));
}

TEST(Scene, ballBelowTheFallLimitGoesBackToItsStartStillAndUnpushed)
{
    Level level(straightCourse(2).str());
    CScene& s = *level.scene;
    level.run(0.5f);
    EXPECT_FALSE(s.takeResetEvent(0));
    s.getBallForces()[0] = Ogre::Vector3(10, 0, 0);
    ASSERT_TRUE(s.correctBall(0, Ogre::Vector3(20, -9, 0), 0.5f));
    EXPECT_FALSE(s.correctBall(0, Ogre::Vector3(20, -9, 0.1f),
                               0.5f)); // within the threshold
    ASSERT_TRUE(level.runUntil([&] { return level.ball().y > 0.0f; }, 2.0f));
    EXPECT_TRUE(s.takeResetEvent(0));
    EXPECT_EQ(s.getBallForces()[0], Ogre::Vector3::ZERO);
    level.run(leveltest::kFrameTime); // the next step clears the velocity of the fall
    EXPECT_LT(s.getBallBody(0)->getVelocity().length(), 0.2f);
    EXPECT_NEAR(level.ball().x, 0.0f, 1e-3f);
}

TEST(Scene, pauseStopsTheWorldAndResumeRestartsIt)
{
    Level level(straightCourse(2).str());
    CScene& s = *level.scene;
    level.ogre.frame(0.1f);
    s.setPaused(true);
    const Ogre::Vector3 still = level.ball();
    level.run(0.5f);
    EXPECT_EQ(level.ball(), still);
    EXPECT_EQ(s.getCameraPointNode(1)->getPosition(), still);
    s.setPaused(false);
    level.run(0.2f);
    EXPECT_LT(level.ball().y, still.y);
}

// The engine names the two bodies of a contact in no fixed order: every rule is checked with both
// orders.
TEST(SceneContacts, rulesHoldWhicheverBodyComesFirst)
{
    const std::string map = straightCourse(3, 2)
                                .waypoint("b1", 1, {"b3"})
                                .waypoint("b3", 1, {"b1"})
                                .monster(CMonster::KIND_OBSTACLE, "block", "b1")
                                .monster(CMonster::KIND_THE_BALL, "boulder", "b3")
                                .str();
    LevelOptions two;
    two.players = 2;
    for (bool swapped : {false, true}) {
        SCOPED_TRACE(swapped ? "second body first" : "first body first");
        Level level(map, two);
        CScene& s = *level.scene;
        const auto touch = [&](CPhysicsBody& a, CPhysicsBody& b) {
            swapped ? s.processContact(b, a) : s.processContact(a, b);
        };
        CPhysicsBody& ball = *s.getBallBody(0);
        CPhysicsBody& other = *s.getBallBody(1);
        CMonster* block = level.monster("block");
        CMonster* boulder = level.monster("boulder");

        // A sudden change of velocity sets the collision flag; a box gives the ball its waypoint,
        // which monsters and balls leave alone and a box without one clears.
        ball.setVelocity(Ogre::Vector3(0, -6, 0));
        touch(ball, level.body("b1"));
        EXPECT_TRUE(s.takeCollisionEvent(0));
        EXPECT_EQ(s.getBallWaypoint(0), level.waypointOn("b1"));
        touch(ball, *boulder->getBody());
        touch(ball, other);
        EXPECT_EQ(s.getBallWaypoint(0), level.waypointOn("b1"));
        touch(ball, level.body("b2"));
        EXPECT_EQ(s.getBallWaypoint(0), nullptr);

        // A monster remembers the last waypoint box it touched.
        touch(*block->getBody(), level.body("b3"));
        touch(*block->getBody(), level.body("b2"));
        EXPECT_EQ(block->getLastWaypoint(), level.waypointOn("b3"));

        // A pushing monster leaves the ball be; one that hits balls sends it to its start.
        ball.setPositionOrientation(Ogre::Vector3(0, 1.4f, -3), Ogre::Quaternion::IDENTITY);
        touch(*boulder->getBody(), ball);
        EXPECT_FALSE(s.takeResetEvent(0));
        touch(*block->getBody(), ball);
        EXPECT_TRUE(s.takeResetEvent(0));
        EXPECT_EQ(ball.getPosition(), s.getStartPosition(1));

        // The first ball on the finish wins and stops; a later one does not take the win.
        other.setVelocity(Ogre::Vector3(0, 0, -3));
        touch(other, level.body("goal"));
        EXPECT_EQ(s.getWinner(), 2);
        EXPECT_EQ(other.getVelocity(), Ogre::Vector3::ZERO);
        touch(ball, level.body("goal"));
        EXPECT_EQ(s.getWinner(), 2);
    }
}

TEST(SceneEditor, editorModeBuildsNoPhysicsAndNoMonsterLook)
{
    Level level(straightCourse(1).waypoint("b1", 1).monster(0, "m", "b1").str(), editor());
    CScene& s = *level.scene;
    Ogre::SceneManager* sm = level.ogre.sceneManager;
    EXPECT_EQ(s.getBallCount(), 0u);
    ASSERT_EQ(s.getMonsters().size(), 1u);
    EXPECT_EQ(s.getMonsters()[0]->getNode(), nullptr);
    EXPECT_EQ(s.findBox("b1")->getBody(), nullptr);
    EXPECT_FALSE(sm->hasEntity("entityb1"));
    EXPECT_EQ(sm->getFogMode(), Ogre::FOG_NONE);

    s.setPoints({}, false);
    EXPECT_TRUE(s.getFinishBoxes().empty());
    level.run(0.1f);
}

TEST(Scene, aLevelThatFailsToBuildLeavesNothingPointingAtIt)
{
    Level level;
    // Something already holds a name the scene needs, so building throws half way.
    level.ogre.sceneManager->getRootSceneNode()->createChildSceneNode("camNodePoint");
    EXPECT_ANY_THROW(level.build(straightCourse(2).str()));
    EXPECT_EQ(CScene::current(), nullptr);
    level.ogre.frame(leveltest::kFrameTime); // no frame listener of the failed scene is left
    EXPECT_NO_THROW(level.build(straightCourse(2).str()));
}

// A box deleted and put back, or a light changed, leaves every other engine object of the level
// as it was: the same boxes with their nodes and bodies, the same lights.
TEST(Scene, oneBoxOrOneLightChangesWithoutTouchingAnyOtherObject)
{
    Level level(straightCourse(3).light("spot", 1, 5, 1, 20).str());
    CScene& s = *level.scene;
    const auto objects = [&s] {
        std::vector<const void*> all;
        for (const auto& grid : s.getGrids()) {
            for (const auto& box : grid->getBoxes())
                all.insert(all.end(), {box.get(), box->getNode(), box->getBody()});
        }
        all.insert(all.end(), s.getLights().begin(), s.getLights().end());
        return all;
    };
    std::vector<const void*> others = objects();
    CBox* b2 = s.findBox("b2");
    const auto own = std::find(others.begin(), others.end(), b2);
    ASSERT_NE(own, others.end());
    const auto place = own - others.begin();
    others.erase(own, own + 3);
    const Ogre::Vector3 position = b2->getPosition();
    const CScene::Vertices vertices = b2->getVertices();

    ASSERT_TRUE(s.deleteBox(b2));
    EXPECT_EQ(objects(), others);
    // Put back in its place in the grid (after start0 and b1), with a body of its own.
    CBox* back = s.addBox("b2", "stone", "course", position, &vertices, false, 2);
    const std::vector<const void*> now = objects();
    ASSERT_EQ(now[place], back);
    EXPECT_NE(back->getBody(), nullptr);
    std::vector<const void*> rest = now;
    rest.erase(rest.begin() + place, rest.begin() + place + 3);
    EXPECT_EQ(rest, others);

    Ogre::Light* spot = s.getLights()[1];
    const Ogre::ColourValue spotColour = spot->getDiffuseColour();
    const Ogre::Vector3 spotPlace = spot->getParentSceneNode()->getPosition();
    const Ogre::ColourValue red = Ogre::ColourValue::Red;
    ASSERT_TRUE(s.setLightValues("lamp", Ogre::Vector3(3, 3, 3), red, red, 10.0f));
    EXPECT_EQ(objects(), now);
    EXPECT_EQ(s.getLights()[0]->getDiffuseColour(), red);
    EXPECT_EQ(spot->getDiffuseColour(), spotColour);
    EXPECT_EQ(spot->getParentSceneNode()->getPosition(), spotPlace);
}
