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
    EXPECT_EQ(stored(1, "Menu"), OIS::KC_ESCAPE);
    EXPECT_EQ(stored(2, "Pause"), OIS::KC_PAUSE);
    EXPECT_EQ(stored(3, "Right"), OIS::KC_V);
    EXPECT_EQ(stored(4, "Menu"), OIS::KC_NUMPAD9);
    EXPECT_EQ(text("Settings/Inputsettings1/Player1ForwardKey"), mMenu->getDefaultKeys()[0].first);
    EXPECT_FALSE(text("Settings/Inputsettings1/Player1ForwardKey").empty());
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

TEST_F(SettingsPagesTest, clickingAKeyFieldAsksForAKey)
{
    click("Settings/Inputsettings2/Player3LeftKey");
    EXPECT_TRUE(mMenu->isCapturingKey());
    EXPECT_TRUE(visible("Settings/Inputsettings2/StatusText"));
    EXPECT_EQ(text("Settings/Inputsettings2/StatusText"), "Please press a key!");
    EXPECT_FALSE(visible("Settings/Inputsettings2/StatusTextRed"));
}

TEST_F(SettingsPagesTest, aFreeKeyIsTakenForTheFieldBeingCaptured)
{
    click("Settings/Inputsettings1/Player2BackKey");
    press(OIS::KC_F5);
    EXPECT_FALSE(mMenu->isCapturingKey());
    EXPECT_EQ(mMenu->getUsedKeys()[9].second, OIS::KC_F5);
    EXPECT_EQ(text("Settings/Inputsettings1/Player2BackKey"), mMenu->getUsedKeys()[9].first);
    EXPECT_FALSE(visible("Settings/Inputsettings1/StatusText"));
    press(OIS::KC_F6);
    EXPECT_EQ(mMenu->getUsedKeys()[9].second, OIS::KC_F5) << "only one key is captured";
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

TEST_F(SettingsPagesTest, keysPressedWithoutCaptureChangeNoBinding)
{
    press(OIS::KC_F5);
    EXPECT_EQ(mMenu->getUsedKeys(), mMenu->getDefaultKeys());
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
    EXPECT_TRUE(visible("Settings/Inputsettings1/StatusTextRed"));

    select("Settings/Inputsettings2/Player4UseJoystick");
    EXPECT_TRUE(isSelected("Settings/Inputsettings2/Player4UseKeyboard"));
    EXPECT_EQ(text("Settings/Inputsettings2/StatusTextRed"),
              "Sorry, I was unable to detect a Joystick for player 4!");
    EXPECT_FALSE(window("Settings/Inputsettings2/Player4MenuKey")->isDisabled());
}

TEST_F(SettingsPagesTest, subPageButtonsShowOneSubPage)
{
    click("Settings/Buttons/Input2");
    EXPECT_TRUE(visible("Settings/Inputsettings2"));
    EXPECT_FALSE(visible("Settings/Inputsettings1"));
    EXPECT_FALSE(visible("Settings/Videosettings"));

    window("Settings/Inputsettings1/StatusTextRed")->setText("old");
    click("Settings/Buttons/Input1");
    EXPECT_TRUE(visible("Settings/Inputsettings1"));
    EXPECT_FALSE(visible("Settings/Inputsettings2"));
    EXPECT_EQ(text("Settings/Inputsettings1/StatusTextRed"), "");

    click("Settings/Buttons/Video");
    EXPECT_TRUE(visible("Settings/Videosettings"));
    EXPECT_FALSE(visible("Settings/Inputsettings1"));
    EXPECT_FALSE(visible("Settings/Inputsettings2"));
}

} // namespace

TEST_F(SettingsPagesTest, aCaptureLeftUnfinishedEndsWhenThePlayerGoesElsewhere)
{
    click("Settings/Inputsettings1/Player1ForwardKey");
    ASSERT_TRUE(mMenu->isCapturingKey());
    click("singleplayer");
    EXPECT_FALSE(mMenu->isCapturingKey());
    press(OIS::KC_F5); // later, say during a round
    EXPECT_EQ(mMenu->getUsedKeys(), mMenu->getDefaultKeys());

    click("Settings/Inputsettings1/Player1ForwardKey");
    click("Settings/Buttons/Video");
    EXPECT_FALSE(mMenu->isCapturingKey());
}
