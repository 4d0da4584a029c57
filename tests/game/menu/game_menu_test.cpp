// The menu frame: page switching, the message box, mouse buttons reaching CEGUI, the in-game
// dialog, texts shown as they are, and the head-up display with the winner text.
#include "gui_fixture.h"

#include "game/input/player.h"

#include <OISMouse.h>

namespace {

class GameMenuTest : public CGuiFixture
{
protected:
    // A click on the middle of a window as OIS reports one that came with the move there (a
    // touchpad tap, a fast hand, automation): the move is announced only after the button.
    void clickWith(OIS::MouseButtonID button, const std::string& designName) const
    {
        const CEGUI::Rectf area = window(designName)->getUnclippedOuterRect().get();
        OIS::MouseState state;
        state.width = static_cast<int>(kScreenWidth);
        state.height = static_cast<int>(kScreenHeight);
        state.X.abs = static_cast<int>(area.left() + area.getWidth() / 2);
        state.Y.abs = static_cast<int>(area.top() + area.getHeight() / 2);
        const OIS::MouseEvent event(nullptr, state);
        mMenu->mousePressed(event, button);
        mMenu->mouseReleased(event, button);
        mMenu->mouseMoved(event);
    }
};

// Closed over the waiting dialog, the box leaves the dialog shown.
TEST_F(GameMenuTest, messageBoxShowsTheIconOfItsKindAndClosesOverTheWaitingDialog)
{
    window("Message")->setVisible(true);
    window("Message/WaitForClientDialog")->setVisible(true);
    mMenu->showMessage(CGameMenu::kInfoMessage, "Saved", "Fine.");
    EXPECT_EQ(window("Message/GeneralMessageBox/Icon")->getProperty("Image"), "gui/Info");
    mMenu->showMessage(CGameMenu::kErrorMessage, "Failure", "Server could not be started!");
    EXPECT_EQ(window("Message/GeneralMessageBox/Icon")->getProperty("Image"), "gui/Error");
    click("Message/GeneralMessageBox/ConfirmButton");
    EXPECT_FALSE(visible("Message/GeneralMessageBox"));
    EXPECT_TRUE(visible("Message/WaitForClientDialog"));
}

TEST_F(GameMenuTest, aClickActsWhereThePointerIsAndButtonsBeyondMiddleActAsTheLeftOne)
{
    clickWith(OIS::MB_Button4, "multiplayer");
    EXPECT_TRUE(visible("Multiplayer")) << "button 4 clicked like the left button";
    for (OIS::MouseButtonID button : {OIS::MB_Right, OIS::MB_Middle}) {
        clickWith(button, "network");
        EXPECT_FALSE(visible("Network")) << button;
    }
    clickWith(OIS::MB_Left, "settings");
    EXPECT_EQ(mMenu->getCurrentPage(), "Settings");
}

TEST_F(GameMenuTest, menuKeyOpensThePausingDialogAndContinueOrTheKeyResumes)
{
    context().setRootWindow(window("HUD"));
    context().getMouseCursor().hide();
    CApplication* app = CApplication::getInstance();
    mMenu->toggleIngameMenu();
    EXPECT_EQ(context().getRootWindow(), window("Ingame"));
    EXPECT_TRUE(context().getMouseCursor().isVisible());
    EXPECT_TRUE(app->isPaused());
    EXPECT_FALSE(window("Ingame/Dialog/Restart")->isDisabled()) << "no network game runs";
    click("Ingame/Dialog/Continue");
    EXPECT_EQ(context().getRootWindow(), window("HUD"));
    EXPECT_FALSE(context().getMouseCursor().isVisible());
    EXPECT_FALSE(app->isPaused());

    // Opened while a player's pause key holds the game, the dialog still pauses
    // it and the menu key closing it resumes.
    app->setPaused(true);
    mMenu->toggleIngameMenu();
    EXPECT_TRUE(app->isPaused());
    mMenu->toggleIngameMenu();
    EXPECT_FALSE(visible("Ingame"));
    EXPECT_FALSE(app->isPaused());

    // While the end-of-round buttons show, the key does nothing.
    window("HUD/Group")->setVisible(true);
    mMenu->toggleIngameMenu();
    EXPECT_FALSE(visible("Ingame"));
}

TEST_F(GameMenuTest, backToMenuLeavesThePausedRoundAndAnAbortShowsWhy)
{
    context().setRootWindow(window("HUD"));
    mMenu->toggleIngameMenu();
    click("Ingame/Dialog/Back");
    EXPECT_EQ(context().getRootWindow(), window("Root"));
    EXPECT_FALSE(visible("Ingame"));
    EXPECT_FALSE(CApplication::getInstance()->isPaused());

    context().setRootWindow(window("HUD"));
    mMenu->abortToMenu("Connection broken", "Connection to remote host lost!");
    EXPECT_EQ(context().getRootWindow(), window("Root"));
    EXPECT_EQ(text("Message/GeneralMessageBox"), "Connection broken");
    click("quit");
    EXPECT_FALSE(CApplication::getInstance()->isRunning());
}

class CNamedPlayer : public CPlayer
{
public:
    explicit CNamedPlayer(const std::string& name) { setName(name); }
    bool initInput() override { return true; }
};

TEST_F(GameMenuTest, showWinnerShowsTheTextButtonsAndCursorAndRestartHidesThemAgain)
{
    context().setRootWindow(window("HUD"));
    context().getMouseCursor().hide();
    CNamedPlayer winner("Cleo");
    mMenu->showWinner(&winner, 59.999, 2);
    EXPECT_TRUE(visible("HUD/InfoText"));
    EXPECT_TRUE(visible("HUD/ButtonRestartGame"));
    EXPECT_FALSE(window("HUD/ButtonRestartGame")->isDisabled()) << "no network game runs";
    EXPECT_TRUE(context().getMouseCursor().isVisible());
    EXPECT_EQ(text("HUD/InfoText"),
              "Cleo\nwon the game in: 00:59:999\n New highscore! Your place: #2");
    click("HUD/ButtonRestartGame");
    EXPECT_FALSE(visible("HUD/InfoText"));
    EXPECT_FALSE(visible("HUD/Group"));
    EXPECT_FALSE(context().getMouseCursor().isVisible());
    EXPECT_EQ(context().getRootWindow(), window("HUD"));
    mMenu->showWinner(&winner, 83.5, -1); // no place in the best times: no line for it
    EXPECT_EQ(text("HUD/InfoText"), "Cleo\nwon the game in: 01:23:500");
}

} // namespace

TEST_F(GameMenuTest, textsFromPlayersAndFilesAreShownAsTheyAreNotReadAsMarkup)
{
    context().setRootWindow(window("HUD"));
    const std::string hostile = "[font='no such font'][colour='FFFF0000']Tester[";
    window("HUD/NamePlayer1")->setText(hostile);
    window("Singleplayer/Game/Top5")->setText(hostile);
    EXPECT_NO_THROW(CEGUI::System::getSingleton().renderAllGUIContexts());
    context().setRootWindow(window("Root"));
    EXPECT_NO_THROW(CEGUI::System::getSingleton().renderAllGUIContexts());
    EXPECT_EQ(text("HUD/NamePlayer1"), hostile);
}
