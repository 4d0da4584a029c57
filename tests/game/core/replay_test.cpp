// Watching a stored run on a real level: the clock runs at the chosen speed and stops on Space,
// the ball is where the run was, Escape leaves, and crossing the finish decides nothing.
#include "game/core/replay.h"

#include "../input/scripted_keyboard.h"
#include "game/core/application.h"
#include "game/core/hud_view.h"
#include "game/input/input_manager.h"
#include "level_fixture.h"

#include <gtest/gtest.h>

namespace {

struct SClockView : IHudView
{
    void setPlayerTime(int, const std::string& text) override { shown = text; }
    void showWinner(CPlayer*, double, int) override { ++winners; }
    std::string shown;
    int winners = 0;
};

// The straight course driven along -z at one unit a second, through the finish box.
SRecording runDownTheCourse(const leveltest::Level& level, double seconds)
{
    SRecording run;
    run.time = seconds;
    run.playerName = "Ann";
    run.samples.resize(sampleCountFor(seconds, run.rate));
    const Ogre::Vector3 start = level.scene->getStartPosition(1);
    for (size_t i = 0; i < run.samples.size(); ++i)
        run.samples[i].position = start - Ogre::Vector3(0, 1.5f, float(sampleTime(run, i)));
    return run;
}

TEST(Replay, clockFollowsSpeedAndPauseTheBallFollowsTheRunAndEscapeLeaves)
{
    leveltest::Level level(leveltest::straightCourse(4).str());
    SClockView view;
    setHudView(&view);
    CScriptedKeyboard keyboard;
    CInputManager::getSingleton().setKeyboard(&keyboard);
    const SRecording run = runDownTheCourse(level, 6.0);
    const Ogre::Vector3 start = run.samples.front().position;
    auto replay = std::make_unique<CReplay>(level.scene.release(), run);
    bool left = false;
    replay->setLeaveAction([&left] { left = true; });
    std::string status;
    replay->setStatusAction([&status](const std::string& text) { status = text; });
    EXPECT_EQ(status.find("Playing at 1x"), 0u) << status;
    const auto frames = [&](int count, int key = 0) {
        for (int i = 0; i < count; ++i) {
            if (key)
                keyboard.hold(key);
            Ogre::FrameEvent evt{};
            evt.timeSinceLastFrame = 0.25f;
            replay->frameStarted(evt);
            level.ogre.frame(0.25f);
            keyboard.releaseAll();
        }
    };
    const struct
    {
        int key;
        double clockAfter; // two frames of 0.25 s after the key
        const char* state;
    } rows[] = {
        {0, 0.5, "Playing at 1x"},
        {OIS::KC_UP, 1.5, "Playing at 2x"},
        {OIS::KC_UP, 3.5, "Playing at 4x"},
        {OIS::KC_UP, 5.5, "Playing at 4x"},
        {OIS::KC_SPACE, 5.5, "Stopped at 4x"},
        {OIS::KC_SPACE, 6.0, "Playing at 4x"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.state);
        frames(1, row.key);
        frames(1);
        EXPECT_NEAR(replay->getClock(), row.clockAfter, 1e-6);
        EXPECT_EQ(status.find(row.state), 0u) << status;
        const Ogre::Vector3 ball = replay->getScene()->getBallBody(0)->getPosition();
        EXPECT_LT(ball.distance(start - Ogre::Vector3(0, 0, float(replay->getClock()))), 1e-4f);
    }
    EXPECT_EQ(view.shown, "00:06:000");
    for (int i = 0; i < 4; ++i) {
        frames(1, OIS::KC_DOWN);
        frames(1); // let go
    }
    EXPECT_EQ(replay->getSpeed(), 0.5);
    EXPECT_EQ(replay->getScene()->getWinner(), 0) << "the ball passed the finish box";
    EXPECT_EQ(view.winners, 0);
    EXPECT_FALSE(left);
    frames(1, OIS::KC_ESCAPE);
    EXPECT_TRUE(left);

    replay.reset();
    CApplication::getInstance()->flushDestroyList();
    CInputManager::getSingleton().setKeyboard(nullptr);
    CInputManager::destroySingleton();
    CApplication::destroyInstance();
    setHudView(nullptr);
}

} // namespace
