// CGameMenu: the game's whole CEGUI user interface: the main menu with its pages, the settings
// pages, the network pages, the in-game dialog, the head-up display with the players' viewports,
// and the one message box. It receives every OIS key and mouse event and hands it to CEGUI.
#pragma once

#include "game/core/hud_view.h"
#include "game/net/network_menu.h"

#include <OISKeyboard.h>
#include <OISMouse.h>

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace CEGUI {
class EventArgs;
class System;
class Window;
} // namespace CEGUI
namespace Ogre {
class Camera;
class Viewport;
} // namespace Ogre

namespace lan {
class CLanListener;
}
class CBallLabels;
class CPlayer;
class CSoundHandle;

class CGameMenu : public OIS::KeyListener,
                  public OIS::MouseListener,
                  public IHudView,
                  public INetworkMenu
{
public:
    // A key binding: the key's display name and its OIS key code.
    using KeyBinding = std::pair<std::string, int>;

    static constexpr int kPlayerCount = 4;
    static constexpr int kActionsPerPlayer = 7; // Forward, Right, Left, Back, Pause, Menu, Retry
    static constexpr int kBindingCount = kPlayerCount * kActionsPerPlayer;

    enum MessageKind
    {
        kInfoMessage = 0,
        kErrorMessage = 1
    };

    // Viewport arrangements: the menu (all shrunk away), one player, two players one above the
    // other, two players side by side, four quarters.
    enum ViewportMode
    {
        kMenuViewports = 0,
        kSingleViewport = 1,
        kSplitHorizontally = 2,
        kSplitVertically = 3,
        kFourViewports = 4
    };

    CGameMenu();
    ~CGameMenu() override;

    // Loads the GUI and binds every handler. Cameras and viewports are made only when the Ogre
    // scene manager "SceneManager" and a render window exist, so the GUI also runs on its own.
    void initialise();

    CEGUI::System* getGuiSystem() const { return mGuiSystem; }
    // The application adds every frame's time to the menu's animation timer.
    void addElapsedTime(double seconds) { mDotsTimer += seconds; }

    // A window by its full name ("Settings/Inputsettings1/Player1ForwardKey"); throws
    // CEGUI::UnknownObjectException for a name no layout defines.
    CEGUI::Window* getWindow(const std::string& fullName) const;

    // OIS events, all handed on to CEGUI.
    bool keyPressed(const OIS::KeyEvent& evt) override;
    bool keyReleased(const OIS::KeyEvent& evt) override;
    bool mouseMoved(const OIS::MouseEvent& evt) override;
    bool mousePressed(const OIS::MouseEvent& evt, OIS::MouseButtonID id) override;
    bool mouseReleased(const OIS::MouseEvent& evt, OIS::MouseButtonID id) override;

    // Navigation and dialogs.
    void showPage(const std::string& page);
    const std::string& getCurrentPage() const { return mCurrentPage; }
    void showMessage(int kind, const std::string& title, const std::string& text);
    void swapGuiSheet();
    void toggleIngameMenu();
    void continueGame();
    void restartRound();
    // The retry key: a single-player round starts again at once, on the level as it is.
    void retryRound();
    void quit();
    void backToMenu();
    void abortToMenu(const std::string& title, const std::string& text);

    // Setup pages.
    void fillMapLists();
    void showMapInfo(const std::string& mapName);
    const std::vector<std::string>& getMapList() const override { return mMapList; }
    void startSingleplayerRound();
    // Starts a single-player round on the map (a name below data/maps/) for the named player,
    // as if chosen on the single-player page (the game's --play option).
    void startPlayTest(const std::string& mapName, const std::string& playerName);
    void startSplitScreenRound();
    // Replays: the stored runs of a map on the single-player page, and watching one (false, with
    // a message, when the place has no fitting recording or the level cannot be built).
    void fillReplayList(const std::string& mapName);
    void watchSelectedRun();
    bool watchRun(const std::string& mapName, int place);

    // Head-up display.
    void arrangeViewports(int mode);
    void setHudPlayerName(const std::string& name, int playerNumber);
    void setPlayerTime(int playerNumber, const std::string& timeText) override;
    void showWinner(CPlayer* winner, double seconds, int place) override;
    void showRunComparison(const std::string& difference) override;
    // The winner line of the HUD for a player name, a time and a highscore place (-1: none).
    static std::string winnerText(const std::string& name, double seconds, int place);

    // Settings pages.
    void showVideoSettings();
    void showInputSettings(int group);
    void buildVideoOptions();
    void saveVideoSettings();
    void loadKeyBindings();
    void saveInputSettings();
    const std::vector<KeyBinding>& getUsedKeys() const { return mUsedKeys; }
    const std::vector<KeyBinding>& getDefaultKeys() const { return mDefaultKeys; }
    bool isCapturingKey() const { return mCaptureMode; }
    bool isIngameMenuOpen() const;
    // Starts waiting for a key for binding index (player - 1) * 7 + action.
    void beginKeyCapture(int bindingIndex);
    // Ends a capture left unfinished (the player went elsewhere before pressing a key).
    void cancelKeyCapture();

    // Network pages: serving, connecting, the wait dialog and the network round.
    void startServer();
    void connectToServer();
    void cancelWaitForClient();
    void startNetworkRound();
    // The client page's list of servers heard on the local network (polled while it shows).
    void updateServerList(double now);
    // Queues the local player's name, colour and number (and, serving, the map) for the peer.
    void sendPlayerInfo(bool server);

    // What the network object reports while it handles its commands.
    void serverConnected() override;
    void clientConnected() override;
    void serverFailed() override;
    void clientFailed(const std::string& reason) override;
    bool startClientRound() override;
    void connectionLost() override;
    void showRemoteName(const std::string& name, int playerNumber) override;
    void mapChecked(const std::string& mapName, bool available) override;

private:
    void bindHandlers();
    // Enables or disables a window; disabled ones are also drawn faded, as the theme's own
    // disabled looks are hard to tell from enabled ones.
    static void setUsable(CEGUI::Window* window, bool usable);
    void createViewports();
    // The pointer is kept inside the window only in a running round, and only when the player
    // asked for it in "./input.cfg".
    void grabPointerInRound(bool inRound);
    void captureKey(const OIS::KeyEvent& evt);
    // Moves CEGUI's cursor to the pointer's place in an OIS event: always, or only when OIS has
    // not reported that place before.
    void followPointer(const OIS::MouseState& state, bool always);
    void setStatusTexts(int group, const std::string& info, const std::string& error);
    void showDeviceError(int playerNumber, const std::string& device);
    void selectKeyboard(int playerNumber);
    void setKeyFieldsEnabled(int playerNumber, bool enabled);
    bool onDeviceChanged(int playerNumber, const std::string& device);
    std::unique_ptr<CPlayer> createPlayer(int playerNumber, bool& deviceMissing);
    // Builds the scene and the game state for the players and makes it the running game; false
    // (nothing started, message shown) when the level cannot be built.
    bool startRound(std::vector<std::unique_ptr<CPlayer>> players, const std::string& mapName,
                    const std::array<std::string, 4>& cameras, int viewportMode,
                    int localPlayer = 1);
    // The network round of this side: the local player from its device, the peer's player
    // from the network; false when it could not start.
    bool startNetworkRoundAs(int localNumber, const std::string& localName,
                             const std::string& mapName);
    // Why the server's round cannot start now, in the player's words; empty when it can.
    std::string networkStartRefusal();
    void enterRound(int playerCount);
    void mapChosen(CEGUI::Window* dropdown);
    void updateWaitingText();
    void placeHudTexts(int mode);
    // The replay's line of keys and state at the bottom of the display, made on first use.
    CEGUI::Window* replayStatusWindow();
    void stackHudLabels();

    // Event handlers (every one returns true: the event is handled).
    bool onMapChosen(const CEGUI::EventArgs& args);
    bool onPlayerCountChanged(const CEGUI::EventArgs& args);
    bool onDeviceRadio(const CEGUI::EventArgs& args);
    bool onKeyField(const CEGUI::EventArgs& args);
    bool onWaitingDialogUpdated(const CEGUI::EventArgs& args);
    bool onRendererChosen(const CEGUI::EventArgs& args);
    bool onConfirmMessage(const CEGUI::EventArgs& args);
    bool onClientPageUpdated(const CEGUI::EventArgs& args);
    bool onServerChosen(const CEGUI::EventArgs& args);

    CEGUI::System* mGuiSystem = nullptr;
    Ogre::Camera* mCamera1 = nullptr;
    Ogre::Viewport* mViewport1 = nullptr;
    Ogre::Camera* mCamera2 = nullptr;
    Ogre::Viewport* mViewport2 = nullptr;
    Ogre::Camera* mCamera3 = nullptr;
    Ogre::Viewport* mViewport3 = nullptr;
    Ogre::Camera* mCamera4 = nullptr;
    Ogre::Viewport* mViewport4 = nullptr;
    // The player numbers over the balls in split screen (inside the HUD, which goes after them).
    std::unique_ptr<CBallLabels> mBallLabels;
    std::vector<std::string> mMapList;
    std::unique_ptr<CSoundHandle> mMenuMusic;
    std::string mCurrentPage = "Singleplayer";
    std::vector<std::pair<std::string, int>> mVideoOptions;
    std::vector<KeyBinding> mUsedKeys;
    std::vector<KeyBinding> mDefaultKeys;
    bool mCaptureMode = false;
    int mCaptureIndex = 0;
    std::string mCaptureTarget;
    int mWaitingDots = 0;
    double mDotsTimer = 0.0;
    // The pointer's place as OIS last reported it (OIS starts at the window's corner).
    std::pair<int, int> mPointer{0, 0};

    CEGUI::Window* mMainRoot = nullptr;
    CEGUI::Window* mIngameRoot = nullptr;
    CEGUI::Window* mHudRoot = nullptr;
    std::unique_ptr<lan::CLanListener> mLanListener;
};
