// Opening the sound engine on a machine without a sound card: the libraries say nothing on
// standard error, and the game's own notice is one line.
#include "game/core/sound.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

TEST(SoundQuiet, noLibraryChatterWhenTheDefaultDeviceOpensNothing)
{
    // The test environment picks OpenAL's null output; here the real outputs are tried.
    unsetenv("ALSOFT_DRIVERS");
    unsetenv("ALSOFT_LOGLEVEL");
    char path[] = "/tmp/kivo-stderr-XXXXXX";
    const int captured = mkstemp(path);
    ASSERT_GE(captured, 0);
    std::fflush(stderr);
    const int saved = dup(2);
    dup2(captured, 2);
    createSoundEngine();
    destroySoundEngine();
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    close(captured);

    std::ifstream in(path);
    std::string line, all;
    int lines = 0;
    while (std::getline(in, line)) {
        ++lines;
        all += line + "\n";
    }
    std::remove(path);
    EXPECT_LE(lines, 1) << all;
    if (lines == 1) {
        EXPECT_EQ(all.rfind("Sound: ", 0), 0u) << all;
    }
}
