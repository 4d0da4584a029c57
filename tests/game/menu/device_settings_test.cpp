// Choosing a joystick or a Wii Remote on the input pages, and rounds built with those devices:
// the device is tried when chosen, and a round whose device is missing lands on its input page.
#include "gui_fixture.h"

#include "game/input/joystick_player.h"
#include "game/wiimote/hid_transport.h"
#include "tests/game/input/scripted_keyboard.h"
#include "tests/game/wiimote/simulated_wiimote.h"

#include <SDL2/SDL.h>

#include <algorithm>

namespace {
using Kind = CSimulatedWiimote::Kind;

class DeviceSettingsTest : public CGuiFixture
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

    CSimulatedTransport transport;
};

TEST_F(DeviceSettingsTest, aDeviceThatAnswersStaysChosenAndIsLetGoAgain)
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

TEST_F(DeviceSettingsTest, aRoundWhoseDeviceIsMissingShowsItsInputPage)
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

TEST_F(DeviceSettingsTest, aJoystickRoundWithoutAJoystickShowsItsInputPage)
{
    attachJoystick();
    select("Settings/Inputsettings1/Player1UseJoystick");
    SDL_JoystickDetachVirtual(0);
    mMenu->showPage("Singleplayer");
    mMenu->startSingleplayerRound();
    EXPECT_EQ(mMenu->getCurrentPage(), "Settings");
    EXPECT_EQ(text("Settings/Inputsettings1/StatusTextRed"),
              "Sorry, I was unable to detect a Joystick for player 1!");
    EXPECT_TRUE(isSelected("Settings/Inputsettings1/Player1UseKeyboard"));
}
} // namespace
