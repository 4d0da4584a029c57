// The network object watching its connection on loopback: keep-alives while it has nothing to
// say, a silent peer reported lost within six seconds in every phase, a talking one kept, a
// connect that gets no answer given up with the reason, and both address families served.
#include "net_peer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A connection brought to one phase, with the raw peer on the other end.
struct SPhaseSetup
{
    const char* name;
    std::function<void(CRawPeer&)> bringUp;
};

void serveUntilIntroduced(CRawPeer& client, CRecordingNetworkMenu& menu)
{
    CNetwork& network = CNetwork::getSingleton();
    ASSERT_TRUE(network.start(CNetwork::ROLE_SERVER, 0, ""));
    ASSERT_FALSE(client.connect(network.getServerPort()));
    ASSERT_TRUE(pumpUntil([&] { return menu.saw("serverConnected"); }));
    client.write("/plyName Eve$/plyColor 3.0 3.0 3.0$/plyId 2$/mapAvbl$");
    ASSERT_TRUE(pumpUntil([&] { return network.getPhase() == CNetwork::Phase::Waiting; }));
}

TEST(ConnectionWatchTest, aSilentPeerIsLostWithinSixSecondsInEveryPhaseAndHearsKeepAlives)
{
    boost::asio::io_context io;
    boost::asio::ip::tcp::acceptor acceptor(io, {boost::asio::ip::tcp::v4(), 0});
    CRecordingNetworkMenu menu;
    const SPhaseSetup phases[] = {
        {"the server's wait dialog", [&](CRawPeer& peer) { serveUntilIntroduced(peer, menu); }},
        {"the client waiting for the start",
         [&](CRawPeer& peer) {
             CNetwork& network = CNetwork::getSingleton();
             network.start(CNetwork::ROLE_CLIENT, acceptor.local_endpoint().port(), "127.0.0.1");
             acceptor.accept(peer.socket);
             peer.write("/plyName Srv$/plyColor 3.0 3.0 3.0$/plyId 1$/mapName alpha.kivom$");
             ASSERT_TRUE(peer.readUntil("/mapAvbl$"));
         }},
        {"the round",
         [&](CRawPeer& peer) {
             serveUntilIntroduced(peer, menu);
             CNetwork::getSingleton().beginServerRound();
             ASSERT_TRUE(peer.readUntil("/startGame$"));
         }},
    };
    for (const SPhaseSetup& phase : phases) {
        SCOPED_TRACE(phase.name);
        menu.events.clear();
        CRawPeer peer;
        phase.bringUp(peer);
        const Clock::time_point silent = Clock::now();
        peer.received.clear();
        EXPECT_TRUE(peer.readUntil("/alive$", 2.0)) << "no keep-alive after a second of quiet";
        ASSERT_TRUE(pumpUntil([&] { return menu.saw("connectionLost"); }, 8.0));
        EXPECT_LE(secondsSince(silent), 6.0);
        EXPECT_GE(secondsSince(silent), 4.5) << "lost before five seconds of silence";
        CNetwork::destroySingleton();
    }
}

TEST(ConnectionWatchTest, aPeerThatOnlyKeepsTheLineAliveIsNeverLost)
{
    CRecordingNetworkMenu menu;
    CRawPeer client;
    serveUntilIntroduced(client, menu);
    const Clock::time_point start = Clock::now();
    while (secondsSince(start) < 7.0) {
        client.write("/alive$");
        pumpUntil([] { return false; }, 0.9);
    }
    EXPECT_FALSE(menu.saw("connectionLost"));
    EXPECT_TRUE(CNetwork::getSingleton().isConnected());
    EXPECT_EQ(CNetwork::getSingleton().getRefusedCount(), 0u);
    CNetwork::destroySingleton();
}

TEST(ConnectionWatchTest, aConnectWithoutAnswerGivesUpWithinTenSecondsSayingWhy)
{
    // A server whose one-place backlog is full: further connects get no answer at all.
    boost::asio::io_context io;
    boost::asio::ip::tcp::acceptor acceptor(io, {boost::asio::ip::tcp::v4(), 0});
    acceptor.listen(0);
    const unsigned short port = acceptor.local_endpoint().port();
    CRawPeer first;
    ASSERT_FALSE(first.connect(port));

    CRecordingNetworkMenu menu;
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(CNetwork::getSingleton().start(CNetwork::ROLE_CLIENT, port, "127.0.0.1"));
    const std::string expected = "clientFailed No answer from 127.0.0.1 port " +
                                 std::to_string(port) + " within 10 seconds.";
    ASSERT_TRUE(pumpUntil([&] { return menu.saw(expected); }, 12.0)) << menu.events.back();
    EXPECT_LE(secondsSince(start), 10.5);
    EXPECT_GE(secondsSince(start), 9.5);
    CNetwork::destroySingleton();
}

TEST(ConnectionWatchTest, theServerIsReachedOverIPv6AndIPv4AndTheClientConnectsOverIPv6)
{
    boost::asio::io_context io;
    boost::system::error_code noIPv6;
    boost::asio::ip::tcp::acceptor probe(io);
    probe.open(boost::asio::ip::tcp::v6(), noIPv6);
    if (!noIPv6)
        probe.bind({boost::asio::ip::address_v6::loopback(), 0}, noIPv6);
    if (noIPv6)
        GTEST_SKIP() << "this machine has no IPv6 loopback";
    probe.close();

    const boost::asio::ip::address addresses[] = {boost::asio::ip::address_v6::loopback(),
                                                  boost::asio::ip::address_v4::loopback()};
    for (const boost::asio::ip::address& address : addresses) {
        SCOPED_TRACE(address.to_string());
        CRecordingNetworkMenu menu;
        ASSERT_TRUE(CNetwork::getSingleton().start(CNetwork::ROLE_SERVER, 0, ""));
        CRawPeer client;
        client.socket.connect({address, CNetwork::getSingleton().getServerPort()});
        ASSERT_TRUE(pumpUntil([&] { return menu.saw("serverConnected"); }));
        EXPECT_TRUE(client.readUntil("/mapName alpha.kivom$"));
        CNetwork::destroySingleton();
    }

    boost::asio::ip::tcp::acceptor server(io, {boost::asio::ip::address_v6::loopback(), 0});
    CRecordingNetworkMenu menu;
    CNetwork::getSingleton().start(CNetwork::ROLE_CLIENT, server.local_endpoint().port(), "::1");
    CRawPeer peer;
    server.accept(peer.socket);
    ASSERT_TRUE(pumpUntil([&] { return menu.saw("clientConnected"); }));
    CNetwork::destroySingleton();
}

} // namespace
