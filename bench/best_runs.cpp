// Prints what racing against the best run costs on the staged game: the size of a round's
// recording per minute of play, and the time from a press of the retry key until a frame that
// shows the new try (the ball on its start, the camera on it, the clock at zero) has been drawn
// and put on the screen, beside the mean time of an ordinary frame of the same round, for
// single-player rounds on every shipped map. The key goes down at the worst moment: just after
// the game has read the keyboard, so the press waits for the next frame. Run it in the staged
// game folder under a display:
//   cd build/run && xvfb-run -a -s "-screen 0 1024x768x24" ../bench/bench_best_runs [tries [map]]
#include "game/core/application.h"
#include "game/core/game_state.h"
#include "game/core/time_text.h"
#include "game/input/input_manager.h"
#include "game/menu/game_menu.h"
#include "tests/game/input/scripted_keyboard.h"
#include "world/scene.h"

#include <CEGUI/CEGUI.h>
#include <OISKeyboard.h>
#include <Ogre.h>

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
// A retry that needs more frames than this to show counts as failed.
constexpr int kFrameLimit = 30;

double milliseconds(Clock::duration span)
{
    return std::chrono::duration<double, std::milli>(span).count();
}

const CGameState* runningState(CApplication& app)
{
    return dynamic_cast<const CGameState*>(app.getActiveListener());
}

// Presses a key once, in the next frame, after every listener has read the input of that frame.
class CLatePress : public Ogre::FrameListener
{
public:
    explicit CLatePress(CScriptedKeyboard& keyboard) : mKeyboard(keyboard) {}
    void arm(int key) { mKey = key; }
    bool frameRenderingQueued(const Ogre::FrameEvent&) override
    {
        if (mKey != 0) {
            mKeyboard.hold(mKey);
            mPressed = Clock::now();
            mKey = 0;
        }
        return true;
    }
    Clock::time_point pressed() const { return mPressed; }

private:
    CScriptedKeyboard& mKeyboard;
    int mKey = 0;
    Clock::time_point mPressed;
};

// Whether the last frame drew a new try: looked at once the level's views are drawn, just before
// the display is drawn over them.
class CTryWatch : public Ogre::RenderTargetListener
{
public:
    explicit CTryWatch(const CGameMenu& menu) : mMenu(menu) {}
    void postRenderTargetUpdate(const Ogre::RenderTargetEvent&) override
    {
        const CScene* scene = CScene::current();
        const CPhysicsBody* ball = scene ? scene->getBallBody(0) : nullptr;
        if (!ball || !ball->getNode() || !scene->getCameraPointNode(1)) {
            mNewTry = false;
            return;
        }
        const Ogre::Vector3 drawn = ball->getNode()->_getDerivedPosition();
        mNewTry = drawn.distance(scene->getStartPosition(1)) < kNear &&
                  scene->getCameraPointNode(1)->_getDerivedPosition().distance(drawn) < kNear &&
                  mMenu.getWindow("HUD/TimePlayer1")->getText() == formatRaceTime(0.0).c_str();
    }
    bool newTryDrawn() const { return mNewTry; }

private:
    static constexpr float kNear = 0.01f;
    const CGameMenu& mMenu;
    bool mNewTry = false;
};
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
    CLatePress press(keyboard);
    app->getRoot()->addFrameListener(&press);
    CTryWatch watch(menu);
    app->getRenderWindow()->addListener(&watch);
    std::vector<std::string> maps = menu.getMapList();
    std::sort(maps.begin(), maps.end());
    maps.erase(std::unique(maps.begin(), maps.end()), maps.end());
    std::printf("%-26s %16s %14s %14s %14s %14s\n", "map (single player)", "recording KB/min",
                "frame ms mean", "retry ms mean", "retry ms max", "retry frames");
    for (const std::string& map : maps) {
        if (argc > 2 && map != argv[2])
            continue;
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
        int mostFrames = 0;
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
            // The key goes down during a frame; frames run until one has drawn the new try.
            press.arm(OIS::KC_R);
            app->runFrame();
            int frameCount = 0;
            do {
                app->runFrame();
            } while (!watch.newTryDrawn() && ++frameCount < kFrameLimit);
            const double spent = milliseconds(Clock::now() - press.pressed());
            keyboard.releaseAll();
            if (!watch.newTryDrawn()) {
                std::fprintf(stderr, "%s: no new try on the screen after the retry key\n",
                             map.c_str());
                break;
            }
            mostFrames = std::max(mostFrames, frameCount + 1);
            total += spent;
            worst = std::max(worst, spent);
            ++measured;
        }
        std::printf("%-26s %16.1f %14.1f %14.1f %14.1f %14d\n", map.c_str(),
                    bytesPerMinute / 1024.0, frames ? frameTotal / double(frames) : 0.0,
                    measured ? total / measured : 0.0, worst, mostFrames);
        std::fflush(stdout);
        menu.backToMenu();
        app->runFrame();
    }
    app->getRenderWindow()->removeListener(&watch);
    app->getRoot()->removeFrameListener(&press);
    CInputManager::getSingleton().setKeyboard(nullptr);
    CApplication::destroyInstance();
    return 0;
}
