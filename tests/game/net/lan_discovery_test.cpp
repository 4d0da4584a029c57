// Servers on the local network: announcements read strictly, a bounded list that forgets quiet
// servers, and a real waiting server heard over UDP on a port of the test's own, beside a
// hostile announcer.
#include "game/net/lan_discovery.h"
#include "net_peer.h"

#include <gtest/gtest.h>

namespace {

const std::string kValid =
    "KIVO server 1\nid=0123456789abcdef\nport=4711\nname=Renée\nmap=01_first.kivom\n";

TEST(LanAnnouncementTest, onlyWhatAServerWouldSendIsRead)
{
    const auto with = [](const std::string& from, const std::string& to) {
        std::string text = kValid;
        return text.replace(text.find(from), from.size(), to);
    };
    const std::pair<std::string, bool> rows[] = {
        {kValid, true},
        {with("Renée", "A\tB$"), true}, // cleaned like a network name
        {with("port=4711", "port=0"), false},
        {with("port=4711", "port=65536"), false},
        {with("port=4711", "port=47x"), false},
        {with("01_first", "../first"), false},
        {with("01_first.kivom", ""), false},
        {with("01_first", "a\xff"), false},
        {with("id=0123456789abcdef", "id=0123"), false},
        {with("id=0123456789abcdef", "id=0123456789ABCDEF"), false},
        {with("KIVO server 1", "KIVO server 2"), false},
        {with("map=", "map=x\nmore="), false},
        {kValid.substr(0, kValid.size() - 1), false},
        {with("Renée", std::string(600, 'n')), false},
        {std::string(), false},
    };
    for (const auto& [text, valid] : rows) {
        lan::SAnnouncement server;
        EXPECT_EQ(lan::readAnnouncement(text, server), valid) << text;
        if (valid) {
            EXPECT_EQ(server.name.find_first_of("\t$"), std::string::npos);
        }
    }
    lan::SAnnouncement server;
    ASSERT_TRUE(lan::readAnnouncement(kValid, server));
    EXPECT_EQ(lan::announcement(server), kValid);
}

TEST(ServerListTest, aFloodNeitherGrowsTheListNorPushesOutServersAndQuietOnesGo)
{
    lan::CServerList list;
    lan::SAnnouncement real{"00000000000000aa", 4711, "Ann", "a.kivom"};
    list.heard(0.0, "::1", real);
    for (int fake = 0; fake < 5000; ++fake) {
        char id[17];
        std::snprintf(id, sizeof id, "%016x", fake + 1000);
        list.heard(0.1, "10.0.0." + std::to_string(fake % 250),
                   {id, static_cast<unsigned short>(1 + fake), "Fake", "f.kivom"});
    }
    EXPECT_EQ(list.servers().size(), lan::CServerList::kMaxServers);
    // The same server heard over IPv4 too: one entry, with the IPv4 address.
    EXPECT_TRUE(list.heard(3.0, "192.0.2.7", real));
    EXPECT_EQ(list.servers()[0].address, "192.0.2.7");
    EXPECT_TRUE(list.forget(4.7)) << "the fakes went quiet 4.6 s ago";
    ASSERT_EQ(list.servers().size(), 1u);
    EXPECT_FALSE(list.forget(7.5));
    EXPECT_TRUE(list.forget(7.6));
    EXPECT_TRUE(list.servers().empty());
}

unsigned short freeUdpPort()
{
    boost::asio::io_context io;
    boost::asio::ip::udp::socket socket(io, {boost::asio::ip::udp::v4(), 0});
    return socket.local_endpoint().port();
}

double seconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

TEST(LanDiscoveryTest, aWaitingServerIsListedBesideAHostileAnnouncerAndDropsOffWhenGone)
{
    const unsigned short port = freeUdpPort();
    lan::setDiscoveryPort(port);
    lan::CLanListener listener(port);
    ASSERT_TRUE(listener.isListening());
    CNetwork& network = CNetwork::getSingleton();
    ASSERT_TRUE(network.start(CNetwork::ROLE_SERVER, 0, ""));
    network.announce("Ann", "alpha.kivom");
    const double start = seconds();
    ASSERT_TRUE(pumpUntil([&] { return listener.poll(seconds()); }, 2.0));
    EXPECT_LT(seconds() - start, 2.0);
    ASSERT_EQ(listener.list().servers().size(), 1u);
    const lan::SServer& heard = listener.list().servers()[0];
    EXPECT_EQ(heard.announced.name, "Ann");
    EXPECT_EQ(heard.announced.map, "alpha.kivom");
    EXPECT_EQ(heard.announced.port, network.getServerPort());

    // Garbage, datagrams far too long, and thousands of made-up servers.
    boost::asio::io_context io;
    boost::asio::ip::udp::socket hostile(io, boost::asio::ip::udp::v4());
    const boost::asio::ip::udp::endpoint target(boost::asio::ip::address_v4::loopback(), port);
    hostile.send_to(boost::asio::buffer(std::string("\xff\x00garbage", 9)), target);
    hostile.send_to(boost::asio::buffer(std::string(60000, 'K')), target);
    for (int fake = 0; fake < 3000; ++fake) {
        char id[17];
        std::snprintf(id, sizeof id, "%016x", fake);
        hostile.send_to(boost::asio::buffer(lan::announcement(
                            {id, static_cast<unsigned short>(fake + 1), "Fake", "f.kivom"})),
                        target);
        if (fake % 200 == 0)
            listener.poll(seconds());
    }
    for (int poll = 0; poll < 30; ++poll)
        listener.poll(seconds());
    EXPECT_LE(listener.list().servers().size(), lan::CServerList::kMaxServers);
    EXPECT_EQ(listener.list().servers()[0].announced.name, "Ann");

    CNetwork::destroySingleton();
    const double gone = seconds();
    while (!listener.list().servers().empty() && seconds() - gone < 7.0) {
        listener.poll(seconds());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_LE(seconds() - gone, 5.0) << "a vanished server stays listed";
    lan::setDiscoveryPort(lan::kDiscoveryPort);
}

} // namespace
