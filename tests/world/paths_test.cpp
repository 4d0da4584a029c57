// Where the programs look for data and keep each user's files: the XDG rules with their
// fallbacks, the two map folders and the names of maps in them, and the best-times files.
#include "test_env.h"

#include "world/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct FolderRule
{
    const char* variable;
    const char* value; // nullptr: unset
    std::string (*folder)();
    const char* expected; // below the temporary folder
};

TEST(Paths, userFoldersFollowTheXdgVariablesAndFallBackBelowHome)
{
    testenv::TempDir dir;
    setenv("HOME", dir.file("home").c_str(), 1);
    const std::string absolute = dir.file("elsewhere");
    const FolderRule rules[] = {
        {"XDG_CONFIG_HOME", absolute.c_str(), paths::configDir, "elsewhere/kivo"},
        {"XDG_CONFIG_HOME", nullptr, paths::configDir, "home/.config/kivo"},
        {"XDG_CONFIG_HOME", "", paths::configDir, "home/.config/kivo"},
        {"XDG_CONFIG_HOME", "relative/dir", paths::configDir, "home/.config/kivo"},
        {"XDG_DATA_HOME", absolute.c_str(), paths::userDataDir, "elsewhere/kivo"},
        {"XDG_DATA_HOME", nullptr, paths::userDataDir, "home/.local/share/kivo"},
        {"XDG_DATA_HOME", nullptr, paths::userMapDir, "home/.local/share/kivo/maps"},
        {"XDG_STATE_HOME", absolute.c_str(), paths::stateDir, "elsewhere/kivo"},
        {"XDG_STATE_HOME", "", paths::stateDir, "home/.local/state/kivo"},
    };
    const char* home = std::getenv("HOME");
    const std::string oldHome = home ? home : "";
    for (const FolderRule& rule : rules) {
        if (rule.value)
            setenv(rule.variable, rule.value, 1);
        else
            unsetenv(rule.variable);
        EXPECT_EQ(rule.folder(), dir.file(rule.expected))
            << rule.variable << "=" << (rule.value ? rule.value : "(unset)");
    }
    setenv("HOME", oldHome.c_str(), 1);
}

TEST(Paths, userFoldersAreMadeOrTheReasonIsGiven)
{
    testenv::TempDir dir;
    std::string error;
    ASSERT_TRUE(paths::makeUserFolders(error)) << error;
    for (const std::string& folder : {paths::configDir(), paths::userMapDir(), paths::stateDir()})
        EXPECT_TRUE(fs::is_directory(folder)) << folder;

    fs::remove_all(paths::stateDir());
    testenv::writeFile(paths::stateDir(), "a file where the folder belongs");
    EXPECT_FALSE(paths::makeUserFolders(error));
    EXPECT_NE(error.find(paths::stateDir()), std::string::npos) << error;
}

// A program beside no data of its own (as the test programs are) reads its working folder.
TEST(Paths, aProgramBesideNoDataReadsItsWorkingFolder)
{
    testenv::TempDir dir;
    EXPECT_EQ(paths::baseDir(), dir.path());
    EXPECT_EQ(paths::dataFile("sounds/menu.wav"), dir.file("data/sounds/menu.wav"));
    EXPECT_EQ(paths::shippedMapDir(), dir.file("data/maps"));
}

class MapFolders : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directories(dir.file("data/maps/folder.kivom"));
        fs::create_directories(paths::userMapDir());
        for (const char* name : {"a.kivom", "both.kivom", "notes.txt", "a.kivom.data"})
            testenv::writeFile(shipped(name), "");
        for (const char* name : {"mine.kivom", "both.kivom", "both.kivom.data"})
            testenv::writeFile(own(name), "");
        testenv::writeFile(dir.file("away.kivom"), "");
    }
    std::string shipped(const std::string& name) const { return dir.file("data/maps/" + name); }
    std::string own(const std::string& name) const { return paths::userMapDir() + "/" + name; }

    testenv::TempDir dir;
};

TEST_F(MapFolders, listsTheMapFilesOfBothFoldersOnceInNameOrder)
{
    EXPECT_EQ(paths::listMaps(), (std::vector<std::string>{"a.kivom", "both.kivom", "mine.kivom"}));
}

TEST_F(MapFolders, namesFindTheUsersMapFirstAndPathsStandForThemselves)
{
    struct Row
    {
        std::string name;
        std::string file;
    };
    const Row rows[] = {
        {"a.kivom", shipped("a.kivom")},
        {"mine.kivom", own("mine.kivom")},
        {"both.kivom", own("both.kivom")},
        {dir.file("away.kivom"), dir.file("away.kivom")},
    };
    for (const Row& row : rows)
        EXPECT_EQ(paths::mapFile(row.name), row.file) << row.name;
}

TEST_F(MapFolders, aPathIsNamedByItsFileNameOnlyWhereThatNameFindsItAgain)
{
    struct Row
    {
        std::string path;
        std::string name;
    };
    const Row rows[] = {
        {shipped("a.kivom"), "a.kivom"},
        {"data/maps/a.kivom", "a.kivom"},
        {"./data/maps/../maps/a.kivom", "a.kivom"},
        {own("mine.kivom"), "mine.kivom"},
        {own("both.kivom"), "both.kivom"},
        // The user's map of that name stands in front of the shipped one.
        {shipped("both.kivom"), shipped("both.kivom")},
        {"away.kivom", dir.file("away.kivom")},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(paths::mapNameOf(row.path), row.name) << row.path;
        EXPECT_EQ(fs::weakly_canonical(paths::mapFile(paths::mapNameOf(row.path))),
                  fs::weakly_canonical(row.path))
            << row.path << ": the name must lead back to the file";
    }
}

TEST_F(MapFolders, bestTimesLieInTheUsersFolderForListedMapsAndBesideAnyOtherMap)
{
    EXPECT_EQ(paths::bestTimesFile("a.kivom"), own("a.kivom.data"));
    EXPECT_EQ(paths::bestTimesFile("both.kivom"), own("both.kivom.data"));
    EXPECT_EQ(paths::bestTimesFile(dir.file("away.kivom")), dir.file("away.kivom.data"));
    EXPECT_EQ(paths::mapInfoFile("a.kivom"), shipped("a.kivom.data"));
    EXPECT_EQ(paths::mapInfoFile("mine.kivom"), own("mine.kivom.data"));
}

} // namespace
