// A server's network round against a hostile client of the test's own, with the real rules,
// level and physics on headless Ogre: whatever the client sends before the introduction, during
// the round or after the winner, the server's balls, clock, winner and best times stay the
// server's. A flood of commands writes only a few log lines a second.
#include "game/core/application.h"
#include "game/core/game_state.h"
#include "game/core/highscores.h"
#include "game/input/player.h"
#include "game/net/network_player.h"
#include "game/net/protocol.h"
#include "level_fixture.h"
#include "net_peer.h"

#include <OgreLog.h>
#include <OgreRoot.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <sstream>

namespace {

// The server's own player: named, and steering nowhere.
struct SStillPlayer : CPlayer
{
    SStillPlayer() { setName("Ann"); }
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
        std::filesystem::create_directories("data/maps");
        testenv::writeFile("data/maps/net.kivom", leveltest::straightCourse(3, 2).str());
        scene = new CScene(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName, "", "", "",
                           false, "net.kivom", 2, 1, nullptr);
        ASSERT_TRUE(network().start(CNetwork::ROLE_SERVER, 0, ""));
        ASSERT_FALSE(client.connect(network().getServerPort()));
        ASSERT_TRUE(run([&] { return menu.saw("serverConnected"); }));

        state = new CGameState();
        auto* local = new SStillPlayer();
        auto* remote = new CNetworkPlayer();
        remote->setPlayerNumber(2);
        remote->initInput();
        for (CPlayer* player : {static_cast<CPlayer*>(local), static_cast<CPlayer*>(remote)}) {
            state->addPlayer(player);
            ogre.root->addFrameListener(player);
        }
        state->setScene(scene);
        ogre.root->addFrameListener(state);
        state->startRound(2);
        run([] { return false; }, 0.2);
        start1 = ball(0);
        start2 = ball(1);
    }
    void TearDown() override
    {
        CNetwork::destroySingleton();
        ogre.root->removeFrameListener(state);
        delete state;
        CApplication::destroyInstance(); // deletes the scene and players handed over
    }

    static CNetwork& network() { return CNetwork::getSingleton(); }
    Ogre::Vector3 ball(int index) const { return scene->getBallBody(index)->getPosition(); }
    // How far a ball is from a place, seen from above (a ball dropped on its start box is still
    // settling).
    float across(int index, const Ogre::Vector3& place) const
    {
        const Ogre::Vector3 at = ball(index);
        return Ogre::Vector2(at.x - place.x, at.z - place.z).length();
    }
    double time(int player) const
    {
        return state->getRecords()[static_cast<std::size_t>(player - 1)].time;
    }
    // Frames of the whole game (60 a second) until the condition holds or the time is over.
    bool run(const std::function<bool()>& done, double seconds = 5.0)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < end) {
            ogre.frame(leveltest::kFrameTime);
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return done();
    }
    // The client's corrections: both balls on the finish box.
    static std::string bothOnTheFinish()
    {
        std::string command = "/corrMove";
        for (int ball = 0; ball < 2; ++ball)
            protocol::appendBody(command, Ogre::Vector3(0, 1.0f, -4.0f), Ogre::Vector3::ZERO,
                                 Ogre::Vector3::ZERO);
        return command + "$";
    }
    std::string bestTimes() const
    {
        std::ifstream file(highscoreFileName("net.kivom"));
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    void expectServerUntouched(const char* when)
    {
        EXPECT_LT(across(0, start1), 0.3f) << when << ": the server's ball moved";
        EXPECT_GT(across(1, Ogre::Vector3(0, 1.0f, -4.0f)), 1.5f)
            << when << ": the client's ball was put on the finish";
        EXPECT_EQ(scene->getWinner(), 0) << when;
    }

    testenv::TempDir dir;
    SLineCounter logLines;
    HeadlessOgre ogre{std::string(), &logLines};
    CRecordingNetworkMenu menu;
    CRawPeer client;
    CScene* scene = nullptr;
    CGameState* state = nullptr;
    Ogre::Vector3 start1, start2;
};

TEST_F(ServerAuthorityTest, aHostileClientMovesNoBallClockWinnerOrBestTimeOfTheServers)
{
    // Before it has introduced itself, nothing of the round is taken from it.
    client.write("/moveDir 0 0 -40$" + bothOnTheFinish() + "/reset 1$/reset 2$/winner 2 0.5$" +
                 "/startGame$/mapName net.kivom$");
    ASSERT_TRUE(run([&] { return network().getRefusedCount() >= 7; }));
    expectServerUntouched("before the introduction");
    EXPECT_EQ(network().getRemoteMovement(), Ogre::Vector3::ZERO);
    EXPECT_EQ(network().getPhase(), CNetwork::Phase::Handshake);

    // It may not take the server's number; with its own it is in.
    client.write("/plyName Eve$/plyColor 3.0 3.0 3.0$/plyId 1$/plyId 2$/mapAvbl$");
    ASSERT_TRUE(run([&] { return network().getMapAnswer() == CNetwork::MapAnswer::Available; }));
    EXPECT_EQ(network().getRemoteNumber(), 2);
    network().beginServerRound();
    ASSERT_TRUE(run([&] { return time(1) > 0.5; }));

    // During the round: corrections, the server player's reset, a winner, a start, another
    // number; none is obeyed.
    const std::uint64_t refusedBefore = network().getRefusedCount();
    const double clockBefore = time(1);
    client.write(bothOnTheFinish() + "/monsterCorrMove$/reset 1$/winner 2 0.1$/startGame$" +
                 "/plyId 1$/plyName Mallory$/mapName other.kivom$");
    ASSERT_TRUE(run([&] { return network().getRefusedCount() >= refusedBefore + 8; }));
    expectServerUntouched("in the round");
    EXPECT_GT(time(1), clockBefore) << "the server player's clock was reset";
    EXPECT_TRUE(state->isRoundRunning());
    EXPECT_EQ(network().getRemoteName(), "Eve");

    // Its own steering moves only its own ball, and its own fall sends only its ball back.
    client.write("/moveDir 0 0 -40$");
    ASSERT_TRUE(run([&] { return across(1, start2) > 0.3f; }));
    EXPECT_LT(across(0, start1), 0.3f) << "its steering moved the server's ball";
    client.write("/moveDir 0 0 0$/reset 2$");
    ASSERT_TRUE(run([&] { return time(2) < 0.1 && across(1, start2) < 0.1f; }));
    EXPECT_GT(time(1), clockBefore);

    // The server's player wins; the server tells the client, and stores its own time.
    scene->setWinner(1);
    ASSERT_TRUE(run([&] { return !state->isRoundRunning(); }));
    ASSERT_TRUE(client.readUntil("/winner 1 "));
    const std::string best = bestTimes();
    EXPECT_NE(best.find("name1=Ann"), std::string::npos) << best;
    EXPECT_EQ(network().getPhase(), CNetwork::Phase::Finished);

    // After the winner, nothing of the client's changes the result.
    const std::uint64_t refusedAfterWin = network().getRefusedCount();
    client.write("/winner 2 0.1$/reset 1$/reset 2$" + bothOnTheFinish() + "/moveDir 0 0 -40$");
    ASSERT_TRUE(run([&] { return network().getRefusedCount() >= refusedAfterWin + 5; }));
    EXPECT_EQ(bestTimes(), best);
    EXPECT_EQ(scene->getWinner(), 1);
    EXPECT_FALSE(state->isRoundRunning());
}

TEST_F(ServerAuthorityTest, aFloodOfCommandsWritesAtMostAFewLogLinesASecond)
{
    client.write("/plyName Eve$/plyId 2$/mapAvbl$");
    ASSERT_TRUE(run([&] { return network().getPhase() == CNetwork::Phase::Waiting; }));
    network().beginServerRound();

    // Valid steering, resets of its own player, and refused commands, far beyond the queue.
    std::string burst;
    for (int i = 0; i < 300; ++i)
        burst += "/moveDir 0 0 -1$/reset 2$/plyName Eve$/winner 2 1$";
    std::stringstream out;
    std::streambuf* const standardOut = std::cout.rdbuf(out.rdbuf());
    const int logBefore = logLines.lines;
    const auto start = std::chrono::steady_clock::now();
    const double seconds = 3.0;
    std::uint64_t refusedBefore = network().getRefusedCount();
    while (std::chrono::steady_clock::now() - start < std::chrono::duration<double>(seconds)) {
        client.write(burst);
        ogre.frame(leveltest::kFrameTime);
    }
    std::cout.rdbuf(standardOut);
    const std::string printed = out.str();
    const int lines = static_cast<int>(std::count(printed.begin(), printed.end(), '\n')) +
                      (logLines.lines - logBefore);
    EXPECT_GT(network().getRefusedCount(), refusedBefore + 1000) << "the flood did arrive";
    EXPECT_LE(lines, 4 * static_cast<int>(seconds) + 4) << printed;
    EXPECT_TRUE(network().isConnected());
}

} // namespace
