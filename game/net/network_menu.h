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
    // Listening or accepting failed / the client could not connect, with the reason in the
    // player's words.
    virtual void serverFailed() = 0;
    virtual void clientFailed(const std::string& reason) = 0;
    // The server started the round: the client builds its own. False when it could not (the
    // menu has told its player why).
    virtual bool startClientRound() = 0;
    // The connection broke or the peer fell silent: the round and the network end, the main
    // menu returns.
    virtual void connectionLost() = 0;
    // The peer's player name for the HUD label of its player number.
    virtual void showRemoteName(const std::string& name, int playerNumber) = 0;
    // The map the server offered, and whether the client has it: on the server when the
    // client's answer arrives, on the client when it has answered.
    virtual void mapChecked(const std::string& mapName, bool available) = 0;
    // The map file names this game has.
    virtual const std::vector<std::string>& getMapList() const = 0;
};

// The menu the network object reports to (nullptr: none, the events are only logged).
void setNetworkMenu(INetworkMenu* menu);
INetworkMenu* getNetworkMenu();
