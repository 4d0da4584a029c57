// The sound layer heard through OpenAL's loopback device: pausing, looping, stopping, dropping, 3D
// placement, and the silent paths (no device, unreadable files).
#include "game/core/sound.h"

#include "test_env.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kToneAmplitude = 0.5;
constexpr double kToneFrequency = 440.0;
// Far below anything audible, far above rounding noise of a silent mix.
constexpr double kSilence = 1e-4;
constexpr double kAudible = 0.05;

int frames(double seconds)
{
    return static_cast<int>(seconds * kRate);
}

void writeTone(const std::string& path, double seconds, int channels = 1)
{
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<int16_t> samples;
    for (int i = 0; i < frames(seconds); ++i) {
        const double value =
            kToneAmplitude * std::sin(2.0 * M_PI * kToneFrequency * i / static_cast<double>(kRate));
        for (int c = 0; c < channels; ++c)
            samples.push_back(static_cast<int16_t>(std::lround(value * 32767.0)));
    }
    sf_writef_short(file, samples.data(), frames(seconds));
    sf_close(file);
}

// Root mean square of one channel of an interleaved mix.
double rms(const std::vector<float>& mix, int channel, int channels)
{
    double sum = 0.0;
    size_t count = 0;
    for (size_t i = static_cast<size_t>(channel); i < mix.size();
         i += static_cast<size_t>(channels)) {
        sum += static_cast<double>(mix[i]) * mix[i];
        ++count;
    }
    return count ? std::sqrt(sum / count) : 0.0;
}

double rmsAll(const std::vector<float>& mix, int channels)
{
    double sum = 0.0;
    for (int c = 0; c < channels; ++c)
        sum += rms(mix, c, channels);
    return sum / channels;
}

class LoopbackSound : public ::testing::Test
{
protected:
    explicit LoopbackSound(int channels = 2) : mChannels(channels) {}

    void SetUp() override
    {
        ASSERT_TRUE(createLoopbackSoundEngine(kRate, mChannels));
        writeTone(mDir.file("tone.wav"), 0.3);
    }
    void TearDown() override { destroySoundEngine(); }

    std::vector<float> render(double seconds) { return renderSoundEngine(frames(seconds)); }
    double level(double seconds) { return rmsAll(render(seconds), mChannels); }
    // A fifth of a second of a sound playing at a place, past the source's start-up ramp.
    std::vector<float> mixOf(const std::string& file, const Ogre::Vector3& position)
    {
        const auto sound = playSound3D(file, position, true); // looped: kept while it plays
        sound->setIsPaused(false);
        render(0.05);
        return render(0.2);
    }
    std::string tone() const { return mDir.file("tone.wav"); }

    int mChannels;
    testenv::TempDir mDir;
};

class QuadLoopbackSound : public LoopbackSound
{
protected:
    QuadLoopbackSound() : LoopbackSound(4) {}
};

TEST_F(LoopbackSound, monoSoundsArePlacedByPositionStereoFilesAreNot)
{
    const std::vector<float> right = mixOf(tone(), Ogre::Vector3(5, 0, 0));
    EXPECT_GT(rms(right, 1, 2), 2.0 * rms(right, 0, 2));
    const std::vector<float> left = mixOf(tone(), Ogre::Vector3(-5, 0, 0));
    EXPECT_GT(rms(left, 0, 2), 2.0 * rms(left, 1, 2));

    writeTone(mDir.file("stereo.wav"), 0.3, 2);
    const std::vector<float> stereo = mixOf(mDir.file("stereo.wav"), Ogre::Vector3(5, 0, 0));
    EXPECT_GT(rms(stereo, 0, 2), kAudible);
    EXPECT_NEAR(rms(stereo, 0, 2), rms(stereo, 1, 2), 0.01);
}

// In sound coordinates the listener looks along -z, so Ogre's +z (negated) lies in front of it.
TEST_F(QuadLoopbackSound, ogreZIsNegatedSoPositiveZSoundsInFront)
{
    auto frontAndBack = [this](const Ogre::Vector3& position) {
        const std::vector<float> mix = mixOf(tone(), position);
        return std::make_pair(rms(mix, 0, 4) + rms(mix, 1, 4), rms(mix, 2, 4) + rms(mix, 3, 4));
    };
    const auto plusZ = frontAndBack(Ogre::Vector3(0.0f, 0.0f, 5.0f));
    EXPECT_GT(plusZ.first, 2.0 * plusZ.second);
    const auto minusZ = frontAndBack(Ogre::Vector3(0.0f, 0.0f, -5.0f));
    EXPECT_GT(minusZ.second, 2.0 * minusZ.first);
}

TEST_F(LoopbackSound, unreadableFilesGiveSilentHandlesAndOneMessageEach)
{
    testenv::writeFile(mDir.file("broken.wav"), "RIFF but not really a wave file");
    ::testing::internal::CaptureStderr();
    for (const char* name : {"broken.wav", "missing.mp3", "broken.wav", "missing.mp3"})
        playSound3D(mDir.file(name), Ogre::Vector3::ZERO, true)->setIsPaused(false);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_LT(level(0.1), kSilence);
    EXPECT_EQ(soundVoiceCount(), 0u);
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 2) << errors;
    EXPECT_NE(errors.find(mDir.file("missing.mp3")), std::string::npos) << errors;
}

TEST(Sound, withoutADeviceOrEngineSoundsAreSilentHandlesAndTheGameSaysSoOnce)
{
    destroySoundEngine();
    EXPECT_FALSE(createLoopbackSoundEngine(kRate, 3)); // a layout it cannot render
    EXPECT_FALSE(soundEngineExists());
    auto none = playSound3D("data/sounds/menu.wav", Ogre::Vector3::ZERO, true);
    ASSERT_NE(none, nullptr);
    none->setIsPaused(false);
    none->drop();
    EXPECT_TRUE(renderSoundEngine(100).empty());

    testenv::TempDir dir;
    writeTone(dir.file("tone.wav"), 0.3);
    ::testing::internal::CaptureStderr();
    createSoundEngine("no such audio device");
    EXPECT_TRUE(soundEngineExists());
    auto survivor = playSound3D(dir.file("tone.wav"), Ogre::Vector3(1.0f, 2.0f, 3.0f), true);
    survivor->setIsPaused(false);
    updateSoundEngine();
    EXPECT_EQ(soundVoiceCount(), 0u);
    EXPECT_TRUE(renderSoundEngine(100).empty());
    destroySoundEngine();
    survivor->stop();
    survivor.reset();
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_NE(errors.find("without sound"), std::string::npos) << errors;
}

} // namespace
