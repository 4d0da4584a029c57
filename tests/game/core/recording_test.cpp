// Recorded runs: the file keeps what was recorded, refuses what is damaged, and the recorder
// samples irregular frames at the fixed rate with the right count for the run's time.
#include "game/core/recording.h"
#include "game/core/run_recorder.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

SRecording sampleRun(double time, const std::string& player)
{
    SRecording run;
    run.mapName = "01_first_steps.kivom";
    run.mapHash = 0x0123456789abcdefULL;
    run.playerName = player;
    run.time = time;
    run.samples.resize(sampleCountFor(time, run.rate));
    for (size_t i = 0; i < run.samples.size(); ++i) {
        SRunSample& s = run.samples[i];
        const float t = static_cast<float>(sampleTime(run, i));
        s.position = Ogre::Vector3(t, 0.5f + 0.01f * i, -2.0f * t);
        s.orientation =
            Ogre::Quaternion(Ogre::Radian(t), Ogre::Vector3(1, 0.2f, 0).normalisedCopy());
        s.steering = Ogre::Vector3(i % 2 ? 40.0f : -40.0f, 0, i % 3 ? 0.0f : 40.0f);
    }
    return run;
}

// The checksum of a changed file, written again so that only the change itself is judged.
std::string withChecksum(std::string bytes)
{
    const size_t body = bytes.size() - 4;
    const uLong sum = crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), uInt(body));
    for (int i = 0; i < 4; ++i)
        bytes[body + size_t(i)] = char((sum >> (8 * i)) & 0xFF);
    return bytes;
}

TEST(Recording, aWrittenRunReadsBackAsRecorded)
{
    // Names are cut to 255 bytes, never inside a character.
    const std::string longName = std::string(254, 'a') + "é";
    const struct
    {
        double time;
        std::string player, storedPlayer;
    } rows[] = {{0.0, "", ""},
                {12.345, "Zoë Ørsted", "Zoë Ørsted"},
                {61.0, longName, longName.substr(0, 254)}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.time);
        const SRecording run = sampleRun(row.time, row.player);
        SRecording read;
        std::string error;
        ASSERT_TRUE(decodeRecording(encodeRecording(run), read, error)) << error;
        EXPECT_EQ(read.playerName, row.storedPlayer);
        EXPECT_EQ(read.mapName, run.mapName);
        EXPECT_EQ(read.mapHash, run.mapHash);
        EXPECT_EQ(read.time, run.time);
        ASSERT_EQ(read.samples.size(), run.samples.size());
        for (size_t i = 0; i < run.samples.size(); ++i) {
            EXPECT_EQ(read.samples[i].position, run.samples[i].position);
            EXPECT_TRUE(read.samples[i].orientation.equals(run.samples[i].orientation,
                                                           Ogre::Radian(0.001f)));
            EXPECT_LT(read.samples[i].steering.distance(run.samples[i].steering), 0.2f);
        }
    }
}

TEST(Recording, damagedOrForeignFilesAreRefusedWithAReason)
{
    const std::string good = encodeRecording(sampleRun(3.0, "Ann"));
    std::string nanTime(8, '\0'), nanX(4, '\0');
    const double nan = std::nan("");
    const float nanf = std::nanf("");
    std::memcpy(&nanTime[0], &nan, sizeof(nan));
    std::memcpy(&nanX[0], &nanf, sizeof(nanf));
    const std::string cut[] = {good.substr(0, good.size() - 1), good + '\0', "", good.substr(0, 10),
                               std::string(good).replace(100, 1, 1, char(good[100] ^ 1))};
    // Patches at an offset, the checksum written again: magic, a later version, rate 0, sample
    // count, a name of 276 bytes, time and the first sample's x not numbers.
    const std::pair<size_t, std::string> patches[] = {{0, "X"},
                                                      {4, "\x02"},
                                                      {6, std::string(2, '\0')},
                                                      {24, std::string(1, char(good[24] ^ 1))},
                                                      {29, "\x01"},
                                                      {16, nanTime},
                                                      {28 + 2 + 20 + 2 + 3, nanX}};
    std::vector<std::string> damaged(std::begin(cut), std::end(cut));
    for (const auto& [offset, bytes] : patches)
        damaged.push_back(withChecksum(std::string(good).replace(offset, bytes.size(), bytes)));
    for (size_t row = 0; row < damaged.size(); ++row) {
        SCOPED_TRACE(row);
        SRecording read = sampleRun(1.0, "kept");
        std::string error;
        EXPECT_FALSE(decodeRecording(damaged[row], read, error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(read.playerName, "kept"); // untouched
    }
}

TEST(Recording, recorderSamplesIrregularFramesAtTheFixedRate)
{
    CRunRecorder recorder;
    recorder.start("m.kivom", 7, "Ann");
    SRunSample pose;
    double clock = 0.0;
    // The ball moves at 1 unit a second along x; frames come 1/17 s and 1/90 s apart.
    for (int frame = 0; clock < 2.0; ++frame) {
        pose.position.x = static_cast<float>(clock);
        recorder.addFrame(clock, pose);
        clock += frame % 2 ? 1.0 / 17 : 1.0 / 90;
    }
    pose.position.x = 2.0f;
    const SRecording run = recorder.finish(2.0, pose);
    EXPECT_FALSE(recorder.isStarted());
    ASSERT_EQ(run.samples.size(), sampleCountFor(2.0, run.rate));
    for (size_t i = 0; i < run.samples.size(); ++i)
        EXPECT_NEAR(run.samples[i].position.x, sampleTime(run, i), 1e-4) << i;
    // Between samples the pose is interpolated; before the start and after the finish it holds.
    SRunSample at;
    for (double t : {-1.0, 0.05, 1.01, 1.99, 5.0}) {
        ASSERT_TRUE(poseAt(run, t, at));
        EXPECT_NEAR(at.position.x, std::clamp(t, 0.0, 2.0), 1e-4) << t;
    }
    EXPECT_FALSE(poseAt(SRecording(), 0.0, at));

    recorder.restart(); // a fall: the run starts again from clock 0
    recorder.addFrame(0.0, pose);
    EXPECT_TRUE(recorder.isStarted());
    EXPECT_EQ(recorder.current().samples.size(), 1u);
}

} // namespace
