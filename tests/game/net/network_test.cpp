// The network object: its two queues, reading the texts a peer may send, and on real loopback
// sockets the handshake, one client only, one write in flight, and a peer that sends whatever
// it likes.
#include "game/net/protocol.h"
#include "net_peer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(NetworkTest, queuesRefuseMalformedTextsCutAfterEveryDollarAndDropTheOldestBeyondTheLimit)
{
    CNetwork& network = CNetwork::getSingleton();
    for (const char* bad : {"", "reset 1$", "/reset 1"})
        EXPECT_FALSE(network.pushLocal(bad)) << bad;
    for (int i = 0; i <= 1001; ++i)
        network.pushLocal("/n " + std::to_string(i) + "$");
    const std::vector<std::string> queued = network.takeLocalQueue();
    ASSERT_EQ(queued.size(), 1001u);
    EXPECT_EQ(queued.front(), "/n 1$");
    // Without a peer nothing is queued for it.
    network.sendWinner(1, 12.5);
    network.sendToPeer("/reset 1$");
    EXPECT_EQ(network.localCount(), 0u);

    network.pushIncoming("/plyName a$b$/plyId 2$");
    EXPECT_EQ(network.incomingCount(), 3u);
    std::string flood;
    for (int i = 0; i < 5000; ++i)
        flood += "/moveDir 1 2 3$";
    network.pushIncoming(flood);
    EXPECT_EQ(network.incomingCount(), CNetwork::kQueueLimit + 1);
    CNetwork::destroySingleton();
}

TEST(ProtocolTest, numbersAreReadOnlyWhenEveryOneIsAFiniteDecimalOfSaneSize)
{
    struct Row
    {
        const char* command;
        bool valid;
        float last;
    };
    const Row rows[] = {
        {"/moveDir 0 0 -40$", true, -40.0f},
        {"/moveDir 1 2 3 4$", true, 3.0f},
        {"/moveDir 0.100000001 0 1e3$", true, 1000.0f},
        {"/moveDir 1 2$", false, 0},
        {"/moveDir nan 0 0$", false, 0},
        {"/moveDir 0 inf 0$", false, 0},
        {"/moveDir 0 0 1e7$", false, 0},
        {"/moveDir 0 x 0$", false, 0},
        {"/moveDir 0 0x10 0$", false, 0},
        {"/moveDir 0  0 0$", false, 0},
        {"/moveDir$", false, 0},
    };
    for (const Row& row : rows) {
        std::vector<float> numbers;
        EXPECT_EQ(protocol::readNumbers(row.command, 3, numbers), row.valid) << row.command;
        if (row.valid) {
            EXPECT_EQ(numbers.at(2), row.last) << row.command;
        }
    }
}

TEST(ProtocolTest, playerNumbersMustNameANetworkPlayer)
{
    const std::pair<const char*, int> ids[] = {{"/plyId 1$", 1},   {"/plyId 2.9$", 2},
                                               {"/plyId 1e9$", 0}, {"/plyId 3$", 0},
                                               {"/plyId -1$", 0},  {"/plyId $", 0}};
    for (const auto& [command, expected] : ids) {
        int number = 0;
        EXPECT_EQ(protocol::readPlayerId(command, number), expected != 0) << command;
        if (expected) {
            EXPECT_EQ(number, expected) << command;
        }
    }
    int number = 0;
    for (const char* bad : {"0", "3", "99999999999", "1.5", ""})
        EXPECT_FALSE(protocol::readPlayerNumber(bad, number)) << bad;
}

TEST(ProtocolTest, namesAreCleanedAndCutWithoutBreakingACharacterAndCommandsAreWellFormed)
{
    EXPECT_EQ(protocol::cleanName("A\tn\x1b[2Jn\n"), "An[2Jn");
    std::string accents;
    for (int i = 0; i < 20; ++i)
        accents += "\xc3\xa9"; // é, two bytes
    EXPECT_EQ(protocol::cleanName(accents).size(), protocol::kMaxNameLength);
    EXPECT_EQ(protocol::cleanName("x" + accents).size(), protocol::kMaxNameLength - 1);
    // What the game sends: exact numbers, and each command ends with its "$".
    EXPECT_EQ(protocol::moveDirCommand(Ogre::Vector3(0.1f, 0, -40)), "/moveDir 0.100000001 0 -40$");
    EXPECT_EQ(protocol::winnerCommand(1, 0.1), "/winner 1 0.10000000000000001$");
    EXPECT_EQ(protocol::resetCommand(2), "/reset 2$");
}

class HostTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(network().start(CNetwork::ROLE_SERVER, 0, ""));
        ASSERT_NE(network().getServerPort(), 0);
        ASSERT_FALSE(peer.connect(network().getServerPort()));
        ASSERT_TRUE(pumpUntil([&] { return menu.saw("serverConnected"); }));
    }
    void TearDown() override { CNetwork::destroySingleton(); }
    static CNetwork& network() { return CNetwork::getSingleton(); }

    CRecordingNetworkMenu menu;
    CRawPeer peer;
};

TEST_F(HostTest, handshakeCrossesTheWireAndOnlyOneClientIsEverServed)
{
    ASSERT_TRUE(peer.readUntil("/mapName alpha.kivom$"));
    EXPECT_EQ(peer.received, "/plyName Ann$/plyColor 3.0 3.0 3.0$/plyId 1$/mapName alpha.kivom$");

    // Two commands in one segment, then one command split over two segments.
    peer.write("/plyName Bob$/plyColor 3.0 3.0 3.0$/pl");
    ASSERT_TRUE(pumpUntil([&] { return network().getRemoteColour().x == 3.0f; }));
    EXPECT_EQ(network().getRemoteNumber(), 0);
    peer.write("yId 2$");
    ASSERT_TRUE(pumpUntil([&] { return network().getRemoteNumber() == 2; }));
    EXPECT_EQ(network().getRemoteName(), "Bob");
    EXPECT_TRUE(menu.saw("name Bob 2"));

    CRawPeer second;
    EXPECT_TRUE(second.connect(network().getServerPort())) << "a second client got in";
    EXPECT_FALSE(network().start(CNetwork::ROLE_SERVER, 0, ""));
    EXPECT_TRUE(network().isConnected());

    peer.socket.close();
    ASSERT_TRUE(pumpUntil([&] { return menu.saw("connectionLost"); }));
    EXPECT_EQ(std::count(menu.events.begin(), menu.events.end(), "serverConnected"), 1);
}

TEST_F(HostTest, commandsQueuedDuringAWriteInFlightLeaveTogetherAfterIt)
{
    ASSERT_TRUE(peer.readUntil("/mapName alpha.kivom$"));
    // The peer reads nothing for now: this write cannot complete.
    network().pushLocal("/big " + std::string(32 << 20, 'x') + "$");
    ASSERT_TRUE(pumpUntil([&] { return network().isSending() && network().localCount() == 0; }));
    const auto writes = network().getWriteCount();
    network().pushLocal("/a$");
    pumpUntil([] { return false; }, 0.1);
    network().pushLocal("/b$");
    pumpUntil([] { return false; }, 0.1);
    EXPECT_TRUE(network().isSending());
    EXPECT_EQ(network().localCount(), 2u);

    ASSERT_TRUE(peer.readUntil("/a$/b$", 20.0));
    ASSERT_TRUE(pumpUntil([&] { return !network().isSending(); }));
    EXPECT_EQ(network().getWriteCount(), writes + 2) << "the big write and one with both";
    EXPECT_EQ(peer.received.size() - peer.received.find("/a$"), 6u);
}

TEST_F(HostTest, aHostilePeerCannotHurtTheGameAndABrokenStreamEndsTheConnection)
{
    peer.write("\x01\x02garbage\xff$/plyId 1e9$/plyId 7$/plyId 1$/reset 99$/winner 5 1$"
               "/moveDir nan 0 0$/moveDir 0 0 1e300$/moveDir a b c$/INTconEst$/startGame$"
               "/corrMove 1 2$/monsterCorrMove$/moveDir 1 2 3$/plyName \x1b[31mEvil\x07$");
    ASSERT_TRUE(pumpUntil([&] { return network().getRemoteName() != "NotAvbl"; }));
    EXPECT_EQ(network().getRemoteName(), "[31mEvil");
    EXPECT_EQ(network().getRemoteMovement(), Ogre::Vector3::ZERO) << "no steering before the start";
    EXPECT_EQ(network().getRemoteNumber(), 0) << "no number outside 1..2, nor the server's own";
    EXPECT_EQ(std::count(menu.events.begin(), menu.events.end(), "serverConnected"), 1);
    EXPECT_TRUE(network().isConnected());

    // Ten megabytes without a "$": the connection is broken, not a memory sink.
    std::thread writer([&] {
        boost::system::error_code ignored;
        boost::asio::write(peer.socket, boost::asio::buffer(std::string(10 << 20, 'y')), ignored);
    });
    EXPECT_TRUE(pumpUntil([&] { return menu.saw("connectionLost"); }, 20.0));
    EXPECT_FALSE(network().isConnected());
    CNetwork::destroySingleton(); // closes the socket: the writer stops
    writer.join();
}

} // namespace
