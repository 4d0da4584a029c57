// Keyboard players: key bindings from the user's "input.cfg", steering, and the pause and menu
// keys.
#include "game/input/keyboard_player.h"

#include "game/core/application.h"
#include "game/input/input_manager.h"
#include "game/input/menu_hooks.h"
#include "test_env.h"
#include "tests/game/input/scripted_keyboard.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

const char* const kTwoPlayers = "[Player1]\n"
                                "Forward=17\nBack=31\nLeft=30\nRight=32\nPause=25\nMenu=1\n"
                                "[Player2]\n"
                                "Forward=200\nBack=208\nLeft=203\nRight=205\nPause=197\nMenu=59\n";

class KeyboardPlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CInputManager::getSingleton().setKeyboard(&keyboard);
        setIngameMenuToggleHook([this] { ++menuToggles; });
    }
    void TearDown() override
    {
        setIngameMenuToggleHook(nullptr);
        CInputManager::destroySingleton();
        CApplication::destroyInstance();
    }

    // One frame as the frame loop runs it: updateAlways, then updateRunning unless paused.
    void frame(CKeyboardPlayer& player)
    {
        Ogre::FrameEvent evt{};
        evt.timeSinceLastFrame = 1.0f / 60.0f;
        player.frameStarted(evt);
    }

    static Ogre::Vector3 direction(CKeyboardPlayer& player)
    {
        Ogre::Vector3 result(1, 2, 3);
        player.getDirection(result);
        return result;
    }

    CKeyboardPlayer makePlayer(int number)
    {
        CKeyboardPlayer player;
        player.setPlayerNumber(number);
        EXPECT_TRUE(player.initInput());
        return player;
    }

    testenv::TempDir dir;
    CScriptedKeyboard keyboard;
    int menuToggles = 0;
};

TEST_F(KeyboardPlayerTest, everyCombinationOfDirectionKeysSteers)
{
    testenv::writeFile(testenv::userFile(testenv::kConfig, "input.cfg"), kTwoPlayers);
    CKeyboardPlayer player = makePlayer(2);
    const int keys[4] = {200, 208, 203, 205}; // forward, back, left, right: its own section
    for (int held = 0; held < 16; ++held) {
        keyboard.releaseAll();
        for (int k = 0; k < 4; ++k)
            if (held & (1 << k))
                keyboard.hold(keys[k]);
        frame(player);
        const bool forward = held & 1, back = held & 2, left = held & 4, right = held & 8;
        const float z = back ? 40.0f : (forward ? -40.0f : 0.0f);
        const float x = right ? 40.0f : (left ? -40.0f : 0.0f);
        EXPECT_EQ(direction(player), Ogre::Vector3(x, 0, z)) << "keys held: " << held;
    }
    CInputManager::getSingleton().setKeyboard(nullptr);
    CKeyboardPlayer without;
    EXPECT_FALSE(without.initInput()) << "no keyboard";
}

TEST_F(KeyboardPlayerTest, pauseAndMenuKeysHeldManyFramesActOnceAndAgainAfterRelease)
{
    testenv::writeFile(testenv::userFile(testenv::kConfig, "input.cfg"), kTwoPlayers);
    CKeyboardPlayer player = makePlayer(1);
    CApplication* application = CApplication::getInstance();
    for (bool paused : {true, false, true}) {
        keyboard.hold(25);
        keyboard.hold(1);
        for (int i = 0; i < 30; ++i)
            frame(player);
        EXPECT_EQ(application->isPaused(), paused);
        keyboard.releaseAll();
        frame(player);
        EXPECT_EQ(application->isPaused(), paused);
    }
    // A paused player keeps its push but still sees its pause and menu keys.
    keyboard.hold(17);
    frame(player);
    player.setPaused(true);
    keyboard.releaseAll();
    for (int key : {32, 25, 1})
        keyboard.hold(key);
    frame(player);
    EXPECT_EQ(direction(player), Ogre::Vector3(0, 0, -40));
    EXPECT_FALSE(application->isPaused());
    EXPECT_EQ(menuToggles, 4);
}

TEST_F(KeyboardPlayerTest, missingKeysAndGarbageValuesReadAsLeadingDigitsOrNoKey)
{
    testenv::writeFile(testenv::userFile(testenv::kConfig, "input.cfg"),
                       "[player1]\r\nforward = 12abc\r\nBack=abc\r\nLeft=\r\n"
                       "Right=-5\r\nPause=999\r\n");
    CKeyboardPlayer player = makePlayer(1);
    EXPECT_EQ(player.getForwardKey(), 12);
    EXPECT_EQ(player.getBackKey(), 0);
    EXPECT_EQ(player.getLeftKey(), 0);
    EXPECT_EQ(player.getRightKey(), 0);
    EXPECT_EQ(player.getPauseKey(), 0); // past the last OIS key code
    EXPECT_EQ(player.getMenuKey(), 0);  // missing: "NULL"
    for (const char* text : {"abc", "NULL", "", "256", "99999999999999999999"})
        EXPECT_EQ(keyCodeFromText(text), 0) << text;
    EXPECT_EQ(keyCodeFromText("237"), 237);

    std::remove(testenv::userFile(testenv::kConfig, "input.cfg")
                    .c_str()); // without the file no key is bound and nothing fires
    CKeyboardPlayer unbound = makePlayer(1);
    for (int key = 0; key < 256; ++key)
        keyboard.hold(key);
    frame(unbound);
    EXPECT_EQ(direction(unbound), Ogre::Vector3::ZERO);
    EXPECT_FALSE(CApplication::getInstance()->isPaused());
    EXPECT_EQ(menuToggles, 0);
}

} // namespace
