// A map's Top5 list in its companion file.
#include "game/core/highscores.h"

#include "game/core/profile.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* const kMap = "hills.kivom";
const char* const kFile = "./data/maps/hills.kivom.data";

class HighscoresTest : public ::testing::Test
{
protected:
    void SetUp() override { std::filesystem::create_directories("data/maps"); }

    void writeList(const std::vector<std::pair<std::string, std::string>>& entries)
    {
        std::string text = "[Mapinfo]\nDescription=Rolling hills\nAuthor=Ann\n[Top5]\n";
        for (size_t i = 0; i < entries.size(); ++i) {
            text += "name" + std::to_string(i + 1) + "=" + entries[i].first + "\n";
            text += "time" + std::to_string(i + 1) + "=" + entries[i].second + "\n";
        }
        testenv::writeFile(kFile, text);
    }

    std::vector<std::string> list() const
    {
        std::vector<std::string> result;
        for (const HighscoreEntry& entry : readTop5(kMap))
            result.push_back(entry.name + " " + entry.timeText);
        return result;
    }

    testenv::TempDir dir;
};

TEST_F(HighscoresTest, companionFileIsNamedAfterTheWholeMapFileName)
{
    EXPECT_EQ(highscoreFileName("a.kivom"), "./data/maps/a.kivom.data");
}

TEST_F(HighscoresTest, missingFileIsCreatedWithOnlyTheTop5Section)
{
    EXPECT_EQ(updateHighscores(kMap, "Ann", 75.0417), 1);
    EXPECT_EQ(testenv::readFile(kFile), "[Top5]\nname1=Ann\ntime1=75.0417\nname5=Free\ntime5=0\n"
                                        "name4=Free\ntime4=0\nname3=Free\ntime3=0\n"
                                        "name2=Free\ntime2=0\n");
    EXPECT_EQ(getProfileString("Mapinfo", "Author", "KIVO-Team", kFile), "KIVO-Team");
}

TEST_F(HighscoresTest, firstWinnerOfAnEmptyListTakesPlaceOne)
{
    writeList({{"Free", "0"}, {"Free", "0"}, {"Free", "0"}, {"Free", "0"}, {"Free", "0"}});
    EXPECT_EQ(updateHighscores(kMap, "Ann", 42.5), 1);
    EXPECT_EQ(list(),
              (std::vector<std::string>{"Ann 42.5", "Free 0", "Free 0", "Free 0", "Free 0"}));
    EXPECT_EQ(getProfileString("Mapinfo", "Description", "", kFile), "Rolling hills");
}

TEST_F(HighscoresTest, newTimeTakesTheFirstFreeOrSlowerPlaceAndShiftsTheRest)
{
    writeList({{"A", "10"}, {"B", "20"}, {"C", "30"}, {"Free", "0"}, {"Free", "0"}});
    EXPECT_EQ(updateHighscores(kMap, "New", 25), 3);
    EXPECT_EQ(list(), (std::vector<std::string>{"A 10", "B 20", "New 25", "C 30", "Free 0"}));
}

TEST_F(HighscoresTest, slowerThanAFullListEntersNothingAndWritesNothing)
{
    writeList({{"A", "10"}, {"B", "20"}, {"C", "30"}, {"D", "40"}, {"E", "50"}});
    const std::string before = testenv::readFile(kFile);
    EXPECT_EQ(updateHighscores(kMap, "New", 60), -1);
    EXPECT_EQ(testenv::readFile(kFile), before);
}

TEST_F(HighscoresTest, equalTimeGoesBelowAndTheLastEntryFallsOff)
{
    writeList({{"A", "10"}, {"B", "20"}, {"C", "30"}, {"D", "40"}, {"E", "50"}});
    EXPECT_EQ(updateHighscores(kMap, "New", 20), 3);
    EXPECT_EQ(list(), (std::vector<std::string>{"A 10", "B 20", "New 20", "C 30", "D 40"}));
}

TEST_F(HighscoresTest, newTimeAtPlaceFiveReplacesTheOldFifth)
{
    writeList({{"A", "10"}, {"B", "20"}, {"C", "30"}, {"D", "40"}, {"E", "50"}});
    EXPECT_EQ(updateHighscores(kMap, "New", 45), 5);
    EXPECT_EQ(list(), (std::vector<std::string>{"A 10", "B 20", "C 30", "D 40", "New 45"}));
}

TEST_F(HighscoresTest, timesAreStoredWithSixSignificantDigits)
{
    EXPECT_EQ(updateHighscores(kMap, "Ann", 123.45678), 1);
    EXPECT_EQ(updateHighscores(kMap, "Bob", 1234567.0), 2);
    EXPECT_EQ(list()[0], "Ann 123.457");
    EXPECT_EQ(list()[1], "Bob 1.23457e+06");
    EXPECT_EQ(formatHighscoreTime(0.0), "0");
    EXPECT_EQ(formatHighscoreTime(10.0), "10");
}

TEST_F(HighscoresTest, timeThatIsNotANumberCountsAsAFreePlace)
{
    writeList({{"A", "10"}, {"B", "fast"}, {"C", "30"}, {"D", "40"}, {"E", "50"}});
    EXPECT_EQ(updateHighscores(kMap, "New", 60), 2);
    EXPECT_EQ(list(), (std::vector<std::string>{"A 10", "New 60", "B 0", "C 30", "D 40"}));
}

TEST_F(HighscoresTest, negativeTimeFromADamagedFileDoesNotHoldItsPlace)
{
    writeList({{"A", "10"}, {"B", "-3"}, {"C", "30"}, {"D", "40"}, {"E", "50"}});
    EXPECT_EQ(updateHighscores(kMap, "New", 60), 2);
    EXPECT_EQ(list()[1], "New 60");
}

TEST_F(HighscoresTest, namesWithLineBreaksStayOnOneLine)
{
    EXPECT_EQ(updateHighscores(kMap, "Eve\n[Top5]\nname1=Mallory", 30), 1);
    EXPECT_EQ(updateHighscores(kMap, "Bob", 40), 2);
    EXPECT_EQ(list()[0], "Eve [Top5] name1=Mallory 30");
    EXPECT_EQ(list()[1], "Bob 40");
}

TEST_F(HighscoresTest, timesThatAreNotPositiveNeverEnter)
{
    EXPECT_EQ(updateHighscores(kMap, "Ann", 0.0), -1);
    EXPECT_EQ(updateHighscores(kMap, "Ann", -1.0), -1);
    EXPECT_FALSE(std::filesystem::exists(kFile));
}

TEST_F(HighscoresTest, unwritableListGivesNoPlace)
{
    std::filesystem::remove_all("data");
    EXPECT_EQ(updateHighscores(kMap, "Ann", 12.0), -1);
}

TEST_F(HighscoresTest, readingAMissingFileGivesFreePlaces)
{
    for (const HighscoreEntry& entry : readTop5("nothing.kivom")) {
        EXPECT_EQ(entry.name, "Free");
        EXPECT_EQ(entry.timeText, "0");
    }
}

} // namespace
