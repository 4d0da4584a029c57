// Every command word as each side receives it, in each phase of a connection: the texts a
// well-behaved peer sends are taken, beside the ones refused for their sender, their phase or
// their form. One table per role, walked in order: some rows move the connection on.
#include "game/net/protocol.h"
#include "level_fixture.h"
#include "net_peer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A row is a received text and whether it is taken, or (starting with "=") a step of this side.
struct SRow
{
    std::string command;
    bool taken;
};

std::string corrections()
{
    std::string command = "/corrMove";
    for (int ball = 0; ball < 2; ++ball)
        protocol::appendBody(command, Ogre::Vector3(0, 2, 0), Ogre::Vector3::ZERO,
                             Ogre::Vector3::ZERO);
    return command + "$";
}

class CommandTableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories("data/maps");
        testenv::writeFile("data/maps/alpha.kivom", leveltest::straightCourse(3, 2).str());
        scene = std::make_unique<CScene>(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName,
                                         "", "", "", false, "alpha.kivom", 2, 1, nullptr);
    }
    void TearDown() override { CNetwork::destroySingleton(); }

    void walk(const std::vector<SRow>& rows)
    {
        CNetwork& network = CNetwork::getSingleton();
        for (const SRow& row : rows) {
            if (row.command == "=round") {
                network.beginServerRound();
                continue;
            }
            if (row.command == "=winner") {
                network.sendWinner(1, 12.5);
                continue;
            }
            const std::uint64_t before = network.getRefusedCount();
            network.pushIncoming(row.command);
            network.dispatchIncoming();
            EXPECT_EQ(network.getRefusedCount() == before, row.taken)
                << (row.taken ? "refused: " : "taken: ") << row.command;
        }
    }

    testenv::TempDir dir;
    HeadlessOgre ogre;
    CRecordingNetworkMenu menu;
    std::unique_ptr<CScene> scene;
};

TEST_F(CommandTableTest, theClientTakesWhatTheServerSendsWhenItIsDue)
{
    boost::asio::io_context io;
    boost::asio::ip::tcp::acceptor acceptor(io, {boost::asio::ip::tcp::v4(), 0});
    CNetwork::getSingleton().start(CNetwork::ROLE_CLIENT, acceptor.local_endpoint().port(),
                                   "127.0.0.1");
    CRawPeer server;
    acceptor.accept(server.socket);
    ASSERT_TRUE(pumpUntil([&] { return menu.saw("clientConnected"); }));
    walk({
        // Introduction.
        {"/plyName Srv$", true},
        {"/plyName $", true},
        {"/plyColor 3.0 3.0 3.0$", true},
        {"/plyColor 1 2$", false},
        {"/plyId 2$", false}, // the client's own number
        {"/plyId 3$", false},
        {"/plyId$", false},
        {"/mapName alpha.kivom$", true},
        {"/mapName gamma.kivom$", true}, // taken, and answered "not available"
        {"/mapName $", false},
        {"/mapAvbl$", false}, // the client's word
        {"/moveDir 0 0 -40$", false},
        {corrections(), false},
        {"/reset 1$", false},
        {"/winner 1 2.5$", false},
        {"/startGame$", false}, // before the server has introduced itself
        {"/alive$", true},
        {"/unknown 1$", false},
        {"/plyId 1$", true},
        {"/plyId 1.5$", true},
        {"/mapName alpha.kivom$", true},
        // Waiting for the start.
        {"/moveDir 0 0 -40$", false},
        {"/startGame$", true},
        // The round.
        {"/startGame$", false},
        {"/plyName Other$", false},
        {"/plyId 1$", false},
        {"/mapName alpha.kivom$", false},
        {"/moveDir 0 0 -40$", true},
        {"/moveDir 1 2 3 4$", true},
        {"/moveDir 1 2$", false},
        {"/moveDir 0 nan 0$", false},
        {corrections(), true},
        {"/corrMove 1 2 3$", false},
        {"/monsterCorrMove$", true},
        {"/reset 1$", true},
        {"/reset 2$", true}, // the server tells every reset
        {"/reset 3$", false},
        {"/reset x$", false},
        {"/winner 3 1$", false},
        {"/winner 1$", false},
        {"/winner 1 inf$", false},
        {"/winner 2 12.25$", true},
        // After the winner.
        {"/winner 1 1$", false},
        {"/moveDir 0 0 -40$", false},
        {corrections(), false},
        {"/reset 2$", false},
        {"/alive$", true},
    });
    EXPECT_EQ(CNetwork::getSingleton().getRemoteName(), "");
    EXPECT_EQ(CNetwork::getSingleton().getAgreedMap(), "alpha.kivom");
}

TEST_F(CommandTableTest, theServerTakesOnlyTheClientsOwnPartWhenItIsDue)
{
    ASSERT_TRUE(CNetwork::getSingleton().start(CNetwork::ROLE_SERVER, 0, ""));
    CRawPeer client;
    ASSERT_FALSE(client.connect(CNetwork::getSingleton().getServerPort()));
    ASSERT_TRUE(pumpUntil([&] { return menu.saw("serverConnected"); }));
    walk({
        // Introduction (the menu has offered "alpha.kivom").
        {"/plyName Cli$", true},
        {"/plyColor 3.0 3.0 3.0$", true},
        {"/plyId 1$", false},             // the server's own number
        {"/mapName alpha.kivom$", false}, // the server's word
        {"/moveDir 0 0 -40$", false},
        {"/startGame$", false},
        {"/mapAvbl$", true},
        {"/mapNotAvbl$", false}, // a second answer to one offer
        {"/plyId 2$", true},
        // Waiting for the start.
        {"/plyName Cli$", true},
        {"/startGame$", false},
        {"/reset 2$", false},
        {"=round", true},
        // The round.
        {"/moveDir 0 0 -40$", true},
        {"/moveDir 0 0 1e9$", false},
        {corrections(), false},
        {"/monsterCorrMove$", false},
        {"/winner 2 1$", false},
        {"/reset 1$", false}, // the server's player
        {"/reset 2$", true},  // the client's own fall
        {"/startGame$", false},
        {"/mapAvbl$", false},
        {"/alive$", true},
        {"=winner", true},
        // After the winner.
        {"/moveDir 0 0 -40$", false},
        {"/reset 2$", false},
        {"/alive$", true},
    });
    EXPECT_EQ(CNetwork::getSingleton().getRemoteNumber(), 2);
    EXPECT_TRUE(menu.saw("map alpha.kivom agreed"));
}

TEST(ProtocolReaderTest, everyBuilderIsReadBackByItsReader)
{
    const Ogre::Vector3 steering(0.1f, 0, -40);
    Ogre::Vector3 vector;
    EXPECT_TRUE(protocol::readMoveDir(protocol::moveDirCommand(steering), vector));
    EXPECT_EQ(vector, steering);
    EXPECT_TRUE(protocol::readPlayerColour(protocol::playerColourCommand(), vector));
    EXPECT_EQ(vector, Ogre::Vector3(3, 3, 3));
    int number = 0;
    double seconds = 0;
    EXPECT_TRUE(protocol::readWinner(protocol::winnerCommand(2, 0.1), number, seconds));
    EXPECT_EQ(std::make_pair(number, seconds), std::make_pair(2, 0.1));
    EXPECT_TRUE(protocol::readReset(protocol::resetCommand(1), number));
    EXPECT_EQ(number, 1);
    EXPECT_TRUE(protocol::readPlayerId(protocol::playerIdCommand(2), number));
    EXPECT_EQ(number, 2);
    std::string text;
    EXPECT_TRUE(protocol::readPlayerName(protocol::playerNameCommand("Renée Ω$x"), text));
    EXPECT_EQ(text, "Renée Ωx");
    EXPECT_TRUE(protocol::readMapName(protocol::mapNameCommand("über welt.kivom"), text));
    EXPECT_EQ(text, "über welt.kivom");
    for (protocol::Word word : {protocol::Word::StartGame, protocol::Word::KeepAlive,
                                protocol::Word::MapAvailable, protocol::Word::MapNotAvailable}) {
        const std::string command =
            word == protocol::Word::StartGame ? protocol::startGameCommand()
            : word == protocol::Word::KeepAlive
                ? protocol::keepAliveCommand()
                : protocol::mapAnswerCommand(word == protocol::Word::MapAvailable);
        EXPECT_EQ(protocol::wordOf(command), word) << command;
    }
}

} // namespace
