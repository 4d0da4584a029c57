// The network object: its two queues, and on real loopback
// sockets the handshake, one client only, one write in flight, and a peer that fakes connection
// events or never ends its command.
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
    EXPECT_EQ(peer.received,
              "/netVersion 2$/plyName Ann$/plyColor 3.0 3.0 3.0$/plyId 1$/mapName alpha.kivom$");

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

TEST_F(HostTest, aPeerCannotFakeConnectionEventsAndABrokenStreamEndsTheConnection)
{
    peer.write("\x01\x02garbage\xff$/INTconEst$/INTsrerr$/plyName \x1b[31mEvil\x07$");
    ASSERT_TRUE(pumpUntil([&] { return network().getRemoteName() != "NotAvbl"; }));
    EXPECT_EQ(network().getRemoteName(), "[31mEvil");
    EXPECT_EQ(std::count(menu.events.begin(), menu.events.end(), "serverConnected"), 1);
    EXPECT_FALSE(menu.saw("connectionLost"));
    EXPECT_EQ(network().getRefusedCount(), 3u);

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
