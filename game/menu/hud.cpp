// The head-up display: the players' viewports, their names and times, and the winner text.
#include "game/menu/game_menu.h"

#include "game/core/application.h"
#include "game/core/ball_labels.h"
#include "game/core/time_text.h"
#include "game/input/player.h"
#include "game/menu/gui_text.h"
#include "game/menu/menu_log.h"
#include "game/net/network.h"
#include "world/scene.h"

#include <CEGUI/CEGUI.h>
#include <Ogre.h>

namespace {
const char* const kSceneManager = "SceneManager";
const std::array<const char*, 4> kCameraNames = {"firstCamera", "secondCamera", "thirdCamera",
                                                 "fourthCamera"};
const Ogre::Real kNearClip = 0.1f;
// Viewports are kept while the menu shows, shrunk to (almost) nothing in the top-left corner.
const Ogre::Real kShrunkWidth = 1.0e-7f;
const Ogre::Real kShrunkSize = 1.0e-8f;

// Where a player's name and time sit inside the player's viewport (relative to the window).
const float kHudMargin = 0.01f;
const float kHudWidth = 0.22f;
const float kHudLineHeight = 0.045f;
const float kHudLineGap = 0.002f;

struct Rect
{
    float left, top, width, height;
};

// The viewport rectangle of each player (1 to 4) in each mode; players a mode leaves out sit at
// the top left, where nothing is drawn for them.
Rect viewportRect(int mode, int player)
{
    static const Rect kFull = {0, 0, 1, 1};
    static const Rect kTop = {0, 0, 1, 0.5f}, kBottom = {0, 0.5f, 1, 0.5f};
    static const Rect kLeft = {0, 0, 0.5f, 1}, kRight = {0.5f, 0, 0.5f, 1};
    static const Rect kQuarters[] = {
        {0, 0, 0.5f, 0.5f}, {0.5f, 0, 0.5f, 0.5f}, {0, 0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f, 0.5f}};
    switch (mode) {
    case CGameMenu::kSplitHorizontally:
        return player == 2 ? kBottom : kTop;
    case CGameMenu::kSplitVertically:
        return player == 2 ? kRight : kLeft;
    case CGameMenu::kFourViewports:
        return kQuarters[player - 1];
    default:
        return kFull;
    }
}

void place(CEGUI::Window* window, float left, float top)
{
    window->setArea(CEGUI::URect(CEGUI::UDim(left, 0), CEGUI::UDim(top, 0),
                                 CEGUI::UDim(left + kHudWidth, 0),
                                 CEGUI::UDim(top + kHudLineHeight, 0)));
}
} // namespace

void CGameMenu::createViewports()
{
    Ogre::Root* root = Ogre::Root::getSingletonPtr();
    Ogre::RenderWindow* window = CApplication::getInstance()->getRenderWindow();
    if (!root || !window || !root->hasSceneManager(kSceneManager))
        return;
    Ogre::SceneManager* manager = root->getSceneManager(kSceneManager);
    Ogre::Camera** cameras[] = {&mCamera1, &mCamera2, &mCamera3, &mCamera4};
    Ogre::Viewport** viewports[] = {&mViewport1, &mViewport2, &mViewport3, &mViewport4};
    for (int i = 0; i < kPlayerCount; ++i) {
        Ogre::Camera* camera = manager->createCamera(kCameraNames[static_cast<size_t>(i)]);
        camera->setNearClipDistance(kNearClip);
        Ogre::Viewport* viewport = window->addViewport(camera, i + 1, 0, 0, 1, 1);
        viewport->setBackgroundColour(Ogre::ColourValue::Black);
        // The window's background view clears the whole window under these views, which never
        // overlap: a clear of their own would be done twice, and on the software renderer a
        // clear of part of the window costs more than drawing the whole level into it.
        viewport->setClearEveryFrame(false);
        camera->setAspectRatio(Ogre::Real(viewport->getActualWidth()) /
                               Ogre::Real(viewport->getActualHeight()));
        *cameras[i] = camera;
        *viewports[i] = viewport;
    }
    mBallLabels = std::make_unique<CBallLabels>(mHudRoot, window);
}

void CGameMenu::arrangeViewports(int mode)
{
    logMenuEvent("viewports in mode " + std::to_string(mode));
    placeHudTexts(mode);
    if (!mViewport1)
        return;
    Ogre::Viewport* viewports[] = {mViewport1, mViewport2, mViewport3, mViewport4};
    Ogre::Camera* cameras[] = {mCamera1, mCamera2, mCamera3, mCamera4};
    // Only the views the mode shows are drawn: a view shrunk away still costs a pass over the
    // level each frame.
    const int shown = mode == kMenuViewports    ? 0
                      : mode == kSingleViewport ? 1
                      : mode == kFourViewports  ? 4
                                                : 2;
    for (int i = 0; i < kPlayerCount; ++i)
        viewports[i]->setAutoUpdated(i < shown);
    // Each ball carries its player's number only where several views share the window.
    mBallLabels->setViews(shown > 1 ? std::vector<Ogre::Viewport*>(viewports, viewports + shown)
                                    : std::vector<Ogre::Viewport*>());
    if (mode == kMenuViewports) {
        mViewport1->setDimensions(0, 0, kShrunkWidth, kShrunkSize);
        for (int i = 1; i < kPlayerCount; ++i)
            viewports[i]->setDimensions(0, 0, kShrunkSize, kShrunkSize);
        return;
    }
    if (mode == kSingleViewport) {
        mViewport1->setDimensions(0, 0, 1, 1);
        mCamera1->setAspectRatio(Ogre::Real(mViewport1->getActualWidth()) /
                                 Ogre::Real(mViewport1->getActualHeight()));
        return;
    }
    for (int i = 0; i < shown; ++i) {
        const Rect r = viewportRect(mode, i + 1);
        viewports[i]->setDimensions(r.left, r.top, r.width, r.height);
    }
    const Ogre::Real aspect =
        Ogre::Real(mViewport1->getActualWidth() - mViewport1->getActualLeft()) /
        Ogre::Real(mViewport1->getActualHeight() - mViewport1->getActualTop());
    for (int i = 0; i < shown; ++i)
        cameras[i]->setAspectRatio(aspect);
}

void CGameMenu::placeHudTexts(int mode)
{
    for (int player = 1; player <= kPlayerCount; ++player) {
        const Rect r = viewportRect(mode, player);
        const float left = r.left + kHudMargin;
        const float top = r.top + kHudMargin;
        CEGUI::Window* name = getWindow("HUD/NamePlayer" + std::to_string(player));
        place(name, left, top);
        name->setProperty("BackgroundColour", playerBandColour(player));
        place(getWindow("HUD/TimePlayer" + std::to_string(player)), left,
              top + kHudLineHeight + kHudLineGap);
    }
}

void CGameMenu::setHudPlayerName(const std::string& name, int playerNumber)
{
    guitext::setWindowText(getWindow("HUD/NamePlayer" + std::to_string(playerNumber)), name);
}

void CGameMenu::setPlayerTime(int playerNumber, const std::string& timeText)
{
    if (playerNumber < 1 || playerNumber > kPlayerCount)
        return;
    guitext::setWindowText(getWindow("HUD/TimePlayer" + std::to_string(playerNumber)), timeText);
}

std::string CGameMenu::winnerText(const std::string& name, double seconds, int place)
{
    std::string text = name + "\nwon the game in: " + formatRaceTime(seconds);
    if (place != -1)
        text += "\n New highscore! Your place: #" + std::to_string(place);
    return text;
}

void CGameMenu::showWinner(CPlayer* winner, double seconds, int place)
{
    CEGUI::System::getSingleton().getDefaultGUIContext().getMouseCursor().show();
    getWindow("HUD/Group")->setVisible(true);
    // One side alone cannot restart a network round: the other would stay at its end.
    const bool networkRound = CNetwork::hasInstance() && CNetwork::getSingleton().isConnected();
    setUsable(getWindow("HUD/ButtonRestartGame"), !networkRound);
    CEGUI::Window* info = getWindow("HUD/InfoText");
    const std::string text = winnerText(winner ? winner->getName() : "Nobody", seconds, place);
    guitext::setWindowText(info, text);
    info->setVisible(true);
    // The running time refreshes only a few times a second; show the winner's exact time.
    if (winner)
        setPlayerTime(winner->getPlayerNumber(), formatRaceTime(seconds));
    logMenuEvent("winner: " + text);
    if (CScene* scene = CScene::current())
        showMapInfo(scene->getMapName());
}

void CGameMenu::showRunComparison(const std::string& difference)
{
    CEGUI::Window* info = getWindow("HUD/InfoText");
    info->setText(info->getText() + "\nBest run: " + difference);
    logMenuEvent("compared with the best run: " + difference);
}
