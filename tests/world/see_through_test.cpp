// See-through boxes: a box blocking camera 1's centre ray makes the boxes above the local ball
// fade by distance (single view only, every half second); a faded box stays in physics.
#include "level_fixture.h"

#include "world/box_grid.h"
#include "world/material_instance.h"

#include <OgreEntity.h>
#include <OgreSceneNode.h>
#include <OgreSubEntity.h>

#include <gtest/gtest.h>

using leveltest::Level;
using leveltest::LevelOptions;
using leveltest::MapText;

namespace {

constexpr float kPassInterval = 0.5f;

// The alpha a box was last given (1 = opaque); 1 for a box never touched.
float alphaOf(CBox* box)
{
    const auto& instances = box->getMaterialInstances();
    return instances.empty() ? 1.0f : 1.0f - instances.front()->getTransparency();
}

// Settles the ball on its start box, then adds boxes around it whose top centres lie at known
// places relative to the ball (their physics never steps again, so they may overlap it).
struct SeeThroughLevel
{
    Level level;
    Ogre::Vector3 ball;

    explicit SeeThroughLevel(bool blocker, const LevelOptions& options = LevelOptions())
        : level(MapText().row("f", 5, 0, 0, 0).row("s", 5, 0, 0, 3).start("f0").start("s0").str(),
                options)
    {
        level.run(1.5f);
        ball = level.ball();
        // On camera 1's centre ray, 7 units from the camera (which rides 10 up, 10 behind).
        if (blocker)
            addBoxWithTopAt("blocker", ball + Ogre::Vector3(0, 5.5f, 5));
        addBoxWithTopAt("atBall", ball + Ogre::Vector3(0, 1e-4f, 0));
        addBoxWithTopAt("seven", ball + Ogre::Vector3(0, 7, 0));
        addBoxWithTopAt("fourteen", ball + Ogre::Vector3(0, 14, 0));
        addBoxWithTopAt("justInside", ball + Ogre::Vector3(0, 13.9f, 0));
        addBoxWithTopAt("sideways", ball + Ogre::Vector3(7, 0.001f, 0));
    }
    void addBoxWithTopAt(const std::string& name, const Ogre::Vector3& top)
    {
        level.scene->addBox(name, "stone", "extra", top - Ogre::Vector3(0, 0.5f, 0), nullptr,
                            false);
    }
    // The scene's frame work alone (no physics step) for the given time.
    void sceneFrame(float seconds)
    {
        Ogre::FrameEvent evt;
        evt.timeSinceLastFrame = seconds;
        evt.timeSinceLastEvent = seconds;
        level.scene->updateRunning(evt);
    }
    float alpha(const std::string& box) const { return alphaOf(level.scene->findBox(box)); }
};

} // namespace

TEST(SeeThrough, boxesAboveTheBallFadeWithTheSquareOfTheirDistance)
{
    SeeThroughLevel world(true);
    world.level.scene->setSeeThroughTimer(0.0f);

    // Not yet half a second: no pass.
    world.sceneFrame(0.3f);
    EXPECT_FLOAT_EQ(world.alpha("seven"), 1.0f);
    EXPECT_TRUE(world.level.scene->findBox("seven")->getMaterialInstances().empty());

    world.sceneFrame(0.3f);
    EXPECT_NEAR(world.alpha("atBall"), 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(world.alpha("seven"), 49.0f / 196.0f);
    EXPECT_FLOAT_EQ(world.alpha("fourteen"), 1.0f);
    EXPECT_NEAR(world.alpha("justInside"), 13.9f * 13.9f / 196.0f, 1e-4f);
    EXPECT_NEAR(world.alpha("blocker"), (5.5f * 5.5f + 25.0f) / 196.0f, 1e-4f);
    // Boxes level with or below the ball stay opaque, however near.
    EXPECT_FLOAT_EQ(world.alpha("f1"), 1.0f);
    EXPECT_NEAR(world.alpha("sideways"), 49.0f / 196.0f, 1e-4f);
    EXPECT_FLOAT_EQ(world.level.scene->getSeeThroughTimer(), 0.0f);

    Ogre::SubEntity* sub = world.level.scene->findBox("seven")->getEntity()->getSubEntity(0);
    EXPECT_NE(sub->getMaterialName(), "stone"); // the faded box shows its copy

    // Without the blocker in the way the next pass makes everything opaque again.
    world.level.scene->findBox("blocker")->setPosition(world.ball + Ogre::Vector3(30, 0, 30));
    world.sceneFrame(0.6f);
    EXPECT_FLOAT_EQ(world.alpha("seven"), 1.0f);
    EXPECT_FLOAT_EQ(world.alpha("atBall"), 1.0f);
    EXPECT_EQ(sub->getMaterialName(), "stone");
}

TEST(SeeThrough, nothingFadesWithoutABlockingBoxOrInSplitView)
{
    LevelOptions split;
    split.players = 2;
    split.secondCamera = true;
    for (bool splitView : {false, true}) {
        SCOPED_TRACE(splitView ? "split view, blocked" : "single view, nothing blocks");
        SeeThroughLevel world(splitView, splitView ? split : LevelOptions());
        world.sceneFrame(kPassInterval + 0.1f);
        for (const char* name : {"atBall", "seven", "justInside", "sideways"})
            EXPECT_FLOAT_EQ(world.alpha(name), 1.0f) << name;
    }
}

TEST(SeeThrough, aFullyFadedBoxStaysInThePhysics)
{
    Level level(MapText().row("f", 3, 0, 0, 0).start("f1").str());
    level.run(1.5f);
    const Ogre::Vector3 resting = level.ball();
    CBox* floor = level.scene->findBox("f1");

    floor->setSeeThrough(-0.1f); // out of range: ignored
    EXPECT_FLOAT_EQ(alphaOf(floor), 1.0f);
    floor->setSeeThrough(0.0f);
    // Physics alone: the scene's next see-through pass would make the box opaque again.
    for (int step = 0; step < 200; ++step)
        level.scene->getPhysicsWorld()->step(0.01f);

    EXPECT_FLOAT_EQ(alphaOf(floor), 0.0f);
    EXPECT_LT(level.ball().distance(resting), 0.02f);
    EXPECT_FALSE(level.scene->takeResetEvent(0));
}
