// The network object: its life, the I/O thread, the two command queues, the per-frame step and
// the handling of every command the peer (or the host) delivers.
#include "game/net/network.h"

#include "game/core/application.h"
#include "game/core/game_state.h"
#include "game/net/host.h"
#include "game/net/network_menu.h"
#include "game/net/protocol.h"
#include "world/monster.h"
#include "world/scene.h"

#include <OgreLogManager.h>
#include <OgreRoot.h>
#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/post.hpp>

#include <iostream>

namespace {
CNetwork* gNetwork = nullptr;
INetworkMenu* gNetworkMenu = nullptr;
// Set while the instance handles commands: ending it then must wait until the pass is over.
bool gDispatching = false;
bool gDeleteAfterDispatch = false;

// A steering vector longer than this is no player's: a keyboard pushes 40 on each of two axes.
constexpr float kMaxSteering = 60.0f;

Ogre::Vector3 toVector(const std::vector<float>& numbers, std::size_t first)
{
    return Ogre::Vector3(numbers[first], numbers[first + 1], numbers[first + 2]);
}
} // namespace

void setNetworkMenu(INetworkMenu* menu)
{
    gNetworkMenu = menu;
}

INetworkMenu* getNetworkMenu()
{
    return gNetworkMenu;
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

void CNetwork::destroySingleton()
{
    CNetwork* network = gNetwork;
    if (!network)
        return;
    gNetwork = nullptr;
    if (Ogre::Root* root = Ogre::Root::getSingletonPtr())
        root->removeFrameListener(network);
    // The instance may be ending from inside its own frame step, so while an application runs
    // a frame loop it goes to the destroy list; without one it goes once its pass is over.
    if (CApplication::hasInstance())
        CApplication::getInstance()->destroyLater(network);
    else if (gDispatching)
        gDeleteAfterDispatch = true;
    else
        delete network;
}

CNetwork::CNetwork() = default;

CNetwork::~CNetwork()
{
    releaseHost();
    if (gNetwork == this)
        gNetwork = nullptr;
}

// ---------------------------------------------------------------------------- host and thread

bool CNetwork::start(int role, int port, const std::string& address)
{
    if (mHost && mHost->isConnected())
        return false;
    if (role != ROLE_SERVER && role != ROLE_CLIENT)
        return false;
    releaseHost();
    mRole = role;
    mIo = std::make_unique<boost::asio::io_context>();
    if (role == ROLE_SERVER)
        mHost = std::make_unique<CServer>(*mIo, *this);
    else
        mHost = std::make_unique<CClient>(*mIo, *this);
    const bool started = mHost->start(port, address);
    mThread = std::thread(&CNetwork::eventLoop, this);
    // Registered now, on the game thread; the frame step stays idle until the accept or
    // connect has completed.
    if (Ogre::Root* root = Ogre::Root::getSingletonPtr())
        root->addFrameListener(this);
    return started;
}

void CNetwork::eventLoop()
{
    // Without work the service would return at once; the guard keeps it waiting until stop().
    auto work = boost::asio::make_work_guard(*mIo);
    for (;;) {
        try {
            mIo->run();
            return;
        } catch (const std::exception& e) {
            std::cout << "EventLoop: " << e.what() << std::flush;
        }
    }
}

void CNetwork::releaseHost()
{
    if (mIo)
        mIo->stop();
    if (mThread.joinable())
        mThread.join();
    // The I/O thread is gone: closing and freeing the host cannot race a handler, and the
    // handlers still queued are destroyed with the service without running.
    if (mHost)
        mHost->close();
    mHost.reset();
    mIo.reset();
    mSending = false;
    mFrameWork = false;
}

bool CNetwork::isConnected() const
{
    return mHost && mHost->isConnected();
}

unsigned short CNetwork::getServerPort() const
{
    const auto* server = dynamic_cast<const CServer*>(mHost.get());
    return server ? server->getPort() : 0;
}

void CNetwork::onConnectResult(bool success)
{
    pushIncoming(success ? "/INTconEst$" : "/INTconNotEst$");
    mFrameWork = true;
}

void CNetwork::onNetworkError(const std::string& text)
{
    std::cout << text << std::endl;
    pushIncoming("/INTsrerr$");
}

void CNetwork::countSent(std::size_t bytes)
{
    mBytesSent += bytes;
    ++mWrites;
}

void CNetwork::countReceived(std::size_t bytes)
{
    mBytesReceived += bytes;
}

// ------------------------------------------------------------------------------------- queues

bool CNetwork::pushLocal(const std::string& command)
{
    if (command.empty() || command.front() != '/' || command.back() != '$')
        return false;
    bool dropped = false;
    {
        std::lock_guard<std::mutex> lock(mLocalLock);
        if (mLocalQueue.size() > kQueueLimit) {
            mLocalQueue.pop_front();
            dropped = true;
        }
        mLocalQueue.push_back(command);
    }
    if (dropped)
        std::cout << "Lokale Befehlswarteschlange: Ueberlauf!" << std::endl;
    return true;
}

void CNetwork::sendToPeer(const std::string& command)
{
    if (isConnected())
        pushLocal(command);
}

void CNetwork::pushIncoming(const std::string& text)
{
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('$', start);
        end = end == std::string::npos ? text.size() : end + 1;
        bool dropped = false;
        {
            std::lock_guard<std::mutex> lock(mIncomingLock);
            if (mIncomingQueue.size() > kQueueLimit) {
                mIncomingQueue.pop_front();
                dropped = true;
            }
            mIncomingQueue.push_back(text.substr(start, end - start));
        }
        if (dropped)
            std::cout << "Eingehende Befehlswarteschlange: Ueberlauf!" << std::endl;
        start = end;
    }
}

std::string CNetwork::takeAllLocal()
{
    std::deque<std::string> commands;
    {
        std::lock_guard<std::mutex> lock(mLocalLock);
        commands.swap(mLocalQueue);
    }
    std::string joined;
    for (const std::string& command : commands)
        joined += command;
    return joined;
}

std::vector<std::string> CNetwork::takeLocalQueue()
{
    std::deque<std::string> commands;
    {
        std::lock_guard<std::mutex> lock(mLocalLock);
        commands.swap(mLocalQueue);
    }
    return std::vector<std::string>(commands.begin(), commands.end());
}

std::size_t CNetwork::incomingCount()
{
    std::lock_guard<std::mutex> lock(mIncomingLock);
    return mIncomingQueue.size();
}

std::size_t CNetwork::localCount()
{
    std::lock_guard<std::mutex> lock(mLocalLock);
    return mLocalQueue.size();
}

// --------------------------------------------------------------------------------- frame step

bool CNetwork::updateAlways(const Ogre::FrameEvent& evt)
{
    if (!mFrameWork)
        return true;
    mCorrectionTimer += evt.timeSinceLastFrame;
    dispatchIncoming();
    // The pass may have ended the network (it then waits in the destroy list).
    if (gNetwork != this || !isConnected())
        return true;
    if (mRole == ROLE_SERVER && mCorrections && !mSending &&
        mCorrectionTimer >= kCorrectionInterval) {
        mCorrectionTimer = 0.0;
        sendCorrections();
    }
    flushLocal();
    return true;
}

bool CNetwork::frameEnded(const Ogre::FrameEvent&)
{
    // What the game queued during this frame leaves now rather than a frame later.
    if (mFrameWork && gNetwork == this && isConnected())
        flushLocal();
    return true;
}

void CNetwork::flushLocal()
{
    if (localCount() == 0 || !claimSending())
        return;
    CHost* host = mHost.get();
    boost::asio::post(*mIo, [host] { host->send(); });
}

void CNetwork::dispatchIncoming()
{
    const bool outer = !gDispatching;
    gDispatching = true;
    for (std::size_t handled = 0; handled < kDispatchLimit; ++handled) {
        std::string command;
        {
            std::lock_guard<std::mutex> lock(mIncomingLock);
            if (mIncomingQueue.empty())
                break;
            command = std::move(mIncomingQueue.front());
            mIncomingQueue.pop_front();
        }
        if (dispatchCommand(command))
            break;
    }
    if (!outer)
        return;
    gDispatching = false;
    if (gDeleteAfterDispatch) {
        gDeleteAfterDispatch = false;
        delete this;
    }
}

bool CNetwork::dispatchCommand(const std::string& command)
{
    const std::string word = protocol::commandWord(command);
    INetworkMenu* menu = gNetworkMenu;
    std::vector<float> numbers;
    if (word == "/plyName") {
        mRemoteName = protocol::cleanName(protocol::textArgument(command));
    } else if (word == "/plyColor") {
        if (protocol::readNumbers(command, 3, numbers))
            mRemoteColour = toVector(numbers, 0);
    } else if (word == "/moveDir") {
        if (protocol::readNumbers(command, 3, numbers)) {
            Ogre::Vector3 movement = toVector(numbers, 0);
            if (movement.length() > kMaxSteering)
                movement = movement.normalisedCopy() * kMaxSteering;
            mRemoteMovement = movement;
        }
    } else if (word == "/plyId") {
        int number = 0;
        // The peer plays the other role's number; it may not take over ours.
        const int expected = mRole == ROLE_SERVER   ? protocol::kClientPlayer
                             : mRole == ROLE_CLIENT ? protocol::kServerPlayer
                                                    : 0;
        if (protocol::readPlayerId(command, number) && (expected == 0 || number == expected)) {
            mRemoteNumber = number;
            if (menu)
                menu->showRemoteName(mRemoteName, number);
        }
    } else if (word == "/mapName") {
        answerMapName(protocol::textArgument(command));
    } else if (word == "/startGame$") {
        if (mRole == ROLE_CLIENT) {
            if (menu)
                menu->startClientRound();
            mCorrections = true;
        }
    } else if (word == "/corrMove") {
        applyCorrections(command);
    } else if (word == "/monsterCorrMove") {
        applyMonsterCorrections(command);
    } else if (word == "/winner") {
        const std::size_t space = command.find(' ');
        const std::size_t next = command.find(' ', space + 1);
        int number = 0;
        CScene* scene = CScene::current();
        if (mRole == ROLE_CLIENT && scene && next != std::string::npos &&
            protocol::readPlayerNumber(command.substr(space + 1, next - space - 1), number) &&
            static_cast<std::size_t>(number) <= scene->getBallCount() && scene->getWinner() == 0)
            scene->setWinner(number);
    } else if (word == "/reset") {
        int number = 0;
        const std::string argument = protocol::textArgument(command);
        if (protocol::readPlayerNumber(argument, number) && CApplication::hasInstance()) {
            auto* state =
                dynamic_cast<CGameState*>(CApplication::getInstance()->getActiveListener());
            if (state) {
                state->resetPlayerTime(number);
                if (Ogre::LogManager* log = Ogre::LogManager::getSingletonPtr())
                    log->logMessage("Network: the peer reset player " + std::to_string(number));
            }
        }
    } else if (word == "/INTconEst$") {
        if (mRole == ROLE_SERVER) {
            if (menu)
                menu->serverConnected();
            mCorrections = true;
        } else if (mRole == ROLE_CLIENT && menu) {
            menu->clientConnected();
        }
    } else if (word == "/INTconNotEst$") {
        if (menu && mRole == ROLE_SERVER)
            menu->serverFailed();
        else if (menu && mRole == ROLE_CLIENT)
            menu->clientFailed();
        return true;
    } else if (word == "/INTsrerr$") {
        if (menu)
            menu->connectionLost();
        return true;
    }
    return false;
}

void CNetwork::answerMapName(const std::string& name)
{
    bool found = false;
    if (gNetworkMenu) {
        for (const std::string& map : gNetworkMenu->getMapList()) {
            if (map == name) {
                pushLocal("/mapAvbl$");
                mAgreedMap = name;
                found = true;
            }
        }
    }
    if (!found)
        pushLocal("/mapNotAvbl$");
}

// -------------------------------------------------------------------------------- corrections

void CNetwork::sendCorrections()
{
    CScene* scene = CScene::current();
    if (!scene)
        return;
    if (scene->getBallCount() >= protocol::kPlayerCount) {
        std::string command = "/corrMove";
        for (int ball = 0; ball < protocol::kPlayerCount; ++ball) {
            Ogre::Vector3 position, velocity, omega;
            scene->getBallState(ball, position, velocity, omega);
            protocol::appendBody(command, position, velocity, omega);
        }
        pushLocal(command + "$");
    }
    std::string command = "/monsterCorrMove";
    for (const CMonster* monster : scene->getMonsters()) {
        const CPhysicsBody* body = monster->getBody();
        if (body)
            protocol::appendBody(command, body->getPosition(), body->getVelocity(),
                                 body->getOmega());
        else
            protocol::appendBody(command, Ogre::Vector3::ZERO, Ogre::Vector3::ZERO,
                                 Ogre::Vector3::ZERO);
    }
    pushLocal(command + "$");
}

void CNetwork::applyCorrections(const std::string& command)
{
    CScene* scene = CScene::current();
    std::vector<float> numbers;
    if (!mCorrections || !scene ||
        !protocol::readNumbers(command, protocol::kNumbersPerBody * protocol::kPlayerCount,
                               numbers))
        return;
    for (int ball = 0; ball < protocol::kPlayerCount; ++ball) {
        const std::size_t first = protocol::kNumbersPerBody * static_cast<std::size_t>(ball);
        if (scene->correctBall(ball, toVector(numbers, first), kCorrectionThreshold))
            scene->setBallVelocity(ball, toVector(numbers, first + 3),
                                   toVector(numbers, first + 6));
    }
}

void CNetwork::applyMonsterCorrections(const std::string& command)
{
    CScene* scene = CScene::current();
    if (!mCorrections || !scene)
        return;
    const std::vector<CMonster*>& monsters = scene->getMonsters();
    std::vector<float> numbers;
    if (!protocol::readNumbers(command, protocol::kNumbersPerBody * monsters.size(), numbers))
        return;
    for (std::size_t i = 0; i < monsters.size(); ++i) {
        CPhysicsBody* body = monsters[i]->getBody();
        // Bodies without mass stand still on both sides and are never corrected.
        if (!body || body->getMass() <= 0.0f)
            continue;
        const std::size_t first = protocol::kNumbersPerBody * i;
        const Ogre::Vector3 position = toVector(numbers, first);
        if (body->getPosition().distance(position) <= kCorrectionThreshold)
            continue;
        body->setPositionOrientation(position, Ogre::Quaternion::IDENTITY);
        body->setVelocity(toVector(numbers, first + 3));
        body->setOmega(toVector(numbers, first + 6));
    }
}

void CNetwork::sendWinner(int winner, double time)
{
    if (mRole == ROLE_SERVER && isConnected())
        pushLocal(protocol::winnerCommand(winner, time));
}
