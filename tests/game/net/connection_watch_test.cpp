// Keep-alives, a silent peer lost within six seconds in every phase, a connect without answer
// given up with the reason, and both address families served.
#include "net_peer.h"

#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::steady_clock;
using boost::asio::ip::tcp;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Serves, or connects to a raw server, and brings the connection to a phase.
void bringUp(bool server, CNetwork::Phase phase, CRawPeer& peer, tcp::acceptor& acceptor,
             CRecordingNetworkMenu& menu)
{
    CNetwork& network = CNetwork::getSingleton();
    if (server) {
        ASSERT_TRUE(network.start(CNetwork::ROLE_SERVER, 0, ""));
        ASSERT_FALSE(peer.connect(network.getServerPort()));
        ASSERT_TRUE(pumpUntil([&] { return menu.saw("serverConnected"); }));
        peer.write("/plyName Eve$/plyId 2$/mapAvbl$");
    } else {
        startClientOf(acceptor, peer);
        peer.write("/plyName Srv$/plyId 1$/mapName alpha.kivom$");
    }
    ASSERT_TRUE(pumpUntil([&] { return network.getPhase() == CNetwork::Phase::Waiting; }));
    if (phase == CNetwork::Phase::Round)
        network.beginServerRound();
}

TEST(ConnectionWatchTest, aSilentPeerIsLostWithinSixSecondsInEveryPhaseAndHearsKeepAlives)
{
    boost::asio::io_context io;
    tcp::acceptor acceptor(io, {tcp::v4(), 0});
    CRecordingNetworkMenu menu;
    // The server's wait dialog, the client waiting for the start, the round.
    const std::pair<bool, CNetwork::Phase> phases[] = {{true, CNetwork::Phase::Waiting},
                                                       {false, CNetwork::Phase::Waiting},
                                                       {true, CNetwork::Phase::Round}};
    for (const auto& [server, phase] : phases) {
        SCOPED_TRACE(std::string(server ? "server " : "client ") + std::to_string(int(phase)));
        menu.events.clear();
        CRawPeer peer;
        bringUp(server, phase, peer, acceptor, menu);
        const Clock::time_point silent = Clock::now();
        peer.received.clear();
        EXPECT_TRUE(peer.readUntil("/alive$", 2.0)) << "no keep-alive after a second of quiet";
        ASSERT_TRUE(pumpUntil([&] { return menu.saw("connectionLost"); }, 8.0));
        EXPECT_LE(secondsSince(silent), 6.0);
        EXPECT_GE(secondsSince(silent), 4.5) << "lost before five seconds of silence";
        CNetwork::destroySingleton();
    }
    // A peer that only keeps the line alive is never lost.
    CRawPeer peer;
    bringUp(true, CNetwork::Phase::Round, peer, acceptor, menu);
    for (const Clock::time_point start = Clock::now(); secondsSince(start) < 7.0;) {
        peer.write("/alive$");
        pumpUntil([] { return false; }, 0.9);
    }
    EXPECT_TRUE(CNetwork::getSingleton().isConnected());
    EXPECT_EQ(CNetwork::getSingleton().getRefusedCount(), 0u);
    CNetwork::destroySingleton();
}

TEST(ConnectionWatchTest, aConnectWithoutAnswerGivesUpWithinTenSecondsSayingWhy)
{
    // A server whose one-place backlog is full: further connects get no answer at all.
    boost::asio::io_context io;
    tcp::acceptor acceptor(io, {tcp::v4(), 0});
    acceptor.listen(0);
    const unsigned short port = acceptor.local_endpoint().port();
    CRawPeer first;
    ASSERT_FALSE(first.connect(port));
    CRecordingNetworkMenu menu;
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(CNetwork::getSingleton().start(CNetwork::ROLE_CLIENT, port, "127.0.0.1"));
    ASSERT_TRUE(pumpUntil([&] { return menu.events.size() == 1; }, 12.0));
    EXPECT_EQ(menu.events[0], "clientFailed No answer from 127.0.0.1 port " + std::to_string(port) +
                                  " within 10 seconds.");
    EXPECT_NEAR(secondsSince(start), 10.0, 0.5);
    CNetwork::destroySingleton();
}

TEST(ConnectionWatchTest, theServerIsReachedOverIPv6AndIPv4AndTheClientConnectsOverIPv6)
{
    boost::asio::io_context io;
    boost::system::error_code noIPv6;
    tcp::acceptor server(io);
    server.open(tcp::v6(), noIPv6);
    if (noIPv6 || server.bind({boost::asio::ip::address_v6::loopback(), 0}, noIPv6))
        GTEST_SKIP() << "this machine has no IPv6 loopback";
    server.listen();
    CRecordingNetworkMenu menu; // IPv4 clients: every other test
    ASSERT_TRUE(CNetwork::getSingleton().start(CNetwork::ROLE_SERVER, 0, ""));
    CRawPeer client;
    client.socket.connect(
        {boost::asio::ip::make_address("::1"), CNetwork::getSingleton().getServerPort()});
    EXPECT_TRUE(client.readUntil("/mapName alpha.kivom$"));
    CNetwork::destroySingleton();
    CNetwork::getSingleton().start(CNetwork::ROLE_CLIENT, server.local_endpoint().port(), "::1");
    CRawPeer peer;
    server.accept(peer.socket);
    EXPECT_TRUE(pumpUntil([&] { return menu.saw("clientConnected"); }));
    CNetwork::destroySingleton();
}

} // namespace
