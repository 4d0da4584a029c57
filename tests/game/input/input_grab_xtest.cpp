// The game never takes the keyboard or the pointer for itself unless asked: another program can
// grab them (as a window manager does to switch windows) while the game's devices exist. The
// pointer grab that the player may ask for in a round comes and goes on request.
#include "game/input/input_manager.h"

#include "test_env.h"

#include <gtest/gtest.h>

#include <OISMouse.h>
#include <Ogre.h>
#include <OgreWindowEventUtilities.h>
#include <X11/Xlib.h>

#include <memory>

namespace {

// What another X client gets when it tries to grab: GrabSuccess when nobody holds the device.
struct SGrabs
{
    int keyboard;
    int pointer;
};

SGrabs tryGrabsFromAnotherClient()
{
    Display* display = XOpenDisplay(nullptr);
    const Window root = DefaultRootWindow(display);
    SGrabs result;
    result.keyboard =
        XGrabKeyboard(display, root, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    result.pointer = XGrabPointer(display, root, False, ButtonPressMask, GrabModeAsync,
                                  GrabModeAsync, None, None, CurrentTime);
    XUngrabKeyboard(display, CurrentTime);
    XUngrabPointer(display, CurrentTime);
    XCloseDisplay(display);
    return result;
}

TEST(InputGrab, nothingIsGrabbedUnlessThePointerIsAskedFor)
{
    testenv::TempDir dir;
    dir.linkGameFiles();
    auto log = std::make_unique<Ogre::LogManager>();
    log->createLog("Ogre.log", true, false, false);
    auto root = std::make_unique<Ogre::Root>("plugins.cfg", "", "Ogre.log");
    root->setRenderSystem(root->getAvailableRenderers().front());
    root->initialise(false);
    Ogre::RenderWindow* window = root->createRenderWindow("grab test", 640, 480, false);
    OgreBites::WindowEventUtilities::messagePump();

    CInputManager& input = CInputManager::getSingleton();
    input.initialise(window);
    ASSERT_NE(input.getMouse(), nullptr);
    SGrabs grabs = tryGrabsFromAnotherClient();
    EXPECT_EQ(grabs.keyboard, GrabSuccess);
    EXPECT_EQ(grabs.pointer, GrabSuccess);

    input.setPointerGrabbed(true);
    ASSERT_NE(input.getMouse(), nullptr);
    EXPECT_TRUE(input.isPointerGrabbed());
    grabs = tryGrabsFromAnotherClient();
    EXPECT_EQ(grabs.keyboard, GrabSuccess);
    EXPECT_EQ(grabs.pointer, AlreadyGrabbed);

    input.setPointerGrabbed(false);
    ASSERT_NE(input.getMouse(), nullptr);
    EXPECT_EQ(input.getMouse()->getMouseState().width, 640);
    EXPECT_EQ(tryGrabsFromAnotherClient().pointer, GrabSuccess);

    CInputManager::destroySingleton();
    root.reset();
}

} // namespace
