// The frame rule every per-frame object follows: updateAlways first, updateRunning only while
// not paused, hooks once per change of the pause flag.
#include "world/ext_frame_listener.h"

#include <gtest/gtest.h>

namespace {

class RecordingListener : public CExtFrameListener
{
public:
    bool updateRunning(const Ogre::FrameEvent&) override
    {
        ++running;
        return runningResult;
    }
    bool updateAlways(const Ogre::FrameEvent&) override
    {
        ++always;
        return alwaysResult;
    }
    void onPause() override
    {
        ++pauses;
        pausedInsideHook = isPaused();
    }
    void onResume() override
    {
        ++resumes;
        pausedInsideHook = isPaused();
    }

    int running = 0;
    int always = 0;
    int pauses = 0;
    int resumes = 0;
    bool runningResult = true;
    bool alwaysResult = true;
    bool pausedInsideHook = false;
};

Ogre::FrameEvent frame()
{
    Ogre::FrameEvent evt;
    evt.timeSinceLastEvent = evt.timeSinceLastFrame = 1.0f / 60.0f;
    return evt;
}

} // namespace

// Which hooks a frame calls and what it returns, for every pause flag and hook result.
TEST(ExtFrameListener, updateAlwaysRunsFirstAndUpdateRunningOnlyWhileNotPaused)
{
    for (int row = 0; row < 8; ++row) {
        const bool paused = row & 1, alwaysResult = row & 2, runningResult = row & 4;
        RecordingListener l;
        l.setPaused(paused);
        l.alwaysResult = alwaysResult;
        l.runningResult = runningResult;
        const bool result = l.frameStarted(frame());
        SCOPED_TRACE(row);
        EXPECT_EQ(l.always, 1);
        EXPECT_EQ(l.running, alwaysResult && !paused ? 1 : 0);
        EXPECT_EQ(result, alwaysResult && (paused || runningResult));
    }
}

TEST(ExtFrameListener, hooksAreCalledOncePerChangeWithTheFlagAlreadyStored)
{
    RecordingListener l;
    l.setPaused(false);
    EXPECT_EQ(l.resumes, 0);

    l.setPaused(true);
    EXPECT_TRUE(l.pausedInsideHook);
    l.setPaused(true);
    EXPECT_EQ(l.pauses, 1);
    EXPECT_TRUE(l.isPaused());

    l.setPaused(false);
    EXPECT_FALSE(l.pausedInsideHook);
    l.setPaused(false);
    EXPECT_EQ(l.resumes, 1);
    EXPECT_FALSE(l.isPaused());
}
