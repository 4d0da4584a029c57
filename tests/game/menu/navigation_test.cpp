// The menu frame: every named window exists, page switching, the message box, the waiting text,
// mouse buttons reaching CEGUI, and the in-game dialog.
#include "gui_fixture.h"

#include <OISMouse.h>

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

std::vector<std::string> namedWindows()
{
    std::vector<std::string> names = {"Root",
                                      "Title",
                                      "VersionText",
                                      "singleplayer",
                                      "multiplayer",
                                      "network",
                                      "settings",
                                      "quit",
                                      "Singleplayer",
                                      "Multiplayer",
                                      "Network",
                                      "Settings",
                                      "Singleplayer/Game/Start",
                                      "Singleplayer/Game/MapDropdown",
                                      "Singleplayer/Game/Playername",
                                      "Singleplayer/Game/MapDescription",
                                      "Singleplayer/Game/MapAuthor",
                                      "Singleplayer/Game/Top5",
                                      "Multiplayer/Game/ButtonStart",
                                      "Multiplayer/Game/MapDropdown",
                                      "Multiplayer/Game/Radio2Players",
                                      "Multiplayer/Game/Radio4Players",
                                      "Multiplayer/Game/SplitHorizontally",
                                      "Multiplayer/Game/SplitVertically",
                                      "Multiplayer/Game/MapDescription",
                                      "Multiplayer/Game/MapAuthor",
                                      "Network/Server/Port",
                                      "Network/Server/Playername",
                                      "Network/Server/MapDropdown",
                                      "Network/Server/ButtonStart",
                                      "Network/Client/Playername",
                                      "Network/Client/IP",
                                      "Network/Client/Port",
                                      "Network/Client/ButtonConnect",
                                      "Settings/Buttons/Video",
                                      "Settings/Buttons/Input1",
                                      "Settings/Buttons/Input2",
                                      "Settings/Videosettings",
                                      "Settings/Videosettings/DropDownRenderer",
                                      "Settings/Videosettings/SaveButton",
                                      "Settings/Inputsettings1",
                                      "Settings/Inputsettings2",
                                      "Message",
                                      "Message/GeneralMessageBox",
                                      "Message/GeneralMessageBox/Icon",
                                      "Message/GeneralMessageBox/Text",
                                      "Message/GeneralMessageBox/ConfirmButton",
                                      "Message/WaitForClientDialog",
                                      "Message/WaitForClientDialog/Text",
                                      "Message/WaitForClientDialog/ButtonStart",
                                      "Message/WaitForClientDialog/ButtonCancel",
                                      "HUD",
                                      "HUD/Score",
                                      "HUD/InfoText",
                                      "HUD/Group",
                                      "HUD/ButtonRestartGame",
                                      "HUD/ButtonBackToMenu",
                                      "HUD/ButtonExitToWindows",
                                      "Ingame",
                                      "Ingame/Dialog/Continue",
                                      "Ingame/Dialog/Restart",
                                      "Ingame/Dialog/Back",
                                      "Ingame/Dialog/Exit"};
    for (int p = 1; p <= 4; ++p) {
        names.push_back("Multiplayer/Game/Playername" + std::to_string(p));
        names.push_back("HUD/NamePlayer" + std::to_string(p));
        names.push_back("HUD/TimePlayer" + std::to_string(p));
        const std::string group = std::string("Settings/Inputsettings") + (p <= 2 ? "1" : "2");
        for (const char* suffix : {"UseKeyboard", "UseJoystick", "UseWiiMote", "ForwardKey",
                                   "RightKey", "LeftKey", "BackKey", "PauseKey", "MenuKey"})
            names.push_back(group + "/Player" + std::to_string(p) + suffix);
    }
    for (const char* group : {"Settings/Inputsettings1", "Settings/Inputsettings2"})
        for (const char* child : {"/StatusText", "/StatusTextRed", "/SaveButton"})
            names.push_back(std::string(group) + child);
    return names;
}

TEST_F(NavigationTest, everyWindowTheMenuNamesExists)
{
    for (const std::string& name : namedWindows())
        EXPECT_NO_THROW(window(name)) << name;
    EXPECT_THROW(window("Singleplayer/Game/NoSuchWindow"), CEGUI::UnknownObjectException);
}

TEST_F(NavigationTest, startsOnTheSingleplayerPageWithTheVersionShown)
{
    EXPECT_EQ(mMenu->getCurrentPage(), "Singleplayer");
    EXPECT_TRUE(visible("Singleplayer"));
    EXPECT_FALSE(visible("Multiplayer"));
    EXPECT_FALSE(visible("Message"));
    EXPECT_FALSE(visible("Ingame"));
    EXPECT_EQ(text("VersionText"), "Version: 1.1.0WBB");
    EXPECT_EQ(context().getRootWindow(), window("Root"));
}

TEST_F(NavigationTest, navigationButtonsShowOnePageAndItsTitle)
{
    click("multiplayer");
    EXPECT_TRUE(visible("Multiplayer"));
    EXPECT_FALSE(visible("Singleplayer"));
    EXPECT_EQ(text("Title"), "Multiplayer");

    click("network");
    EXPECT_TRUE(visible("Network"));
    EXPECT_FALSE(visible("Multiplayer"));
    EXPECT_EQ(text("Title"), "Network");

    window("Settings/Inputsettings1/StatusText")->setText("old notice");
    window("Settings/Inputsettings2/StatusTextRed")->setText("old error");
    click("settings");
    EXPECT_TRUE(visible("Settings"));
    EXPECT_FALSE(visible("Network"));
    EXPECT_EQ(text("Settings/Inputsettings1/StatusText"), "");
    EXPECT_EQ(text("Settings/Inputsettings2/StatusTextRed"), "");

    click("singleplayer");
    EXPECT_TRUE(visible("Singleplayer"));
    EXPECT_FALSE(visible("Settings"));
    EXPECT_EQ(mMenu->getCurrentPage(), "Singleplayer");
}

TEST_F(NavigationTest, messageBoxShowsTitleTextAndIconOfItsKind)
{
    context().getMouseCursor().hide();
    mMenu->showMessage(CGameMenu::kErrorMessage, "Connection broken", "Lost!");
    EXPECT_TRUE(context().getMouseCursor().isVisible());
    EXPECT_TRUE(visible("Message"));
    EXPECT_TRUE(visible("Message/GeneralMessageBox"));
    EXPECT_EQ(text("Message/GeneralMessageBox"), "Connection broken");
    EXPECT_EQ(text("Message/GeneralMessageBox/Text"), "Lost!");
    EXPECT_EQ(window("Message/GeneralMessageBox/Icon")->getProperty("Image"), "gui/Error");

    mMenu->showMessage(CGameMenu::kInfoMessage, "Saved", "Fine.");
    EXPECT_EQ(window("Message/GeneralMessageBox/Icon")->getProperty("Image"), "gui/Info");
    mMenu->showMessage(7, "Other", "Kind 7 keeps the icon.");
    EXPECT_EQ(window("Message/GeneralMessageBox/Icon")->getProperty("Image"), "gui/Info");

    click("Message/GeneralMessageBox/ConfirmButton");
    EXPECT_FALSE(visible("Message/GeneralMessageBox"));
    EXPECT_FALSE(visible("Message"));
}

TEST_F(NavigationTest, closingTheMessageBoxOverTheWaitingDialogKeepsTheDialogShown)
{
    window("Message")->setVisible(true);
    window("Message/WaitForClientDialog")->setVisible(true);
    mMenu->showMessage(CGameMenu::kErrorMessage, "Failure while starting Server",
                       "Server could not be started! Aborting.");
    click("Message/GeneralMessageBox/ConfirmButton");
    EXPECT_FALSE(visible("Message/GeneralMessageBox"));
    EXPECT_TRUE(visible("Message"));
    EXPECT_TRUE(visible("Message/WaitForClientDialog"));
}

TEST_F(NavigationTest, waitingTextStepsOnlyAfterHalfASecondAndCyclesThroughFourTexts)
{
    CEGUI::Window* dialog = window("Message/WaitForClientDialog");
    const auto update = [&] {
        CEGUI::UpdateEventArgs args(dialog, 0.0f);
        dialog->fireEvent(CEGUI::Window::EventUpdated, args);
        return text("Message/WaitForClientDialog/Text");
    };
    const std::string before = update();
    mMenu->addElapsedTime(0.5);
    EXPECT_EQ(update(), before) << "exactly half a second is not yet a step";

    std::vector<std::string> seen;
    for (int step = 0; step < 5; ++step) {
        mMenu->addElapsedTime(0.51);
        seen.push_back(update());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"Waiting for a client", "Waiting for a client.",
                                              "Waiting for a client..", "Waiting for a client...",
                                              "Waiting for a client"}));
    mMenu->addElapsedTime(0.2);
    EXPECT_EQ(update(), "Waiting for a client") << "the timer restarted with the last step";
}

TEST_F(NavigationTest, waitingDialogAnimatesWhileShownThroughTheTimePulse)
{
    window("Message")->setVisible(true);
    window("Message/WaitForClientDialog")->setVisible(true);
    mMenu->addElapsedTime(0.6);
    context().injectTimePulse(0.6f);
    EXPECT_EQ(text("Message/WaitForClientDialog/Text"), "Waiting for a client");
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

TEST_F(NavigationTest, mouseMovesPlaceTheCursorWhereOisHasThePointer)
{
    OIS::MouseState state;
    state.width = 1024;
    state.height = 768;
    state.X.abs = 300;
    state.Y.abs = 200;
    mMenu->mouseMoved(OIS::MouseEvent(nullptr, state));
    const CEGUI::Vector2f position = context().getMouseCursor().getPosition();
    EXPECT_FLOAT_EQ(position.d_x, 300.0f);
    EXPECT_FLOAT_EQ(position.d_y, 200.0f);
}

TEST_F(NavigationTest, menuKeyOpensThePausingDialogAndContinueResumes)
{
    context().setRootWindow(window("HUD"));
    context().getMouseCursor().hide();
    CApplication* app = CApplication::getInstance();

    mMenu->toggleIngameMenu();
    EXPECT_TRUE(visible("Ingame"));
    EXPECT_EQ(context().getRootWindow(), window("Ingame"));
    EXPECT_TRUE(context().getMouseCursor().isVisible());
    EXPECT_TRUE(app->isPaused());
    EXPECT_FALSE(window("Ingame/Dialog/Restart")->isDisabled()) << "no network game runs";

    click("Ingame/Dialog/Continue");
    EXPECT_FALSE(visible("Ingame"));
    EXPECT_EQ(context().getRootWindow(), window("HUD"));
    EXPECT_FALSE(context().getMouseCursor().isVisible());
    EXPECT_FALSE(app->isPaused());

    mMenu->toggleIngameMenu();
    mMenu->toggleIngameMenu();
    EXPECT_FALSE(visible("Ingame")) << "the menu key closes the dialog again";
    EXPECT_FALSE(app->isPaused());
}

TEST_F(NavigationTest, menuKeyDoesNothingWhileTheEndOfRoundButtonsShow)
{
    context().setRootWindow(window("HUD"));
    window("HUD/Group")->setVisible(true);
    mMenu->toggleIngameMenu();
    EXPECT_FALSE(visible("Ingame"));
    EXPECT_EQ(context().getRootWindow(), window("HUD"));
    EXPECT_FALSE(CApplication::getInstance()->isPaused());
}

TEST_F(NavigationTest, backToMenuLeavesThePausedRoundForTheMainMenu)
{
    context().setRootWindow(window("HUD"));
    context().getMouseCursor().hide();
    mMenu->toggleIngameMenu();
    click("Ingame/Dialog/Back");
    EXPECT_EQ(context().getRootWindow(), window("Root"));
    EXPECT_TRUE(visible("Root"));
    EXPECT_FALSE(visible("Ingame"));
    EXPECT_FALSE(visible("HUD/Group"));
    EXPECT_TRUE(context().getMouseCursor().isVisible());
    EXPECT_FALSE(CApplication::getInstance()->isPaused());
}

TEST_F(NavigationTest, abortToMenuReturnsToTheMenuWithAnErrorBox)
{
    context().setRootWindow(window("HUD"));
    mMenu->abortToMenu("Connection broken", "Connection to remote host lost!");
    EXPECT_EQ(context().getRootWindow(), window("Root"));
    EXPECT_TRUE(visible("Message/GeneralMessageBox"));
    EXPECT_EQ(text("Message/GeneralMessageBox"), "Connection broken");
    EXPECT_EQ(window("Message/GeneralMessageBox/Icon")->getProperty("Image"), "gui/Error");
}

TEST_F(NavigationTest, quitEndsTheFrameLoop)
{
    ASSERT_TRUE(CApplication::getInstance()->isRunning());
    click("quit");
    EXPECT_FALSE(CApplication::getInstance()->isRunning());
}

} // namespace

TEST_F(NavigationTest, dialogOpenedAfterThePauseKeyStillPausesAndClosingItResumes)
{
    context().setRootWindow(window("HUD"));
    context().getMouseCursor().hide();
    CApplication* app = CApplication::getInstance();
    app->setPaused(true); // a player's pause key
    mMenu->toggleIngameMenu();
    EXPECT_TRUE(visible("Ingame"));
    EXPECT_TRUE(app->isPaused()) << "the game must not run behind the open dialog";
    EXPECT_TRUE(mMenu->isIngameMenuOpen());
    mMenu->toggleIngameMenu();
    EXPECT_FALSE(app->isPaused());
    EXPECT_FALSE(mMenu->isIngameMenuOpen());
}

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
