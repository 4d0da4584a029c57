// Where the programs keep each user's files (the XDG rules with their fallbacks), the two map
// folders, the names of the maps in them and their best-times files.
#include "test_env.h"

#include "world/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Each test runs in a process of its own: the changed HOME goes with it.
TEST(Paths, userFoldersFollowTheXdgVariablesAndFallBackBelowHome)
{
    testenv::TempDir dir;
    setenv("HOME", dir.file("home").c_str(), 1);
    const std::string absolute = dir.file("elsewhere");
    const struct
    {
        const char* variable;
        const char* value; // nullptr: unset
        std::string (*folder)();
        const char* expected; // below the temporary folder
    } rules[] = {
        {"XDG_CONFIG_HOME", absolute.c_str(), paths::configDir, "elsewhere/kivo"},
        {"XDG_CONFIG_HOME", nullptr, paths::configDir, "home/.config/kivo"},
        {"XDG_CONFIG_HOME", "", paths::configDir, "home/.config/kivo"},
        {"XDG_CONFIG_HOME", "relative/dir", paths::configDir, "home/.config/kivo"},
        {"XDG_DATA_HOME", nullptr, paths::userMapDir, "home/.local/share/kivo/maps"},
        {"XDG_STATE_HOME", "", paths::stateDir, "home/.local/state/kivo"},
    };
    for (const auto& rule : rules) {
        if (rule.value)
            setenv(rule.variable, rule.value, 1);
        else
            unsetenv(rule.variable);
        EXPECT_EQ(rule.folder(), dir.file(rule.expected)) << rule.variable;
    }
}

TEST(Paths, userFoldersAreMadeOrTheReasonIsGiven)
{
    testenv::TempDir dir;
    std::string error;
    ASSERT_TRUE(paths::makeUserFolders(error)) << error;
    EXPECT_TRUE(fs::is_directory(paths::userMapDir()));
    fs::remove_all(paths::stateDir());
    testenv::writeFile(paths::stateDir(), "a file where the folder belongs");
    EXPECT_FALSE(paths::makeUserFolders(error));
    EXPECT_NE(error.find(paths::stateDir()), std::string::npos) << error;
}

// The test programs lie beside no data: the shipped maps are those of the working folder.
class MapFolders : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directories(dir.file("data/maps/folder.kivom"));
        for (const char* name : {"a.kivom", "both.kivom", "notes.txt"})
            testenv::writeFile(shipped(name), "");
        for (const char* name : {"mine.kivom", "both.kivom"})
            testenv::writeFile(testenv::userFile(testenv::kData, std::string("maps/") + name), "");
        testenv::writeFile(dir.file("away.kivom"), "");
    }
    std::string shipped(const std::string& name) const { return dir.file("data/maps/" + name); }
    std::string own(const std::string& name) const { return paths::userMapDir() + "/" + name; }

    testenv::TempDir dir;
};

TEST_F(MapFolders, listsTheMapsOfBothFoldersOnceAndFindsTheUsersMapFirst)
{
    EXPECT_EQ(paths::listMaps(), (std::vector<std::string>{"a.kivom", "both.kivom", "mine.kivom"}));
    const struct
    {
        std::string name, file, bestTimes;
    } rows[] = {
        {"a.kivom", shipped("a.kivom"), own("a.kivom.data")},
        {"mine.kivom", own("mine.kivom"), own("mine.kivom.data")},
        {"both.kivom", own("both.kivom"), own("both.kivom.data")},
        {dir.file("away.kivom"), dir.file("away.kivom"), dir.file("away.kivom.data")},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(paths::mapFile(row.name), row.file) << row.name;
        EXPECT_EQ(paths::bestTimesFile(row.name), row.bestTimes) << row.name;
    }
}

TEST_F(MapFolders, aPathIsNamedByItsFileNameOnlyWhereThatNameFindsItAgain)
{
    const struct
    {
        std::string path, name;
    } rows[] = {
        {shipped("a.kivom"), "a.kivom"},
        {"./data/maps/../maps/a.kivom", "a.kivom"},
        {own("both.kivom"), "both.kivom"},
        // The user's map of that name stands in front of the shipped one.
        {shipped("both.kivom"), shipped("both.kivom")},
        {"away.kivom", dir.file("away.kivom")},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(paths::mapNameOf(row.path), row.name) << row.path;
        EXPECT_EQ(fs::weakly_canonical(paths::mapFile(paths::mapNameOf(row.path))),
                  fs::weakly_canonical(row.path));
    }
}

} // namespace
