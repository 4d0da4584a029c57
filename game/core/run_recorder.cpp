// Fixed-rate sampling of a run seen at frame times.
#include "game/core/run_recorder.h"

#include <algorithm>
#include <cmath>

void CRunRecorder::start(const std::string& mapName, std::uint64_t mapHash,
                         const std::string& playerName)
{
    mRecording = SRecording();
    mRecording.mapName = mapName;
    mRecording.mapHash = mapHash;
    mRecording.playerName = playerName;
    mEnabled = true;
    restart();
}

void CRunRecorder::restart()
{
    mRecording.samples.clear();
    mRecording.time = 0.0;
    mLastClock = 0.0;
    mStarted = mEnabled;
}

void CRunRecorder::addFrame(double clock, const SRunSample& pose)
{
    if (!mStarted)
        return;
    clock = std::max(clock, mLastClock);
    // The same rule as the file's sample count, so the count always matches the time.
    const std::size_t last = sampleCountFor(clock, mRecording.rate) - 2;
    if (mRecording.samples.empty())
        mLast = pose;
    for (std::size_t k = mRecording.samples.size(); k <= last; ++k) {
        const double at = static_cast<double>(k) / mRecording.rate;
        const double span = clock - mLastClock;
        const float share =
            span > 0.0 ? static_cast<float>(std::clamp((at - mLastClock) / span, 0.0, 1.0)) : 1.0f;
        SRunSample sample;
        sample.position = mLast.position + (pose.position - mLast.position) * share;
        sample.orientation =
            Ogre::Quaternion::nlerp(share, mLast.orientation, pose.orientation, true);
        sample.steering = share < 0.5f ? mLast.steering : pose.steering;
        mRecording.samples.push_back(sample);
    }
    mLast = pose;
    mLastClock = clock;
}

SRecording CRunRecorder::finish(double clock, const SRunSample& pose)
{
    addFrame(clock, pose);
    mRecording.time = std::max(clock, mLastClock);
    mRecording.samples.push_back(pose);
    SRecording done = mRecording;
    mStarted = false;
    return done;
}
