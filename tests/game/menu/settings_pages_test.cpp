// The settings pages: loading and repairing "./input.cfg", key capture, saving, the device
// choice and the sub-page switching.
#include "gui_fixture.h"

#include "game/core/profile.h"

#include <OISKeyboard.h>

#include <filesystem>

namespace {

const char* const kInputFile = "./input.cfg";

class SettingsPagesTest : public CGuiFixture
{
protected:
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
};

TEST_F(SettingsPagesTest, missingInputFileGivesDefaultKeysAndIsCreated)
{
    EXPECT_EQ(mMenu->getUsedKeys(), mMenu->getDefaultKeys());
    EXPECT_EQ(stored(1, "Forward"), OIS::KC_W);
    EXPECT_EQ(stored(4, "Menu"), OIS::KC_NUMPAD9);
    EXPECT_EQ(text("Settings/Inputsettings2/Player4MenuKey"), mMenu->getDefaultKeys()[23].first);
}

class RepairedInputFileTest : public SettingsPagesTest
{
protected:
    void beforeMenu() override
    {
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
    EXPECT_EQ(text("Settings/Inputsettings1/StatusText"), "Please press a key!");
    EXPECT_FALSE(visible("Settings/Inputsettings1/StatusTextRed"));
    press(OIS::KC_F5);
    EXPECT_FALSE(mMenu->isCapturingKey());
    EXPECT_EQ(mMenu->getUsedKeys()[9].second, OIS::KC_F5);
    EXPECT_EQ(text("Settings/Inputsettings1/Player2BackKey"), mMenu->getUsedKeys()[9].first);
    EXPECT_FALSE(visible("Settings/Inputsettings1/StatusText"));
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

TEST_F(SettingsPagesTest, aKeyInUseIsRefusedAndTheBindingStays)
{
    click("Settings/Inputsettings2/Player4PauseKey");
    press(OIS::KC_ESCAPE); // player 1's Menu key
    EXPECT_FALSE(mMenu->isCapturingKey());
    EXPECT_EQ(mMenu->getUsedKeys()[22].second, OIS::KC_NUMPAD7);
    for (const char* group : {"Settings/Inputsettings1", "Settings/Inputsettings2"}) {
        EXPECT_FALSE(visible(std::string(group) + "/StatusText"));
        EXPECT_TRUE(visible(std::string(group) + "/StatusTextRed"));
        EXPECT_EQ(text(std::string(group) + "/StatusTextRed"), "Button already in use!");
    }
}

TEST_F(SettingsPagesTest, savingWritesEveryBindingAndSaysSo)
{
    click("Settings/Inputsettings1/Player1ForwardKey");
    press(OIS::KC_T);
    std::filesystem::remove(kInputFile);
    click("Settings/Inputsettings2/SaveButton");
    EXPECT_EQ(stored(1, "Forward"), OIS::KC_T);
    EXPECT_EQ(stored(4, "Left"), OIS::KC_NUMPAD4);
    EXPECT_TRUE(visible("Message/GeneralMessageBox"));
    EXPECT_EQ(text("Message/GeneralMessageBox"), "Inputsettings saved");
    EXPECT_EQ(text("Message/GeneralMessageBox/Text"), "The new settings were saved.\n");
}

TEST_F(SettingsPagesTest, aDeviceThatCannotBeFoundLeavesTheKeyboardChosen)
{
    click("Settings/Buttons/Input1");
    select("Settings/Inputsettings1/Player2UseWiiMote");
    EXPECT_TRUE(isSelected("Settings/Inputsettings1/Player2UseKeyboard"));
    EXPECT_FALSE(isSelected("Settings/Inputsettings1/Player2UseWiiMote"));
    EXPECT_FALSE(window("Settings/Inputsettings1/Player2ForwardKey")->isDisabled());
    EXPECT_EQ(text("Settings/Inputsettings1/StatusTextRed"),
              "Sorry, I was unable to detect a WiiMote for player 2!");

    select("Settings/Inputsettings2/Player4UseJoystick");
    EXPECT_TRUE(isSelected("Settings/Inputsettings2/Player4UseKeyboard"));
    EXPECT_FALSE(window("Settings/Inputsettings2/Player4MenuKey")->isDisabled());
}

TEST_F(SettingsPagesTest, subPageButtonsShowOneSubPageWithItsStatusCleared)
{
    window("Settings/Inputsettings1/StatusTextRed")->setText("old");
    for (const char* page : {"Input2", "Video", "Input1"}) {
        click(std::string("Settings/Buttons/") + page);
        EXPECT_EQ(visible("Settings/Inputsettings1"), page == std::string("Input1"));
        EXPECT_EQ(visible("Settings/Inputsettings2"), page == std::string("Input2"));
        EXPECT_EQ(visible("Settings/Videosettings"), page == std::string("Video"));
    }
    EXPECT_EQ(text("Settings/Inputsettings1/StatusTextRed"), "");
}

} // namespace
