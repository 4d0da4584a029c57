// The rules of one game, run against a scripted level, players and head-up display.
#include "game/core/game_state.h"

#include "game/core/application.h"
#include "game/core/hud_view.h"
#include "game/core/profile.h"
#include "game/core/round_scene.h"
#include "game/core/sound.h"
#include "game/input/player.h"
#include "game/net/network.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// What a scripted level reports; shared with the test, which changes it between frames.
struct LevelScript
{
    int winner = 0;
    std::set<int> collisions; // ball indexes
    std::set<int> resets;
    std::vector<Ogre::Vector3> forces;
    bool listenerDeleted = false;
};

class CLevelListener : public CExtFrameListener
{
public:
    explicit CLevelListener(LevelScript& script) : mScript(script) {}
    ~CLevelListener() override { mScript.listenerDeleted = true; }

private:
    LevelScript& mScript;
};

class CScriptedLevel : public IRoundScene
{
public:
    CScriptedLevel(LevelScript& script, CLevelListener* listener)
        : mScript(script), mListener(listener)
    {
    }
    CExtFrameListener* getListener() override { return mListener; }
    CScene* getScene() override { return nullptr; }
    std::string getMapName() const override { return "hills.kivom"; }
    int getWinner() const override { return mScript.winner; }
    bool takeCollisionEvent(int index) override { return mScript.collisions.erase(index) > 0; }
    bool takeResetEvent(int index) override { return mScript.resets.erase(index) > 0; }
    std::vector<Ogre::Vector3>& getBallForces() override { return mScript.forces; }

private:
    LevelScript& mScript;
    CLevelListener* mListener;
};

struct PlayerLog
{
    std::vector<int> rumbles;
    std::vector<Ogre::Vector3> othersSeen;
    bool deleted = false;
    int pauses = 0;
    int resumes = 0;
};

class CScriptedPlayer : public CPlayer
{
public:
    CScriptedPlayer(int number, const std::string& name, PlayerLog& log) : mLog(log)
    {
        setPlayerNumber(number);
        setName(name);
    }
    ~CScriptedPlayer() override { mLog.deleted = true; }
    void steer(const Ogre::Vector3& direction) { mDirection = direction; }
    bool initInput() override { return true; }
    void rumble(int milliseconds) override { mLog.rumbles.push_back(milliseconds); }
    bool otherPlayerDirection(const Ogre::Vector3& direction) override
    {
        mLog.othersSeen.push_back(direction);
        return true;
    }
    void onPause() override { ++mLog.pauses; }
    void onResume() override { ++mLog.resumes; }

private:
    PlayerLog& mLog;
};

struct Winner
{
    CPlayer* player;
    double seconds;
    int place;
};

class CRecordingHud : public IHudView
{
public:
    void setPlayerTime(int playerNumber, const std::string& text) override
    {
        frameTexts[playerNumber] = text;
    }
    void showWinner(CPlayer* winner, double seconds, int place) override
    {
        winners.push_back({winner, seconds, place});
    }
    std::map<int, std::string> frameTexts; // cleared by the test after each frame
    std::vector<Winner> winners;
};

class GameStateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories("data/maps");
        setHudView(&hud);
        CNetwork::getSingleton().takeLocalQueue();
        state = std::make_unique<CGameState>();
        level.forces.assign(2, Ogre::Vector3::ZERO);
        state->setRoundScene(std::make_unique<CScriptedLevel>(level, new CLevelListener(level)));
    }
    void TearDown() override
    {
        state.reset();
        setHudView(nullptr);
        CNetwork::destroyInstance();
        CApplication::destroyInstance(); // deletes what went to the destroy list
    }

    CScriptedPlayer* addPlayer(int number, const std::string& name, PlayerLog& log)
    {
        auto* player = new CScriptedPlayer(number, name, log);
        state->addPlayer(player);
        return player;
    }

    void frame(double seconds)
    {
        hud.frameTexts.clear();
        Ogre::FrameEvent evt{};
        evt.timeSinceLastFrame = static_cast<Ogre::Real>(seconds);
        state->frameStarted(evt);
    }

    testenv::TempDir dir;
    CRecordingHud hud;
    LevelScript level;
    std::unique_ptr<CGameState> state;
    PlayerLog log1, log2, log3;
};

TEST_F(GameStateTest, firstTwoUpdatesAfterStartRoundAddNoTime)
{
    addPlayer(1, "Ann", log1);
    state->startRound(1);
    frame(0.5);
    frame(0.5);
    EXPECT_EQ(state->getRecords()[0].time, 0.0);
    frame(0.5);
    EXPECT_DOUBLE_EQ(state->getRecords()[0].time, 0.5);
    frame(0.25);
    EXPECT_DOUBLE_EQ(state->getRecords()[0].time, 0.75);
}

TEST_F(GameStateTest, nothingCountsBeforeStartRound)
{
    addPlayer(1, "Ann", log1);
    for (int i = 0; i < 5; ++i)
        frame(0.5);
    EXPECT_EQ(state->getRecords()[0].time, 0.0);
    EXPECT_TRUE(hud.frameTexts.empty());
}

TEST_F(GameStateTest, allPlayersTimesRefreshTogetherAboutTenTimesASecond)
{
    addPlayer(1, "Ann", log1);
    addPlayer(2, "Bob", log2);
    state->startRound(2);
    frame(0.06);
    EXPECT_TRUE(hud.frameTexts.empty());
    frame(0.06); // the display timer passes 0.1: both texts, still warm-up time
    EXPECT_EQ(hud.frameTexts, (std::map<int, std::string>{{1, "00:00:000"}, {2, "00:00:000"}}));
    int refreshes = 0;
    for (int i = 0; i < 60; ++i) {
        frame(0.04);
        if (!hud.frameTexts.empty()) {
            EXPECT_EQ(hud.frameTexts.size(), 2u) << "both players in the same frame";
            ++refreshes;
        }
    }
    EXPECT_EQ(refreshes, 20); // every third frame of 0.04 s
}

TEST_F(GameStateTest, displayedTimeIsTheRecordsTime)
{
    addPlayer(1, "Ann", log1);
    state->startRound(1);
    frame(0.0);
    frame(0.0);
    frame(75.0417);
    EXPECT_EQ(hud.frameTexts.at(1), "01:15:041");
}

TEST_F(GameStateTest, resetEventForPlayerTwoZeroesOnlyItsTimeAndQueuesTheResetCommand)
{
    addPlayer(1, "Ann", log1);
    addPlayer(2, "Bob", log2);
    state->startRound(2);
    for (int i = 0; i < 5; ++i)
        frame(1.0);
    level.resets.insert(1);
    frame(1.0);
    EXPECT_DOUBLE_EQ(state->getRecords()[0].time, 4.0);
    EXPECT_EQ(state->getRecords()[1].time, 0.0);
    EXPECT_TRUE(level.resets.empty());
    EXPECT_TRUE(CNetwork::getSingleton().takeLocalQueue().empty()) << "no peer, nothing queued";
    frame(1.0);
    EXPECT_DOUBLE_EQ(state->getRecords()[1].time, 1.0);
    EXPECT_TRUE(CNetwork::getSingleton().takeLocalQueue().empty());
}

TEST_F(GameStateTest, collisionEventRumblesOnlyThatPlayer)
{
    addPlayer(1, "Ann", log1);
    addPlayer(2, "Bob", log2);
    state->startRound(2);
    level.collisions.insert(0);
    frame(0.1);
    frame(0.1);
    EXPECT_EQ(log1.rumbles, std::vector<int>{250});
    EXPECT_TRUE(log2.rumbles.empty());
}

TEST_F(GameStateTest, steeringGoesToTheBallOfThePlayerNumberAndToTheOtherPlayers)
{
    CScriptedPlayer* first = addPlayer(2, "Ann", log1); // records in another order than numbers
    CScriptedPlayer* second = addPlayer(1, "Bob", log2);
    CScriptedPlayer* outside = addPlayer(7, "Cid", log3); // no ball of that number
    first->steer(Ogre::Vector3(40, 0, 0));
    second->steer(Ogre::Vector3(0, 0, -40));
    outside->steer(Ogre::Vector3(-40, 0, 40));
    state->startRound(2);
    frame(0.1);
    EXPECT_EQ(level.forces, (std::vector<Ogre::Vector3>{{0, 0, -40}, {40, 0, 0}}));
    EXPECT_EQ(log1.othersSeen, (std::vector<Ogre::Vector3>{{0, 0, -40}, {-40, 0, 40}}));
    EXPECT_EQ(log2.othersSeen, (std::vector<Ogre::Vector3>{{40, 0, 0}, {-40, 0, 40}}));
}

TEST_F(GameStateTest, winnerIsHandledOnceEvenIfASecondBallFinishes)
{
    CScriptedPlayer* ann = addPlayer(1, "Ann", log1);
    addPlayer(2, "Bob", log2);
    state->startRound(2);
    for (int i = 0; i < 4; ++i)
        frame(2.0);
    level.winner = 1;
    frame(2.0);
    EXPECT_FALSE(state->isRoundRunning());
    level.winner = 2;
    frame(2.0);
    frame(2.0);
    ASSERT_EQ(hud.winners.size(), 1u);
    EXPECT_EQ(hud.winners[0].player, ann);
    EXPECT_DOUBLE_EQ(hud.winners[0].seconds, 4.0);
    EXPECT_EQ(hud.winners[0].place, 1);
    EXPECT_EQ(getProfileString("Top5", "name1", "", "./data/maps/hills.kivom.data"), "Ann");
    EXPECT_EQ(getProfileString("Top5", "time1", "", "./data/maps/hills.kivom.data"), "4");
    EXPECT_EQ(getProfileString("Top5", "name2", "", "./data/maps/hills.kivom.data"), "Free");
    EXPECT_DOUBLE_EQ(state->getRecords()[0].time, 4.0); // the clock stopped
}

TEST_F(GameStateTest, winnerNumberNamingNoPlayerShowsAResultWithoutNameOrHighscore)
{
    addPlayer(1, "Ann", log1);
    state->startRound(1);
    frame(1.0);
    level.winner = 3;
    frame(1.0);
    ASSERT_EQ(hud.winners.size(), 1u);
    EXPECT_EQ(hud.winners[0].player, nullptr);
    EXPECT_EQ(hud.winners[0].seconds, -1.0);
    EXPECT_EQ(hud.winners[0].place, -1);
    EXPECT_FALSE(std::filesystem::exists("./data/maps/hills.kivom.data"));
}

TEST_F(GameStateTest, restartAfterAWinStartsANewRound)
{
    addPlayer(1, "Ann", log1);
    state->startRound(1);
    for (int i = 0; i < 4; ++i)
        frame(1.0);
    level.winner = 1;
    frame(1.0);
    level.winner = 0;
    state->startRound(1);
    EXPECT_TRUE(state->isRoundRunning());
    EXPECT_EQ(state->getRecords()[0].time, 0.0);
    for (int i = 0; i < 3; ++i)
        frame(1.0);
    EXPECT_DOUBLE_EQ(state->getRecords()[0].time, 1.0);
}

TEST_F(GameStateTest, pauseAndResumeReachPlayersAndTheLevel)
{
    CScriptedPlayer* ann = addPlayer(1, "Ann", log1);
    state->startRound(1);
    state->setPaused(true);
    EXPECT_TRUE(ann->isPaused());
    EXPECT_EQ(log1.pauses, 1);
    frame(1.0);
    frame(1.0);
    frame(1.0);
    state->setPaused(false);
    EXPECT_FALSE(ann->isPaused());
    EXPECT_EQ(log1.resumes, 1);
    frame(1.0);
    frame(1.0);
    EXPECT_EQ(state->getRecords()[0].time, 0.0); // paused frames did not count as warm-up
}

TEST_F(GameStateTest, resetPlayerTimeZeroesThatPlayersRecord)
{
    addPlayer(1, "Ann", log1);
    addPlayer(2, "Bob", log2);
    state->startRound(2);
    for (int i = 0; i < 4; ++i)
        frame(1.0);
    state->resetPlayerTime(1);
    EXPECT_EQ(state->getRecords()[0].time, 0.0);
    EXPECT_DOUBLE_EQ(state->getRecords()[1].time, 2.0);
}

TEST_F(GameStateTest, removedPlayerLeavesAnEmptyRecordAndIsDeletedAfterTheFrame)
{
    CScriptedPlayer* ann = addPlayer(1, "Ann", log1);
    addPlayer(2, "Bob", log2);
    state->startRound(2);
    state->removePlayer(ann);
    EXPECT_FALSE(log1.deleted); // still alive until the destroy list is emptied
    ASSERT_EQ(state->getRecords().size(), 2u);
    EXPECT_EQ(state->getRecords()[0].player, nullptr);
    for (int i = 0; i < 4; ++i)
        frame(1.0);
    EXPECT_EQ(state->getRecords()[0].time, 0.0);
    CApplication::getInstance()->flushDestroyList();
    EXPECT_TRUE(log1.deleted);
    EXPECT_FALSE(log2.deleted);
}

TEST_F(GameStateTest, deletingTheGameHandsPlayersAndLevelToTheDestroyList)
{
    addPlayer(1, "Ann", log1);
    addPlayer(2, "Bob", log2);
    state.reset();
    EXPECT_FALSE(log1.deleted);
    EXPECT_FALSE(level.listenerDeleted);
    CApplication::getInstance()->flushDestroyList();
    EXPECT_TRUE(log1.deleted);
    EXPECT_TRUE(log2.deleted);
    EXPECT_TRUE(level.listenerDeleted);
}

// The in-game music, heard through the sound engine: the test mixes the engine's output itself.
class GameStateMusicTest : public GameStateTest
{
protected:
    static constexpr int kRate = 22050;

    void SetUp() override
    {
        std::filesystem::create_directories("data");
        std::filesystem::create_symlink(testenv::runDir() + "/data/sounds", "data/sounds");
        CApplication::getInstance(); // creates the default engine, which the loopback replaces
        ASSERT_TRUE(createLoopbackSoundEngine(kRate, 2));
        GameStateTest::SetUp();
    }

    // Loudness (root mean square) of the next stretch of the mix.
    static double loudness(double seconds)
    {
        const std::vector<float> samples = renderSoundEngine(static_cast<int>(seconds * kRate));
        double sum = 0.0;
        for (float s : samples)
            sum += double(s) * s;
        return samples.empty() ? 0.0 : std::sqrt(sum / samples.size());
    }
};

TEST_F(GameStateMusicTest, pausingWhileFinishedAndResumingUnpausesTheMusic)
{
    const double kSilence = 1e-4;
    EXPECT_LT(loudness(0.5), kSilence); // prepared: the music waits for startRound
    addPlayer(1, "Ann", log1);
    state->startRound(1);
    frame(0.1);
    EXPECT_GT(loudness(0.5), kSilence);
    level.winner = 1;
    frame(0.1);
    loudness(4.0); // the winning sound plays to its end; the music stays paused
    EXPECT_LT(loudness(0.5), kSilence);
    state->setPaused(true);
    EXPECT_LT(loudness(0.5), kSilence);
    state->setPaused(false);
    EXPECT_GT(loudness(0.5), kSilence);
}

} // namespace
