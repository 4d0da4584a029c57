// CViewportClip: makes every view of a window start its drawing clipped to its own rectangle.
// The GUI renderer draws each of its windows through the render system's scissor test and leaves
// the last clip rectangle behind; the GL render system does not set the scissor again when it
// switches to the next frame's views, so the level would only be drawn into that last GUI
// rectangle and the rest of the window would keep an old picture.
#pragma once

#include <OgreRenderTargetListener.h>

class CViewportClip : public Ogre::RenderTargetListener
{
public:
    void preViewportUpdate(const Ogre::RenderTargetViewportEvent& evt) override;
};
