// The network pages: opening a server with its wait dialog, connecting as client, the player
// information both sides send, the network round of either side, and the answers to the network
// object's connection events.
#include "game/menu/game_menu.h"

#include "game/core/application.h"
#include "game/core/game_state.h"
#include "game/input/player.h"
#include "game/menu/menu_log.h"
#include "game/net/network.h"
#include "game/net/network_player.h"
#include "game/net/protocol.h"

#include <CEGUI/CEGUI.h>

#include <cstdlib>

namespace {
const char* const kFirstCamera = "firstCamera";
const char* const kPlayerColour = "3.0 3.0 3.0";

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
    const int port = portFromText(getWindow("Network/Server/Port")->getText().c_str());
    CNetwork& network = CNetwork::getSingleton();
    network.start(CNetwork::ROLE_SERVER, port, "");
    logMenuEvent("serving on port " + std::to_string(network.getServerPort()));
}

void CGameMenu::connectToServer()
{
    const std::string address = getWindow("Network/Client/IP")->getText().c_str();
    const int port = portFromText(getWindow("Network/Client/Port")->getText().c_str());
    logMenuEvent("connecting to " + address + " port " + std::to_string(port));
    CNetwork::getSingleton().start(CNetwork::ROLE_CLIENT, port, address);
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
    network.pushLocal("/plyName " + std::string(getWindow(nameField)->getText().c_str()) + "$");
    network.pushLocal(std::string("/plyColor ") + kPlayerColour + "$");
    network.pushLocal("/plyId " +
                      std::to_string(server ? protocol::kServerPlayer : protocol::kClientPlayer) +
                      "$");
    if (server)
        network.pushLocal("/mapName " +
                          std::string(getWindow("Network/Server/MapDropdown")->getText().c_str()) +
                          "$");
}

void CGameMenu::startNetworkRound()
{
    getWindow("Message")->setVisible(false);
    getWindow("Message/WaitForClientDialog")->setVisible(false);
    const std::string name = getWindow("Network/Server/Playername")->getText().c_str();
    const std::string map = getWindow("Network/Server/MapDropdown")->getText().c_str();
    if (!startNetworkRoundAs(protocol::kServerPlayer, name, map))
        return;
    CNetwork::getSingleton().pushLocal("/startGame$");
}

void CGameMenu::startClientRound()
{
    // A round of this side runs already: a repeated start is not obeyed.
    if (dynamic_cast<CGameState*>(CApplication::getInstance()->getActiveListener()))
        return;
    const std::string name = getWindow("Network/Client/Playername")->getText().c_str();
    startNetworkRoundAs(protocol::kClientPlayer, name, CNetwork::getSingleton().getAgreedMap());
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

void CGameMenu::clientFailed()
{
    showMessage(kErrorMessage, "No Client found", "Client could not be found! Aborting.");
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
