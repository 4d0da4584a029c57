// Levels carried from the model into a scene: random levels built in an editor scene give back
// the same map text, broken records build in either mode without harm, and a file that cannot
// be opened says so.
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
        scene.realise(model);
        EXPECT_EQ(writeMap(scene.shownLevel()), writeMap(model)) << "round " << round;
    }
}

// Random bytes are the fuzz targets' part; here, every record cut short or out of range.
TEST(SceneLevel, truncatedRecordsNeverCrashInEitherModeAndAMissingFileIsReported)
{
    const std::string truncated = "box=t1,stone,g,1,2\n"
                                  "box=t2\n"
                                  "box=t3,stone,g,1,2,3,0.5,0.5\n"
                                  "box=t4,stone,g,5e30,0,0\n"
                                  "light=\nlight=,,,\nambient=\nambient=nan,inf,-1\n"
                                  "waypoint=t1\nwaypoint=\nmonster=\nmonster=1\n"
                                  "startpoint=\nfinishpoint=t1\nstartpoint=t1\n=\n==,,\n";
    leveltest::Level level;
    for (bool editor : {true, false}) {
        leveltest::LevelOptions options;
        options.editor = editor;
        CScene& s = level.build(truncated, options);
        EXPECT_NE(s.findBox("t1"), nullptr);
        EXPECT_EQ(s.findBox("t4"), nullptr); // beyond any sensible coordinate
        level.ogre.frame(0.1f);
    }
    CIOMap reader;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(reader.openForReading(level.dir.file("missing.kivom")));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "CIOMap: Can't open file: " + level.dir.file("missing.kivom") + "!\n");
}
