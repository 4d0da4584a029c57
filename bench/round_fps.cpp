// Prints the frame rate of real rounds: every shipped map with 1, 2 and 4 players, started by the
// game's own round builders on the staged game, the HUD shown and the balls casting shadows.
// Run it in the staged game folder under a display:
//   cd build/run && xvfb-run -a -s "-screen 0 1024x768x24" ../bench/bench_round_fps [frames [dir
//   [map]]]
// With a folder, two frames of every round as it plays now are written there as PNGs: an early
// one (the balls still dropping onto their start boxes) and one after the balls have landed.
// Three tables: with the players' views as they were set up before (each view clearing its own
// part of the window, and the views a round does not show still drawn, shrunk to nothing), as
// rounds play now with the ball shadows off, and as rounds play now. Each cell is frames per
// second by the clock and, in brackets, by the process's CPU time (rendering on the CPU
// included), which stays comparable when other programs load the machine.
#include "game/core/application.h"
#include "game/menu/game_menu.h"
#include "world/ball_shadow.h"

#include <CEGUI/CEGUI.h>
#include <Ogre.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <time.h>

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kWarmUpFrames = 30;
constexpr int kShotFrame = 12;
// The balls drop onto their start boxes in real time; by then every one has come to rest.
constexpr double kLandedSeconds = 4.0;

struct SSetup
{
    const char* title;
    bool shadows;
    bool oldViews;
};

void select(CGameMenu& menu, const std::string& radio)
{
    static_cast<CEGUI::RadioButton*>(menu.getWindow(radio))->setSelected(true);
}

// Frames per second of one round, started as the game's setup pages start it.
double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct SRate
{
    double wall = 0, cpu = 0;
};

// The players' views as they were before (each clears its own part, none is left out), or as
// they are now when the round is over (the menu leaves them out again).
void useOldViews(Ogre::RenderWindow& window, bool old)
{
    for (unsigned short i = 0; i < window.getNumViewports(); ++i) {
        Ogre::Viewport* view = window.getViewport(i);
        if (view->getZOrder() > 0) {
            view->setClearEveryFrame(old);
            if (old)
                view->setAutoUpdated(true);
        }
    }
}

SRate measureRound(CApplication& app, const std::string& map, int players, int frames,
                   bool oldViews, const std::string& shotFolder)
{
    CGameMenu& menu = *app.getMenu();
    if (players == 1) {
        menu.getWindow("Singleplayer/Game/MapDropdown")->setText(map);
        menu.startSingleplayerRound();
    } else {
        select(menu,
               players == 4 ? "Multiplayer/Game/Radio4Players" : "Multiplayer/Game/Radio2Players");
        select(menu, "Multiplayer/Game/SplitVertically");
        menu.getWindow("Multiplayer/Game/MapDropdown")->setText(map);
        menu.startSplitScreenRound();
    }
    if (!app.getActiveListener()) {
        app.runFrame(); // the refused level goes with this frame's destroy list
        return SRate();
    }
    if (oldViews)
        useOldViews(*app.getRenderWindow(), true);
    const std::string shot = shotFolder + "/" + map + "_" + std::to_string(players) + "p";
    const Clock::time_point roundStart = Clock::now();
    for (int i = 0; i < kWarmUpFrames; ++i) {
        app.runFrame();
        if (i == kShotFrame && !shotFolder.empty())
            app.getRenderWindow()->writeContentsToFile(shot + ".png");
    }
    const Clock::time_point start = Clock::now();
    const double cpuStart = cpuSeconds();
    for (int i = 0; i < frames; ++i)
        app.runFrame();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = cpuSeconds() - cpuStart;
    if (!shotFolder.empty()) {
        while (std::chrono::duration<double>(Clock::now() - roundStart).count() < kLandedSeconds)
            app.runFrame();
        app.getRenderWindow()->writeContentsToFile(shot + "_landed.png");
    }
    menu.backToMenu();
    app.runFrame();
    if (oldViews)
        useOldViews(*app.getRenderWindow(), false);
    return SRate{frames / seconds, frames / cpu};
}
} // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    const std::string shotFolder = argc > 2 ? argv[2] : "";
    std::error_code error;
    if (!shotFolder.empty() && !std::filesystem::create_directories(shotFolder, error) && error) {
        std::fprintf(stderr, "cannot make the folder %s: %s\n", shotFolder.c_str(),
                     error.message().c_str());
        return 1;
    }
    CApplication* app = CApplication::getInstance();
    if (!app->start()) {
        std::fprintf(stderr, "no render system\n");
        return 1;
    }
    app->runFrame();
    Ogre::RenderWindow* window = app->getRenderWindow();
    const SSetup setups[] = {
        {"views as before", true, true}, {"now, shadows off", false, false}, {"now", true, false}};
    for (const SSetup& setup : setups) {
        CBallShadow::setEnabled(setup.shadows);
        std::printf("frames per second, %ux%u, %s, %d frames per round\n", window->getWidth(),
                    window->getHeight(), setup.title, frames);
        std::printf("  %-24s %16s %16s %16s\n", "map", "1 player", "2", "4");
        std::vector<std::string> maps = app->getMenu()->getMapList();
        std::sort(maps.begin(), maps.end());
        maps.erase(std::unique(maps.begin(), maps.end()), maps.end());
        for (const std::string& map : maps) {
            if (argc > 3 && map != argv[3])
                continue;
            std::printf("  %-24s", map.c_str());
            for (int players : {1, 2, 4}) {
                const bool shoot = &setup == &setups[2];
                const SRate rate = measureRound(*app, map, players, frames, setup.oldViews,
                                                shoot ? shotFolder : std::string());
                std::printf(" %7.1f (%6.1f)", rate.wall, rate.cpu);
            }
            std::printf("\n");
            std::fflush(stdout);
        }
    }
    CApplication::destroyInstance();
    return 0;
}
