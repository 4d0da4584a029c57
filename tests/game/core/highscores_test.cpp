// A map's Top5 list in its companion file.
#include "game/core/highscores.h"

#include "game/core/profile.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kMap = "hills.kivom";

class HighscoresTest : public ::testing::Test
{
protected:
    // Writes the list "name time, name time, ..." below a Mapinfo section.
    void writeList(const std::string& entries)
    {
        std::string text = "[Mapinfo]\nDescription=Rolling hills\nAuthor=Ann\n[Top5]\n";
        std::istringstream in(entries);
        std::string name, time;
        for (int place = 1; in >> name >> time; ++place) {
            if (time.back() == ',')
                time.pop_back();
            text += "name" + std::to_string(place) + "=" + name + "\ntime" + std::to_string(place) +
                    "=" + time + "\n";
        }
        testenv::writeFile(kFile, text);
    }
    // The stored list as "name time, name time, ...".
    std::string list() const
    {
        std::string result;
        for (const HighscoreEntry& entry : readTop5(kMap))
            result += (result.empty() ? "" : ", ") + entry.name + " " + entry.timeText;
        return result;
    }

    testenv::TempDir dir;
    const std::string kFile = testenv::userFile(testenv::kData, "maps/hills.kivom.data");
};

TEST_F(HighscoresTest, missingFileIsCreatedWithOnlyTheTop5Section)
{
    EXPECT_EQ(updateHighscores(kMap, "Ann", 75.0417), 1);
    EXPECT_EQ(list(), "Ann 75.0417, Free 0, Free 0, Free 0, Free 0");
    EXPECT_EQ(getProfileString("Mapinfo", "Author", "KIVO-Team", kFile), "KIVO-Team");
}

// A new time takes the first place that is free or slower; the rest shift down by one.
TEST_F(HighscoresTest, newTimeTakesTheFirstFreeOrSlowerPlaceAndShiftsTheRest)
{
    const std::string full = "A 10, B 20, C 30, D 40, E 50";
    struct SCase
    {
        const char* what;
        std::string before;
        double time;
        int place;
        std::string after;
    };
    const SCase cases[] = {
        {"empty list", "Free 0, Free 0, Free 0, Free 0, Free 0", 42.5, 1,
         "New 42.5, Free 0, Free 0, Free 0, Free 0"},
        {"free places", "A 10, B 20, C 30, Free 0, Free 0", 25, 3,
         "A 10, B 20, New 25, C 30, Free 0"},
        {"equal time goes below", full, 20, 3, "A 10, B 20, New 20, C 30, D 40"},
        {"place five", full, 45, 5, "A 10, B 20, C 30, D 40, New 45"},
        {"not a number is free", "A 10, B fast, C 30, D 40, E 50", 60, 2,
         "A 10, New 60, B 0, C 30, D 40"},
        {"negative is free", "A 10, B -3, C 30, D 40, E 50", 60, 2,
         "A 10, New 60, B -3, C 30, D 40"},
        {"slower than a full list", full, 60, -1, full},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        writeList(c.before);
        const std::string before = testenv::readFile(kFile);
        EXPECT_EQ(updateHighscores(kMap, "New", c.time), c.place);
        EXPECT_EQ(list(), c.after);
        if (c.place == -1)
            EXPECT_EQ(testenv::readFile(kFile), before) << "nothing written";
        else
            EXPECT_EQ(getProfileString("Mapinfo", "Description", "", kFile), "Rolling hills");
    }
}

TEST_F(HighscoresTest, timesThatAreNotPositiveOrCannotBeStoredGiveNoPlace)
{
    EXPECT_EQ(updateHighscores(kMap, "Ann", 0.0), -1);
    EXPECT_EQ(updateHighscores(kMap, "Ann", -1.0), -1);
    EXPECT_FALSE(std::filesystem::exists(kFile));
    // The user's map folder cannot be made: a file stands in its place.
    std::filesystem::remove_all(std::filesystem::path(kFile).parent_path());
    testenv::writeFile(std::filesystem::path(kFile).parent_path(), "");
    EXPECT_EQ(updateHighscores(kMap, "Ann", 12.0), -1);
}

} // namespace
