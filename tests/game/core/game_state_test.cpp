// The rules of one game, run against a scripted level, players and head-up display: the clock,
// events, steering, the winner, pause and removal.
#include "game/core/game_state.h"

#include "game/core/application.h"
#include "game/core/hud_view.h"
#include "game/core/profile.h"
#include "game/core/round_scene.h"
#include "game/core/time_text.h"
#include "game/input/player.h"
#include "game/net/network.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <tuple>

namespace {

// Everything the scripted level, players and display report; the test changes it freely.
struct Script : IHudView
{
    int winner = 0;
    std::set<int> collisions, resets; // ball indexes
    std::vector<Ogre::Vector3> forces = std::vector<Ogre::Vector3>(2, Ogre::Vector3::ZERO);
    bool levelDeleted = false;
    std::map<int, std::vector<int>> rumbles;              // by player number
    std::map<int, std::vector<Ogre::Vector3>> othersSeen; // by player number
    std::set<int> deleted;                                // player numbers
    std::map<int, std::string> texts;                     // cleared before each frame
    std::vector<std::tuple<CPlayer*, double, int>> winners;

    void setPlayerTime(int player, const std::string& text) override { texts[player] = text; }
    void showWinner(CPlayer* player, double seconds, int place) override
    {
        winners.emplace_back(player, seconds, place);
    }
};

struct SLevelListener : CExtFrameListener
{
    explicit SLevelListener(Script& script) : script(script) {}
    ~SLevelListener() override { script.levelDeleted = true; }
    Script& script;
};

struct SScriptedLevel : IRoundScene
{
    explicit SScriptedLevel(Script& script) : script(script), listener(new SLevelListener(script))
    {
    }
    CExtFrameListener* getListener() override { return listener; }
    CScene* getScene() override { return nullptr; }
    std::string getMapName() const override { return "hills.kivom"; }
    int getWinner() const override { return script.winner; }
    bool takeCollisionEvent(int index) override { return script.collisions.erase(index) > 0; }
    bool takeResetEvent(int index) override { return script.resets.erase(index) > 0; }
    std::vector<Ogre::Vector3>& getBallForces() override { return script.forces; }
    Script& script;
    SLevelListener* listener;
};

struct SScriptedPlayer : CPlayer
{
    SScriptedPlayer(int number, Script& script) : script(script) { setPlayerNumber(number); }
    ~SScriptedPlayer() override { script.deleted.insert(getPlayerNumber()); }
    bool initInput() override { return true; }
    void rumble(int milliseconds) override
    {
        script.rumbles[getPlayerNumber()].push_back(milliseconds);
    }
    bool otherPlayerDirection(const Ogre::Vector3& direction) override
    {
        script.othersSeen[getPlayerNumber()].push_back(direction);
        return true;
    }
    void steer(const Ogre::Vector3& direction) { mDirection = direction; }
    Script& script;
};

class GameStateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories("data/maps");
        setHudView(&script);
        CNetwork::getSingleton().takeLocalQueue();
        state = std::make_unique<CGameState>();
        state->setRoundScene(std::make_unique<SScriptedLevel>(script));
    }
    void TearDown() override
    {
        state.reset();
        setHudView(nullptr);
        CNetwork::destroyInstance();
        CApplication::destroyInstance(); // deletes what went to the destroy list
    }
    // Adds players by number, in this order, and starts a round for two balls.
    std::vector<SScriptedPlayer*> start(std::initializer_list<int> numbers)
    {
        std::vector<SScriptedPlayer*> players;
        for (int number : numbers) {
            players.push_back(new SScriptedPlayer(number, script));
            state->addPlayer(players.back());
        }
        state->startRound(2);
        return players;
    }
    void frame(double seconds, int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            script.texts.clear();
            Ogre::FrameEvent evt{};
            evt.timeSinceLastFrame = static_cast<Ogre::Real>(seconds);
            state->frameStarted(evt);
        }
    }
    double time(int index) const { return state->getRecords()[index].time; }

    testenv::TempDir dir;
    const std::string kBestTimes = testenv::userFile(testenv::kData, "maps/hills.kivom.data");
    Script script;
    std::unique_ptr<CGameState> state;
};

TEST_F(GameStateTest, timeCountsFromTheThirdUpdateAfterStartRoundAndShowsTenTimesASecond)
{
    state->addPlayer(new SScriptedPlayer(1, script));
    frame(0.5, 5); // before startRound nothing counts or shows
    EXPECT_TRUE(script.texts.empty());
    state->startRound(1);
    // A new round (a retry too) shows its clock at zero at once, not the time of the try before.
    EXPECT_EQ(script.texts, (std::map<int, std::string>{{1, "00:00:000"}}));
    frame(0.06);
    EXPECT_TRUE(script.texts.empty());
    frame(0.06); // the display timer passes 0.1, still warm-up time
    EXPECT_EQ(script.texts, (std::map<int, std::string>{{1, "00:00:000"}}));
    frame(0.5);
    frame(0.25);
    EXPECT_DOUBLE_EQ(time(0), 0.75);
    int refreshes = 0;
    for (int i = 0; i < 60; ++i) {
        frame(0.04);
        refreshes += script.texts.empty() ? 0 : 1;
    }
    EXPECT_EQ(refreshes, 20); // every third frame of 0.04 s
    frame(75.0);
    EXPECT_EQ(script.texts.at(1), formatRaceTime(time(0)));
}

TEST_F(GameStateTest, eventsReachOnlyTheirPlayerAndSteeringGoesToItsBallAndTheOthers)
{
    // Records in another order than the player numbers; player 7 has no ball.
    const std::vector<SScriptedPlayer*> players = start({2, 1, 7});
    frame(1.0, 5);
    script.resets.insert(1);
    script.collisions.insert(0);
    players[0]->steer(Ogre::Vector3(40, 0, 0));
    players[1]->steer(Ogre::Vector3(0, 0, -40));
    players[2]->steer(Ogre::Vector3(-40, 0, 40));
    script.othersSeen.clear();
    frame(1.0);
    EXPECT_EQ(time(0), 0.0); // player 2's ball was reset
    EXPECT_DOUBLE_EQ(time(1), 4.0);
    EXPECT_TRUE(CNetwork::getSingleton().takeLocalQueue().empty()) << "no peer, nothing queued";
    EXPECT_EQ(script.rumbles, (std::map<int, std::vector<int>>{{1, {250}}}));
    EXPECT_EQ(script.forces, (std::vector<Ogre::Vector3>{{0, 0, -40}, {40, 0, 0}}));
    EXPECT_EQ(script.othersSeen[1], (std::vector<Ogre::Vector3>{{40, 0, 0}, {-40, 0, 40}}));
    EXPECT_EQ(script.othersSeen[2], (std::vector<Ogre::Vector3>{{0, 0, -40}, {-40, 0, 40}}));
    frame(1.0);
    EXPECT_DOUBLE_EQ(time(0), 1.0);
    EXPECT_TRUE(CNetwork::getSingleton().takeLocalQueue().empty());
    state->resetPlayerTime(1);
    EXPECT_EQ(time(1), 0.0);
}

TEST_F(GameStateTest, winnerIsHandledOnceEntersTheTop5AndRestartStartsANewRound)
{
    SScriptedPlayer* ann = start({1, 2})[0];
    ann->setName("Ann");
    frame(2.0, 4);
    script.winner = 1;
    frame(2.0);
    EXPECT_FALSE(state->isRoundRunning());
    script.winner = 2; // a second ball finishing changes nothing
    frame(2.0);
    ASSERT_EQ(script.winners.size(), 1u);
    EXPECT_EQ(script.winners[0], std::make_tuple(static_cast<CPlayer*>(ann), 4.0, 1));
    EXPECT_EQ(getProfileString("Top5", "name1", "", kBestTimes), "Ann");
    EXPECT_EQ(getProfileString("Top5", "time1", "", kBestTimes), "4");
    EXPECT_DOUBLE_EQ(time(0), 4.0); // the clock stopped

    script.winner = 0;
    state->startRound(2);
    EXPECT_EQ(time(0), 0.0);
    frame(1.0, 3);
    EXPECT_DOUBLE_EQ(time(0), 1.0);
    script.winner = 3; // naming no player: a result without name or highscore
    frame(1.0);
    ASSERT_EQ(script.winners.size(), 2u);
    EXPECT_EQ(script.winners[1], std::make_tuple(static_cast<CPlayer*>(nullptr), -1.0, -1));
    EXPECT_EQ(getProfileString("Top5", "name2", "", kBestTimes), "Free");
}

TEST_F(GameStateTest, pausedFramesDoNotCountAndRemovedPlayersAndTheLevelGoToTheDestroyList)
{
    const std::vector<SScriptedPlayer*> players = start({1, 2});
    state->setPaused(true);
    EXPECT_TRUE(players[0]->isPaused());
    frame(1.0, 3);
    state->setPaused(false);
    EXPECT_FALSE(players[1]->isPaused());
    frame(1.0, 2);
    EXPECT_EQ(time(1), 0.0); // paused frames did not count as warm-up

    state->removePlayer(players[0]);
    EXPECT_EQ(state->getRecords()[0].player, nullptr);
    frame(1.0, 4);
    EXPECT_EQ(time(0), 0.0);
    EXPECT_TRUE(script.deleted.empty()); // alive until the destroy list is emptied
    CApplication::getInstance()->flushDestroyList();
    EXPECT_EQ(script.deleted, std::set<int>{1});
    state.reset();
    EXPECT_FALSE(script.levelDeleted);
    CApplication::getInstance()->flushDestroyList();
    EXPECT_EQ(script.deleted, (std::set<int>{1, 2}));
    EXPECT_TRUE(script.levelDeleted);
}

} // namespace
