// Prints the frame rate of real rounds: every shipped map with 1, 2 and 4 players, started by the
// game's own round builders on the staged game, the HUD shown and the balls casting shadows.
// Run it in the staged game folder under a display:
//   cd build/run && xvfb-run -a -s "-screen 0 1024x768x24" ../bench/bench_round_fps [frames]
// The second table repeats the figures with shadows off, to show what they cost.
#include "game/core/application.h"
#include "game/menu/game_menu.h"
#include "world/ball_shadow.h"

#include <CEGUI/CEGUI.h>
#include <Ogre.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kWarmUpFrames = 30;

void select(CGameMenu& menu, const std::string& radio)
{
    static_cast<CEGUI::RadioButton*>(menu.getWindow(radio))->setSelected(true);
}

// Frames per second of one round, started as the game's setup pages start it.
double measureRound(CApplication& app, const std::string& map, int players, int frames)
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
    if (!app.getActiveListener())
        return 0.0;
    for (int i = 0; i < kWarmUpFrames; ++i)
        app.runFrame();
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < frames; ++i)
        app.runFrame();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    menu.backToMenu();
    app.runFrame();
    return frames / seconds;
}
} // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    CApplication* app = CApplication::getInstance();
    if (!app->start()) {
        std::fprintf(stderr, "no render system\n");
        return 1;
    }
    app->runFrame();
    Ogre::RenderWindow* window = app->getRenderWindow();
    for (bool shadows : {true, false}) {
        CBallShadow::setEnabled(shadows);
        std::printf("frames per second, %ux%u, shadows %s, %d frames per round\n",
                    window->getWidth(), window->getHeight(), shadows ? "on" : "off", frames);
        std::printf("  %-24s %8s %8s %8s\n", "map", "1 player", "2", "4");
        for (const std::string& map : app->getMenu()->getMapList()) {
            std::printf("  %-24s", map.c_str());
            for (int players : {1, 2, 4})
                std::printf(" %8.1f", measureRound(*app, map, players, frames));
            std::printf("\n");
            std::fflush(stdout);
        }
    }
    CApplication::destroyInstance();
    return 0;
}
