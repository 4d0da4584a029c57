// INetworkRound: what the network object tells the rules of a running network round. The game
// state provides it while it runs a network round; tests provide a recording one.
#pragma once

class INetworkRound
{
public:
    virtual ~INetworkRound() = default;

    // The peer reports a fall of its own player (server) or the server resets a player
    // (client).
    virtual void peerReset(int playerNumber) = 0;
    // Client only: the server decided the round, with the winner's number and time.
    virtual void serverDecided(int winnerNumber, double seconds) = 0;
};
