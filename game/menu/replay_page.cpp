// Watching a best run from the single-player page: the list of stored runs of the chosen map and
// the replay view with its keys on the screen.
#include "game/menu/game_menu.h"

#include "game/core/application.h"
#include "game/core/best_runs.h"
#include "game/core/highscores.h"
#include "game/core/replay.h"
#include "game/menu/gui_text.h"
#include "game/menu/menu_log.h"
#include "world/scene.h"

#include <CEGUI/CEGUI.h>

#include <iostream>

namespace {
const char* const kReplayList = "Singleplayer/Game/ReplayDropdown";
const char* const kReplayStatus = "ReplayStatus";
const char* const kSelectionBrush = "TaharezLook/MultiListSelectionBrush";
const char* const kNoRuns = "No runs yet";
} // namespace

void CGameMenu::fillReplayList(const std::string& mapName)
{
    auto* list = static_cast<CEGUI::Combobox*>(getWindow(kReplayList));
    list->resetList();
    const auto entries = readTop5(mapName);
    for (int place = 1; place <= kHighscorePlaces; ++place) {
        const HighscoreEntry& entry = entries[static_cast<size_t>(place - 1)];
        if (entry.timeText == "0")
            continue;
        auto* item = new CEGUI::ListboxTextItem(
            guitext::toGui(std::to_string(place) + ". " + entry.name + " (" + entry.timeText + "s)"),
            static_cast<CEGUI::uint>(place));
        item->setTextParsingEnabled(false);
        item->setSelectionBrushImage(kSelectionBrush);
        list->addItem(item);
        if (list->getItemCount() == 1) {
            list->setItemSelectState(item, true);
            list->setText(item->getText());
        }
    }
    if (list->getItemCount() == 0)
        guitext::setWindowText(list, kNoRuns);
    setUsable(getWindow("Singleplayer/Game/Watch"), list->getItemCount() > 0);
}

void CGameMenu::watchSelectedRun()
{
    const auto* list = static_cast<CEGUI::Combobox*>(getWindow(kReplayList));
    const CEGUI::ListboxItem* item = list->getSelectedItem();
    if (!item)
        return;
    watchRun(guitext::windowText(getWindow("Singleplayer/Game/MapDropdown")),
             static_cast<int>(item->getID()));
}

bool CGameMenu::watchRun(const std::string& mapName, int place)
{
    SRecording run;
    if (!loadBestRun(mapName, place, run)) {
        showMessage(kErrorMessage, "No replay",
                    "Place " + std::to_string(place) +
                        " has no recording that fits this version of the map.");
        return false;
    }
    CApplication* app = CApplication::getInstance();
    if (!app->getRoot() || !app->getSceneManager()) {
        showMessage(kErrorMessage, "No replay", "The 3D view is not available.");
        return false;
    }
    arrangeViewports(kSingleViewport);
    CScene* scene = nullptr;
    try {
        scene = new CScene("SceneManager", "firstCamera", "", "", "", false, mapName, 1, 1,
                           app->getRenderWindow());
    } catch (const std::exception& e) {
        std::cerr << "CGameMenu: cannot build the level \"" << mapName << "\": " << e.what()
                  << '\n';
        arrangeViewports(kMenuViewports);
        showMessage(kErrorMessage, "No replay", "The map \"" + mapName + "\" could not be loaded.");
        return false;
    }
    const std::string player = run.playerName;
    auto* replay = new CReplay(scene, std::move(run));
    app->setActiveListener(replay);
    enterRound(1);
    guitext::setWindowText(getWindow("HUD/NamePlayer1"), "Replay: " + player);
    CEGUI::Window* status = replayStatusWindow();
    status->setVisible(true);
    replay->setStatusAction([status](const std::string& text) {
        guitext::setWindowText(status, text);
        logMenuEvent("replay " + text.substr(0, text.find("   ")));
    });
    replay->setLeaveAction([this] { backToMenu(); });
    logMenuEvent("replay of place " + std::to_string(place) + " on \"" + mapName + "\"");
    return true;
}

CEGUI::Window* CGameMenu::replayStatusWindow()
{
    if (mHudRoot->isChild(kReplayStatus))
        return mHudRoot->getChild(kReplayStatus);
    CEGUI::Window* status =
        CEGUI::WindowManager::getSingleton().createWindow("gui/HudText", kReplayStatus);
    status->setArea(CEGUI::URect(CEGUI::UDim(0.02f, 0), CEGUI::UDim(0.92f, 0),
                                 CEGUI::UDim(0.98f, 0), CEGUI::UDim(0.98f, 0)));
    status->setVisible(false);
    mHudRoot->addChild(status);
    return status;
}
