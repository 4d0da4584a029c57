// The shipped courses can be finished by steering: a driver pushes a ball with
// at most 40 per axis (what W/A/S/D give) along a route of points to the
// finish. The first ball there wins and every ball stops; restarting the round
// puts the ball back. Falls and monsters send a ball back to its start, and the
// driver then starts its route again.
#include "headless_ogre.h"
#include "route_driver.h"
#include "test_env.h"
#include "world/scene.h"

#include <OgreSceneNode.h>

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kFrame = 1.0f / 60.0f;
constexpr float kTimeLimit = 120.0f;

class LevelsTest : public ::testing::Test
{
protected:
    LevelsTest() { dir.linkGameFiles(); }
    testenv::TempDir dir;
    HeadlessOgre ogre;
};

} // namespace

TEST_F(LevelsTest, shippedCoursesCanBeFinishedAndTheWinStopsEveryBall)
{
    for (const SCourse& course : shippedCourses()) {
        SCOPED_TRACE(std::string(course.map) + " ball " + std::to_string(course.ball));
        CScene scene(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName, "", "", "", false,
                     course.map, course.players, 1, nullptr);
        ASSERT_GT(scene.getBallCount(), static_cast<size_t>(course.ball));
        const int i = course.ball;
        CRouteDriver driver = courseDriver(course, scene);
        for (int frame = 0; frame < 60; ++frame)
            ogre.frame(kFrame); // the ball lands on its start box first
        int resets = 0;
        float t = 0;
        for (; t < kTimeLimit && scene.getWinner() == 0 && resets <= course.maxResets;
             t += kFrame) {
            const Ogre::Vector3 p = scene.getBallBody(i)->getPosition();
            const Ogre::Vector3 v = scene.getBallBody(i)->getVelocity();
            scene.getBallForces()[i] = driver.steer(p, v);
            ogre.frame(kFrame);
            if (scene.takeResetEvent(i)) {
                ++resets;
                driver.restart();
            }
        }
        EXPECT_EQ(scene.getWinner(), course.winner);
        if (course.winner == 0) {
            EXPECT_GE(resets, 1);
            continue;
        }
        EXPECT_LE(resets, course.maxResets);
        // The time to beat is that of a clean run.
        if (const float limit = timeToBeat(course.map); limit > 0.0f && resets == 0) {
            EXPECT_LE(t, limit) << "the time to beat in the description is out of date";
        }
        for (int b = 0; b < static_cast<int>(scene.getBallCount()); ++b) {
            EXPECT_EQ(scene.getBallForces()[b], Ogre::Vector3::ZERO) << "ball " << b;
            EXPECT_LT(std::abs(scene.getBallBody(b)->getVelocity().z), 0.05f) << "ball " << b;
        }
        // The camera follows ball 1 (at most one frame behind).
        EXPECT_LT(scene.getCameraPointNode(1)->getPosition().distance(
                      scene.getBallBody(0)->getPosition()),
                  0.2f);
        scene.restartRound();
        EXPECT_EQ(scene.getWinner(), 0);
        EXPECT_EQ(scene.getBallBody(i)->getPosition(), scene.getStartPosition(i + 1));
        EXPECT_FALSE(scene.takeResetEvent(i));
    }
}
