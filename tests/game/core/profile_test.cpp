// Profile files: lookups as the Windows private-profile functions do them, writes that keep the
// rest of the file, replace it in one step and cannot be split into extra lines.
#include "game/core/profile.h"

#include "test_env.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

using testenv::readFile;
using testenv::writeFile;

class ProfileTest : public ::testing::Test
{
protected:
    testenv::TempDir dir;
};

TEST_F(ProfileTest, lookupsIgnoreCaseAndBlanksTakeTheFirstMatchAndElseGiveTheDefault)
{
    writeFile("a.ini", "[ Player1 ]\nFORWARD = 17 \n  back=31\n[Top5]\nname1=first\nNAME1=second\n"
                       "[top5]\nname1=third\nname2=x\n[Mapinfo]\nAuthor=\nlong=" +
                           std::string(150, 'x') + "\n");
    const struct
    {
        const char *section, *key, *fallback, *file, *value;
    } rows[] = {
        {"player1", "Forward", "NULL", "a.ini", "17"},
        {"PLAYER1", " Back ", "NULL", "a.ini", "31"},
        {"Top5", "name1", "Free", "a.ini", "first"},
        {"Top5", "name2", "Free", "a.ini", "Free"},
        {"Top5", "Author", "none", "a.ini", "none"},
        {"Other", "Author", "KIVO-Team", "a.ini", "KIVO-Team"},
        {"Mapinfo", "Author", "KIVO-Team", "missing.ini", "KIVO-Team"},
        {"Mapinfo", "Author", "KIVO-Team", "a.ini", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(getProfileString(row.section, row.key, row.fallback, row.file), row.value)
            << row.section << " " << row.key << " " << row.file;
    // Values are cut to the buffer less one.
    EXPECT_EQ(getProfileString("Mapinfo", "long", "", "a.ini", 100).size(), 99u);
    EXPECT_EQ(getProfileString("Mapinfo", "long", "", "a.ini").size(), 150u);
    EXPECT_EQ(getProfileString("s", "missing", "abcdef", "a.ini", 4), "abc");
}

TEST_F(ProfileTest, writingKeepsEveryOtherLineInPlaceAndCreatesWhatIsMissing)
{
    writeFile("a.ini", "; settings\n[Mapinfo]\nAuthor=me\n\n[Top5]\nname1=Ann\ntime1=10\n\n"
                       "[Extra]\nkeep=this\n");
    ASSERT_TRUE(writeProfileString("top5", "TIME1", "9.5", "a.ini"));
    ASSERT_TRUE(writeProfileStrings("Top5", {{"name2", "Bob"}, {"time2", "3"}}, "a.ini"));
    EXPECT_EQ(readFile("a.ini"), "; settings\n[Mapinfo]\nAuthor=me\n\n[Top5]\nname1=Ann\n"
                                 "TIME1=9.5\nname2=Bob\ntime2=3\n\n[Extra]\nkeep=this\n");
    ASSERT_TRUE(writeProfileString("Player1", "Forward", "17", "new.ini"));
    ASSERT_TRUE(writeProfileString("Player2", "Forward", "200", "new.ini"));
    EXPECT_EQ(readFile("new.ini"), "[Player1]\nForward=17\n[Player2]\nForward=200\n");

    // A CRLF file stays CRLF and keeps its permissions; line breaks in a value cannot inject
    // sections or keys.
    writeFile("crlf.ini", "[Top5]\r\nname1=Ann\r\n");
    ASSERT_EQ(chmod("crlf.ini", 0600), 0);
    ASSERT_TRUE(
        writeProfileString("Top5", "name2", "Eve\r\n[Top5]\nname1=Mallory\rtime1=1", "crlf.ini"));
    EXPECT_EQ(readFile("crlf.ini"),
              "[Top5]\r\nname1=Ann\r\nname2=Eve  [Top5] name1=Mallory time1=1\r\n");
    EXPECT_EQ(getProfileString("top5", "NAME1", "", "crlf.ini"), "Ann");
    struct stat info;
    ASSERT_EQ(stat("crlf.ini", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(ProfileTest, namesThatCannotBeStoredFaithfullyAreRefused)
{
    writeFile("a.ini", "[Top5]\nname1=Ann\n");
    EXPECT_FALSE(writeProfileString("Top5]\n[Evil", "name1", "x", "a.ini"));
    EXPECT_FALSE(writeProfileString("Top5", "name1\nname2", "x", "a.ini"));
    EXPECT_FALSE(writeProfileString("Top5", "name1=x", "y", "a.ini"));
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
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
        << "a temporary file was left";
    EXPECT_FALSE(writeProfileString("Top5", "name1", "x", "no/such/folder/a.ini"));
}

// Leftovers of writes killed half way are removed at the next start; a write still running (it
// holds its temporary file locked) and files that only look similar are left alone.
TEST(StaleTemporaryFiles, removesOnlyUnlockedLeftoversOfReplacedFiles)
{
    namespace fs = std::filesystem;
    testenv::TempDir dir;
    const char* const names[] = {"input.cfg.tmpAb12Cd", "ogre.cfg.tmpRunnin", "input.cfg.tmp123",
                                 "notes.tmp", "input.cfg"};
    for (const char* name : names)
        testenv::writeFile(dir.file(name), "x");
    const int running = open(dir.file("ogre.cfg.tmpRunnin").c_str(), O_RDONLY);
    ASSERT_EQ(flock(running, LOCK_EX), 0);

    EXPECT_EQ(removeStaleTemporaryFiles(dir.path()), 1);
    close(running);

    EXPECT_FALSE(fs::exists(dir.file("input.cfg.tmpAb12Cd")));
    for (const char* kept : {"ogre.cfg.tmpRunnin", "input.cfg.tmp123", "notes.tmp", "input.cfg"})
        EXPECT_TRUE(fs::exists(dir.file(kept))) << kept;
    // Once the write has ended without renaming (it was killed), the file goes too.
    EXPECT_EQ(removeStaleTemporaryFiles(dir.path()), 1);
}

} // namespace
