// The shipped courses can be finished by steering: a driver pushes a ball with at most 40 per
// axis (what W/A/S/D give) along a route of points to the finish. The first ball there wins and
// every ball stops; restarting the round puts the ball back. Falls and monsters send a ball back
// to its start, and the driver then starts its route again.
#include "headless_ogre.h"
#include "monster_level_route.h"
#include "test_env.h"
#include "world/scene.h"

#include <OgreSceneNode.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float kFrame = 1.0f / 60.0f;
constexpr float kKeyForce = 40.0f;
constexpr float kTimeLimit = 120.0f;

// Whole key presses: one key per axis, pressed or not, chosen from the speed the driver wants.
class CKeyDriver
{
public:
    explicit CKeyDriver(std::vector<Ogre::Vector2> route) : mRoute(std::move(route)) {}
    Ogre::Vector3 steer(const Ogre::Vector3& p, const Ogre::Vector3& v)
    {
        const Ogre::Vector2 offset(mRoute[mNext].x - p.x, mRoute[mNext].y - p.z);
        if (offset.length() < 0.7f && mNext + 1 < mRoute.size())
            ++mNext;
        return Ogre::Vector3(push(offset.x, v.x), 0.0f, push(offset.y, v.z));
    }
    void restart() { mNext = 0; }

private:
    static float push(float offset, float velocity)
    {
        const float error = std::clamp(offset / 2.0f, -1.0f, 1.0f) * 3.0f - velocity;
        return std::abs(error) < 0.15f ? 0.0f : (error > 0.0f ? kKeyForce : -kKeyForce);
    }
    std::vector<Ogre::Vector2> mRoute;
    size_t mNext = 0;
};

struct SCourse
{
    const char* map;
    int players;
    int ball;      // the steered ball's index
    int winner;    // 0: the route must end in a fall instead
    int maxResets; // how often the ball may be sent back on its way
    std::vector<Ogre::Vector2> route;
};

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
    const SCourse courses[] = {
        {"00_straight_run.kivom", 2, 1, 2, 0, {{-1, -22}}},
        {"01_first_steps.kivom", 1, 0, 1, 0, {{1, -13}, {13, -13}, {13, -29}, {5, -29}, {5, -44}}},
        {"02_slopes_and_gaps.kivom",
         1,
         0,
         1,
         0,
         {{1, -2}, {1, -15}, {4, -17}, {4, -25}, {0, -26}, {0, -30}, {3, -30}, {3, -43}}},
        // Straight on from the ramp into the first hole: the ball falls and is put back.
        {"02_slopes_and_gaps.kivom", 1, 0, 0, 0, {{1, -2}, {1, -21}}},
        {"03_arena.kivom", 4, 0, 1, 0, {{-1, 10}, {-1, 1}}},
        {"03_arena.kivom", 4, 1, 2, 0, {{-1, -8}, {-1, 1}}},
        {"03_arena.kivom", 4, 2, 3, 0, {{-1, 10}, {-1, 1}}},
        {"03_arena.kivom", 4, 3, 4, 0, {{-1, -8}, {-1, 1}}},
        {monstertest::kMonsterLevel, 1, 0, 1, 3, {}}, // the route of the monster level's header
    };
    for (const SCourse& course : courses) {
        SCOPED_TRACE(std::string(course.map) + " ball " + std::to_string(course.ball));
        CScene scene(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName, "", "", "", false,
                     course.map, course.players, 1, nullptr);
        ASSERT_GT(scene.getBallCount(), static_cast<size_t>(course.ball));
        CKeyDriver keys(course.route);
        monstertest::CRouteDriver steady; // the monster level's route, followed smoothly
        const bool smooth = course.route.empty();
        const int i = course.ball;
        for (int frame = 0; smooth && frame < 60; ++frame)
            ogre.frame(kFrame); // the ball lands on its start box first
        int resets = 0;
        for (float t = 0; t < kTimeLimit && scene.getWinner() == 0 && resets <= course.maxResets;
             t += kFrame) {
            const Ogre::Vector3 p = scene.getBallBody(i)->getPosition();
            const Ogre::Vector3 v = scene.getBallBody(i)->getVelocity();
            scene.getBallForces()[i] = smooth ? steady.steer(p, v) : keys.steer(p, v);
            ogre.frame(kFrame);
            if (scene.takeResetEvent(i)) {
                ++resets;
                keys.restart();
                steady.restart();
            }
        }
        EXPECT_EQ(scene.getWinner(), course.winner);
        if (course.winner == 0) {
            EXPECT_GE(resets, 1);
            continue;
        }
        EXPECT_LE(resets, course.maxResets);
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
