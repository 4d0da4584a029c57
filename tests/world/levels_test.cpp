// The shipped courses can be finished by steering with keys: a driver pushes the ball with
// +-40 per axis (what W/A/S/D give) along a route of points and must reach the finish.
#include "headless_ogre.h"
#include "test_env.h"
#include "world/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float kFrame = 1.0f / 60.0f;
constexpr float kKeyForce = 40.0f;
constexpr float kCruiseSpeed = 3.0f; // the driver's wished speed towards the next point
constexpr float kSlowDownDistance = 2.0f;
constexpr float kReached = 0.7f;
constexpr float kTimeLimit = 90.0f;

struct SPoint
{
    float x;
    float z;
};

// One key per axis, pressed or not, chosen from the speed the driver wants on that axis.
float keyPush(float offset, float velocity)
{
    const float wish = std::clamp(offset / kSlowDownDistance, -1.0f, 1.0f) * kCruiseSpeed;
    const float error = wish - velocity;
    if (std::abs(error) < 0.15f)
        return 0.0f;
    return error > 0.0f ? kKeyForce : -kKeyForce;
}

class LevelsTest : public ::testing::Test
{
protected:
    LevelsTest() { dir.linkGameFiles(); }

    // Drives ball `index` along the route (the last point lies on the finish); returns the
    // winner, or 0 when time ran out. Falls and resets are counted.
    int drive(const std::string& map, int players, int index, const std::vector<SPoint>& route,
              int& resets)
    {
        CScene scene(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName, "", "", "", false,
                     map, players, 1, nullptr);
        EXPECT_GT(scene.getBallCount(), static_cast<size_t>(index));
        if (scene.getBallCount() <= static_cast<size_t>(index))
            return 0;
        resets = 0;
        size_t next = 0;
        for (float t = 0; t < kTimeLimit && scene.getWinner() == 0; t += kFrame) {
            const Ogre::Vector3 p = scene.getBallBody(index)->getPosition();
            const Ogre::Vector3 v = scene.getBallBody(index)->getVelocity();
            const SPoint& target = route[next];
            const float dx = target.x - p.x;
            const float dz = target.z - p.z;
            if (std::hypot(dx, dz) < kReached && next + 1 < route.size())
                ++next;
            scene.getBallForces()[index] = Ogre::Vector3(keyPush(dx, v.x), 0, keyPush(dz, v.z));
            ogre.frame(kFrame);
            if (scene.takeResetEvent(index)) {
                ++resets;
                next = 0;
            }
        }
        return scene.getWinner();
    }

    testenv::TempDir dir;
    HeadlessOgre ogre;
};

} // namespace

TEST_F(LevelsTest, firstStepsCanBeFinishedWithKeys)
{
    int resets = 0;
    EXPECT_EQ(drive("01_first_steps.kivom", 1, 0,
                    {{1, -13}, {13, -13}, {13, -29}, {5, -29}, {5, -44}}, resets),
              1);
    EXPECT_EQ(resets, 0);
}

TEST_F(LevelsTest, slopesAndGapsCanBeFinishedWithKeysAndItsHolesAreReal)
{
    int resets = 0;
    const std::vector<SPoint> route = {{1, -2},  {1, -15}, {4, -17}, {4, -25},
                                       {0, -26}, {0, -30}, {3, -30}, {3, -43}};
    EXPECT_EQ(drive("02_slopes_and_gaps.kivom", 1, 0, route, resets), 1);
    EXPECT_EQ(resets, 0);

    // Straight on from the ramp runs into the first hole: the ball falls and is put back.
    const std::vector<SPoint> intoTheHole = {{1, -2}, {1, -21}};
    EXPECT_EQ(drive("02_slopes_and_gaps.kivom", 1, 0, intoTheHole, resets), 0);
    EXPECT_GE(resets, 1);
}

TEST_F(LevelsTest, arenaCanBeFinishedFromEveryCorner)
{
    const SPoint corners[4] = {{-10, 10}, {8, -8}, {8, 10}, {-10, -8}};
    for (int ball = 0; ball < 4; ++ball) {
        SCOPED_TRACE(ball);
        int resets = 0;
        const std::vector<SPoint> route = {{-1, corners[ball].z}, {-1, 1}};
        EXPECT_EQ(drive("03_arena.kivom", 4, ball, route, resets), ball + 1);
        EXPECT_EQ(resets, 0);
    }
}
