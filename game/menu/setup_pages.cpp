// The single-player and multiplayer pages: the map lists, the map information with its best
// times, the player count choices and the building of a local round.
#include "game/menu/game_menu.h"

#include "game/core/application.h"
#include "game/core/game_state.h"
#include "game/core/highscores.h"
#include "game/core/profile.h"
#include "game/core/sound.h"
#include "game/core/utf8_text.h"
#include "game/core/video_options.h"
#include "game/input/joystick_player.h"
#include "game/input/keyboard_player.h"
#include "game/input/wii_player.h"
#include "game/menu/gui_text.h"
#include "game/menu/menu_log.h"
#include "world/map_check.h"
#include "world/paths.h"
#include "world/scene.h"

#include <CEGUI/CEGUI.h>
#include <Ogre.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace {
const char* const kSceneManager = "SceneManager";
const char* const kOgreConfig = "ogre.cfg";
const std::array<const char*, 3> kMapDropdowns = {
    "Singleplayer/Game/MapDropdown", "Multiplayer/Game/MapDropdown", "Network/Server/MapDropdown"};
const std::array<const char*, 4> kCameraNames = {"firstCamera", "secondCamera", "thirdCamera",
                                                 "fourthCamera"};

const char* const kNoMapInfo = "No Mapinfo found!";
const char* const kDefaultAuthor = "KIVO-Team";
const char* const kAuthorPrefix = "Author: ";
const char* const kSelectionBrush = "TaharezLook/MultiListSelectionBrush";

// The maps of both folders whose file names are UTF-8: any other name could be shown but never
// chosen again by its name.
std::vector<std::string> listMapFiles()
{
    std::vector<std::string> names;
    for (std::string& name : paths::listMaps()) {
        if (!utf8::isValid(name)) {
            std::cerr << "CGameMenu: the map file name \"" << utf8::mended(name)
                      << "\" is no UTF-8 text; rename the file to play it\n";
            continue;
        }
        names.push_back(std::move(name));
    }
    return names;
}

std::string top5Text(const std::string& mapName)
{
    std::string text;
    const auto entries = readTop5(mapName);
    for (int place = 1; place <= kHighscorePlaces; ++place) {
        const HighscoreEntry& entry = entries[static_cast<size_t>(place - 1)];
        text += std::to_string(place) + ". " + entry.name + " (" + entry.timeText + "s)\n";
    }
    return text;
}

std::string defaultTop5Text()
{
    std::string text;
    for (int place = 1; place <= kHighscorePlaces; ++place)
        text += std::to_string(place) + ". Free (0s)\n";
    return text;
}

void writeDefaultMapInfo(const std::string& file)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
    writeProfileStrings("Mapinfo", {{"Description", kNoMapInfo}, {"Author", kDefaultAuthor}}, file);
    std::vector<std::pair<std::string, std::string>> top5;
    for (int place = 1; place <= kHighscorePlaces; ++place) {
        top5.emplace_back("name" + std::to_string(place), "Free");
        top5.emplace_back("time" + std::to_string(place), "0");
    }
    writeProfileStrings("Top5", top5, file);
}

bool isSelected(CEGUI::Window* radio)
{
    return static_cast<CEGUI::RadioButton*>(radio)->isSelected();
}
} // namespace

// ----------------------------------------------------------------------------------- map lists

void CGameMenu::fillMapLists()
{
    bool first = true;
    for (const std::string& name : listMapFiles()) {
        for (const char* dropdownName : kMapDropdowns) {
            auto* dropdown = static_cast<CEGUI::Combobox*>(getWindow(dropdownName));
            auto* item = new CEGUI::ListboxTextItem(guitext::toGui(name));
            item->setTextParsingEnabled(false);
            item->setSelectionBrushImage(kSelectionBrush);
            dropdown->addItem(item);
            if (first) {
                guitext::setWindowText(dropdown, name);
                dropdown->setItemSelectState(item, true);
            }
        }
        mMapList.push_back(name);
        first = false;
    }
}

void CGameMenu::showMapInfo(const std::string& mapName)
{
    // Description and author come with the map; the best times, and the defaults written for a
    // map that came without information, are the player's own.
    const std::string best = highscoreFileName(mapName);
    const std::string shipped = paths::mapInfoFile(mapName);
    const std::string file = std::ifstream(shipped) ? shipped : best;
    std::string description = kNoMapInfo;
    std::string author = kDefaultAuthor;
    std::string top5 = defaultTop5Text();
    if (std::ifstream(file)) {
        description = getProfileString("Mapinfo", "Description", kNoMapInfo, file);
        author = getProfileString("Mapinfo", "Author", kDefaultAuthor, file);
        top5 = top5Text(mapName);
    } else if (!mapName.empty()) {
        writeDefaultMapInfo(best);
    }
    for (const char* page : {"Singleplayer", "Multiplayer"}) {
        guitext::setWindowText(getWindow(std::string(page) + "/Game/MapDescription"), description);
        guitext::setWindowText(getWindow(std::string(page) + "/Game/MapAuthor"),
                               kAuthorPrefix + author);
    }
    guitext::setWindowText(getWindow("Singleplayer/Game/Top5"), top5);
    fillReplayList(mapName);
    guitext::setWindowText(getWindow("HUD/Score"), top5);
    std::string oneLine = top5;
    std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');
    logMenuEvent("best times of \"" + mapName + "\": " + oneLine);
}

bool CGameMenu::onMapChosen(const CEGUI::EventArgs& args)
{
    mapChosen(static_cast<const CEGUI::WindowEventArgs&>(args).window);
    return true;
}

void CGameMenu::mapChosen(CEGUI::Window* dropdown)
{
    const std::string mapName = guitext::windowText(dropdown);
    showMapInfo(mapName);
    for (const char* name : kMapDropdowns) {
        CEGUI::Window* other = getWindow(name);
        if (other != dropdown)
            guitext::setWindowText(other, mapName);
    }
}

bool CGameMenu::onPlayerCountChanged(const CEGUI::EventArgs&)
{
    const bool four = isSelected(getWindow("Multiplayer/Game/Radio4Players"));
    setUsable(getWindow("Multiplayer/Game/Playername3"), four);
    setUsable(getWindow("Multiplayer/Game/Playername4"), four);
    setUsable(getWindow("Multiplayer/Game/SplitHorizontally"), !four);
    setUsable(getWindow("Multiplayer/Game/SplitVertically"), !four);
    return true;
}

// ------------------------------------------------------------------------------ round building

std::unique_ptr<CPlayer> CGameMenu::createPlayer(int playerNumber, bool& deviceMissing)
{
    deviceMissing = false;
    const std::string prefix = std::string("Settings/Inputsettings") +
                               (playerNumber <= 2 ? "1" : "2") + "/Player" +
                               std::to_string(playerNumber);
    std::unique_ptr<CPlayer> player;
    std::string device; // of a player whose device may be missing
    if (isSelected(getWindow(prefix + "UseWiiMote"))) {
        player = std::make_unique<CWiiPlayer>();
        device = "WiiMote";
    } else if (isSelected(getWindow(prefix + "UseJoystick"))) {
        player = std::make_unique<CJoystickPlayer>();
        device = "Joystick";
    } else {
        player = std::make_unique<CKeyboardPlayer>();
    }
    player->setPlayerNumber(playerNumber);
    if (!player->initInput()) {
        // Never registered anywhere, so it goes at once.
        if (!device.empty()) {
            deviceMissing = true;
            showDeviceError(playerNumber, device);
        }
        return nullptr;
    }
    logMenuEvent("player " + std::to_string(playerNumber) + " steers with " +
                 (device.empty() ? std::string("Keyboard") : device));
    return player;
}

void CGameMenu::showDeviceError(int playerNumber, const std::string& device)
{
    const int group = playerNumber <= 2 ? 1 : 2;
    showPage("Settings");
    showInputSettings(group);
    setStatusTexts(group, "",
                   "Sorry, I was unable to detect a " + device + " for player " +
                       std::to_string(playerNumber) + "!");
    setKeyFieldsEnabled(playerNumber, true);
    selectKeyboard(playerNumber);
}

void CGameMenu::startSingleplayerRound()
{
    const std::string mapName = guitext::windowText(getWindow("Singleplayer/Game/MapDropdown"));
    const std::string name = guitext::windowText(getWindow("Singleplayer/Game/Playername"));
    bool deviceMissing = false;
    std::unique_ptr<CPlayer> player = createPlayer(1, deviceMissing);
    if (!player)
        return;
    player->setName(name);

    std::vector<std::unique_ptr<CPlayer>> players;
    players.push_back(std::move(player));
    std::array<std::string, 4> cameras = {kCameraNames[0], "", "", ""};
    if (!startRound(std::move(players), mapName, cameras, kSingleViewport))
        return;
    if (auto* state = dynamic_cast<CGameState*>(CApplication::getInstance()->getActiveListener()))
        state->recordRuns(videooptions::readGhost(paths::configFile(kOgreConfig)));
    guitext::setWindowText(getWindow("HUD/NamePlayer1"), name);
    enterRound(1);
}

void CGameMenu::startPlayTest(const std::string& mapName, const std::string& playerName)
{
    guitext::setWindowText(getWindow("Singleplayer/Game/MapDropdown"), mapName);
    guitext::setWindowText(getWindow("Singleplayer/Game/Playername"), playerName);
    showPage("Singleplayer");
    startSingleplayerRound();
}

void CGameMenu::startSplitScreenRound()
{
    const bool four = isSelected(getWindow("Multiplayer/Game/Radio4Players"));
    const int count = four ? 4 : 2;
    std::vector<std::unique_ptr<CPlayer>> players;
    for (int number = 1; number <= count; ++number) {
        bool deviceMissing = false;
        std::unique_ptr<CPlayer> player = createPlayer(number, deviceMissing);
        if (!player)
            return; // the players made so far go with the vector
        player->setName(
            guitext::windowText(getWindow("Multiplayer/Game/Playername" + std::to_string(number))));
        players.push_back(std::move(player));
    }
    std::array<std::string, 4> cameras = {kCameraNames[0], kCameraNames[1], "", ""};
    int mode = isSelected(getWindow("Multiplayer/Game/SplitHorizontally")) ? kSplitHorizontally
                                                                           : kSplitVertically;
    if (four) {
        cameras = {kCameraNames[0], kCameraNames[1], kCameraNames[2], kCameraNames[3]};
        mode = kFourViewports;
    }
    std::vector<std::string> names;
    for (const auto& player : players)
        names.push_back(player->getName());
    const std::string mapName = guitext::windowText(getWindow("Multiplayer/Game/MapDropdown"));
    if (!startRound(std::move(players), mapName, cameras, mode))
        return;
    for (int number = 1; number <= count; ++number)
        guitext::setWindowText(getWindow("HUD/NamePlayer" + std::to_string(number)),
                               names[static_cast<size_t>(number - 1)]);
    enterRound(count);
}

bool CGameMenu::startRound(std::vector<std::unique_ptr<CPlayer>> players,
                           const std::string& mapName, const std::array<std::string, 4>& cameras,
                           int viewportMode, int localPlayer)
{
    CApplication* app = CApplication::getInstance();
    Ogre::Root* root = app->getRoot();
    if (!root || !app->getSceneManager()) {
        showMessage(kErrorMessage, "Cannot start the game", "The 3D view is not available.");
        return false;
    }
    arrangeViewports(viewportMode);
    const int playerCount = static_cast<int>(players.size());
    std::unique_ptr<CScene> scene;
    try {
        scene = std::make_unique<CScene>(kSceneManager, cameras[0], cameras[1], cameras[2],
                                         cameras[3], false, mapName, playerCount, localPlayer,
                                         app->getRenderWindow());
    } catch (const std::exception& e) {
        std::cerr << "CGameMenu: cannot build the level \"" << mapName << "\": " << e.what()
                  << '\n';
        arrangeViewports(kMenuViewports);
        showMessage(kErrorMessage, "Cannot start the game",
                    "The map \"" + mapName + "\" could not be loaded.\n" + e.what());
        return false;
    }
    // A level without a finish, or with a ball that has no start box, would start a round
    // whose clock runs for ever.
    const std::vector<SMapProblem> problems = checkMap(*scene, playerCount);
    if (!problems.empty()) {
        std::cerr << "CGameMenu: the level \"" << mapName << "\" cannot be played\n";
        app->destroyLater(scene.release());
        arrangeViewports(kMenuViewports);
        showMessage(kErrorMessage, "Cannot start the game",
                    "The map \"" + mapName + "\" cannot be played.\n" +
                        describeMapProblems(problems));
        return false;
    }

    auto state = std::make_unique<CGameState>();
    for (auto& player : players) {
        state->addPlayer(player.get());
        root->addFrameListener(player.release()); // the game state hands it on for deletion
    }
    state->setScene(scene.release());
    state->startRound(playerCount);
    app->setActiveListener(state.release());
    logMenuEvent("round started on \"" + mapName + "\" with " + std::to_string(playerCount) +
                 " players");
    return true;
}

void CGameMenu::enterRound(int playerCount)
{
    cancelKeyCapture();
    mMainRoot->setVisible(false);
    swapGuiSheet();
    CApplication* app = CApplication::getInstance();
    if (app->isPaused())
        app->setPaused(false);
    CEGUI::System::getSingleton().getDefaultGUIContext().setRootWindow(mHudRoot);
    for (int number = 2; number <= kPlayerCount; ++number) {
        const bool shown = number <= playerCount;
        getWindow("HUD/NamePlayer" + std::to_string(number))->setVisible(shown);
        getWindow("HUD/TimePlayer" + std::to_string(number))->setVisible(shown);
    }
    for (int number = 1; number <= kPlayerCount; ++number)
        guitext::setWindowText(getWindow("HUD/TimePlayer" + std::to_string(number)), "00:00:000");
    replayStatusWindow()->setVisible(false);
    if (mMenuMusic)
        mMenuMusic->setIsPaused(true);
}

void CGameMenu::retryRound()
{
    const auto* state =
        dynamic_cast<const CGameState*>(CApplication::getInstance()->getActiveListener());
    if (state && state->getPlayerCount() == 1)
        restartRound();
}

void CGameMenu::restartRound()
{
    CApplication* app = CApplication::getInstance();
    auto* state = dynamic_cast<CGameState*>(app->getActiveListener());
    if (state) {
        if (CScene* scene = state->getScene())
            scene->restartRound();
        state->startRound(state->getPlayerCount());
        logMenuEvent("round restarted");
    }
    if (app->isPaused())
        app->setPaused(false);
    getWindow("HUD/Group")->setVisible(false);
    getWindow("HUD/InfoText")->setVisible(false);
    mIngameRoot->setVisible(false);
    // From the dialog or the end of a round (pointer shown) back to the display; a retry in the
    // middle of a try is on the display already.
    if (CEGUI::System::getSingleton().getDefaultGUIContext().getMouseCursor().isVisible())
        swapGuiSheet();
}
