// The network pages with a real network object on loopback: the wait dialog, the player
// information each side sends, the map check, the error boxes and the lost connection.
#include "game/net/lan_discovery.h"
#include "gui_fixture.h"
#include "net_peer.h"

#include <CEGUI/CEGUI.h>

namespace {

class NetworkPagesTest : public CGuiFixture
{
protected:
    void TearDown() override
    {
        CNetwork::destroySingleton();
        CGuiFixture::TearDown();
    }
    void setText(const std::string& name, const std::string& value)
    {
        window(name)->setText(value);
    }
    bool enabled(const std::string& name) { return !window(name)->isDisabled(); }
    void expectBox(const std::string& title, const std::string& message)
    {
        EXPECT_TRUE(visible("Message/GeneralMessageBox"));
        EXPECT_EQ(text("Message/GeneralMessageBox"), title);
        EXPECT_EQ(text("Message/GeneralMessageBox/Text"), message);
    }
};

TEST_F(NetworkPagesTest, serverWaitsForItsClientTellsItAllAndReturnsToTheMenuWhenItLeaves)
{
    setText("Network/Server/Port", "not a number");
    setText("Network/Server/Playername", "Ann");
    click("Network/Server/ButtonStart");
    EXPECT_TRUE(visible("Message/WaitForClientDialog"));
    EXPECT_FALSE(enabled("Message/WaitForClientDialog/ButtonStart"));
    const unsigned short port = CNetwork::getSingleton().getServerPort();
    ASSERT_NE(port, 0) << "a port field without a number lets the system choose";

    CRawPeer peer;
    ASSERT_FALSE(peer.connect(port));
    ASSERT_TRUE(peer.readUntil("/mapName alpha.kivom$"));
    EXPECT_EQ(peer.received, "/netVersion 2$/plyName Ann$/plyColor 3.0 3.0 3.0$/plyId 1$"
                             "/mapName alpha.kivom$");
    EXPECT_TRUE(enabled("Message/WaitForClientDialog/ButtonStart"));
    // The end of a network round offers no restart of one side alone.
    mMenu->showWinner(nullptr, 1.0, -1);
    EXPECT_FALSE(enabled("HUD/ButtonRestartGame"));

    peer.socket.close();
    ASSERT_TRUE(pumpUntil([&] { return visible("Message/GeneralMessageBox"); }));
    expectBox("Connection broken", "Connection to remote host lost!");
    EXPECT_FALSE(visible("Message/WaitForClientDialog"));
    EXPECT_FALSE(CNetwork::hasInstance());
}

TEST_F(NetworkPagesTest, clientSendsNoMapButAnswersTheServersAndReportsAServerThatIsNotThere)
{
    boost::asio::io_context io;
    boost::asio::ip::tcp::acceptor acceptor(io, {boost::asio::ip::tcp::v4(), 0});
    setText("Network/Client/IP", "127.0.0.1");
    setText("Network/Client/Port", std::to_string(acceptor.local_endpoint().port()));
    setText("Network/Client/Playername", "Cy");
    click("Network/Client/ButtonConnect");
    CRawPeer server;
    acceptor.accept(server.socket);
    ASSERT_TRUE(server.readUntil("/plyId 2$"));
    EXPECT_EQ(server.received, "/netVersion 2$/plyName Cy$/plyColor 3.0 3.0 3.0$/plyId 2$");

    server.write("/plyName Srv$/plyColor 3.0 3.0 3.0$/plyId 1$/mapName beta.kivom$");
    ASSERT_TRUE(server.readUntil("/mapAvbl$"));
    EXPECT_EQ(text("HUD/NamePlayer1"), "Srv");
    EXPECT_EQ(CNetwork::getSingleton().getAgreedMap(), "beta.kivom");
    server.write("/mapName gamma.kivom$");
    ASSERT_TRUE(server.readUntil("/mapNotAvbl$"));
    EXPECT_EQ(CNetwork::getSingleton().getAgreedMap(), "beta.kivom");
    expectBox("Map missing", "The server chose the map \"gamma.kivom\", which this game does not "
                             "have. The server's player has to choose another one.");
    // The server starts anyway (an older game would): the client refuses, naming the map.
    server.write("/startGame$");
    ASSERT_TRUE(pumpUntil([&] { return !CNetwork::hasInstance(); }));
    expectBox("Cannot start the game",
              "The server started a round on the map \"gamma.kivom\", which this game does not "
              "have.");
    click("Message/GeneralMessageBox/ConfirmButton");

    const unsigned short port = unusedPort();
    setText("Network/Client/Port", std::to_string(port));
    click("Network/Client/ButtonConnect");
    ASSERT_TRUE(pumpUntil([&] { return !CNetwork::hasInstance(); }));
    expectBox("No Client found", "No game is serving at 127.0.0.1 port " + std::to_string(port) +
                                     " (Connection refused).");
    // An address or port that cannot be used is refused at once, saying why.
    for (const char* portText : {"70000", "x"}) {
        setText("Network/Client/Port", portText);
        click("Network/Client/ButtonConnect");
        expectBox("No Client found", "The port must be a number from 1 to 65535.");
    }
    setText("Network/Client/IP", "server.example");
    click("Network/Client/ButtonConnect");
    expectBox("No Client found", "\"server.example\" is no IP address. Enter the server's "
                                 "address, such as 192.168.1.20 or ::1.");
    EXPECT_FALSE(CNetwork::getSingleton().isConnected());
}

TEST_F(NetworkPagesTest, theServersStartIsRefusedSayingWhyUntilTheClientHasTheMap)
{
    setText("Network/Server/Port", "0");
    click("Network/Server/ButtonStart");
    CRawPeer peer;
    ASSERT_FALSE(peer.connect(CNetwork::getSingleton().getServerPort()));
    ASSERT_TRUE(peer.readUntil("/mapName alpha.kivom$"));
    // What the client has sent so far, and what the server's player is told on Start.
    const std::pair<const char*, const char*> steps[] = {
        {"", "The other player has not introduced itself yet. Try again in a moment."},
        {"/plyName Cy$/plyId 2$", "The other player has not yet said whether it has the map "
                                  "\"alpha.kivom\". Try again in a moment."},
        {"/mapNotAvbl$",
         "The other player does not have the map \"alpha.kivom\". Choose a map you both have."},
    };
    for (const auto& [sent, message] : steps) {
        peer.write(sent);
        pumpUntil([] { return false; }, 0.2);
        click("Message/WaitForClientDialog/ButtonStart");
        expectBox("Cannot start the game", message);
        click("Message/GeneralMessageBox/ConfirmButton");
        EXPECT_TRUE(visible("Message/WaitForClientDialog"));
    }
    // Another map chosen after the offer: the client is asked again before any start.
    chooseInDropdown("Network/Server/MapDropdown", "beta.kivom");
    click("Message/WaitForClientDialog/ButtonStart");
    expectBox("Cannot start the game", "The other player is being asked whether it has the map "
                                       "\"beta.kivom\". Press Start again in a moment.");
    ASSERT_TRUE(peer.readUntil("/mapName beta.kivom$"));
    EXPECT_EQ(CNetwork::getSingleton().getMapAnswer(), CNetwork::MapAnswer::None);
    EXPECT_EQ(CNetwork::getSingleton().getRefusedCount(), 0u);
}

TEST_F(NetworkPagesTest, aMissingDeviceRefusesTheNetworkRoundLikeALocalOne)
{
    // The Wii Remote was there when chosen and is gone now.
    window("Settings/Inputsettings1/Player1UseWiiMote")->setMutedState(true);
    select("Settings/Inputsettings1/Player1UseWiiMote");
    window("Settings/Inputsettings1/Player1UseWiiMote")->setMutedState(false);
    setText("Network/Server/Port", "0");
    click("Network/Server/ButtonStart");
    CRawPeer peer;
    ASSERT_FALSE(peer.connect(CNetwork::getSingleton().getServerPort()));
    peer.write("/plyName Cy$/plyColor 3.0 3.0 3.0$/plyId 2$");
    ASSERT_TRUE(peer.readUntil("/mapName alpha.kivom$"));
    peer.write("/mapAvbl$");
    ASSERT_TRUE(pumpUntil(
        [] { return CNetwork::getSingleton().getMapAnswer() == CNetwork::MapAnswer::Available; }));
    click("Message/WaitForClientDialog/ButtonStart");
    EXPECT_EQ(mMenu->getCurrentPage(), "Settings");
    EXPECT_NE(text("Settings/Inputsettings1/StatusTextRed"), "");
    EXPECT_FALSE(visible("Message/WaitForClientDialog"));
    EXPECT_FALSE(CNetwork::hasInstance()) << "the peer learns it from the closed connection";
}

TEST_F(NetworkPagesTest, theClientPageListsServersHeardAndChoosingOneFillsAddressAndPort)
{
    boost::asio::io_context io;
    const unsigned short port = [&] {
        boost::asio::ip::udp::socket probe(io, {boost::asio::ip::udp::v4(), 0});
        return probe.local_endpoint().port();
    }();
    boost::asio::ip::udp::socket announcer(io, boost::asio::ip::udp::v4());
    lan::setDiscoveryPort(port);
    const std::string announced =
        lan::announcement({"00000000000000ab", 5123, "Bea", "beta.kivom"});
    mMenu->showPage("Network");
    auto* list = static_cast<CEGUI::Listbox*>(window("Network/Client/ServerList"));
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (list->getItemCount() == 0 && std::chrono::steady_clock::now() < end) {
        announcer.send_to(boost::asio::buffer(announced),
                          {boost::asio::ip::address_v4::loopback(), port});
        CEGUI::System::getSingleton().getDefaultGUIContext().injectTimePulse(0.05f);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    lan::setDiscoveryPort(lan::kDiscoveryPort);
    ASSERT_EQ(list->getItemCount(), 1u);
    EXPECT_EQ(guitext::fromGui(list->getListboxItemFromIndex(0)->getText()),
              "Bea – beta.kivom (127.0.0.1 port 5123)");
    list->setItemSelectState(static_cast<size_t>(0), true);
    EXPECT_EQ(text("Network/Client/IP"), "127.0.0.1");
    EXPECT_EQ(text("Network/Client/Port"), "5123");
}

} // namespace
