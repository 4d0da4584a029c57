// What the network object does with each command it receives. One table says, for every command
// word, who may send it (the server, the client, or this game itself for its connection events)
// and in which phases; whatever it does not allow, and whatever does not read as the game writes
// it, is refused and counted.
#include "game/net/network.h"

#include "game/net/ball_view.h"
#include "game/net/network_menu.h"
#include "game/net/network_round.h"
#include "game/net/protocol.h"
#include "world/monster.h"
#include "world/scene.h"

#include <algorithm>

namespace {
INetworkMenu* gNetworkMenu = nullptr;

// A steering vector longer than this is no player's: a keyboard pushes 40 on each of two axes.
constexpr float kMaxSteering = 60.0f;
// A pong older than this answers no ping of ours (the peer would have been lost meanwhile).
constexpr double kSilenceSeconds = 5.0;

using Word = protocol::Word;
using Phase = CNetwork::Phase;

enum Sender : unsigned
{
    kServer = 1u << CNetwork::ROLE_SERVER,
    kClient = 1u << CNetwork::ROLE_CLIENT,
    kSelf = 1u,
    kPeers = kServer | kClient
};

constexpr unsigned phaseBit(Phase phase)
{
    return 1u << static_cast<unsigned>(phase);
}
constexpr unsigned kWaiting = phaseBit(Phase::Waiting);
constexpr unsigned kIntroducing = phaseBit(Phase::Handshake) | kWaiting;
constexpr unsigned kPlaying = phaseBit(Phase::Round);
constexpr unsigned kAnyPhase = kIntroducing | kPlaying | phaseBit(Phase::Finished);

struct SHandler
{
    Word word;
    unsigned senders;
    unsigned phases;
    bool (CNetwork::*handle)(const std::string&);
    bool endsPass; // the rest of the queue waits for the next frame
};

bool isConnectionEvent(Word word)
{
    return word == Word::ConnectionMade || word == Word::ConnectionFailed ||
           word == Word::ConnectionLost;
}

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

bool CNetwork::dispatchCommand(const std::string& command)
{
    // Who may send each word, in which phases, and who handles it.
    // clang-format off
    static const SHandler kHandlers[] = {
        {Word::PlayerName,         kPeers,  kIntroducing, &CNetwork::onPlayerName,         false},
        {Word::PlayerColour,       kPeers,  kIntroducing, &CNetwork::onPlayerColour,       false},
        {Word::MoveDir,            kPeers,  kPlaying,     &CNetwork::onMoveDir,            false},
        {Word::PlayerId,           kPeers,  kIntroducing, &CNetwork::onPlayerId,           false},
        {Word::MapName,            kServer, kIntroducing, &CNetwork::onMapName,            false},
        {Word::StartGame,          kServer, kWaiting,     &CNetwork::onStartGame,          false},
        {Word::ConnectionMade,     kSelf,   kAnyPhase,    &CNetwork::onConnectionMade,     false},
        {Word::ConnectionFailed,   kSelf,   kAnyPhase,    &CNetwork::onConnectionFailed,   true},
        {Word::Winner,             kServer, kPlaying,     &CNetwork::onWinner,             false},
        {Word::ConnectionLost,     kSelf,   kAnyPhase,    &CNetwork::onConnectionLost,     true},
        {Word::Corrections,        kServer, kPlaying,     &CNetwork::onCorrections,        false},
        {Word::MonsterCorrections, kServer, kPlaying,     &CNetwork::onMonsterCorrections, false},
        {Word::Reset,              kPeers,  kPlaying,     &CNetwork::onReset,              false},
        {Word::MapAvailable,       kClient, kIntroducing, &CNetwork::onMapAnswer,          false},
        {Word::MapNotAvailable,    kClient, kIntroducing, &CNetwork::onMapAnswer,          false},
        {Word::KeepAlive,          kPeers,  kAnyPhase,    &CNetwork::onKeepAlive,          false},
        {Word::Version,            kPeers,  kIntroducing, &CNetwork::onVersion,            false},
        {Word::Ping,               kPeers,  kAnyPhase,    &CNetwork::onPing,               false},
        {Word::Pong,               kPeers,  kAnyPhase,    &CNetwork::onPong,               false},
        {Word::State,              kServer, kPlaying,     &CNetwork::onState,              false},
    };
    // clang-format on
    const Word word = protocol::wordOf(command);
    // Connection events come only from this game's own host, which never queues such a text
    // from the wire; everything else comes from the peer, whose role is the other one.
    const unsigned sender = isConnectionEvent(word) ? kSelf
                            : mRole == ROLE_SERVER  ? kClient
                            : mRole == ROLE_CLIENT  ? kServer
                                                    : 0u;
    for (const SHandler& handler : kHandlers) {
        if (handler.word != word)
            continue;
        const bool allowed = (handler.senders & sender) && (handler.phases & phaseBit(mPhase));
        if (!allowed || !(this->*handler.handle)(command)) {
            ++mRefused;
            mLastRefused = command;
        }
        return handler.endsPass;
    }
    ++mRefused;
    mLastRefused = command;
    return false;
}

// --------------------------------------------------------------------------- the introduction

bool CNetwork::onPlayerName(const std::string& command)
{
    return protocol::readPlayerName(command, mRemoteName);
}

bool CNetwork::onPlayerColour(const std::string& command)
{
    return protocol::readPlayerColour(command, mRemoteColour);
}

bool CNetwork::onPlayerId(const std::string& command)
{
    int number = 0;
    // The peer plays the other role's number; it may not take over ours.
    const int expected = mRole == ROLE_SERVER ? protocol::kClientPlayer : protocol::kServerPlayer;
    if (!protocol::readPlayerId(command, number) || number != expected)
        return false;
    mRemoteNumber = number;
    if (mPhase == Phase::Handshake)
        mPhase = Phase::Waiting;
    if (gNetworkMenu && (number != mShownNumber || mRemoteName != mShownName)) {
        mShownNumber = number;
        mShownName = mRemoteName;
        gNetworkMenu->showRemoteName(mRemoteName, number);
    }
    return true;
}

bool CNetwork::onMapName(const std::string& command)
{
    std::string name;
    if (!protocol::readMapName(command, name))
        return false;
    bool found = false;
    if (gNetworkMenu) {
        const std::vector<std::string>& maps = gNetworkMenu->getMapList();
        found = std::find(maps.begin(), maps.end(), name) != maps.end();
    }
    if (found)
        mAgreedMap = name;
    mOfferedMap = name;
    mMapAnswer = found ? MapAnswer::Available : MapAnswer::Missing;
    pushLocal(protocol::mapAnswerCommand(found));
    if (gNetworkMenu)
        gNetworkMenu->mapChecked(name, found);
    return true;
}

bool CNetwork::onMapAnswer(const std::string& command)
{
    // An answer with no map offered, or a second one to the same offer, answers nothing.
    if (mOfferedMap.empty() || mMapAnswer != MapAnswer::None)
        return false;
    const bool available = protocol::wordOf(command) == Word::MapAvailable;
    mMapAnswer = available ? MapAnswer::Available : MapAnswer::Missing;
    if (gNetworkMenu)
        gNetworkMenu->mapChecked(mOfferedMap, available);
    return true;
}

bool CNetwork::onStartGame(const std::string&)
{
    if (gNetworkMenu && !gNetworkMenu->startClientRound())
        return true; // obeyed: the menu has said why no round could start
    mPhase = Phase::Round;
    mCorrections = true;
    return true;
}

// --------------------------------------------------------------------------------- the round

bool CNetwork::onMoveDir(const std::string& command)
{
    Ogre::Vector3 movement;
    if (!protocol::readMoveDir(command, movement))
        return false;
    if (movement.length() > kMaxSteering)
        movement = movement.normalisedCopy() * kMaxSteering;
    mRemoteMovement = movement;
    return true;
}

bool CNetwork::onCorrections(const std::string& command)
{
    CScene* scene = CScene::current();
    std::vector<float> numbers;
    if (!mCorrections || !scene ||
        !protocol::readNumbers(command, protocol::kNumbersPerBody * protocol::kPlayerCount,
                               numbers))
        return false;
    for (int ball = 0; ball < protocol::kPlayerCount; ++ball) {
        const std::size_t first = protocol::kNumbersPerBody * static_cast<std::size_t>(ball);
        if (scene->correctBall(ball, toVector(numbers, first), kCorrectionThreshold))
            scene->setBallVelocity(ball, toVector(numbers, first + 3),
                                   toVector(numbers, first + 6));
    }
    return true;
}

bool CNetwork::onMonsterCorrections(const std::string& command)
{
    CScene* scene = CScene::current();
    if (!mCorrections || !scene)
        return false;
    const std::vector<CMonster*>& monsters = scene->getMonsters();
    std::vector<float> numbers;
    if (!protocol::readNumbers(command, protocol::kNumbersPerBody * monsters.size(), numbers))
        return false;
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
    return true;
}

bool CNetwork::onWinner(const std::string& command)
{
    int number = 0;
    double seconds = 0.0;
    if (!protocol::readWinner(command, number, seconds))
        return false;
    mPhase = Phase::Finished;
    mCorrections = false;
    if (mRound)
        mRound->serverDecided(number, seconds);
    return true;
}

bool CNetwork::onReset(const std::string& command)
{
    int number = 0;
    if (!protocol::readReset(command, number))
        return false;
    // The client tells only the falls of its own player; the server tells every reset.
    if (mRole == ROLE_SERVER && number != protocol::kClientPlayer)
        return false;
    if (mRound)
        mRound->peerReset(number);
    ++mPeerResets;
    mLastPeerReset = number;
    return true;
}

bool CNetwork::onKeepAlive(const std::string&)
{
    return true; // hearing it is all: the host notes when the peer was last heard
}

bool CNetwork::onVersion(const std::string& command)
{
    int version = 0;
    if (!protocol::readVersion(command, version))
        return false;
    mPeerVersion = version;
    return true;
}

bool CNetwork::onPing(const std::string& command)
{
    double stamp = 0.0;
    if (mClassic || !protocol::readStamp(command, stamp))
        return false;
    pushLocal(protocol::pingCommand(stamp, true));
    return true;
}

bool CNetwork::onPong(const std::string& command)
{
    double stamp = 0.0;
    const double now = clock();
    // Only an answer to a ping of ours: sent before now and within the last few seconds.
    if (!protocol::readStamp(command, stamp) || stamp > now || stamp < now - kSilenceSeconds)
        return false;
    mRoundTrips.push_back(now - stamp);
    if (mRoundTrips.size() > kRoundTripSamples)
        mRoundTrips.pop_front();
    return true;
}

bool CNetwork::onState(const std::string& command)
{
    CScene* scene = CScene::current();
    double stamp = 0.0;
    std::vector<protocol::SBodyState> bodies;
    if (!mCorrections || !scene || !smoothPlay() || !protocol::readState(command, stamp, bodies))
        return false;
    mView->onState(*scene, clock(), getRoundTrip(), stamp, bodies);
    return true;
}

// ---------------------------------------------------------------------- the connection events

bool CNetwork::onConnectionMade(const std::string&)
{
    if (!mClassic)
        pushLocal(protocol::versionCommand(protocol::kNetVersion));
    if (mRole == ROLE_SERVER) {
        mCorrections = true; // sent while a round runs
        if (gNetworkMenu)
            gNetworkMenu->serverConnected();
    } else if (mRole == ROLE_CLIENT && gNetworkMenu) {
        gNetworkMenu->clientConnected();
    }
    return true;
}

bool CNetwork::onConnectionFailed(const std::string&)
{
    std::string reason;
    {
        std::lock_guard<std::mutex> lock(mFailLock);
        reason = mFailReason;
    }
    if (gNetworkMenu && mRole == ROLE_SERVER)
        gNetworkMenu->serverFailed();
    else if (gNetworkMenu && mRole == ROLE_CLIENT)
        gNetworkMenu->clientFailed(reason);
    return true;
}

bool CNetwork::onConnectionLost(const std::string&)
{
    if (gNetworkMenu)
        gNetworkMenu->connectionLost();
    return true;
}
