// The real start-up sequence and frame loop in an X window: the loading screen runs to its end,
// the window follows a resize and closes through the window manager protocol.
#include "game/core/application.h"
#include "game/core/loading_screen.h"

#include "test_env.h"

#include <gtest/gtest.h>
// After GoogleTest: Xlib defines macros (None, Bool) that clash with its names.
#include <Ogre.h>
#include <X11/Xlib.h>

#include <filesystem>

namespace {

// What a window manager does when the user clicks the close button.
void sendCloseRequest(Ogre::RenderWindow* window)
{
    Display* display = nullptr;
    Window handle = 0;
    window->getCustomAttribute("XDISPLAY", &display);
    window->getCustomAttribute("WINDOW", &handle);
    ASSERT_NE(display, nullptr);
    // A window manager sends the protocol atom the window lists, and only if it lists one.
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    Atom* protocols = nullptr;
    int count = 0;
    bool listed = false;
    if (XGetWMProtocols(display, handle, &protocols, &count)) {
        for (int i = 0; i < count; ++i)
            listed = listed || protocols[i] == deleteWindow;
        XFree(protocols);
    }
    ASSERT_TRUE(listed) << "the window does not take WM_DELETE_WINDOW";
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = handle;
    ev.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = long(deleteWindow);
    XSendEvent(display, handle, False, NoEventMask, &ev);
    XFlush(display);
}

// Resizes the X window behind Ogre's back, as a window manager does.
void resizeAsTheUserWould(Ogre::RenderWindow* window, unsigned width, unsigned height)
{
    Display* display = nullptr;
    Window handle = 0;
    window->getCustomAttribute("XDISPLAY", &display);
    window->getCustomAttribute("WINDOW", &handle);
    XResizeWindow(display, handle, width, height);
    XFlush(display);
}

// Drives the loop from inside: resizes the window, then asks the window manager way to close.
class Probe : public Ogre::FrameListener
{
public:
    static constexpr int kResizeFrame = 3;
    static constexpr int kCheckFrame = 12;

    bool frameStarted(const Ogre::FrameEvent&) override
    {
        CApplication* app = CApplication::getInstance();
        ++started;
        if (started == kResizeFrame)
            resizeAsTheUserWould(app->getRenderWindow(), 640, 400);
        if (started == kCheckFrame) {
            aspectAfterResize = app->getCamera()->getAspectRatio();
            windowWidth = app->getRenderWindow()->getWidth();
            windowHeight = app->getRenderWindow()->getHeight();
            sendCloseRequest(app->getRenderWindow());
            closeRequestedAt = started;
        }
        return true;
    }
    bool frameEnded(const Ogre::FrameEvent&) override
    {
        ++ended;
        return true;
    }

    int started = 0;
    int ended = 0;
    int closeRequestedAt = 0;
    float aspectAfterResize = 0;
    unsigned windowWidth = 0;
    unsigned windowHeight = 0;
};

} // namespace

TEST(ApplicationWindow, startsCompletelyFollowsResizesAndClosesAfterTheCurrentFrame)
{
    testenv::TempDir dir;
    dir.linkGameFiles();
    // An empty configuration: pick the first render system.
    testenv::writeFile(testenv::userFile(testenv::kConfig, "ogre.cfg"), "");

    CApplication* app = CApplication::getInstance();
    ASSERT_TRUE(app->start());

    EXPECT_EQ(app->getLoadingScreen()->getSteps().back().first, 100.0f);
    EXPECT_FALSE(app->getLoadingScreen()->isVisible());

    Ogre::RenderWindow* window = app->getRenderWindow();
    EXPECT_FLOAT_EQ(app->getCamera()->getAspectRatio(),
                    float(window->getWidth()) / float(window->getHeight()));
    ASSERT_NE(app->getSceneManager(), nullptr);
    EXPECT_EQ(app->getSceneManager()->getName(), "SceneManager");

    Probe probe;
    app->getRoot()->addFrameListener(&probe);
    app->loop();
    app->getRoot()->removeFrameListener(&probe);

    EXPECT_EQ(probe.windowWidth, 640u);
    EXPECT_EQ(probe.windowHeight, 400u);
    EXPECT_FLOAT_EQ(probe.aspectAfterResize, 640.0f / 400.0f);
    EXPECT_FALSE(app->isRunning());
    // The frame in which the close arrived was finished; at most one more frame was begun.
    EXPECT_EQ(probe.ended, probe.closeRequestedAt);
    EXPECT_LE(probe.started, probe.closeRequestedAt + 1);

    CApplication::destroyInstance();
    // The logs go to the user's state folder; nothing is written into the working folder.
    EXPECT_TRUE(std::filesystem::exists(testenv::userFile(testenv::kState, "Ogre.log")));
    EXPECT_TRUE(std::filesystem::exists(testenv::userFile(testenv::kState, "CEGUI.log")));
    for (const char* name : {"Ogre.log", "CEGUI.log", "ogre.cfg", "input.cfg"})
        EXPECT_FALSE(std::filesystem::exists(name)) << name;
}
