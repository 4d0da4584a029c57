// The settings pages: loading and repairing "./input.cfg", and key capture.
#include "gui_fixture.h"

#include "game/core/profile.h"

#include <OISKeyboard.h>

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

} // namespace
