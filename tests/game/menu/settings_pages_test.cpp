// The settings pages: loading and repairing "./input.cfg", key capture, and choosing a joystick
// or a Wii Remote: the device is tried when chosen, and a round whose device is missing lands on
// its input page.
#include "gui_fixture.h"

#include "game/core/profile.h"
#include "game/input/joystick_player.h"
#include "game/wiimote/hid_transport.h"
#include "tests/game/input/scripted_keyboard.h"
#include "tests/game/wiimote/simulated_wiimote.h"

#include <OISKeyboard.h>
#include <SDL2/SDL.h>

#include <algorithm>

namespace {
using Kind = CSimulatedWiimote::Kind;

const char* const kInputFile = "./input.cfg";

class SettingsPagesTest : public CGuiFixture
{
protected:
    void beforeMenu() override
    {
        setDefaultHidTransport(&transport);
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0);
    }
    void TearDown() override
    {
        while (SDL_NumJoysticks() > 0)
            SDL_JoystickDetachVirtual(0);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        setDefaultHidTransport(nullptr);
        CGuiFixture::TearDown();
    }
    static void attachJoystick()
    {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.nhats = 1;
        desc.nbuttons = 11;
        ASSERT_GE(SDL_JoystickAttachVirtualEx(&desc), 0);
    }
    bool keyFieldsEnabled(int player)
    {
        const std::string group = player <= 2 ? "1" : "2";
        return !window("Settings/Inputsettings" + group + "/Player" + std::to_string(player) +
                       "LeftKey")
                    ->isDisabled();
    }
    void press(OIS::KeyCode key) const
    {
        mMenu->keyPressed(OIS::KeyEvent(nullptr, key, 0));
        mMenu->keyReleased(OIS::KeyEvent(nullptr, key, 0));
    }
    int stored(int player, const char* action) const
    {
        return std::stoi(
            getProfileString("Player" + std::to_string(player), action, "-1", kInputFile));
    }

    CSimulatedTransport transport;
};

class RepairedInputFileTest : public SettingsPagesTest
{
protected:
    void beforeMenu() override
    {
        SettingsPagesTest::beforeMenu();
        // Player 2 repeats player 1's forward key; player 1's Right is free text; player 3 takes
        // player 4's default forward key, so player 4's forward slot has nothing left but "ERR".
        testenv::writeFile(kInputFile, "[Player1]\nForward=17\nRight=garbage\nLeft=30\n"
                                       "[Player2]\nForward=17\nBack=0\n"
                                       "[Player3]\nForward=72\n");
    }
};

TEST_F(RepairedInputFileTest, duplicatesAndBadValuesFallBackToDefaultsOrErr)
{
    const auto& keys = mMenu->getUsedKeys();
    EXPECT_EQ(keys[0].second, OIS::KC_W);
    EXPECT_EQ(keys[1].second, OIS::KC_D) << "unreadable value: default";
    EXPECT_EQ(keys[6].second, OIS::KC_UP) << "the later of two equal keys: default";
    EXPECT_EQ(keys[9].second, OIS::KC_DOWN) << "zero: default";
    EXPECT_EQ(keys[12].second, OIS::KC_NUMPAD8);
    EXPECT_EQ(keys[18], (CGameMenu::KeyBinding{"ERR", 0}));
    EXPECT_EQ(text("Settings/Inputsettings2/Player4ForwardKey"), "ERR");

    EXPECT_EQ(stored(2, "Forward"), OIS::KC_UP);
    EXPECT_EQ(stored(1, "Right"), OIS::KC_D);
    EXPECT_EQ(stored(4, "Forward"), 0);
    EXPECT_EQ(stored(3, "Forward"), OIS::KC_NUMPAD8) << "a counted value is left as it was";
}

TEST_F(SettingsPagesTest, clickingAKeyFieldCapturesTheNextFreeKeyOnly)
{
    press(OIS::KC_F5); // without a capture no binding changes
    EXPECT_EQ(mMenu->getUsedKeys(), mMenu->getDefaultKeys());
    click("Settings/Inputsettings1/Player2BackKey");
    EXPECT_TRUE(mMenu->isCapturingKey());
    press(OIS::KC_F5);
    EXPECT_FALSE(mMenu->isCapturingKey());
    EXPECT_EQ(text("Settings/Inputsettings1/Player2BackKey"), mMenu->getUsedKeys()[9].first);
    press(OIS::KC_F6);
    EXPECT_EQ(mMenu->getUsedKeys()[9].second, OIS::KC_F5) << "only one key is captured";

    // A capture left unfinished ends when the player goes elsewhere.
    for (const char* elsewhere : {"singleplayer", "Settings/Buttons/Video"}) {
        click("Settings/Inputsettings1/Player1ForwardKey");
        click(elsewhere);
        EXPECT_FALSE(mMenu->isCapturingKey()) << elsewhere;
    }
    press(OIS::KC_F7);
    EXPECT_EQ(mMenu->getUsedKeys()[0].second, OIS::KC_W);
}

TEST_F(SettingsPagesTest, aDeviceThatAnswersStaysChosenAndIsLetGoAgain)
{
    auto remote = transport.plug(Kind::kRemote);
    attachJoystick();
    click("Settings/Buttons/Input2");
    select("Settings/Inputsettings2/Player3UseWiiMote");
    EXPECT_TRUE(isSelected("Settings/Inputsettings2/Player3UseWiiMote"));
    EXPECT_FALSE(keyFieldsEnabled(3));
    EXPECT_EQ(text("Settings/Inputsettings2/StatusTextRed"), "");
    const auto sent = remote->received();
    EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [](const auto& report) {
        return report[0] == 0x11 && report[1] == 0x40; // player 3's LED
    }));
    EXPECT_EQ(remote->openHandles, 0); // and let go

    select("Settings/Inputsettings2/Player4UseJoystick");
    EXPECT_TRUE(isSelected("Settings/Inputsettings2/Player4UseJoystick"));
    EXPECT_FALSE(keyFieldsEnabled(4));
    EXPECT_EQ(CJoystickPlayer::openedJoysticks(), 0);

    select("Settings/Inputsettings2/Player4UseKeyboard");
    EXPECT_TRUE(keyFieldsEnabled(4));
}

TEST_F(SettingsPagesTest, aRoundWhoseDeviceIsMissingShowsItsInputPage)
{
    transport.plug(Kind::kRemote);
    select("Settings/Inputsettings1/Player1UseWiiMote");
    select("Settings/Inputsettings1/Player2UseWiiMote"); // the one remote answers both trials
    ASSERT_TRUE(isSelected("Settings/Inputsettings1/Player2UseWiiMote"));
    mMenu->showPage("Multiplayer");
    mMenu->startSplitScreenRound();
    // Player 1 holds the only remote, so player 2 finds none; player 1 lets it go again.
    EXPECT_EQ(mMenu->getCurrentPage(), "Settings");
    EXPECT_TRUE(visible("Settings/Inputsettings1"));
    EXPECT_EQ(text("Settings/Inputsettings1/StatusTextRed"),
              "Sorry, I was unable to detect a WiiMote for player 2!");
    EXPECT_TRUE(isSelected("Settings/Inputsettings1/Player2UseKeyboard"));
    EXPECT_TRUE(keyFieldsEnabled(2));
    EXPECT_TRUE(isSelected("Settings/Inputsettings1/Player1UseWiiMote"));

    // Player 1's remote and player 2's keyboard make a round; without a 3D view it says so.
    CScriptedKeyboard keyboard;
    CInputManager::getSingleton().setKeyboard(&keyboard);
    mMenu->showPage("Multiplayer");
    mMenu->startSplitScreenRound();
    EXPECT_EQ(text("Message/GeneralMessageBox"), "Cannot start the game");
    CInputManager::getSingleton().setKeyboard(nullptr);
}

} // namespace
