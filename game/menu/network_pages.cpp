// The network pages: opening a server with its wait dialog, connecting as client, the player
// information both sides send, the network round of either side, and the answers to the network
// object's connection events.
#include "game/menu/game_menu.h"

#include "game/core/application.h"
#include "game/core/game_state.h"
#include "game/input/player.h"
#include "game/menu/gui_text.h"
#include "game/menu/menu_log.h"
#include "game/net/lan_discovery.h"
#include "game/net/network.h"
#include "game/net/network_player.h"
#include "game/net/protocol.h"

#include <CEGUI/CEGUI.h>

#include <boost/asio/ip/address.hpp>

#include <chrono>
#include <cstdlib>

using guitext::windowText;

namespace {
const char* const kFirstCamera = "firstCamera";
const char* const kNoRoundTitle = "Cannot start the game";
const char* const kServerList = "Network/Client/ServerList";
const char* const kSelectionBrush = "TaharezLook/MultiListSelectionBrush";

// The number in a port field; text that is not a number gives 0 (the system picks a port).
int portFromText(const std::string& text)
{
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}
} // namespace

void CGameMenu::startServer()
{
    getWindow("Message")->setVisible(true);
    CEGUI::Window* dialog = getWindow("Message/WaitForClientDialog");
    dialog->setVisible(true);
    dialog->moveToFront();
    setUsable(getWindow("Message/WaitForClientDialog/ButtonStart"), false);
    const int port = portFromText(windowText(getWindow("Network/Server/Port")));
    CNetwork& network = CNetwork::getSingleton();
    if (!network.start(CNetwork::ROLE_SERVER, port, "")) {
        serverFailed();
        return;
    }
    logMenuEvent("serving on port " + std::to_string(network.getServerPort()));
    network.announce(windowText(getWindow("Network/Server/Playername")),
                     windowText(getWindow("Network/Server/MapDropdown")));
}

bool CGameMenu::onClientPageUpdated(const CEGUI::EventArgs&)
{
    updateServerList(
        std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count());
    return true;
}

void CGameMenu::updateServerList(double now)
{
    if (!mLanListener)
        mLanListener = std::make_unique<lan::CLanListener>(lan::discoveryPort());
    if (!mLanListener->poll(now))
        return;
    auto* list = static_cast<CEGUI::Listbox*>(getWindow(kServerList));
    const CEGUI::ListboxItem* selected = list->getFirstSelectedItem();
    const std::string chosenId =
        selected ? static_cast<const lan::SServer*>(selected->getUserData())->announced.id
                 : std::string();
    list->resetList();
    const std::vector<lan::SServer>& servers = mLanListener->list().servers();
    for (const lan::SServer& server : servers) {
        const std::string text = server.announced.name + " – " + server.announced.map + " (" +
                                 server.address + " port " + std::to_string(server.announced.port) +
                                 ")";
        auto* item = new CEGUI::ListboxTextItem(guitext::toShown(text, list->getFont()));
        item->setTextParsingEnabled(false);
        item->setSelectionBrushImage(kSelectionBrush);
        // The list's entries stay in place until the next change, which rebuilds the items.
        item->setUserData(const_cast<lan::SServer*>(&server));
        list->addItem(item);
        if (server.announced.id == chosenId)
            list->setItemSelectState(item, true);
    }
}

bool CGameMenu::onServerChosen(const CEGUI::EventArgs&)
{
    const auto* list = static_cast<CEGUI::Listbox*>(getWindow(kServerList));
    const CEGUI::ListboxItem* item = list->getFirstSelectedItem();
    if (!item)
        return true;
    const auto* server = static_cast<const lan::SServer*>(item->getUserData());
    guitext::setWindowText(getWindow("Network/Client/IP"), server->address);
    guitext::setWindowText(getWindow("Network/Client/Port"),
                           std::to_string(server->announced.port));
    return true;
}

void CGameMenu::connectToServer()
{
    const std::string address = windowText(getWindow("Network/Client/IP"));
    const int port = portFromText(windowText(getWindow("Network/Client/Port")));
    boost::system::error_code error;
    boost::asio::ip::make_address(address, error);
    if (error) {
        showMessage(kErrorMessage, "No Client found",
                    "\"" + address +
                        "\" is no IP address. Enter the server's address, such as "
                        "192.168.1.20 or ::1.");
        return;
    }
    if (port <= 0 || port > 65535) {
        showMessage(kErrorMessage, "No Client found", "The port must be a number from 1 to 65535.");
        return;
    }
    logMenuEvent("connecting to " + address + " port " + std::to_string(port));
    if (!CNetwork::getSingleton().start(CNetwork::ROLE_CLIENT, port, address))
        clientFailed("Could not connect to " + address + " port " + std::to_string(port) + ".");
}

void CGameMenu::cancelWaitForClient()
{
    CNetwork::destroySingleton();
    getWindow("Message")->setVisible(false);
    getWindow("Message/WaitForClientDialog")->setVisible(false);
}

void CGameMenu::sendPlayerInfo(bool server)
{
    CNetwork& network = CNetwork::getSingleton();
    const char* nameField = server ? "Network/Server/Playername" : "Network/Client/Playername";
    network.pushLocal(protocol::playerNameCommand(windowText(getWindow(nameField))));
    network.pushLocal(protocol::playerColourCommand());
    network.pushLocal(
        protocol::playerIdCommand(server ? protocol::kServerPlayer : protocol::kClientPlayer));
    if (server)
        network.offerMap(windowText(getWindow("Network/Server/MapDropdown")));
}

std::string CGameMenu::networkStartRefusal()
{
    CNetwork& network = CNetwork::getSingleton();
    if (!network.isConnected())
        return "The other player is not connected.";
    if (network.getPhase() != CNetwork::Phase::Waiting)
        return "The other player has not introduced itself yet. Try again in a moment.";
    const std::string chosen = windowText(getWindow("Network/Server/MapDropdown"));
    if (chosen != network.getOfferedMap()) {
        // The player chose another map after the client was asked: ask again.
        network.offerMap(chosen);
        return "The other player is being asked whether it has the map \"" + chosen +
               "\". Press Start again in a moment.";
    }
    switch (network.getMapAnswer()) {
    case CNetwork::MapAnswer::Available:
        return std::string();
    case CNetwork::MapAnswer::Missing:
        return "The other player does not have the map \"" + chosen +
               "\". Choose a map you both have.";
    case CNetwork::MapAnswer::None:
        break;
    }
    return "The other player has not yet said whether it has the map \"" + chosen +
           "\". Try again in a moment.";
}

void CGameMenu::startNetworkRound()
{
    const std::string refusal = networkStartRefusal();
    if (!refusal.empty()) {
        showMessage(kErrorMessage, kNoRoundTitle, refusal);
        return;
    }
    getWindow("Message")->setVisible(false);
    getWindow("Message/WaitForClientDialog")->setVisible(false);
    const std::string name = windowText(getWindow("Network/Server/Playername"));
    if (!startNetworkRoundAs(protocol::kServerPlayer, name,
                             CNetwork::getSingleton().getOfferedMap()))
        return;
    CNetwork::getSingleton().beginServerRound();
}

bool CGameMenu::startClientRound()
{
    CNetwork& network = CNetwork::getSingleton();
    if (network.getMapAnswer() != CNetwork::MapAnswer::Available) {
        const std::string map = network.getOfferedMap();
        CNetwork::destroySingleton();
        showMessage(kErrorMessage, kNoRoundTitle,
                    "The server started a round on the map \"" + map +
                        "\", which this game does not have.");
        return false;
    }
    const std::string name = windowText(getWindow("Network/Client/Playername"));
    return startNetworkRoundAs(protocol::kClientPlayer, name, network.getAgreedMap());
}

bool CGameMenu::startNetworkRoundAs(int localNumber, const std::string& localName,
                                    const std::string& mapName)
{
    bool deviceMissing = false;
    std::unique_ptr<CPlayer> local = createPlayer(localNumber, deviceMissing);
    if (!local) {
        // Without a local player there is no round; the peer learns it from the closed
        // connection.
        CNetwork::destroySingleton();
        return false;
    }
    local->setName(localName);
    auto remote = std::make_unique<CNetworkPlayer>();
    remote->setPlayerNumber(localNumber == protocol::kServerPlayer ? protocol::kClientPlayer
                                                                   : protocol::kServerPlayer);
    remote->initInput();
    remote->setName(CNetwork::getSingleton().getRemoteName());
    const std::string remoteName = remote->getName();
    const int remoteNumber = remote->getPlayerNumber();

    // Ball index = player number - 1 on both machines: the server's player comes first.
    std::vector<std::unique_ptr<CPlayer>> players;
    if (localNumber == protocol::kServerPlayer) {
        players.push_back(std::move(local));
        players.push_back(std::move(remote));
    } else {
        players.push_back(std::move(remote));
        players.push_back(std::move(local));
    }
    const std::array<std::string, 4> cameras = {kFirstCamera, "", "", ""};
    if (!startRound(std::move(players), mapName, cameras, kSingleViewport, localNumber)) {
        CNetwork::destroySingleton();
        return false;
    }
    setHudPlayerName(localName, localNumber);
    setHudPlayerName(remoteName, remoteNumber);
    enterRound(protocol::kPlayerCount);
    stackHudLabels();
    logMenuEvent("network round as player " + std::to_string(localNumber) + " against \"" +
                 remoteName + "\"");
    return true;
}

void CGameMenu::stackHudLabels()
{
    // Both players share one view: the second player's name and time go below the first's
    // instead of on top of them.
    CEGUI::Window* name1 = getWindow("HUD/NamePlayer1");
    CEGUI::Window* time1 = getWindow("HUD/TimePlayer1");
    const CEGUI::UDim pair = (time1->getYPosition() - name1->getYPosition()) * 2.0f;
    getWindow("HUD/NamePlayer2")->setYPosition(name1->getYPosition() + pair);
    getWindow("HUD/TimePlayer2")->setYPosition(time1->getYPosition() + pair);
}

// ------------------------------------------------------------------ the network object's events

void CGameMenu::serverConnected()
{
    setUsable(getWindow("Message/WaitForClientDialog/ButtonStart"), true);
    logMenuEvent("client connected");
    sendPlayerInfo(true);
}

void CGameMenu::clientConnected()
{
    logMenuEvent("connected to the server");
    sendPlayerInfo(false);
}

void CGameMenu::serverFailed()
{
    showMessage(kErrorMessage, "Failure while starting Server",
                "Server could not be started! Aborting.");
}

void CGameMenu::clientFailed(const std::string& reason)
{
    showMessage(kErrorMessage, "No Client found",
                reason.empty() ? "Client could not be found! Aborting." : reason);
    CNetwork::destroySingleton();
}

void CGameMenu::connectionLost()
{
    getWindow("Message/WaitForClientDialog")->setVisible(false);
    abortToMenu("Connection broken", "Connection to remote host lost!");
}

void CGameMenu::showRemoteName(const std::string& name, int playerNumber)
{
    if (playerNumber < 1 || playerNumber > kPlayerCount)
        return;
    setHudPlayerName(name, playerNumber);
    logMenuEvent("peer \"" + name + "\" is player " + std::to_string(playerNumber));
}

void CGameMenu::mapChecked(const std::string& mapName, bool available)
{
    logMenuEvent("map \"" + mapName + "\" " + (available ? "agreed" : "missing on the client"));
    if (!available && CNetwork::getSingleton().getRole() == CNetwork::ROLE_CLIENT)
        showMessage(kErrorMessage, "Map missing",
                    "The server chose the map \"" + mapName +
                        "\", which this game does not have. The server's player has to "
                        "choose another one.");
}
