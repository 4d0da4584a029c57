// The settings pages load the user's "input.cfg" and repair what it holds wrong.
#include "gui_fixture.h"

#include "game/core/profile.h"

#include <OISKeyboard.h>

namespace {

class RepairedInputFileTest : public CGuiFixture
{
protected:
    void beforeMenu() override
    {
        // Player 2 repeats player 1's forward key; player 1's Right is free text; player 3 takes
        // player 4's default forward key, so player 4's forward slot has nothing left but "ERR".
        testenv::writeFile(testenv::userFile(testenv::kConfig, "input.cfg"),
                           "[Player1]\nForward=17\nRight=garbage\nLeft=30\n"
                           "[Player2]\nForward=17\nBack=0\n"
                           "[Player3]\nForward=72\n");
    }
    int stored(int player, const char* action) const
    {
        return std::stoi(getProfileString("Player" + std::to_string(player), action, "-1",
                                          testenv::userFile(testenv::kConfig, "input.cfg")));
    }
};

TEST_F(RepairedInputFileTest, duplicatesAndBadValuesFallBackToDefaultsOrErr)
{
    const auto key = [this](int player, int action) {
        return mMenu->getUsedKeys()[size_t((player - 1) * CGameMenu::kActionsPerPlayer + action)];
    };
    EXPECT_EQ(key(1, 0).second, OIS::KC_W);
    EXPECT_EQ(key(1, 1).second, OIS::KC_D) << "unreadable value: default";
    EXPECT_EQ(key(1, 6).second, OIS::KC_R) << "missing retry key: default";
    EXPECT_EQ(key(2, 0).second, OIS::KC_UP) << "the later of two equal keys: default";
    EXPECT_EQ(key(2, 3).second, OIS::KC_DOWN) << "zero: default";
    EXPECT_EQ(key(3, 0).second, OIS::KC_NUMPAD8);
    EXPECT_EQ(key(4, 0), (CGameMenu::KeyBinding{"ERR", 0}));
    EXPECT_EQ(text("Settings/Inputsettings2/Player4ForwardKey"), "ERR");

    EXPECT_EQ(stored(2, "Forward"), OIS::KC_UP);
    EXPECT_EQ(stored(1, "Right"), OIS::KC_D);
    EXPECT_EQ(stored(4, "Forward"), 0);
    EXPECT_EQ(stored(3, "Forward"), OIS::KC_NUMPAD8) << "a counted value is left as it was";
}

} // namespace
