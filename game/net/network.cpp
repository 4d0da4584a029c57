// The network object: its life, the I/O thread, the two command queues, the per-frame step with
// its reports of dropped commands, and what the game sends through it.
#include "game/net/network.h"

#include "game/core/application.h"
#include "game/net/ball_view.h"
#include "game/net/host.h"
#include "game/net/lan_discovery.h"
#include "game/net/protocol.h"
#include "game/net/state_delta.h"
#include "world/monster.h"
#include "world/scene.h"

#include <OgreLogManager.h>
#include <OgreRoot.h>
#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/post.hpp>

#include <algorithm>
#include <iostream>

namespace {
CNetwork* gNetwork = nullptr;
// Set while the instance handles commands: ending it then must wait until the pass is over.
bool gDispatching = false;
bool gDeleteAfterDispatch = false;
bool gClassicPlay = false;
} // namespace

void CNetwork::setClassicPlay(bool classic)
{
    gClassicPlay = classic;
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

CNetwork::CNetwork()
    : mClassic(gClassicPlay), mDelta(std::make_unique<CStateDelta>()),
      mView(std::make_unique<CBallView>(kCorrectionInterval))
{
}

CNetwork::~CNetwork()
{
    releaseHost();
    reportDrops(true);
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
    if (mAnnouncer)
        mAnnouncer->stop();
    mAnnouncer.reset();
    if (mHost)
        mHost->close();
    mHost.reset();
    mIo.reset();
    mSending = false;
    mFrameWork = false;
}

double CNetwork::clock() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - mEpoch).count();
}

double CNetwork::getRoundTrip() const
{
    return mRoundTrips.empty() ? 0.0 : *std::min_element(mRoundTrips.begin(), mRoundTrips.end());
}

bool CNetwork::smoothPlay() const
{
    return !mClassic && mPeerVersion >= protocol::kNetVersion;
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

void CNetwork::announce(const std::string& playerName, const std::string& mapName)
{
    if (mRole != ROLE_SERVER || !mIo || mAnnouncer || isConnected())
        return;
    lan::SAnnouncement server;
    server.id = lan::newServerId();
    server.port = getServerPort();
    server.name = playerName;
    server.map = mapName;
    mAnnouncer = std::make_unique<lan::CLanAnnouncer>(*mIo, lan::discoveryPort());
    // It stops by itself once a client has come (or accepting failed).
    CHost* host = mHost.get();
    boost::asio::post(*mIo, [announcer = mAnnouncer.get(), text = lan::announcement(server), host] {
        announcer->start(text, [host] { return host->isWaiting(); });
    });
}

void CNetwork::onConnectResult(bool success, const std::string& reason)
{

    {
        std::lock_guard<std::mutex> lock(mFailLock);
        mFailReason = reason;
    }
    pushIncoming(protocol::connectionEvent(success ? protocol::Word::ConnectionMade
                                                   : protocol::Word::ConnectionFailed));
    mFrameWork = true;
}

void CNetwork::onNetworkError(const std::string& text)
{
    std::cout << text << std::endl;
    pushIncoming(protocol::connectionEvent(protocol::Word::ConnectionLost));
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
    std::lock_guard<std::mutex> lock(mLocalLock);
    if (mLocalQueue.size() > kQueueLimit) {
        mLocalQueue.pop_front();
        ++mLocalOverflow; // reported with the next report of drops
    }
    mLocalQueue.push_back(command);
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
        {
            std::lock_guard<std::mutex> lock(mIncomingLock);
            if (mIncomingQueue.size() > kQueueLimit) {
                mIncomingQueue.pop_front();
                ++mIncomingOverflow; // reported with the next report of drops
            }
            mIncomingQueue.push_back(text.substr(start, end - start));
        }
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
    if (gNetwork != this)
        return true;
    reportDrops(false);
    if (!isConnected())
        return true;
    if (mRole == ROLE_SERVER && mCorrections && mPhase == Phase::Round && !mSending &&
        mCorrectionTimer >= kCorrectionInterval) {
        mCorrectionTimer = 0.0;
        sendCorrections();
    }
    if (mRole == ROLE_CLIENT && smoothPlay() && clock() >= mNextPing) {
        mNextPing = clock() + kPingInterval;
        pushLocal(protocol::pingCommand(clock(), false));
    }
    flushLocal();
    return true;
}

bool CNetwork::frameEnded(const Ogre::FrameEvent&)
{
    // After the frame's physics: the client's own ball takes its share of a correction and
    // the other ball is shown where the server's states put it.
    CScene* scene = CScene::current();
    if (mFrameWork && gNetwork == this && mRole == ROLE_CLIENT && mPhase == Phase::Round &&
        smoothPlay() && scene)
        mView->update(*scene, clock());
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

// -------------------------------------------------------------------------------- corrections

void CNetwork::reportDrops(bool force)
{
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - mLastReport < kReportInterval)
        return;
    const std::uint64_t drops = getRefusedCount();
    const std::uint64_t incoming = mIncomingOverflow;
    const std::uint64_t local = mLocalOverflow;
    if (drops != mReportedDrops) {
        std::cout << "Network: " << drops - mReportedDrops
                  << " command(s) of the peer refused (last: \"" << mLastRefused.substr(0, 40)
                  << "\")" << std::endl;
    }
    if (incoming != mReportedIncomingOverflow)
        std::cout << "Eingehende Befehlswarteschlange: Ueberlauf! ("
                  << incoming - mReportedIncomingOverflow << " dropped)" << std::endl;
    if (local != mReportedLocalOverflow)
        std::cout << "Lokale Befehlswarteschlange: Ueberlauf! (" << local - mReportedLocalOverflow
                  << " dropped)" << std::endl;
    if (mPeerResets != mReportedPeerResets) {
        if (Ogre::LogManager* log = Ogre::LogManager::getSingletonPtr())
            log->logMessage(
                "Network: the peer reset player " + std::to_string(mLastPeerReset) +
                (mPeerResets - mReportedPeerResets > 1
                     ? " (" + std::to_string(mPeerResets - mReportedPeerResets) + " resets)"
                     : std::string()));
    }
    if (drops == mReportedDrops && incoming == mReportedIncomingOverflow &&
        local == mReportedLocalOverflow && mPeerResets == mReportedPeerResets)
        return;
    mReportedDrops = drops;
    mReportedIncomingOverflow = incoming;
    mReportedLocalOverflow = local;
    mReportedPeerResets = mPeerResets;
    mLastReport = now;
}

void CNetwork::sendCorrections()
{
    CScene* scene = CScene::current();
    if (!scene)
        return;
    if (smoothPlay()) {
        std::vector<protocol::SBodyState> bodies;
        for (int ball = 0; ball < static_cast<int>(scene->getBallCount()); ++ball) {
            protocol::SBodyState state;
            state.index = ball;
            scene->getBallState(ball, state.position, state.velocity, state.omega);
            bodies.push_back(state);
        }
        int index = protocol::kPlayerCount;
        for (const CMonster* monster : scene->getMonsters()) {
            const CPhysicsBody* body = monster->getBody();
            // Bodies without mass stand still on both sides.
            if (body && body->getMass() > 0.0f)
                bodies.push_back(
                    {index, body->getPosition(), body->getVelocity(), body->getOmega()});
            ++index;
        }
        const double now = clock();
        const std::vector<protocol::SBodyState> changed =
            mDelta->select(now, bodies, protocol::kPlayerCount);
        if (!changed.empty())
            pushLocal(protocol::stateCommand(now, changed));
        return;
    }
    if (scene->getBallCount() >= protocol::kPlayerCount) {
        std::string command = protocol::wordText(protocol::Word::Corrections);
        for (int ball = 0; ball < protocol::kPlayerCount; ++ball) {
            Ogre::Vector3 position, velocity, omega;
            scene->getBallState(ball, position, velocity, omega);
            protocol::appendBody(command, position, velocity, omega);
        }
        pushLocal(command + "$");
    }
    std::string command = protocol::wordText(protocol::Word::MonsterCorrections);
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

void CNetwork::sendWinner(int winner, double time)
{
    if (mRole != ROLE_SERVER || mPhase != Phase::Round)
        return;
    mPhase = Phase::Finished;
    mCorrections = false;
    sendToPeer(protocol::winnerCommand(winner, time));
}

void CNetwork::sendReset(int playerNumber)
{
    if (mPhase == Phase::Round && (mRole == ROLE_SERVER || playerNumber == protocol::kClientPlayer))
        sendToPeer(protocol::resetCommand(playerNumber));
}

void CNetwork::beginServerRound()
{
    if (mRole != ROLE_SERVER)
        return;
    mPhase = Phase::Round;
    mDelta->clear();
    sendToPeer(protocol::startGameCommand());
}

void CNetwork::offerMap(const std::string& mapName)
{
    mOfferedMap = mapName;
    mMapAnswer = MapAnswer::None;
    sendToPeer(protocol::mapNameCommand(mapName));
}

void CNetwork::detachRound(INetworkRound* round)
{
    if (mRound == round)
        mRound = nullptr;
}
