// CNetwork: the one object through which the game talks to its network peer. It owns the role
// (server or client), the host with the socket, the I/O service and the thread that runs it, and
// two queues of commands ("/" + word + arguments + "$"): the incoming queue, filled on the I/O
// thread, and the local queue of commands for the peer, filled on the game thread. Once per frame
// it handles what arrived and starts sending what was queued. Each received command is checked
// against the sender's role and the phase of the connection before it is obeyed; what is refused
// is counted, and the count is written out at most once a second.
#pragma once

#include "world/ext_frame_listener.h"

#include <OgreVector.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace boost::asio {
class io_context;
}

namespace lan {
class CLanAnnouncer;
}
class CBallView;
class CHost;
class CStateDelta;
class INetworkRound;

class CNetwork : public CExtFrameListener
{
public:
    enum ERole
    {
        ROLE_NONE = 0,
        ROLE_SERVER = 1,
        ROLE_CLIENT = 2
    };
    // Where the connection stands: the two games introduce themselves, wait for the server's
    // start, play, and have a winner.
    enum class Phase
    {
        Handshake,
        Waiting,
        Round,
        Finished
    };
    // The client's answer to the map the server offered.
    enum class MapAnswer
    {
        None,
        Available,
        Missing
    };

    // Beyond this many commands a queue drops its oldest.
    static constexpr std::size_t kQueueLimit = 1000;
    // The most incoming commands handled in one frame: a flood never holds up the frame loop.
    static constexpr std::size_t kDispatchLimit = 2 * kQueueLimit;
    // The least time between two correction sets of the server, in seconds.
    static constexpr double kCorrectionInterval = 0.05;
    // A ball or monster farther than this from the server's place is put there.
    static constexpr float kCorrectionThreshold = 0.5f;
    // Refused commands and queue overflows are reported at most this often.
    static constexpr std::chrono::seconds kReportInterval{1};

    // Between two pings of the client (seconds); the round trip is the least of the last few.
    static constexpr double kPingInterval = 0.5;
    static constexpr std::size_t kRoundTripSamples = 8;

    // Plays as a game before "/state" did: full corrections, put in place at once. For
    // comparisons; takes effect for instances created afterwards.
    static void setClassicPlay(bool classic);

    static CNetwork& getSingleton(); // creates the instance on first use
    static bool hasInstance();
    // Takes the instance out of the frame loop and hands it to the application's destroy list
    // (deleted at once when there is no application); the next getSingleton makes a fresh one.
    static void destroySingleton();
    static void destroyInstance() { destroySingleton(); }

    ~CNetwork() override;

    // Starts serving (role 1; the address is ignored) or connecting (role 2). False when a
    // connection exists already, the role is unknown or the host could not start.
    bool start(int role, int port, const std::string& address);

    // Queues a command for the peer; false (nothing queued) unless it starts with "/" and ends
    // with "$".
    bool pushLocal(const std::string& command);
    // Splits received text after every "$" into the incoming queue.
    void pushIncoming(const std::string& text);
    // Removes every queued command for the peer and returns them joined, oldest first.
    std::string takeAllLocal();
    std::vector<std::string> takeLocalQueue();
    // Handles the received commands on the game thread (at most kDispatchLimit).
    void dispatchIncoming();
    bool updateAlways(const Ogre::FrameEvent& evt) override;
    bool frameEnded(const Ogre::FrameEvent& evt) override;

    // Called by the host on the I/O thread.
    void onConnectResult(bool success, const std::string& reason = std::string());
    void onNetworkError(const std::string& text);
    // The sending flag: claimed in one atomic step by whoever starts a write.
    bool claimSending() { return !mSending.exchange(true); }
    void releaseSending() { mSending = false; }
    bool isSending() const { return mSending; }
    void countSent(std::size_t bytes);
    void countReceived(std::size_t bytes);
    // A received command refused before it reached the queue (any thread).
    void countRefused() { ++mRefusedElsewhere; }

    // The server queues the state of both balls and of every monster: what changed enough
    // to matter as "/state" for a peer that reads it, everything as corrections otherwise.
    void sendCorrections();
    // The server tells the round's end; the round is over for the network from then on.
    void sendWinner(int winner, double time);
    // A reset of a player's time for the peer: the server tells every reset, the client only
    // those of its own player.
    void sendReset(int playerNumber);
    // The server's round has started: the client is told to start its own.
    void beginServerRound();
    // The server offers a map (again, when its player chose another): the client's earlier
    // answer no longer counts.
    void offerMap(const std::string& mapName);
    // The rules of the running network round (nullptr: none); detach forgets it only when it
    // is the attached one.
    void attachRound(INetworkRound* round) { mRound = round; }
    void detachRound(INetworkRound* round);
    // A server waiting for its client announces itself on the local network with its
    // player's name and map until the client has come.
    void announce(const std::string& playerName, const std::string& mapName);
    bool isAnnouncing() const { return mAnnouncer != nullptr; }
    // Queues a command only while connected: a game without a peer has nobody to tell.
    void sendToPeer(const std::string& command);

    bool isConnected() const;
    int getRole() const { return mRole; }
    // The server's listening port (0 when this is no started server).
    unsigned short getServerPort() const;
    const std::string& getRemoteName() const { return mRemoteName; }
    int getRemoteNumber() const { return mRemoteNumber; }
    const Ogre::Vector3& getRemoteColour() const { return mRemoteColour; }
    const Ogre::Vector3& getRemoteMovement() const { return mRemoteMovement; }
    const std::string& getAgreedMap() const { return mAgreedMap; }
    const std::string& getOfferedMap() const { return mOfferedMap; }
    MapAnswer getMapAnswer() const { return mMapAnswer; }
    Phase getPhase() const { return mPhase; }
    bool correctionsEnabled() const { return mCorrections; }
    // The peer's network version (1: a game before "/netVersion").
    int getPeerVersion() const { return mPeerVersion; }
    // The least of the last measured round trips (seconds; 0 before the first).
    double getRoundTrip() const;
    // Seconds since this instance was made: the clock of stamps and pings.
    double clock() const;
    // Received commands refused so far (wrong sender, wrong phase, malformed).
    std::uint64_t getRefusedCount() const { return mRefused + mRefusedElsewhere; }
    std::size_t incomingCount();
    std::size_t localCount();
    // Traffic so far, for the benchmark and the tests.
    std::uint64_t getBytesSent() const { return mBytesSent; }
    std::uint64_t getBytesReceived() const { return mBytesReceived; }
    std::uint64_t getWriteCount() const { return mWrites; }

private:
    CNetwork();
    void eventLoop();
    // Stops the I/O thread and frees the host; no handler of it runs afterwards.
    void releaseHost();
    // Hands what is queued to the I/O thread unless a write is in flight.
    void flushLocal();
    // Handles one command; true when the pass must end after it.
    bool dispatchCommand(const std::string& command);
    // Writes the refused commands and queue overflows since the last report, at most once per
    // kReportInterval.
    void reportDrops(bool force);

    // The handlers of the command words (network_dispatch.cpp); false: refused.
    bool onPlayerName(const std::string& command);
    bool onPlayerColour(const std::string& command);
    bool onPlayerId(const std::string& command);
    bool onMapName(const std::string& command);
    bool onMapAnswer(const std::string& command);
    bool onStartGame(const std::string& command);
    bool onMoveDir(const std::string& command);
    bool onCorrections(const std::string& command);
    bool onMonsterCorrections(const std::string& command);
    bool onWinner(const std::string& command);
    bool onReset(const std::string& command);
    bool onKeepAlive(const std::string& command);
    bool onVersion(const std::string& command);
    bool onPing(const std::string& command);
    bool onPong(const std::string& command);
    bool onState(const std::string& command);
    // Whether the two games show rounds with "/state".
    bool smoothPlay() const;
    bool onConnectionMade(const std::string& command);
    bool onConnectionFailed(const std::string& command);
    bool onConnectionLost(const std::string& command);

    std::unique_ptr<boost::asio::io_context> mIo;
    std::unique_ptr<CHost> mHost;
    std::unique_ptr<lan::CLanAnnouncer> mAnnouncer;
    std::thread mThread;
    int mRole = ROLE_NONE;
    std::mutex mIncomingLock;
    std::mutex mLocalLock;
    std::deque<std::string> mLocalQueue;
    std::deque<std::string> mIncomingQueue;

    std::string mRemoteName = "NotAvbl";
    Ogre::Vector3 mRemoteColour = Ogre::Vector3::ZERO;
    int mRemoteNumber = 0;
    Ogre::Vector3 mRemoteMovement = Ogre::Vector3::ZERO;
    std::string mAgreedMap = "map";
    std::string mOfferedMap;
    MapAnswer mMapAnswer = MapAnswer::None;
    Phase mPhase = Phase::Handshake;
    // The name and number last shown for the peer: a repeated introduction shows nothing new.
    std::string mShownName;
    int mShownNumber = 0;
    INetworkRound* mRound = nullptr;
    std::atomic<bool> mSending{false};
    bool mCorrections = false;
    // Why the connect failed, set on the I/O thread before the event is queued.
    std::string mFailReason;
    std::mutex mFailLock;

    std::uint64_t mRefused = 0;
    std::atomic<std::uint64_t> mRefusedElsewhere{0};
    std::atomic<std::uint64_t> mIncomingOverflow{0};
    std::atomic<std::uint64_t> mLocalOverflow{0};
    std::uint64_t mReportedDrops = 0;
    std::uint64_t mReportedIncomingOverflow = 0;
    std::uint64_t mReportedLocalOverflow = 0;
    std::chrono::steady_clock::time_point mLastReport{};
    std::string mLastRefused;
    std::uint64_t mPeerResets = 0;
    std::uint64_t mReportedPeerResets = 0;
    int mLastPeerReset = 0;
    // Set on the I/O thread when the accept or connect completed: from then on the frame step
    // handles commands and sends.
    std::atomic<bool> mFrameWork{false};
    double mCorrectionTimer = 0.0;

    const bool mClassic;
    const std::chrono::steady_clock::time_point mEpoch = std::chrono::steady_clock::now();
    int mPeerVersion = 1;
    double mNextPing = 0.0;
    std::deque<double> mRoundTrips;
    std::unique_ptr<CStateDelta> mDelta;
    std::unique_ptr<CBallView> mView;

    std::atomic<std::uint64_t> mBytesSent{0};
    std::atomic<std::uint64_t> mBytesReceived{0};
    std::atomic<std::uint64_t> mWrites{0};
};
