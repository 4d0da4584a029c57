// The menu frame: page switching, the message box, the waiting text, mouse
// buttons reaching CEGUI, the in-game dialog, and texts shown as they are.
#include "gui_fixture.h"

#include <OISMouse.h>

#include <cctype>
#include <vector>

namespace {

class NavigationTest : public CGuiFixture
{
protected:
    // Puts CEGUI's cursor on the middle of a window.
    void pointAt(const std::string& designName) const
    {
        const CEGUI::Rectf area = window(designName)->getUnclippedOuterRect().get();
        context().injectMousePosition(area.left() + area.getWidth() / 2,
                                      area.top() + area.getHeight() / 2);
    }
    void pressAndRelease(OIS::MouseButtonID button) const
    {
        const OIS::MouseState state; // the event only refers to it
        OIS::MouseEvent event(nullptr, state);
        mMenu->mousePressed(event, button);
        mMenu->mouseReleased(event, button);
    }
};

TEST_F(NavigationTest, startsOnTheSingleplayerPageAndButtonsShowOnePageAndItsTitle)
{
    EXPECT_EQ(mMenu->getCurrentPage(), "Singleplayer");
    EXPECT_EQ(context().getRootWindow(), window("Root"));
    window("Settings/Inputsettings2/StatusTextRed")->setText("old error");
    const char* pages[] = {"Multiplayer", "Network", "Settings", "Singleplayer"};
    for (const std::string page : pages) {
        std::string button = page;
        button[0] = static_cast<char>(std::tolower(button[0]));
        click(button);
        for (const std::string other : pages)
            EXPECT_EQ(visible(other), other == page) << page << " shows " << other;
        EXPECT_EQ(mMenu->getCurrentPage(), page);
        EXPECT_EQ(text("Title"), page);
    }
    EXPECT_EQ(text("Settings/Inputsettings2/StatusTextRed"), "") << "cleared on the way";
}

TEST_F(NavigationTest, messageBoxShowsTitleTextAndIconOfItsKind)
{
    context().getMouseCursor().hide();
    mMenu->showMessage(CGameMenu::kErrorMessage, "Connection broken", "Lost!");
    EXPECT_TRUE(context().getMouseCursor().isVisible());
    EXPECT_TRUE(visible("Message/GeneralMessageBox"));
    EXPECT_EQ(text("Message/GeneralMessageBox"), "Connection broken");
    EXPECT_EQ(text("Message/GeneralMessageBox/Text"), "Lost!");
    EXPECT_EQ(window("Message/GeneralMessageBox/Icon")->getProperty("Image"), "gui/Error");

    mMenu->showMessage(CGameMenu::kInfoMessage, "Saved", "Fine.");
    mMenu->showMessage(7, "Other", "Kind 7 keeps the icon.");
    EXPECT_EQ(window("Message/GeneralMessageBox/Icon")->getProperty("Image"), "gui/Info");

    click("Message/GeneralMessageBox/ConfirmButton");
    EXPECT_FALSE(visible("Message/GeneralMessageBox"));
    EXPECT_FALSE(visible("Message"));

    // Closed over the waiting dialog, the box leaves the dialog shown.
    window("Message")->setVisible(true);
    window("Message/WaitForClientDialog")->setVisible(true);
    mMenu->showMessage(CGameMenu::kErrorMessage, "Failure", "Server could not be started!");
    click("Message/GeneralMessageBox/ConfirmButton");
    EXPECT_TRUE(visible("Message"));
    EXPECT_TRUE(visible("Message/WaitForClientDialog"));
}

TEST_F(NavigationTest, everyMouseButtonBeyondMiddleActsAsTheLeftButton)
{
    pointAt("multiplayer");
    pressAndRelease(OIS::MB_Button4);
    EXPECT_TRUE(visible("Multiplayer")) << "button 4 clicked like the left button";

    pointAt("network");
    pressAndRelease(OIS::MB_Right);
    EXPECT_FALSE(visible("Network")) << "the right button does not click";
    pressAndRelease(OIS::MB_Middle);
    EXPECT_FALSE(visible("Network"));
    pressAndRelease(OIS::MB_Left);
    EXPECT_TRUE(visible("Network"));
}

TEST_F(NavigationTest, menuKeyOpensThePausingDialogAndContinueOrTheKeyResumes)
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
    EXPECT_TRUE(mMenu->isIngameMenuOpen());
    EXPECT_TRUE(app->isPaused());
    mMenu->toggleIngameMenu();
    EXPECT_FALSE(visible("Ingame"));
    EXPECT_FALSE(app->isPaused());

    // While the end-of-round buttons show, the key does nothing.
    window("HUD/Group")->setVisible(true);
    mMenu->toggleIngameMenu();
    EXPECT_FALSE(visible("Ingame"));
    EXPECT_FALSE(app->isPaused());
}

TEST_F(NavigationTest, backToMenuLeavesThePausedRoundForTheMainMenu)
{
    context().setRootWindow(window("HUD"));
    mMenu->toggleIngameMenu();
    click("Ingame/Dialog/Back");
    EXPECT_EQ(context().getRootWindow(), window("Root"));
    EXPECT_FALSE(visible("Ingame"));
    EXPECT_FALSE(visible("HUD/Group"));
    EXPECT_FALSE(CApplication::getInstance()->isPaused());
}

TEST_F(NavigationTest, abortToMenuShowsAnErrorBoxAndQuitEndsTheFrameLoop)
{
    context().setRootWindow(window("HUD"));
    mMenu->abortToMenu("Connection broken", "Connection to remote host lost!");
    EXPECT_EQ(context().getRootWindow(), window("Root"));
    EXPECT_TRUE(visible("Message/GeneralMessageBox"));
    EXPECT_EQ(text("Message/GeneralMessageBox"), "Connection broken");
    EXPECT_EQ(window("Message/GeneralMessageBox/Icon")->getProperty("Image"), "gui/Error");
    click("quit");
    EXPECT_FALSE(CApplication::getInstance()->isRunning());
}

} // namespace

TEST_F(NavigationTest, textsFromPlayersAndFilesAreShownAsTheyAreNotReadAsMarkup)
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
