// The frame rule shared by every per-frame object of both programs.
#include "world/ext_frame_listener.h"

bool CExtFrameListener::frameStarted(const Ogre::FrameEvent& evt)
{
    if (!updateAlways(evt))
        return false;
    if (mPaused)
        return true;
    return updateRunning(evt);
}

bool CExtFrameListener::updateRunning(const Ogre::FrameEvent&)
{
    return true;
}

bool CExtFrameListener::updateAlways(const Ogre::FrameEvent&)
{
    return true;
}

void CExtFrameListener::setPaused(bool paused)
{
    if (paused == mPaused)
        return;
    mPaused = paused;
    if (paused)
        onPause();
    else
        onResume();
}
