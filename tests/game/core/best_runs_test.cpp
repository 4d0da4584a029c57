// The recordings of a map's best times: in step with the list whatever place a new time takes,
// refused (best times untouched) when they do not fit, and never lost by a kill half way.
#include "game/core/best_runs.h"

#include "game/core/highscores.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <iostream>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char* const kMap = "hills.kivom";
const char* const kMapText = "box=a,stone,g,0,0,0\n";

// A run whose samples say whose it is: x holds its time.
SRecording run(double seconds, const std::string& player)
{
    SRecording r{SRecording::kDefaultRate,
                 fileContentHash(mapFileName(kMap)),
                 seconds,
                 kMap,
                 player,
                 std::vector<SRunSample>(sampleCountFor(seconds, SRecording::kDefaultRate))};
    for (SRunSample& s : r.samples)
        s.position.x = static_cast<float>(seconds);
    return r;
}

long runFiles()
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(highscoreFileName(kMap)).parent_path();
    return std::count_if(fs::directory_iterator(folder), fs::directory_iterator(),
                         [](const auto& entry) { return entry.path().extension() == ".kivorun"; });
}

class BestRunsTest : public ::testing::Test
{
protected:
    BestRunsTest()
    {
        std::filesystem::create_directories("data/maps");
        testenv::writeFile(mapFileName(kMap), kMapText);
    }
    void enter(double seconds, const std::string& player)
    {
        const SRecording r = run(seconds, player);
        enterBestRun(kMap, player, seconds, &r);
    }
    // Every listed time loads its own run.
    void expectInStep(const std::vector<double>& times)
    {
        const auto entries = readTop5(kMap);
        for (int place = 1; place <= kHighscorePlaces; ++place) {
            SRecording loaded;
            ASSERT_EQ(loadBestRun(kMap, place, loaded), size_t(place) <= times.size()) << place;
            if (size_t(place) > times.size())
                continue;
            EXPECT_EQ(entries[size_t(place - 1)].timeText, formatHighscoreTime(times[place - 1]));
            EXPECT_EQ(loaded.time, times[size_t(place - 1)]);
            EXPECT_EQ(loaded.samples.back().position.x, float(times[size_t(place - 1)]));
        }
        EXPECT_EQ(runFiles(), long(times.size()));
    }
    testenv::TempDir dir;
};

TEST_F(BestRunsTest, recordingsShiftWithTheirPlacesAndLeaveWithTheirTimes)
{
    const std::vector<double> full = {10, 20, 30, 40, 50};
    const struct
    {
        double time;
        std::vector<double> expected;
    } rows[] = {
        {5, {5, 10, 20, 30, 40}},   {15, {10, 15, 20, 30, 40}}, {25, {10, 20, 25, 30, 40}},
        {35, {10, 20, 30, 35, 40}}, {45, {10, 20, 30, 40, 45}}, {60, {10, 20, 30, 40, 50}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.time);
        std::filesystem::remove_all("data/maps");
        std::filesystem::remove_all(std::filesystem::path(highscoreFileName(kMap)).parent_path());
        std::filesystem::create_directories("data/maps");
        testenv::writeFile(mapFileName(kMap), kMapText);
        for (size_t i = 0; i < full.size(); ++i) {
            enter(full[i], "P" + std::to_string(i));
            expectInStep(std::vector<double>(full.begin(), full.begin() + long(i) + 1));
        }
        enter(row.time, "New");
        expectInStep(row.expected);
    }
}

TEST_F(BestRunsTest, aRecordingThatDoesNotFitIsIgnoredWithOneLineAndTheTimesStay)
{
    enter(12.5, "Ann");
    const std::string top5 = testenv::readFile(highscoreFileName(kMap));
    const std::string file = bestRunFileName(highscoreFileName(kMap), "Ann", "12.5");
    const std::string good = testenv::readFile(file);
    const struct
    {
        const char* what;
        std::function<void()> change;
    } rows[] = {
        {"damaged", [&] { testenv::writeFile(file, good.substr(0, good.size() / 2)); }},
        {"another map version", [&] { testenv::writeFile(mapFileName(kMap), "box=b\n"); }},
        {"another run",
         [&] {
             SRecording other = run(12.5, "Bob");
             testenv::writeFile(file, encodeRecording(other));
         }},
        {"missing", [&] { std::filesystem::remove(file); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        row.change();
        SRecording loaded;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(loadBestRun(kMap, 1, loaded));
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
        EXPECT_EQ(testenv::readFile(highscoreFileName(kMap)), top5);
        testenv::writeFile(file, good);
        testenv::writeFile(mapFileName(kMap), kMapText);
    }
    SRecording loaded;
    EXPECT_TRUE(loadBestRun(kMap, 1, loaded));
    EXPECT_FALSE(loadBestRun(kMap, 2, loaded)); // a free place has no run, and says nothing
}

// A process enters a time into a full list and is killed at a random moment: the list is the old
// or the new one, and each of its times still has its recording.
TEST_F(BestRunsTest, aKillDuringTheWriteLeavesTheOldListWithItsRecordings)
{
    const std::vector<double> old = {10, 20, 30, 40, 50};
    for (size_t i = 0; i < old.size(); ++i)
        enter(old[i], "P" + std::to_string(i));
    const auto started = std::chrono::steady_clock::now();
    enter(60, "Slow"); // enters nothing; kills fall within twice the time one entry takes
    const long span =
        long(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - started)
                 .count());
    const std::string top5 = testenv::readFile(highscoreFileName(kMap));
    std::mt19937 random(7);
    int oldSeen = 0;
    int newSeen = 0;
    for (int attempt = 0; attempt < 40; ++attempt) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            enter(15, "New");
            _exit(0);
        }
        usleep(useconds_t(std::uniform_int_distribution<long>(0, 2 * span + 50)(random)));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const bool entered = readTop5(kMap)[1].name == "New";
        (entered ? newSeen : oldSeen) += 1;
        for (int place = 1; place <= kHighscorePlaces; ++place) {
            SRecording loaded;
            EXPECT_TRUE(loadBestRun(kMap, place, loaded)) << "attempt " << attempt;
        }
        // Back to the old pair for the next attempt.
        enter(60, "Slow");
        if (entered) {
            testenv::writeFile(highscoreFileName(kMap), top5);
            const SRecording r = run(50, "P4");
            enterBestRun(kMap, "P4", 50, &r);
        }
    }
    std::cout << "killed before the list changed: " << oldSeen << ", after: " << newSeen << '\n';
    EXPECT_GT(oldSeen * newSeen, 0) << "the kills fell on both sides of the change";
}

} // namespace
