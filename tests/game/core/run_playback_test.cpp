// Single-player rounds on the shipped maps, driven as on the keys and recorded by the game's
// rules: the stored run is small, plays back where the ball really was, reaches the finish at the
// recorded time, and races as a ghost in the next round.
#include "game/core/application.h"
#include "game/core/best_runs.h"
#include "game/core/game_state.h"
#include "game/core/ghost.h"
#include "game/input/player.h"
#include "headless_ogre.h"
#include "route_driver.h"
#include "test_env.h"
#include "world/scene.h"

#include <OgreSceneNode.h>

#include <gtest/gtest.h>

#include <iostream>

namespace {

constexpr float kFrame = 1.0f / 60.0f;
constexpr float kTimeLimit = 120.0f;
constexpr double kBytesPerMinuteLimit = 64 * 1024;

struct SDriven : CPlayer
{
    bool initInput() override { return true; }
    void steer(const Ogre::Vector3& direction) { mDirection = direction; }
};

using SLiveFrame = std::pair<double, Ogre::Vector3>; // clock, ball
class RunPlaybackTest : public ::testing::Test
{
protected:
    RunPlaybackTest() { dir.linkGameFiles(); }
    ~RunPlaybackTest() override { CApplication::destroyInstance(); }

    // Drives one round to its end and returns where the ball was at each clock reading.
    std::vector<SLiveFrame> drive(CGameState& state, CScene& scene, SDriven& player,
                                  const SCourse& course)
    {
        CRouteDriver driver = courseDriver(course, scene);
        std::vector<SLiveFrame> live;
        double lastClock = 0.0;
        for (float t = 0; t < kTimeLimit && state.isRoundRunning(); t += kFrame) {
            const CPhysicsBody* ball = scene.getBallBody(0);
            player.steer(driver.steer(ball->getPosition(), ball->getVelocity()));
            state.frameStarted(Ogre::FrameEvent{0.0f, kFrame});
            const double clock = state.getRecords()[0].time;
            if (clock < lastClock) {
                driver.restart(); // a fall or a monster: the run starts again
                live.clear();
            }
            lastClock = clock;
            live.emplace_back(clock, ball->getPosition());
            ogre.frame(kFrame);
        }
        return live;
    }

    void playCourse(const SCourse& course, bool checkGhost);

    testenv::TempDir dir;
    HeadlessOgre ogre;
};

TEST_F(RunPlaybackTest, aDrivenRoundPlaysBackToTheFinishAtItsTimeAndRacesAsAGhostNextRound)
{
    std::vector<SCourse> courses = {"00_straight_run 1 0 1 0 2.2 0  -3,-22"};
    for (const SCourse& course : shippedCourses())
        if (course.winner == 1 && course.ball == 0 && course.map != courses[0].map)
            courses.push_back(course);
    for (const SCourse& course : courses) {
        SCOPED_TRACE(course.map);
        playCourse(course, &course == &courses.front()); // the ghost is looked at once
        CApplication::getInstance()->flushDestroyList(); // the level and player go
    }
}

void RunPlaybackTest::playCourse(const SCourse& course, bool checkGhost)
{
    {
        auto* scene = new CScene(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName, "", "",
                                 "", false, course.map, 1, 1, nullptr);
        CGameState state;
        auto* player = new SDriven;
        player->setName("Ann");
        state.addPlayer(player);
        state.setScene(scene);
        for (int frame = 0; frame < 60; ++frame)
            ogre.frame(kFrame); // the ball lands on its start box first
        state.startRound(1);
        state.recordRuns(true);
        EXPECT_EQ(state.getGhost(), nullptr) << "no best run yet";
        const std::vector<SLiveFrame> live = drive(state, *scene, *player, course);
        ASSERT_EQ(scene->getWinner(), 1);
        const double winningTime = state.getRecords()[0].time;

        SRecording run;
        ASSERT_TRUE(loadBestRun(course.map, 1, run));
        EXPECT_EQ(run.time, winningTime);
        const double perMinute = encodeRecording(run).size() * 60.0 / run.time;
        EXPECT_LE(perMinute, kBytesPerMinuteLimit);
        std::cout << course.map << ": " << run.time << " s, " << perMinute / 1024
                  << " KB per minute\n";

        // Where the recording puts the ball at each frame's clock is where it was, within a
        // quarter of the ball's radius: a jump or a bounce between two samples bends away from
        // the straight line the playback draws between them.
        float worst = 0.0f;
        SRunSample pose;
        for (const SLiveFrame& frame : live) {
            poseAt(run, frame.first, pose);
            worst = std::max(worst, pose.position.distance(frame.second));
        }
        EXPECT_LT(worst, 0.1f);
        // Played back frame by frame, the ball reaches the place where it touched the finish
        // within one frame of the recorded time.
        const Ogre::Vector3 finish = live.back().second;
        double reached = -1.0;
        for (double t = 0.0; t <= run.time + 1.0 && reached < 0.0; t += kFrame) {
            poseAt(run, t, pose);
            if (pose.position.distance(finish) < 0.02f)
                reached = t;
        }
        EXPECT_NEAR(reached, winningTime, kFrame);

        // The next try: the ghost of this run races along, with no body of its own.
        if (checkGhost) {
            scene->restartRound();
            state.startRound(1);
            state.recordRuns(true);
            ASSERT_NE(state.getGhost(), nullptr);
            EXPECT_EQ(scene->getBallCount(), 1u);
            for (int frame = 0; frame < 90; ++frame) {
                state.frameStarted(Ogre::FrameEvent{0.0f, kFrame});
                ogre.frame(kFrame);
            }
            poseAt(run, state.getRecords()[0].time, pose);
            EXPECT_LT(state.getGhost()->getNode()->getPosition().distance(pose.position), 1e-4f);
            EXPECT_GT(pose.position.distance(run.samples.front().position), 0.5f) << "it moves";
        }
    }
}

} // namespace
