// Every shipped map takes a four-player round: the level check finds nothing, not even a warning,
// and each of the four balls lands on its own start box and stays there. The generated courses
// are what tools/make_maps.py writes today.
#include "headless_ogre.h"
#include "test_env.h"
#include "world/box.h"
#include "world/map_check.h"
#include "world/scene.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr float kFrame = 1.0f / 60.0f;
constexpr int kLandingFrames = 120;
// A resting ball's centre lies its radius above its box's top centre.
constexpr float kRestHeight = CScene::kBallSize * 0.5f;
constexpr float kBoxHalfWidth = 0.5f; // the narrowest start boxes are one unit wide

std::set<std::string> shippedMaps()
{
    std::set<std::string> maps;
    for (const auto& entry : fs::directory_iterator("data/maps")) {
        if (entry.path().extension() == ".kivom")
            maps.insert(entry.path().filename().string());
    }
    return maps;
}

} // namespace

TEST(ShippedMaps, everyMapTakesFourPlayersWhoseBallsLandOnTheirOwnStartBoxes)
{
    testenv::TempDir dir;
    dir.linkGameFiles();
    HeadlessOgre ogre;
    const std::set<std::string> maps = shippedMaps();
    EXPECT_GE(maps.size(), 6u);
    for (const std::string& map : maps) {
        SCOPED_TRACE(map);
        CScene scene(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName, "", "", "", false,
                     map, kMaxRoundPlayers, 1, nullptr);
        EXPECT_EQ(describeMapProblems(checkMapDesign(scene)), "");
        ASSERT_EQ(scene.getBallCount(), size_t(kMaxRoundPlayers));
        for (int frame = 0; frame < kLandingFrames; ++frame)
            ogre.frame(kFrame);
        for (int ball = 0; ball < kMaxRoundPlayers; ++ball) {
            const Ogre::Vector3 top = scene.getStartBoxes()[size_t(ball)]->getTopCentre();
            const Ogre::Vector3 offset = scene.getBallBody(ball)->getPosition() - top;
            EXPECT_LT(Ogre::Vector2(offset.x, offset.z).length(), kBoxHalfWidth) << "ball " << ball;
            EXPECT_NEAR(offset.y, kRestHeight, 0.05f) << "ball " << ball;
            EXPECT_FALSE(scene.takeResetEvent(ball)) << "ball " << ball;
        }
    }
}

TEST(ShippedMaps, generatedCoursesAreWhatTheGeneratorWrites)
{
    testenv::TempDir dir;
    const std::string command = "python3 " + testenv::sourceDir() + "/tools/make_maps.py " +
                                dir.file("maps") + " > /dev/null 2>&1";
    if (std::system("python3 -c '' > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "no python3";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(dir.file("maps"))) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(testenv::readFile(entry.path().string()),
                  testenv::readFile(testenv::sourceDir() + "/data/maps/" + name))
            << name;
        ++compared;
    }
    EXPECT_GE(compared, 6);
}
