// CNetworkPlayer: the peer's player in a network round. Its steering is whatever the peer last
// sent, and it sends the local player's steering to the peer every update.
#pragma once

#include "game/input/player.h"

class CNetwork;

class CNetworkPlayer : public CPlayer
{
public:
    CNetworkPlayer() = default;
    ~CNetworkPlayer() override = default;

    // Takes the peer's name, number and steering.
    void getDirection(Ogre::Vector3& direction) override;
    // Queues the local player's steering for the peer.
    bool otherPlayerDirection(const Ogre::Vector3& direction) override;
    // Finds the network object; always true.
    bool initInput() override;

private:
    CNetwork* mNetwork = nullptr;
};
