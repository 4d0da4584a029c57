// Every command word as each side receives it in each phase: what a well-behaved peer sends is
// taken ("+") beside what is refused ("-") for its sender, phase or form; "=" rows are own steps.
#include "game/net/protocol.h"
#include "net_peer.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kCorrections = "/corrMove 0 2 0 0 0 0 0 0 0 2 2 0 0 0 0 0 0 0$";

class CommandTableTest : public CNetCourseTest
{
protected:
    void SetUp() override { scene.reset(newCourseScene("alpha.kivom", 1)); }

    // Rows separated by "|".
    void walk(const std::string& table)
    {
        CNetwork& network = CNetwork::getSingleton();
        std::stringstream rows(table);
        for (std::string row; std::getline(rows, row, '|');) {
            const std::string command = row.substr(1) == "CORR" ? kCorrections : row.substr(1);
            if (row == "=round") {
                network.beginServerRound();
            } else if (row == "=winner") {
                network.sendWinner(1, 12.5);
            } else {
                const std::uint64_t before = network.getRefusedCount();
                network.pushIncoming(command);
                network.dispatchIncoming();
                EXPECT_EQ(network.getRefusedCount() == before, row[0] == '+') << row;
            }
        }
    }
};

TEST_F(CommandTableTest, theClientTakesWhatTheServerSendsWhenItIsDue)
{
    boost::asio::io_context io;
    boost::asio::ip::tcp::acceptor acceptor(io, {boost::asio::ip::tcp::v4(), 0});
    CRawPeer server;
    startClientOf(acceptor, server);
    ASSERT_TRUE(pumpUntil([&] { return menu.saw("clientConnected"); }));
    // Introduction, waiting for the start, the round, after the winner.
    walk("+/plyName Srv$|+/plyName $|+/plyColor 3.0 3.0 3.0$|-/plyColor 1 2$|-/plyId 2$|"
         "-/plyId 3$|-/plyId$|-/plyId 1e9$|+/mapName gamma.kivom$|-/mapName $|-/mapAvbl$|"
         "-/moveDir 0 0 -40$|-CORR|-/reset 1$|-/winner 1 2.5$|-/startGame$|+/alive$|"
         "-/unknown 1$|+/plyId 1.5$|+/mapName alpha.kivom$|-/netVersion 0$|-/netVersion x$|"
         "+/netVersion 2$|+/ping 1$|-/pong 99999$|-/pong x$|-/state 1$");
    walk("-/moveDir 0 0 -40$|+/startGame$");
    walk("-/startGame$|-/plyName Other$|-/plyId 1$|-/mapName alpha.kivom$|+/moveDir 0 0 -40$|"
         "+/moveDir 1 2 3 4$|+/moveDir 0.100000001 0 1e3$|-/moveDir 1 2$|-/moveDir 0 nan 0$|"
         "-/moveDir 0 inf 0$|-/moveDir 0 0 1e7$|-/moveDir 0 0x10 0$|-/moveDir 0  0 0$|+CORR|"
         "-/corrMove 1 2 3$|+/monsterCorrMove$|+/reset 1$|+/reset 2$|-/reset 3$|-/reset x$|"
         "-/reset 1.5$|-/state 1 0 0 2$|+/state 1 0 0 2 0 0 0 0 0 0 0$|-/netVersion 2$|"
         "-/winner 3 1$|-/winner 1$|-/winner 1 inf$|+/winner 2 12.25$");
    walk("-/winner 1 1$|-/moveDir 0 0 -40$|-CORR|-/reset 2$|+/alive$|-/state 2$");
    EXPECT_EQ(CNetwork::getSingleton().getRemoteName(), "");
    EXPECT_EQ(CNetwork::getSingleton().getAgreedMap(), "alpha.kivom");
    EXPECT_TRUE(menu.saw("map gamma.kivom missing"));
}

TEST_F(CommandTableTest, theServerTakesOnlyTheClientsOwnPartWhenItIsDue)
{
    ASSERT_TRUE(CNetwork::getSingleton().start(CNetwork::ROLE_SERVER, 0, ""));
    CRawPeer client;
    ASSERT_FALSE(client.connect(CNetwork::getSingleton().getServerPort()));
    ASSERT_TRUE(pumpUntil([&] { return menu.saw("serverConnected"); }));
    // The menu has offered "alpha.kivom": one answer counts.
    walk("+/plyName Cli$|+/netVersion 2$|+/plyColor 3.0 3.0 3.0$|-/plyId 1$|-/mapName alpha.kivom$|"
         "-/moveDir 0 0 -40$|-/startGame$|+/mapAvbl$|-/mapNotAvbl$|+/plyId 2$");
    walk("+/plyName Cli$|-/startGame$|-/reset 2$|=round");
    walk("+/moveDir 0 0 -40$|-/moveDir 0 0 1e9$|-CORR|-/monsterCorrMove$|-/winner 2 1$|"
         "-/reset 1$|+/reset 2$|-/startGame$|-/mapAvbl$|+/alive$|-/state 1$|+/ping 2$|=winner");
    walk("-/moveDir 0 0 -40$|-/reset 2$|+/alive$");
    EXPECT_EQ(CNetwork::getSingleton().getRemoteNumber(), 2);
    EXPECT_TRUE(menu.saw("map alpha.kivom agreed"));
}

TEST(ProtocolReaderTest, namesAreReadBackCleanedAndCutWhole)
{
    std::string name;
    EXPECT_TRUE(protocol::readPlayerName(protocol::playerNameCommand("Renée\t Ω$x"), name));
    EXPECT_EQ(name, "Renée Ωx");
    EXPECT_EQ(protocol::cleanName("A\x1b[2Jn\xc2\x85\xff"), "A[2Jn\ufffd");
    EXPECT_EQ(protocol::cleanName("x" + std::string(20, ' ') + "éééééé").size(), 31u);
}

} // namespace
