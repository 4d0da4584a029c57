// The network object on real loopback sockets: the handshake, one client only, broken and
// refused connections, one write in flight, and a peer that sends whatever it likes.
#include "net_peer.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

long residentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
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
    const long before = residentKilobytes();
    peer.write("\x01\x02garbage\xff$/plyId 1e9$/plyId 7$/plyId 1$/reset 99$/winner 5 1$"
               "/moveDir nan 0 0$/moveDir 0 0 1e300$/moveDir a b c$/INTconEst$/startGame$"
               "/corrMove 1 2$/monsterCorrMove$/plyName \x1b[31mEvil\x07$");
    ASSERT_TRUE(pumpUntil([&] { return network().getRemoteName() != "NotAvbl"; }));
    EXPECT_EQ(network().getRemoteName(), "[31mEvil");
    std::string burst;
    for (int i = 0; i < 100000; ++i)
        burst += "/moveDir 1 2 3$";
    peer.write(burst);
    bool bounded = true;
    ASSERT_TRUE(pumpUntil(
        [&] {
            bounded = bounded && network().incomingCount() <= CNetwork::kQueueLimit + 1;
            return network().getRemoteMovement() == Ogre::Vector3(1, 2, 3) &&
                   network().incomingCount() == 0;
        },
        20.0));
    EXPECT_TRUE(bounded);
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
    EXPECT_LT(residentKilobytes() - before, 64 * 1024);
}

TEST(ClientTest, refusedOrImpossibleConnectionsAreReportedAndAnotherStartWorks)
{
    CRecordingNetworkMenu menu;
    CNetwork& network = CNetwork::getSingleton();
    EXPECT_FALSE(network.start(CNetwork::ROLE_CLIENT, 4711, "not.an.address"));
    EXPECT_FALSE(network.start(3, 4711, "127.0.0.1"));
    EXPECT_TRUE(network.start(CNetwork::ROLE_CLIENT, unusedPort(), "127.0.0.1"));
    EXPECT_TRUE(pumpUntil([&] { return menu.saw("clientFailed"); }));

    // The failed client is released; serving now works with the same object.
    EXPECT_TRUE(network.start(CNetwork::ROLE_SERVER, 0, ""));
    CRawPeer peer;
    EXPECT_FALSE(peer.connect(network.getServerPort()));
    EXPECT_TRUE(pumpUntil([&] { return menu.saw("serverConnected"); }));
    CNetwork::destroySingleton();
}

} // namespace
