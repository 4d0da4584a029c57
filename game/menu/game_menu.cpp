// The menu frame: initialisation, OIS to CEGUI, the handler table, page switching, the message
// box, the in-game dialog and the ways back to the main menu.
#include "game/menu/game_menu.h"

#include "game/core/application.h"
#include "game/core/ball_labels.h"
#include "game/core/profile.h"
#include "game/core/sound.h"
#include "game/input/input_manager.h"
#include "game/menu/gui_text.h"
#include "game/menu/menu_log.h"
#include "game/menu/window_names.h"
#include "game/net/lan_discovery.h"
#include "game/net/network.h"
#include "world/paths.h"

#include <CEGUI/CEGUI.h>

#include <functional>

namespace {
const char* const kTaharezScheme = "TaharezLook.scheme";
const char* const kScheme = "gui.scheme";
const char* const kDefaultFont = "Kivo-Normal";
const char* const kMouseArrow = "gui/MouseArrow";
const char* const kInfoImage = "gui/Info";
const char* const kErrorImage = "gui/Error";
const char* const kVersionText = "Version: 1.1.0WBB";
const char* const kMenuMusic = "sounds/menu.wav";
const Ogre::Vector3 kMenuMusicPosition(0, 0, -2);

const float kWheelStep = 120.0f; // OIS reports one wheel notch as 120
const double kWaitingStepSeconds = 0.5;
const char* const kWaitingText = "Waiting for a client";
const char* const kInputConfig = "input.cfg";
// Hand-set in "./input.cfg": [Input] GrabInRound=1 keeps the pointer inside the window while a
// round runs (never in the menus).
const char* const kInputSection = "Input";
const char* const kGrabInRoundKey = "GrabInRound";
const float kUsableAlpha = 1.0f;
const float kUnusableAlpha = 0.35f;

CEGUI::GUIContext& guiContext()
{
    return CEGUI::System::getSingleton().getDefaultGUIContext();
}

CEGUI::MouseButton toCeguiButton(OIS::MouseButtonID id)
{
    switch (id) {
    case OIS::MB_Right:
        return CEGUI::RightButton;
    case OIS::MB_Middle:
        return CEGUI::MiddleButton;
    default:
        // Left and every further button of a many-button mouse act as the left button.
        return CEGUI::LeftButton;
    }
}

// Our texts use no markup, while names and map texts come from players, files and network
// peers: read as markup, "[font='x']" would make CEGUI throw while drawing.
void disableTextParsing(CEGUI::Window* window)
{
    window->setTextParsingEnabled(false);
    for (size_t i = 0; i < window->getChildCount(); ++i)
        disableTextParsing(window->getChildAtIdx(i));
}

CEGUI::Window* loadLayout(const char* file)
{
    CEGUI::Window* root = CEGUI::WindowManager::getSingleton().loadLayoutFromFile(file);
    disableTextParsing(root);
    return root;
}
} // namespace

CGameMenu::CGameMenu() : mGuiSystem(CEGUI::System::getSingletonPtr())
{
}

CGameMenu::~CGameMenu()
{
    if (getHudView() == this)
        setHudView(nullptr);
    if (getNetworkMenu() == this)
        setNetworkMenu(nullptr);
    if (CInputManager::hasSingleton()) {
        CInputManager::getSingleton().removeKeyListener(this);
        CInputManager::getSingleton().removeMouseListener(this);
    }
    if (mMenuMusic)
        mMenuMusic->drop();
    if (!CEGUI::WindowManager::getSingletonPtr())
        return;
    mBallLabels.reset();
    CEGUI::GUIContext& context = guiContext();
    for (CEGUI::Window* root : {mMainRoot, mIngameRoot, mHudRoot}) {
        if (!root)
            continue;
        if (context.getRootWindow() == root)
            context.setRootWindow(nullptr);
        CEGUI::WindowManager::getSingleton().destroyWindow(root);
    }
    CEGUI::WindowManager::getSingleton().cleanDeadPool();
}

void CGameMenu::initialise()
{
    CInputManager& input = CInputManager::getSingleton();
    input.addKeyListener(this);
    input.addMouseListener(this);

    CEGUI::SchemeManager& schemes = CEGUI::SchemeManager::getSingleton();
    if (!schemes.isDefined("TaharezLook"))
        schemes.createFromFile(kTaharezScheme);
    if (!schemes.isDefined("gui"))
        schemes.createFromFile(kScheme);
    CEGUI::GUIContext& context = guiContext();
    context.setDefaultFont(kDefaultFont);
    mMainRoot = loadLayout("Mainmenu.layout");
    mIngameRoot = loadLayout("Ingamemenu.layout");
    mHudRoot = loadLayout("HUD.layout");
    mIngameRoot->setVisible(false);

    context.getMouseCursor().setDefaultImage(kMouseArrow);
    context.getMouseCursor().setImage(kMouseArrow);

    guitext::setWindowText(getWindow("VersionText"), kVersionText);
    logMenuEvent("layouts loaded");

    buildVideoOptions();

    input.buildKeyNames();
    loadKeyBindings();

    bindHandlers();
    onPlayerCountChanged(CEGUI::EventArgs());

    getWindow("Message")->setVisible(false);
    context.setRootWindow(mMainRoot);

    fillMapLists();
    showMapInfo(guitext::windowText(getWindow("Singleplayer/Game/MapDropdown")));

    mMenuMusic = playSound3D(paths::dataFile(kMenuMusic), kMenuMusicPosition, true);
    mMenuMusic->setIsPaused(false);

    createViewports();
    arrangeViewports(kMenuViewports);

    setHudView(this);
    setNetworkMenu(this);
    logMenuEvent("main menu ready");
}

CEGUI::Window* CGameMenu::getWindow(const std::string& fullName) const
{
    const WindowPath where = resolveWindowName(fullName);
    CEGUI::Window* root = where.root == "HUD"      ? mHudRoot
                          : where.root == "Ingame" ? mIngameRoot
                                                   : mMainRoot;
    if (!root)
        CEGUI_THROW(CEGUI::UnknownObjectException("the menu is not initialised"));
    return where.path.empty() ? root : root->getChild(where.path);
}

// ------------------------------------------------------------------------------------ handlers

void CGameMenu::bindHandlers()
{
    using CEGUI::Combobox;
    using CEGUI::PushButton;
    using CEGUI::RadioButton;
    const auto onClick = [this](const std::string& name, std::function<void()> action) {
        getWindow(name)->subscribeEvent(PushButton::EventClicked,
                                        [action](const CEGUI::EventArgs&) {
                                            action();
                                            return true;
                                        });
    };
    const auto bind = [this](const std::string& name, const CEGUI::String& event,
                             bool (CGameMenu::*handler)(const CEGUI::EventArgs&)) {
        getWindow(name)->subscribeEvent(event, CEGUI::Event::Subscriber(handler, this));
    };

    onClick("singleplayer", [this] { showPage("Singleplayer"); });
    onClick("multiplayer", [this] { showPage("Multiplayer"); });
    onClick("network", [this] { showPage("Network"); });
    onClick("settings", [this] { showPage("Settings"); });
    onClick("quit", [this] { quit(); });
    onClick("HUD/ButtonRestartGame", [this] { restartRound(); });
    onClick("HUD/ButtonBackToMenu", [this] { backToMenu(); });
    onClick("HUD/ButtonExitToWindows", [this] { quit(); });
    onClick("Ingame/Dialog/Continue", [this] { continueGame(); });
    onClick("Ingame/Dialog/Restart", [this] { restartRound(); });
    onClick("Ingame/Dialog/Back", [this] { backToMenu(); });
    onClick("Ingame/Dialog/Exit", [this] { quit(); });
    onClick("Singleplayer/Game/Start", [this] { startSingleplayerRound(); });
    onClick("Singleplayer/Game/Watch", [this] { watchSelectedRun(); });
    bind("Singleplayer/Game/MapDropdown", Combobox::EventListSelectionAccepted,
         &CGameMenu::onMapChosen);
    onClick("Settings/Buttons/Video", [this] { showVideoSettings(); });
    onClick("Settings/Buttons/Input1", [this] { showInputSettings(1); });
    onClick("Settings/Buttons/Input2", [this] { showInputSettings(2); });
    bind("Settings/Videosettings/DropDownRenderer", Combobox::EventListSelectionAccepted,
         &CGameMenu::onRendererChosen);
    onClick("Settings/Videosettings/SaveButton", [this] { saveVideoSettings(); });

    static const char* const kDevices[] = {"WiiMote", "Joystick", "Keyboard"};
    static const char* const kActions[] = {"Forward", "Right", "Left", "Back",
                                           "Pause",   "Menu",  "Retry"};
    for (int player = 1; player <= kPlayerCount; ++player) {
        const std::string group =
            player <= 2 ? "Settings/Inputsettings1/Player" : "Settings/Inputsettings2/Player";
        for (const char* device : kDevices)
            bind(group + std::to_string(player) + "Use" + device,
                 RadioButton::EventSelectStateChanged, &CGameMenu::onDeviceRadio);
    }
    for (int player = 1; player <= kPlayerCount; ++player) {
        const std::string group =
            player <= 2 ? "Settings/Inputsettings1/Player" : "Settings/Inputsettings2/Player";
        for (const char* action : kActions)
            bind(group + std::to_string(player) + action + "Key", PushButton::EventClicked,
                 &CGameMenu::onKeyField);
    }
    onClick("Settings/Inputsettings1/SaveButton", [this] { saveInputSettings(); });
    onClick("Settings/Inputsettings2/SaveButton", [this] { saveInputSettings(); });

    onClick("Multiplayer/Game/ButtonStart", [this] { startSplitScreenRound(); });
    bind("Multiplayer/Game/MapDropdown", Combobox::EventListSelectionAccepted,
         &CGameMenu::onMapChosen);
    bind("Multiplayer/Game/Radio2Players", RadioButton::EventSelectStateChanged,
         &CGameMenu::onPlayerCountChanged);
    bind("Multiplayer/Game/Radio4Players", RadioButton::EventSelectStateChanged,
         &CGameMenu::onPlayerCountChanged);
    onClick("Network/Server/ButtonStart", [this] { startServer(); });
    onClick("Network/Client/ButtonConnect", [this] { connectToServer(); });
    onClick("Message/WaitForClientDialog/ButtonStart", [this] { startNetworkRound(); });
    onClick("Message/WaitForClientDialog/ButtonCancel", [this] { cancelWaitForClient(); });
    bind("Message/WaitForClientDialog", CEGUI::Window::EventUpdated,
         &CGameMenu::onWaitingDialogUpdated);
    bind("Network/Server/MapDropdown", Combobox::EventListSelectionAccepted,
         &CGameMenu::onMapChosen);
    bind("Network/Client", CEGUI::Window::EventUpdated, &CGameMenu::onClientPageUpdated);
    bind("Network/Client/ServerList", CEGUI::Listbox::EventSelectionChanged,
         &CGameMenu::onServerChosen);
    bind("Message/GeneralMessageBox/ConfirmButton", PushButton::EventClicked,
         &CGameMenu::onConfirmMessage);
}

void CGameMenu::setUsable(CEGUI::Window* window, bool usable)
{
    window->setEnabled(usable);
    window->setAlpha(usable ? kUsableAlpha : kUnusableAlpha);
}

bool CGameMenu::onConfirmMessage(const CEGUI::EventArgs&)
{
    getWindow("Message/GeneralMessageBox")->setVisible(false);
    if (!getWindow("Message/WaitForClientDialog")->isVisible())
        getWindow("Message")->setVisible(false);
    return true;
}

bool CGameMenu::onWaitingDialogUpdated(const CEGUI::EventArgs&)
{
    updateWaitingText();
    return true;
}

void CGameMenu::updateWaitingText()
{
    if (mDotsTimer <= kWaitingStepSeconds)
        return;
    ++mWaitingDots;
    std::string text = kWaitingText;
    if (mWaitingDots >= 1 && mWaitingDots <= 3) {
        text.append(static_cast<size_t>(mWaitingDots - 1), '.');
    } else {
        text += "...";
        mWaitingDots = 0;
    }
    guitext::setWindowText(getWindow("Message/WaitForClientDialog/Text"), text);
    mDotsTimer = 0.0;
}

// ---------------------------------------------------------------------------------- OIS input

bool CGameMenu::keyPressed(const OIS::KeyEvent& evt)
{
    if (mCaptureMode)
        captureKey(evt);
    CEGUI::GUIContext& context = guiContext();
    context.injectKeyDown(static_cast<CEGUI::Key::Scan>(evt.key));
    context.injectChar(static_cast<CEGUI::String::value_type>(evt.text));
    return true;
}

bool CGameMenu::keyReleased(const OIS::KeyEvent& evt)
{
    guiContext().injectKeyUp(static_cast<CEGUI::Key::Scan>(evt.key));
    return true;
}

bool CGameMenu::mouseMoved(const OIS::MouseEvent& evt)
{
    // OIS keeps the pointer's absolute position clipped to the window; following it (rather than
    // adding up relative steps from wherever CEGUI's cursor started) keeps both in one place.
    followPointer(evt.state, true);
    if (evt.state.Z.rel != 0)
        guiContext().injectMouseWheelChange(static_cast<float>(evt.state.Z.rel) / kWheelStep);
    return true;
}

// OIS reports a button as soon as it reads it, but the moves read in the same capture only at
// its end: a move and a click that arrive together would click where the pointer was before.
// The button event carries the pointer's current place, so the move is handed on first.
bool CGameMenu::mousePressed(const OIS::MouseEvent& evt, OIS::MouseButtonID id)
{
    followPointer(evt.state, false);
    guiContext().injectMouseButtonDown(toCeguiButton(id));
    return true;
}

bool CGameMenu::mouseReleased(const OIS::MouseEvent& evt, OIS::MouseButtonID id)
{
    followPointer(evt.state, false);
    guiContext().injectMouseButtonUp(toCeguiButton(id));
    return true;
}

void CGameMenu::followPointer(const OIS::MouseState& state, bool always)
{
    const std::pair<int, int> position(state.X.abs, state.Y.abs);
    if (position == mPointer && !always)
        return;
    mPointer = position;
    guiContext().injectMousePosition(static_cast<float>(position.first),
                                     static_cast<float>(position.second));
}

// --------------------------------------------------------------------------------- navigation

void CGameMenu::showPage(const std::string& page)
{
    cancelKeyCapture();
    getWindow(mCurrentPage)->setVisible(false);
    mCurrentPage = page;
    guitext::setWindowText(getWindow("Title"), page);
    getWindow(page)->setVisible(true);
    logMenuEvent("page " + page);
    if (page == "Settings") {
        setStatusTexts(1, "", "");
        setStatusTexts(2, "", "");
    }
}

void CGameMenu::showMessage(int kind, const std::string& title, const std::string& text)
{
    CEGUI::MouseCursor& cursor = guiContext().getMouseCursor();
    if (!cursor.isVisible())
        cursor.show();
    getWindow("Message")->setVisible(true);
    CEGUI::Window* box = getWindow("Message/GeneralMessageBox");
    box->setVisible(true);
    box->moveToFront();
    if (kind == kErrorMessage)
        getWindow("Message/GeneralMessageBox/Icon")->setProperty("Image", kErrorImage);
    else if (kind == kInfoMessage)
        getWindow("Message/GeneralMessageBox/Icon")->setProperty("Image", kInfoImage);
    guitext::setWindowText(box, title);
    guitext::setWindowText(getWindow("Message/GeneralMessageBox/Text"), text);
    logMenuEvent("message \"" + title + "\": " + text);
}

void CGameMenu::swapGuiSheet()
{
    CEGUI::GUIContext& context = guiContext();
    CEGUI::MouseCursor& cursor = context.getMouseCursor();
    if (!cursor.isVisible()) {
        context.setRootWindow(mIngameRoot);
        cursor.show();
    } else {
        context.setRootWindow(mHudRoot);
        cursor.hide();
    }
    grabPointerInRound(context.getRootWindow() == mHudRoot);
}

void CGameMenu::grabPointerInRound(bool inRound)
{
    if (!CInputManager::hasSingleton())
        return;
    const bool wanted = inRound && getProfileString(kInputSection, kGrabInRoundKey, "0",
                                                    paths::configFile(kInputConfig)) == "1";
    CInputManager::getSingleton().setPointerGrabbed(wanted);
}

void CGameMenu::toggleIngameMenu()
{
    if (getWindow("HUD/Group")->isVisible())
        return;
    mIngameRoot->setVisible(!mIngameRoot->isVisible());
    swapGuiSheet();
    // The game is paused exactly while the dialog is open, even if a pause key was pressed
    // before; flipping the flag would run the game behind an open dialog.
    CApplication::getInstance()->setPaused(mIngameRoot->isVisible());
    logMenuEvent(mIngameRoot->isVisible() ? "in-game dialog opened" : "in-game dialog closed");
    const bool networkGame = CNetwork::hasInstance() && CNetwork::getSingleton().isConnected();
    setUsable(getWindow("Ingame/Dialog/Restart"), !networkGame);
}

bool CGameMenu::isIngameMenuOpen() const
{
    return mIngameRoot && mIngameRoot->isVisible();
}

void CGameMenu::continueGame()
{
    swapGuiSheet();
    mIngameRoot->setVisible(false);
    CApplication* app = CApplication::getInstance();
    if (app->isPaused())
        app->setPaused(false);
}

void CGameMenu::quit()
{
    CApplication* app = CApplication::getInstance();
    app->windowClosed(app->getRenderWindow());
}

void CGameMenu::backToMenu()
{
    arrangeViewports(kMenuViewports);
    if (mMenuMusic)
        mMenuMusic->setIsPaused(false);
    CApplication* app = CApplication::getInstance();
    app->clearActiveListener();
    // Leaving a paused round must not leave the application paused for the next one.
    if (app->isPaused())
        app->setPaused(false);
    getWindow("HUD/Group")->setVisible(false);
    getWindow("HUD/InfoText")->setVisible(false);
    mIngameRoot->setVisible(false);
    CEGUI::GUIContext& context = guiContext();
    context.setRootWindow(mMainRoot);
    mMainRoot->setVisible(true);
    context.getMouseCursor().show();
    grabPointerInRound(false);
    // A network game that ended takes its network object along; the next game makes a new one.
    CNetwork::destroySingleton();
}

void CGameMenu::abortToMenu(const std::string& title, const std::string& text)
{
    backToMenu();
    showMessage(kErrorMessage, title, text);
}
