// CRunRecorder: turns the ball's state, seen once per frame at the round's clock, into a recording
// with samples at a fixed rate (each sample interpolated between the frames around it).
#pragma once

#include "game/core/recording.h"

class CRunRecorder
{
public:
    // Starts an empty run on a map for a player; any run recorded before is dropped.
    void start(const std::string& mapName, std::uint64_t mapHash, const std::string& playerName);
    // Drops the samples and starts again at clock 0 (the ball went back to its start).
    void restart();
    // The ball at this clock reading (seconds since the start, never going back).
    void addFrame(double clock, const SRunSample& pose);
    // Ends the run at the finish: the last sample is this pose at this time.
    SRecording finish(double clock, const SRunSample& pose);

    bool isStarted() const { return mStarted; }
    const SRecording& current() const { return mRecording; }

private:
    SRecording mRecording;
    SRunSample mLast;
    double mLastClock = 0.0;
    bool mStarted = false;
    bool mEnabled = false; // start was called
};
