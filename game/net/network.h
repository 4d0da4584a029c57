// CNetwork: the one object through which the game talks to its network peer. It owns the role
// (server or client), the host with the socket, the I/O service and the thread that runs it, and
// two queues of commands ("/" + word + arguments + "$"): the incoming queue, filled on the I/O
// thread, and the local queue of commands for the peer, filled on the game thread. Once per frame
// it handles what arrived and starts sending what was queued.
#pragma once

#include "world/ext_frame_listener.h"

#include <OgreVector.h>

#include <atomic>
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

class CHost;

class CNetwork : public CExtFrameListener
{
public:
    enum ERole
    {
        ROLE_NONE = 0,
        ROLE_SERVER = 1,
        ROLE_CLIENT = 2
    };

    // Beyond this many commands a queue drops its oldest.
    static constexpr std::size_t kQueueLimit = 1000;
    // The most incoming commands handled in one frame: a flood never holds up the frame loop.
    static constexpr std::size_t kDispatchLimit = 2 * kQueueLimit;
    // The least time between two correction sets of the server, in seconds.
    static constexpr double kCorrectionInterval = 0.05;
    // A ball or monster farther than this from the server's place is put there.
    static constexpr float kCorrectionThreshold = 0.5f;

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
    void onConnectResult(bool success);
    void onNetworkError(const std::string& text);
    // The sending flag: claimed in one atomic step by whoever starts a write.
    bool claimSending() { return !mSending.exchange(true); }
    void releaseSending() { mSending = false; }
    bool isSending() const { return mSending; }
    void countSent(std::size_t bytes);
    void countReceived(std::size_t bytes);

    // The server queues the state of both balls and of every monster.
    void sendCorrections();
    void sendWinner(int winner, double time);
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
    bool correctionsEnabled() const { return mCorrections; }
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
    void applyCorrections(const std::string& command);
    void applyMonsterCorrections(const std::string& command);
    void answerMapName(const std::string& name);

    std::unique_ptr<boost::asio::io_context> mIo;
    std::unique_ptr<CHost> mHost;
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
    std::atomic<bool> mSending{false};
    bool mCorrections = false;
    // Set on the I/O thread when the accept or connect completed: from then on the frame step
    // handles commands and sends.
    std::atomic<bool> mFrameWork{false};
    double mCorrectionTimer = 0.0;

    std::atomic<std::uint64_t> mBytesSent{0};
    std::atomic<std::uint64_t> mBytesReceived{0};
    std::atomic<std::uint64_t> mWrites{0};
};
