// Prints what racing against the best run costs on the staged game: the size of a round's
// recording per minute of play, and the time from a press of the retry key to the end of the
// first frame of the new try (beside the mean time of an ordinary frame of the same round), for
// single-player rounds on every shipped map. Run it in the
// staged game folder under a display:
//   cd build/run && xvfb-run -a -s "-screen 0 1024x768x24" ../bench/bench_best_runs [tries]
#include "game/core/application.h"
#include "game/core/game_state.h"
#include "game/input/input_manager.h"
#include "game/menu/game_menu.h"
#include "tests/game/input/scripted_keyboard.h"

#include <CEGUI/CEGUI.h>
#include <OISKeyboard.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
// Long enough for the ball to land and roll a little with W held.
constexpr double kPlaySeconds = 3.0;

double milliseconds(Clock::duration span)
{
    return std::chrono::duration<double, std::milli>(span).count();
}

const CGameState* runningState(CApplication& app)
{
    return dynamic_cast<const CGameState*>(app.getActiveListener());
}
} // namespace

int main(int argc, char** argv)
{
    const int tries = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    CApplication* app = CApplication::getInstance();
    if (!app->start()) {
        std::fprintf(stderr, "no render system\n");
        return 1;
    }
    app->runFrame();
    CScriptedKeyboard keyboard;
    CInputManager::getSingleton().setKeyboard(&keyboard);
    CGameMenu& menu = *app->getMenu();
    std::vector<std::string> maps = menu.getMapList();
    std::sort(maps.begin(), maps.end());
    maps.erase(std::unique(maps.begin(), maps.end()), maps.end());
    std::printf("%-26s %16s %14s %14s %14s\n", "map (single player)", "recording KB/min",
                "frame ms mean", "retry ms mean", "retry ms max");
    for (const std::string& map : maps) {
        menu.getWindow("Singleplayer/Game/MapDropdown")->setText(map);
        menu.startSingleplayerRound();
        if (!runningState(*app))
            continue;
        double bytesPerMinute = 0.0;
        double longest = 0.0;
        double total = 0.0;
        double worst = 0.0;
        int measured = 0;
        double frameTotal = 0.0;
        long frames = 0;
        for (int attempt = 0; attempt < tries; ++attempt) {
            keyboard.hold(OIS::KC_W);
            const Clock::time_point played = Clock::now();
            while (std::chrono::duration<double>(Clock::now() - played).count() < kPlaySeconds) {
                const Clock::time_point frameStart = Clock::now();
                app->runFrame();
                frameTotal += milliseconds(Clock::now() - frameStart);
                ++frames;
            }
            keyboard.releaseAll();
            const CGameState* state = runningState(*app);
            const SRecording& run = state->getRecorder().current();
            const double seconds = state->getRecords()[0].time;
            // The longest try counts: just after a fall the fixed header would weigh too much.
            if (seconds > longest) {
                longest = seconds;
                bytesPerMinute = encodeRecording(run).size() * 60.0 / seconds;
            }
            // The key goes down; the frame that sees it restarts the round and draws the new try.
            keyboard.hold(OIS::KC_R);
            const Clock::time_point pressed = Clock::now();
            app->runFrame();
            const double spent = milliseconds(Clock::now() - pressed);
            keyboard.releaseAll();
            app->runFrame();
            if (runningState(*app)->getRecords()[0].time > 0.1) {
                std::fprintf(stderr, "%s: the retry key did not restart the round\n", map.c_str());
                break;
            }
            total += spent;
            worst = std::max(worst, spent);
            ++measured;
        }
        std::printf("%-26s %16.1f %14.1f %14.1f %14.1f\n", map.c_str(), bytesPerMinute / 1024.0,
                    frames ? frameTotal / double(frames) : 0.0, measured ? total / measured : 0.0,
                    worst);
        std::fflush(stdout);
        menu.backToMenu();
        app->runFrame();
    }
    CInputManager::getSingleton().setKeyboard(nullptr);
    CApplication::destroyInstance();
    return 0;
}
