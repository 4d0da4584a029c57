// A level carried from the model into a scene and back keeps every value: random levels built
// in an editor scene give back the same map text.
#include "level_fixture.h"
#include "random_level.h"

#include "world/map_io.h"

#include <gtest/gtest.h>

TEST(SceneLevel, aLevelBuiltInASceneGivesBackTheSameMapText)
{
    leveltest::Level level;
    leveltest::LevelOptions options;
    options.editor = true;
    std::mt19937 random(1207);
    for (int round = 0; round < 10; ++round) {
        const CLevel model = leveltest::randomLevel(random);
        CScene& scene = level.build("", options);
        CIOMap::buildInScene(model, scene);
        EXPECT_EQ(writeMap(CIOMap::levelOf(scene)), writeMap(model)) << "round " << round;
        EXPECT_EQ(CIOMap::unstorableReason(scene), "");
    }
}
