// INetworkMenu: what the network object asks of the menu when it handles connection events and
// the peer's commands. The game menu provides it; tests provide a recording one.
#pragma once

#include <string>
#include <vector>

class INetworkMenu
{
public:
    virtual ~INetworkMenu() = default;

    // The server accepted its client / the client reached its server.
    virtual void serverConnected() = 0;
    virtual void clientConnected() = 0;
    // Listening or accepting failed / the client could not connect.
    virtual void serverFailed() = 0;
    virtual void clientFailed() = 0;
    // The server started the round: the client builds its own.
    virtual void startClientRound() = 0;
    // The connection broke: the round and the network end, the main menu returns.
    virtual void connectionLost() = 0;
    // The peer's player name for the HUD label of its player number.
    virtual void showRemoteName(const std::string& name, int playerNumber) = 0;
    // The map file names this game has.
    virtual const std::vector<std::string>& getMapList() const = 0;
};

// The menu the network object reports to (nullptr: none, the events are only logged).
void setNetworkMenu(INetworkMenu* menu);
INetworkMenu* getNetworkMenu();
