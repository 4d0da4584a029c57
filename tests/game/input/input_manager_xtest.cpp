// The input manager on a real X window: OIS devices for the window, key and mouse events typed
// by xdotool reaching the registered listeners, and the polled key state the players read.
#include "game/input/input_manager.h"

#include "test_env.h"

#include <gtest/gtest.h>

#include <OISKeyboard.h>
#include <OISMouse.h>
#include <Ogre.h>
#include <OgreWindowEventUtilities.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

const int kWindowWidth = 640;
const int kWindowHeight = 480;

class CRecordingListener : public OIS::KeyListener, public OIS::MouseListener
{
public:
    bool keyPressed(const OIS::KeyEvent& evt) override
    {
        pressed.push_back(evt.key);
        return true;
    }
    bool keyReleased(const OIS::KeyEvent& evt) override
    {
        released.push_back(evt.key);
        return true;
    }
    bool mouseMoved(const OIS::MouseEvent&) override { return true; }
    bool mousePressed(const OIS::MouseEvent&, OIS::MouseButtonID id) override
    {
        buttons.push_back(id);
        return true;
    }
    bool mouseReleased(const OIS::MouseEvent&, OIS::MouseButtonID) override { return true; }

    std::vector<int> pressed;
    std::vector<int> released;
    std::vector<int> buttons;
};

class InputManagerWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir.linkGameFiles();
        logManager = std::make_unique<Ogre::LogManager>();
        logManager->createLog("Ogre.log", true, false, false);
        root = std::make_unique<Ogre::Root>("plugins.cfg", "", "Ogre.log");
        ASSERT_FALSE(root->getAvailableRenderers().empty());
        root->setRenderSystem(root->getAvailableRenderers().front());
        root->initialise(false);
        window = root->createRenderWindow("input test", kWindowWidth, kWindowHeight, false);
        OgreBites::WindowEventUtilities::messagePump();
    }

    void TearDown() override
    {
        CInputManager::destroySingleton();
        root.reset();
        logManager.reset();
    }

    // Captures both devices until the condition holds or two seconds have passed.
    bool captureUntil(const std::function<bool()>& condition)
    {
        CInputManager& input = CInputManager::getSingleton();
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < end) {
            OgreBites::WindowEventUtilities::messagePump();
            input.getKeyboard()->capture();
            input.getMouse()->capture();
            if (condition())
                return true;
        }
        return false;
    }

    static int xdotool(const std::string& arguments)
    {
        return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str());
    }

    testenv::TempDir dir;
    std::unique_ptr<Ogre::LogManager> logManager;
    std::unique_ptr<Ogre::Root> root;
    Ogre::RenderWindow* window = nullptr;
};

TEST_F(InputManagerWindowTest, createsKeyboardAndMouseClippedToTheWindow)
{
    CInputManager& input = CInputManager::getSingleton();
    input.initialise(window);
    ASSERT_NE(input.getKeyboard(), nullptr);
    ASSERT_NE(input.getMouse(), nullptr);
    EXPECT_EQ(input.getMouse()->getMouseState().width, int(window->getWidth()));
    EXPECT_EQ(input.getMouse()->getMouseState().height, int(window->getHeight()));
    input.setMouseArea(300, 200);
    EXPECT_EQ(input.getMouse()->getMouseState().width, 300);
    EXPECT_EQ(input.getMouse()->getMouseState().height, 200);
}

TEST_F(InputManagerWindowTest, typedKeysReachListenersAndHeldKeysArePolled)
{
    CInputManager& input = CInputManager::getSingleton();
    input.initialise(window);
    ASSERT_NE(input.getKeyboard(), nullptr);
    CRecordingListener listener;
    input.addKeyListener(&listener);

    ASSERT_EQ(xdotool("keydown w"), 0);
    EXPECT_TRUE(captureUntil([&] { return !listener.pressed.empty(); }));
    EXPECT_EQ(listener.pressed, std::vector<int>{OIS::KC_W});
    EXPECT_TRUE(input.getKeyboard()->isKeyDown(OIS::KC_W));

    ASSERT_EQ(xdotool("keyup w"), 0);
    EXPECT_TRUE(captureUntil([&] { return !listener.released.empty(); }));
    EXPECT_EQ(listener.released, std::vector<int>{OIS::KC_W});
    EXPECT_FALSE(input.getKeyboard()->isKeyDown(OIS::KC_W));
}

TEST_F(InputManagerWindowTest, mouseButtonsReachListeners)
{
    CInputManager& input = CInputManager::getSingleton();
    input.initialise(window);
    ASSERT_NE(input.getMouse(), nullptr);
    CRecordingListener listener;
    input.addMouseListener(&listener);
    // The middle of the screen lies inside the window (nothing is grabbed: a click elsewhere
    // belongs to other windows).
    ASSERT_EQ(xdotool("mousemove 512 384 click 3"), 0);
    EXPECT_TRUE(captureUntil([&] { return !listener.buttons.empty(); }));
    EXPECT_EQ(listener.buttons, std::vector<int>{OIS::MB_Right});
}

} // namespace
