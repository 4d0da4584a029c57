// Moving in: the settings and best times an older version kept beside the program are copied to
// the user's folders once; nothing the user already has is overwritten and the old files stay.
#include "game/core/moving_in.h"

#include "test_env.h"
#include "world/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

const char* const kBestTimes = "[Mapinfo]\nAuthor=Ann\n[Top5]\nname1=Ann\ntime1=12.5\n";

class MovingIn : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directories(dir.file("old/maps"));
        testenv::writeFile(old("ogre.cfg"), "Render System=OpenGL Rendering Subsystem\n");
        testenv::writeFile(old("input.cfg"), "[Player1]\nForward=20\n");
        testenv::writeFile(old("maps/run.kivom.data"), kBestTimes);
        testenv::writeFile(old("maps/fresh.kivom.data"), "[Top5]\nname1=Free\ntime1=0\n");
        testenv::writeFile(old("maps/run.kivom"), "a map");
        std::string error;
        ASSERT_TRUE(paths::makeUserFolders(error)) << error;
    }
    std::string old(const std::string& name) const { return dir.file("old/" + name); }
    std::vector<std::string> moveInNow() const { return moveIn(old(""), old("maps")); }

    testenv::TempDir dir;
};

TEST_F(MovingIn, copiesSettingsAndBestTimesOnceAndLeavesTheOldFiles)
{
    const std::vector<std::string> log = moveInNow();
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log.back().find(paths::configDir()), std::string::npos) << log.back();

    struct Row
    {
        std::string from;
        std::string to;
    };
    const Row copied[] = {
        {old("ogre.cfg"), paths::configFile("ogre.cfg")},
        {old("input.cfg"), paths::configFile("input.cfg")},
        {old("maps/run.kivom.data"), paths::userMapDir() + "/run.kivom.data"},
    };
    for (const Row& row : copied) {
        EXPECT_EQ(testenv::readFile(row.to), testenv::readFile(row.from)) << row.to;
        EXPECT_TRUE(fs::exists(row.from)) << row.from;
    }
    // No best times: nothing worth taking over. Maps themselves stay where they are.
    EXPECT_FALSE(fs::exists(paths::userMapDir() + "/fresh.kivom.data"));
    EXPECT_FALSE(fs::exists(paths::userMapDir() + "/run.kivom"));

    // Once: later changes to the old files, or files the user removed, are not moved again.
    testenv::writeFile(old("input.cfg"), "[Player1]\nForward=30\n");
    fs::remove(paths::configFile("ogre.cfg"));
    EXPECT_TRUE(moveInNow().empty());
    EXPECT_FALSE(fs::exists(paths::configFile("ogre.cfg")));
    EXPECT_EQ(testenv::readFile(paths::configFile("input.cfg")), "[Player1]\nForward=20\n");
}

TEST_F(MovingIn, neverOverwritesWhatTheUserAlreadyHas)
{
    testenv::writeFile(paths::configFile("input.cfg"), "[Player1]\nForward=17\n");
    testenv::writeFile(paths::userMapDir() + "/run.kivom.data", "[Top5]\nname1=Me\ntime1=3\n");
    moveInNow();
    EXPECT_EQ(testenv::readFile(paths::configFile("input.cfg")), "[Player1]\nForward=17\n");
    EXPECT_EQ(testenv::readFile(paths::userMapDir() + "/run.kivom.data"),
              "[Top5]\nname1=Me\ntime1=3\n");
    EXPECT_TRUE(fs::exists(paths::configFile("ogre.cfg")));
}

TEST_F(MovingIn, nothingOldMeansNothingToSayAndNoNote)
{
    fs::remove_all(old(""));
    EXPECT_TRUE(moveInNow().empty());
    // A later start that finds old files still takes them over.
    fs::create_directories(old(""));
    testenv::writeFile(old("input.cfg"), "[Player1]\nForward=20\n");
    EXPECT_FALSE(moveInNow().empty());
    EXPECT_TRUE(fs::exists(paths::configFile("input.cfg")));
}

TEST_F(MovingIn, theOldPlaceBeingTheNewOneMovesNothing)
{
    setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    fs::create_directories(dir.file("kivo"));
    testenv::writeFile(dir.file("kivo/input.cfg"), "[Player1]\nForward=20\n");
    EXPECT_TRUE(moveIn(dir.file("kivo"), dir.file("nowhere")).empty());
}

} // namespace
