// The network object's life and its outgoing queue.
#include "game/net/network.h"

#include "game/core/application.h"

#include <OgreRoot.h>

#include <iostream>

namespace {
CNetwork* gNetwork = nullptr;
}

CNetwork& CNetwork::getSingleton()
{
    if (!gNetwork)
        gNetwork = new CNetwork();
    return *gNetwork;
}

bool CNetwork::hasInstance()
{
    return gNetwork != nullptr;
}

void CNetwork::destroyInstance()
{
    CNetwork* network = gNetwork;
    if (!network)
        return;
    gNetwork = nullptr;
    // The instance may be ending from inside its own frame callback, so while the application
    // runs a frame loop it goes to the destroy list.
    if (Ogre::Root* root = Ogre::Root::getSingletonPtr())
        root->removeFrameListener(network);
    if (CApplication::hasInstance())
        CApplication::getInstance()->destroyLater(network);
    else
        delete network;
}

CNetwork::~CNetwork()
{
    if (gNetwork == this)
        gNetwork = nullptr;
}

bool CNetwork::pushLocal(const std::string& command)
{
    if (command.empty() || command.front() != '/' || command.back() != '$')
        return false;
    std::lock_guard<std::mutex> lock(mLocalLock);
    if (mLocalQueue.size() > kQueueLimit) {
        mLocalQueue.pop_front();
        std::cout << "Lokale Befehlswarteschlange: Ueberlauf!" << std::endl;
    }
    mLocalQueue.push_back(command);
    return true;
}

std::vector<std::string> CNetwork::takeLocalQueue()
{
    std::lock_guard<std::mutex> lock(mLocalLock);
    std::vector<std::string> commands(mLocalQueue.begin(), mLocalQueue.end());
    mLocalQueue.clear();
    return commands;
}

void CNetwork::sendWinner(int, double)
{
    // Only the server of a connected game announces the winner; without a connection there is
    // no peer to tell.
    if (!isConnected())
        return;
}
