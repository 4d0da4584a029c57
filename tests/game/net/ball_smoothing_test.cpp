// Showing the other ball from the server's states and blending the server's corrections into
// the own ball: smooth motion, fading differences, teleports at once, no correction twice.
#include "game/net/own_ball.h"
#include "game/net/remote_ball.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kFrame = 1.0 / 60.0;
const Ogre::Vector3 kSpeed(5, 0, 0);

TEST(RemoteBallTest, aBallMovingSteadilyIsShownSmoothlyDespiteJitterAndALostState)
{
    CRemoteBall ball(0.05);
    // States every 50 ms of a ball at 5 units/s, arriving 100 ms later +-30 ms; one is lost.
    const double jitter[] = {0.0, 0.03, -0.03, 0.02, -0.01};
    double nextState = 0.0;
    int sent = 0;
    Ogre::Vector3 previous;
    double worst = 0.0;
    for (double now = 0.0; now < 3.0; now += kFrame) {
        while (nextState + 0.1 + jitter[sent % 5] <= now) {
            if (sent != 30)
                ball.add(now, nextState, kSpeed * static_cast<float>(nextState), kSpeed);
            nextState += 0.05;
            ++sent;
        }
        if (!ball.hasState())
            continue;
        const Ogre::Vector3 shown = ball.shownPosition(now);
        if (now > 0.5) {
            worst = std::max(worst, double((shown - previous - kSpeed * kFrame).length()));
            // A little in the past: never ahead of the newest state, and not far behind.
            EXPECT_LE(ball.delay(), CRemoteBall::kMaxDelay);
            EXPECT_NEAR(shown.x, 5.0 * (ball.serverNow(now) - ball.delay()), 0.05);
        }
        previous = shown;
    }
    EXPECT_LT(worst, 0.03) << "the shown motion changed by more than a few hundredths a frame";
}

TEST(RemoteBallTest, newsThatContradictWhatWasShownFadeInButATeleportIsShownAtOnce)
{
    struct SRow
    {
        float jump;
        bool atOnce;
    };
    for (const SRow row : {SRow{0.4f, false}, SRow{1.5f, false}, SRow{5.0f, true}}) {
        CRemoteBall ball(0.05);
        double now = 0.0, stamp = 0.0;
        float largestStep = 0.0f, last = 0.0f;
        // At rest, then half a second without news, then the ball is somewhere else.
        for (; now < 3.0; now += kFrame) {
            if (now >= stamp + 0.05 && (now < 1.0 || now > 1.5)) {
                stamp = now < 1.0 ? stamp + 0.05 : now;
                ball.add(now, stamp, Ogre::Vector3(now < 1.0 ? 0.0f : row.jump, 0, 0),
                         Ogre::Vector3::ZERO);
            }
            const float x = ball.shownPosition(now).x;
            largestStep = std::max(largestStep, x - last);
            last = x;
        }
        EXPECT_NEAR(last, row.jump, 0.01) << row.jump;
        if (row.atOnce)
            EXPECT_GT(largestStep, row.jump - 0.01f) << row.jump;
        else
            EXPECT_LT(largestStep, row.jump * 0.25f) << row.jump;
    }
}

TEST(RemoteBallTest, withoutNewsTheBallGoesOnBrieflyThenWaits)
{
    CRemoteBall ball(0.05);
    ball.add(0.0, 0.0, Ogre::Vector3::ZERO, kSpeed);
    ball.shownPosition(0.0);
    Ogre::Vector3 shown;
    for (double now = 0.0; now < 2.0; now += kFrame)
        shown = ball.shownPosition(now);
    EXPECT_NEAR(shown.x, 5.0 * CRemoteBall::kMaxExtrapolation, 1e-3);
}

// The own ball at rest at the origin for a second, recorded every frame.
COwnBall restingBall(double& now)
{
    COwnBall ball;
    for (now = 0.0; now < 1.0; now += kFrame)
        ball.record(now, Ogre::Vector3::ZERO, Ogre::Vector3::ZERO);
    return ball;
}

TEST(OwnBallTest, theServersStateIsComparedWithThePastAndActedOnBySize)
{
    struct SRow
    {
        double then;
        float error;
        COwnBall::EAction action;
    };
    using A = COwnBall::EAction;
    for (const SRow row :
         {SRow{0.5, 0.01f, A::None}, SRow{0.5, 0.5f, A::Blend}, SRow{0.5, 2.9f, A::Blend},
          SRow{0.5, 5.0f, A::Place}, SRow{-1.0, 0.5f, A::None}}) {
        double now = 0.0;
        COwnBall ball = restingBall(now);
        EXPECT_EQ(ball.correct(row.then, Ogre::Vector3(row.error, 0, 0), Ogre::Vector3::ZERO),
                  row.action)
            << row.then << " " << row.error;
    }
}

TEST(OwnBallTest, aCorrectionIsSpreadOverFramesAndNeverAppliedTwice)
{
    double now = 0.0;
    COwnBall ball = restingBall(now);
    const Ogre::Vector3 server(0.6f, 0, 0);
    ASSERT_EQ(ball.correct(now - 0.15, server, Ogre::Vector3::ZERO), COwnBall::EAction::Blend);
    Ogre::Vector3 position = Ogre::Vector3::ZERO, shift, push;
    float largestStep = 0.0f;
    for (int frame = 0; frame < 60; ++frame, now += kFrame) {
        // The same server state again, as a later "/state" of the unchanged ball tells it.
        if (frame == 5)
            ball.correct(now - 0.15, server, Ogre::Vector3::ZERO);
        ball.step(kFrame, shift, push);
        position += shift;
        largestStep = std::max(largestStep, shift.length());
        ball.record(now, position, Ogre::Vector3::ZERO);
    }
    EXPECT_NEAR(position.x, 0.6f, 1e-3f) << "corrected twice, or not fully";
    EXPECT_LT(largestStep, 0.6f * kFrame / 0.1);
}

TEST(OwnBallTest, afterItsOwnResetTheServersOlderWordOfTheBallIsNotBelieved)
{
    double now = 0.0;
    COwnBall ball = restingBall(now);
    ball.restart(now + 0.1);
    for (double end = now + 0.5; now < end; now += kFrame)
        ball.record(now, Ogre::Vector3::ZERO, Ogre::Vector3::ZERO);
    const Ogre::Vector3 falling(0, -8, 0);
    EXPECT_EQ(ball.correct(now - 0.45, falling, Ogre::Vector3::ZERO), COwnBall::EAction::None);
    EXPECT_EQ(ball.correct(now - 0.2, falling, Ogre::Vector3::ZERO), COwnBall::EAction::Place);
}

} // namespace
