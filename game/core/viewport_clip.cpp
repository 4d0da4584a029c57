// The scissor of each view, set before the view is drawn.
#include "game/core/viewport_clip.h"

#include <OgreRenderSystem.h>
#include <OgreRoot.h>
#include <OgreViewport.h>

void CViewportClip::preViewportUpdate(const Ogre::RenderTargetViewportEvent& evt)
{
    Ogre::RenderSystem* system = Ogre::Root::getSingleton().getRenderSystem();
    Ogre::Viewport* view = evt.source;
    if (!system || !view)
        return;
    // The rectangle is measured on the view's own target, so that becomes the active one first.
    system->_setViewport(view);
    const long left = view->getActualLeft();
    const long top = view->getActualTop();
    system->setScissorTest(
        true, Ogre::Rect(left, top, left + view->getActualWidth(), top + view->getActualHeight()));
}
