// The disc under a ball: on the box straight below, fading with the ball's height, gone beyond
// its reach, over a gap and when shadows are switched off.
#include "level_fixture.h"

#include "world/ball_shadow.h"

#include <gtest/gtest.h>

using leveltest::Level;
using leveltest::MapText;

TEST(BallShadow, liesOnTheBoxBelowAndFadesWithHeight)
{
    Level level(MapText().row("f", 3, 0, 0, 0).start("f1").str(), leveltest::LevelOptions{2});
    level.run(1.5f);
    const Ogre::Vector3 rest = level.ball();
    const Ogre::Vector3 boxTop = level.top("f1");

    struct Row
    {
        Ogre::Vector3 offset;
        bool enabled;
        bool visible;
        float strength;
    };
    const float halfway = CBallShadow::kReach / 2;
    const Row rows[] = {
        {Ogre::Vector3::ZERO, true, true, 1.0f},
        {Ogre::Vector3(0, halfway, 0), true, true, 0.5f},
        {Ogre::Vector3(0, CBallShadow::kReach + 0.5f, 0), true, false, 0.0f},
        {Ogre::Vector3(0.9f, halfway, 0), true, true, 0.5f}, // over the next box
        {Ogre::Vector3(0, 0, 10), true, false, 0.0f},        // over the void
        {Ogre::Vector3::ZERO, false, false, 0.0f},
    };
    for (const Row& row : rows) {
        CBallShadow::setEnabled(row.enabled);
        level.putBall(0, rest + row.offset);
        level.ogre.frame(0.0f); // the scene's frame work, no physics step
        const CBallShadow* shadow = level.scene->getBallShadow(0);
        ASSERT_NE(shadow, nullptr);
        const std::string where = "offset " + Ogre::StringConverter::toString(row.offset);
        EXPECT_EQ(shadow->isVisible(), row.visible) << where;
        EXPECT_NEAR(shadow->getStrength(), row.strength, 0.05f) << where;
        if (row.visible) {
            const Ogre::Vector3 centre = shadow->getCentre();
            EXPECT_NEAR(centre.x, rest.x + row.offset.x, 1e-3f) << where;
            EXPECT_NEAR(centre.z, rest.z + row.offset.z, 1e-3f) << where;
            EXPECT_NEAR(centre.y, boxTop.y, 0.05f) << where;
        }
    }
    CBallShadow::setEnabled(true);
    // The second player has no start box and so no ball, and no shadow.
    EXPECT_EQ(level.scene->getBallShadow(1), nullptr);
}
