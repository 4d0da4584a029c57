// A server's round (real rules, level and physics) against a hostile client: its balls, clock,
// winner and best times stay its own; a flood writes only a few log lines a second.
#include "game/core/application.h"
#include "game/core/game_state.h"
#include "game/core/highscores.h"
#include "game/net/network_player.h"
#include "level_fixture.h"
#include "net_peer.h"

#include <OgreLog.h>
#include <OgreRoot.h>
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

namespace {

const std::string kBothOnTheFinish = "/corrMove 0 1 -4 0 0 0 0 0 0 0 1 -4 0 0 0 0 0 0$";

struct SStillPlayer : CPlayer
{
    bool initInput() override { return true; }
};

struct SLineCounter : Ogre::LogListener
{
    void messageLogged(const Ogre::String&, Ogre::LogMessageLevel, bool, const Ogre::String&,
                       bool&) override
    {
        ++lines;
    }
    int lines = 0;
};

class ServerAuthorityTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        scene = newCourseScene("net.kivom", 1);
        ASSERT_TRUE(network().start(CNetwork::ROLE_SERVER, 0, ""));
        ASSERT_FALSE(client.connect(network().getServerPort()));
        ASSERT_TRUE(run([&] { return menu.saw("serverConnected"); }));
        CPlayer* players[] = {new SStillPlayer(), new CNetworkPlayer()};
        players[0]->setName("Ann");
        players[1]->setPlayerNumber(2);
        players[1]->initInput();
        for (CPlayer* player : players) {
            state->addPlayer(player);
            ogre.root->addFrameListener(player);
        }
        state->setScene(scene);
        ogre.root->addFrameListener(state);
        state->startRound(2);
        run([] { return false; }, 0.2);
        start1 = scene->getBallBody(0)->getPosition();
        start2 = scene->getBallBody(1)->getPosition();
    }
    void TearDown() override
    {
        CNetwork::destroySingleton();
        ogre.root->removeFrameListener(state);
        delete state;
        CApplication::destroyInstance(); // deletes the scene and players handed over
    }

    static CNetwork& network() { return CNetwork::getSingleton(); }
    // How far a ball is from a place, seen from above (a dropped ball is still settling).
    float across(int index, const Ogre::Vector3& place) const
    {
        const Ogre::Vector3 at = scene->getBallBody(index)->getPosition();
        return Ogre::Vector2(at.x - place.x, at.z - place.z).length();
    }
    double time(int player) const { return state->getRecords()[player - 1].time; }
    bool run(const std::function<bool()>& done, double seconds = 5.0)
    {
        return pumpUntil(done, seconds, &ogre);
    }
    // Sends commands that must all be refused, and checks that nothing of the server moved.
    void expectRefused(const std::string& commands, int count, bool roundRuns)
    {
        const std::uint64_t before = network().getRefusedCount();
        const double clock = time(1);
        client.write(commands);
        ASSERT_TRUE(run([&] { return network().getRefusedCount() == before + count; }));
        EXPECT_LT(across(0, start1), 0.3f) << "the server's ball moved";
        EXPECT_GT(across(1, {0, 1, -4}), 1.5f) << "the client's ball was put on the finish";
        EXPECT_EQ(time(1) > clock, roundRuns) << "the server player's clock";
        EXPECT_EQ(state->isRoundRunning(), roundRuns);
    }
    testenv::TempDir dir;
    SLineCounter logLines;
    HeadlessOgre ogre{std::string(), &logLines};
    CRecordingNetworkMenu menu;
    CRawPeer client;
    CScene* scene = nullptr;
    CGameState* state = new CGameState();
    Ogre::Vector3 start1, start2;
};

TEST_F(ServerAuthorityTest, aHostileClientMovesNoBallClockWinnerOrBestTimeOfTheServers)
{
    expectRefused("/moveDir 0 0 -40$" + kBothOnTheFinish +
                      "/reset 1$/reset 2$/winner 2 0.5$/startGame$/mapName net.kivom$",
                  7, true);
    EXPECT_EQ(network().getRemoteMovement(), Ogre::Vector3::ZERO);
    // It may not take the server's number; with its own it is in.
    client.write("/plyName Eve$/plyColor 3.0 3.0 3.0$/plyId 1$/plyId 2$/mapAvbl$");
    ASSERT_TRUE(run([&] { return network().getMapAnswer() == CNetwork::MapAnswer::Available; }));
    EXPECT_EQ(network().getRemoteNumber(), 2);
    network().beginServerRound();
    expectRefused(kBothOnTheFinish + "/monsterCorrMove$/reset 1$/winner 2 0.1$/startGame$" +
                      "/plyId 1$/plyName Mallory$/mapName other.kivom$",
                  8, true);
    EXPECT_EQ(network().getRemoteName(), "Eve");

    // Its own steering moves only its own ball, and its own fall sends only its ball back.
    client.write("/moveDir 0 0 -40$");
    ASSERT_TRUE(run([&] { return across(1, start2) > 0.3f; }));
    EXPECT_LT(across(0, start1), 0.3f) << "its steering moved the server's ball";
    client.write("/moveDir 0 0 0$/reset 2$");
    ASSERT_TRUE(run([&] { return time(2) < 0.1 && across(1, start2) < 0.1f; }));

    // A flood of steering, its own falls and refused commands, far beyond the queue.
    std::string burst;
    for (int i = 0; i < 300; ++i)
        burst += "/moveDir 0 0 -1$/reset 2$/plyName Eve$/winner 2 1$";
    std::stringstream out;
    std::streambuf* const standardOut = std::cout.rdbuf(out.rdbuf());
    const int logBefore = logLines.lines;
    const std::uint64_t refusedBefore = network().getRefusedCount();
    const auto floodEnd = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < floodEnd) {
        client.write(burst);
        ogre.frame(leveltest::kFrameTime);
    }
    std::cout.rdbuf(standardOut);
    const std::string printed = out.str();
    EXPECT_GT(network().getRefusedCount(), refusedBefore + 1000) << "the flood did arrive";
    EXPECT_LE(std::count(printed.begin(), printed.end(), '\n') + logLines.lines - logBefore, 16)
        << printed;
    for (std::uint64_t seen = 0; seen != network().getRefusedCount();) {
        seen = network().getRefusedCount(); // the rest of the flood is handled
        run([] { return false; }, 0.3);
    }

    // The server's player wins; the server tells the client, and stores its own time.
    scene->setWinner(1);
    ASSERT_TRUE(run([&] { return !state->isRoundRunning(); }));
    ASSERT_TRUE(client.readUntil("/winner 1 "));
    const auto best = readTop5("net.kivom");
    EXPECT_EQ(best[0].name, "Ann");
    expectRefused("/winner 2 0.1$/reset 1$/reset 2$" + kBothOnTheFinish + "/moveDir 0 0 -40$", 5,
                  false);
    EXPECT_EQ(readTop5("net.kivom")[0].timeText, best[0].timeText);
    EXPECT_EQ(readTop5("net.kivom")[1].name, "Free");
    EXPECT_EQ(scene->getWinner(), 1);
}

} // namespace
