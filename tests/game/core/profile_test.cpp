// Profile files: lookups as the Windows private-profile functions do them, writes that keep the
// rest of the file, replace it in one step and cannot be split into extra lines.
#include "game/core/profile.h"

#include "test_env.h"

#include <gtest/gtest.h>

#include <csignal>
#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

using testenv::readFile;
using testenv::writeFile;

std::vector<std::string> folderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

class ProfileTest : public ::testing::Test
{
protected:
    testenv::TempDir dir;
};

TEST_F(ProfileTest, namesMatchWithoutRegardToCaseAndBlanksAroundThem)
{
    writeFile("a.ini", "[ Player1 ]\nFORWARD = 17 \n  back=31\n");
    EXPECT_EQ(getProfileString("player1", "Forward", "NULL", "a.ini"), "17");
    EXPECT_EQ(getProfileString("PLAYER1", " Back ", "NULL", "a.ini"), "31");
}

TEST_F(ProfileTest, firstMatchingSectionAndKeyWin)
{
    writeFile("a.ini", "[Top5]\nname1=first\nNAME1=second\n[top5]\nname1=third\nname2=x\n");
    EXPECT_EQ(getProfileString("Top5", "name1", "Free", "a.ini"), "first");
    EXPECT_EQ(getProfileString("Top5", "name2", "Free", "a.ini"), "Free");
}

TEST_F(ProfileTest, missingFileSectionOrKeyGiveTheDefaultButAnEmptyValueDoesNot)
{
    writeFile("a.ini", "[Mapinfo]\nAuthor=\nDescription=hills\n[Top5]\n");
    EXPECT_EQ(getProfileString("Mapinfo", "Author", "KIVO-Team", "missing.ini"), "KIVO-Team");
    EXPECT_EQ(getProfileString("Other", "Author", "KIVO-Team", "a.ini"), "KIVO-Team");
    EXPECT_EQ(getProfileString("Top5", "Description", "none", "a.ini"), "none");
    EXPECT_EQ(getProfileString("Mapinfo", "Author", "KIVO-Team", "a.ini"), "");
    EXPECT_EQ(getProfileString("Mapinfo", "Description", "", "a.ini"), "hills");
}

TEST_F(ProfileTest, valuesAreCutToTheBufferLessOne)
{
    writeFile("a.ini", "[s]\nk=" + std::string(150, 'x') + "\n");
    EXPECT_EQ(getProfileString("s", "k", "", "a.ini", 100).size(), 99u);
    EXPECT_EQ(getProfileString("s", "k", "", "a.ini").size(), 150u);
    EXPECT_EQ(getProfileString("s", "missing", "abcdef", "a.ini", 4), "abc");
}

TEST_F(ProfileTest, writingAKeyKeepsEveryOtherLineInPlace)
{
    writeFile("a.ini", "; settings\n[Mapinfo]\nAuthor=me\n\n[Top5]\nname1=Ann\ntime1=10\n\n"
                       "[Extra]\nkeep=this\n");
    ASSERT_TRUE(writeProfileString("top5", "TIME1", "9.5", "a.ini"));
    ASSERT_TRUE(writeProfileString("Top5", "name2", "Bob", "a.ini"));
    EXPECT_EQ(readFile("a.ini"), "; settings\n[Mapinfo]\nAuthor=me\n\n[Top5]\nname1=Ann\n"
                                 "TIME1=9.5\nname2=Bob\n\n[Extra]\nkeep=this\n");
}

TEST_F(ProfileTest, writingCreatesTheFileAndMissingSections)
{
    ASSERT_TRUE(writeProfileString("Player1", "Forward", "17", "new.ini"));
    ASSERT_TRUE(writeProfileString("Player2", "Forward", "200", "new.ini"));
    EXPECT_EQ(readFile("new.ini"), "[Player1]\nForward=17\n[Player2]\nForward=200\n");
    EXPECT_EQ(getProfileString("Player2", "Forward", "NULL", "new.ini"), "200");
}

TEST_F(ProfileTest, crlfFilesReadLikeLfFilesAndStayCrlfAfterAWrite)
{
    writeFile("a.ini", "[Player1]\r\nForward=17\r\n");
    EXPECT_EQ(getProfileString("Player1", "Forward", "NULL", "a.ini"), "17");
    ASSERT_TRUE(writeProfileString("Player1", "Back", "31", "a.ini"));
    EXPECT_EQ(readFile("a.ini"), "[Player1]\r\nForward=17\r\nBack=31\r\n");
}

TEST_F(ProfileTest, severalKeysChangeInOneWrite)
{
    writeFile("a.ini", "[Top5]\nname1=Ann\n");
    ASSERT_TRUE(writeProfileStrings("Top5", {{"name1", "Bob"}, {"time1", "3"}}, "a.ini"));
    EXPECT_EQ(readFile("a.ini"), "[Top5]\nname1=Bob\ntime1=3\n");
}

TEST_F(ProfileTest, lineBreaksInAValueCannotInjectSectionsOrKeys)
{
    writeFile("a.ini", "[Top5]\nname1=Ann\ntime1=10\n");
    ASSERT_TRUE(
        writeProfileString("Top5", "name2", "Eve\r\n[Top5]\nname1=Mallory\rtime1=1", "a.ini"));
    EXPECT_EQ(getProfileString("Top5", "name1", "", "a.ini"), "Ann");
    EXPECT_EQ(getProfileString("Top5", "time1", "", "a.ini"), "10");
    EXPECT_EQ(getProfileString("Top5", "name2", "", "a.ini"), "Eve  [Top5] name1=Mallory time1=1");
    EXPECT_EQ(readFile("a.ini"),
              "[Top5]\nname1=Ann\ntime1=10\nname2=Eve  [Top5] name1=Mallory time1=1\n");
}

TEST_F(ProfileTest, namesThatCannotBeStoredFaithfullyAreRefused)
{
    writeFile("a.ini", "[Top5]\nname1=Ann\n");
    EXPECT_FALSE(writeProfileString("Top5]\n[Evil", "name1", "x", "a.ini"));
    EXPECT_FALSE(writeProfileString("Top5", "name1\nname2", "x", "a.ini"));
    EXPECT_FALSE(writeProfileString("Top5", "name1=x", "y", "a.ini"));
    EXPECT_FALSE(writeProfileString("Top5", "[Evil]", "y", "a.ini"));
    EXPECT_FALSE(writeProfileString("", "name1", "y", "a.ini"));
    EXPECT_FALSE(writeProfileString("Top5", " ", "y", "a.ini"));
    EXPECT_EQ(readFile("a.ini"), "[Top5]\nname1=Ann\n");
}

TEST_F(ProfileTest, failedWriteLeavesTheOldFileWholeAndNoTemporaryFile)
{
    const std::string old = "[Top5]\nname1=Ann\ntime1=10\n";
    writeFile("a.ini", old);
    // A file size limit makes writing the new file fail half way, even for root.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 64;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = writeProfileString("Top5", "name2", std::string(500, 'x'), "a.ini");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(readFile("a.ini"), old);
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"a.ini"});
    EXPECT_FALSE(writeProfileString("Top5", "name1", "x", "no/such/folder/a.ini"));
}

TEST_F(ProfileTest, replacedFileKeepsItsPermissions)
{
    writeFile("a.ini", "[s]\nk=1\n");
    ASSERT_EQ(chmod("a.ini", 0600), 0);
    ASSERT_TRUE(writeProfileString("s", "k", "2", "a.ini"));
    struct stat info;
    ASSERT_EQ(stat("a.ini", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

} // namespace
