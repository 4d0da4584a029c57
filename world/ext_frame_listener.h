// CExtFrameListener: the frame-listener base of everything that works per frame. It adds a pause
// flag and four hooks to Ogre's listener: updateAlways runs every frame, updateRunning only
// while not paused; onPause/onResume are called once per change of the flag.
#pragma once

#include <OgreFrameListener.h>

class CExtFrameListener : public Ogre::FrameListener
{
public:
    CExtFrameListener() = default;
    ~CExtFrameListener() override = default;

    bool frameStarted(const Ogre::FrameEvent& evt) override;

    virtual bool updateRunning(const Ogre::FrameEvent& evt);
    virtual bool updateAlways(const Ogre::FrameEvent& evt);
    virtual void onPause() {}
    virtual void onResume() {}

    void setPaused(bool paused);
    bool isPaused() const { return mPaused; }

private:
    bool mPaused = false;
};
