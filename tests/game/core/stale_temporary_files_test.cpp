// Leftovers of writes killed half way are removed at the next start; a write still running (it
// holds its temporary file locked) and files that only look similar are left alone.
#include "game/core/profile.h"

#include "test_env.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>

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
