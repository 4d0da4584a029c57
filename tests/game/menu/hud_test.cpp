// The head-up display: the winner text with its time format and highscore line, the end-of-round
// group, the players' names and times.
#include "gui_fixture.h"

#include "game/input/player.h"

namespace {

class CNamedPlayer : public CPlayer
{
public:
    explicit CNamedPlayer(const std::string& name) { setName(name); }
    bool initInput() override { return true; }
};

TEST(WinnerText, namesTheWinnerAndTimeAndAHighscorePlaceAddsItsLine)
{
    EXPECT_EQ(CGameMenu::winnerText("Ann", 83.5, -1), "Ann\nwon the game in: 01:23:500");
    for (int place : {1, 5})
        EXPECT_EQ(CGameMenu::winnerText("Bo", 7.25, place),
                  "Bo\nwon the game in: 00:07:250\n New highscore! Your place: #" +
                      std::to_string(place));
}

class HudTest : public CGuiFixture
{
};

TEST_F(HudTest, showWinnerShowsTheTextTheButtonsAndTheCursor)
{
    context().setRootWindow(window("HUD"));
    context().getMouseCursor().hide();
    CNamedPlayer winner("Cleo");
    mMenu->showWinner(&winner, 59.999, 2);
    EXPECT_TRUE(visible("HUD/InfoText"));
    EXPECT_TRUE(visible("HUD/Group"));
    EXPECT_TRUE(visible("HUD/ButtonRestartGame"));
    EXPECT_TRUE(context().getMouseCursor().isVisible());
    EXPECT_EQ(text("HUD/InfoText"),
              "Cleo\nwon the game in: 00:59:999\n New highscore! Your place: #2");
}

TEST_F(HudTest, theGameStatesHudViewIsTheMenu)
{
    ASSERT_EQ(getHudView(), mMenu.get());
    getHudView()->setPlayerTime(3, "01:15:041");
    EXPECT_EQ(text("HUD/TimePlayer3"), "01:15:041");
    getHudView()->setPlayerTime(7, "ignored");
    mMenu.reset();
    EXPECT_EQ(getHudView(), nullptr) << "a destroyed menu is no longer written to";
}

TEST_F(HudTest, setHudPlayerNameWritesTheNumberedSlot)
{
    mMenu->setHudPlayerName("Remote", 2);
    EXPECT_EQ(text("HUD/NamePlayer2"), "Remote");
    EXPECT_NE(text("HUD/NamePlayer1"), "Remote");
}

TEST_F(HudTest, restartHidesTheEndOfRoundWindowsAndTheCursor)
{
    context().setRootWindow(window("HUD"));
    CNamedPlayer winner("Cleo");
    mMenu->showWinner(&winner, 12.0, -1);
    click("HUD/ButtonRestartGame");
    EXPECT_FALSE(visible("HUD/InfoText"));
    EXPECT_FALSE(visible("HUD/Group"));
    EXPECT_FALSE(context().getMouseCursor().isVisible());
    EXPECT_EQ(context().getRootWindow(), window("HUD"));
}

} // namespace
