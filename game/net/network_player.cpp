// The peer's player: steering in from the network, the local steering out to it.
#include "game/net/network_player.h"

#include "game/net/network.h"
#include "game/net/protocol.h"

bool CNetworkPlayer::initInput()
{
    mNetwork = &CNetwork::getSingleton();
    return true;
}

void CNetworkPlayer::getDirection(Ogre::Vector3& direction)
{
    // The network object of this round may have ended (the connection broke this frame).
    if (!mNetwork || !CNetwork::hasInstance() || &CNetwork::getSingleton() != mNetwork) {
        direction = Ogre::Vector3::ZERO;
        return;
    }
    mName = mNetwork->getRemoteName();
    if (mNetwork->getRemoteNumber() != 0)
        mPlayerNumber = mNetwork->getRemoteNumber();
    direction = mNetwork->getRemoteMovement();
}

bool CNetworkPlayer::otherPlayerDirection(const Ogre::Vector3& direction)
{
    if (mNetwork && CNetwork::hasInstance() && &CNetwork::getSingleton() == mNetwork)
        mNetwork->sendToPeer(protocol::moveDirCommand(direction));
    return true;
}
