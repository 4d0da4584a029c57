// Every shipped map takes a four-player round: the level check finds nothing, not even a warning,
// and each of the four balls lands on its own start box and stays there.
#include "headless_ogre.h"
#include "test_env.h"
#include "world/box.h"
#include "world/map_check.h"
#include "world/scene.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(ShippedMaps, everyMapTakesFourPlayersWhoseBallsLandOnTheirOwnStartBoxes)
{
    testenv::TempDir dir;
    dir.linkGameFiles();
    HeadlessOgre ogre;
    int maps = 0;
    for (const auto& entry : std::filesystem::directory_iterator("data/maps")) {
        if (entry.path().extension() != ".kivom")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        ++maps;
        CScene scene(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName, "", "", "", false,
                     entry.path().filename().string(), kMaxRoundPlayers, 1, nullptr);
        EXPECT_EQ(describeMapProblems(checkMapDesign(scene.shownLevel())), "");
        ASSERT_EQ(scene.getBallCount(), size_t(kMaxRoundPlayers));
        for (int frame = 0; frame < 120; ++frame)
            ogre.frame(1.0f / 60.0f);
        for (int ball = 0; ball < kMaxRoundPlayers; ++ball) {
            // At rest, its radius above the middle of its box (the narrowest are one unit wide).
            const Ogre::Vector3 offset = scene.getBallBody(ball)->getPosition() -
                                         scene.getStartBoxes()[size_t(ball)]->getTopCentre();
            EXPECT_LT(Ogre::Vector2(offset.x, offset.z).length(), 0.5f) << "ball " << ball;
            EXPECT_NEAR(offset.y, CScene::kBallSize * 0.5f, 0.05f) << "ball " << ball;
        }
    }
    EXPECT_GE(maps, 14);
}
