// CNetwork: the one object through which the game talks to a network peer. Commands for the peer
// ("/" + word + arguments + "$") wait in the local queue until a connection sends them. Until a
// connection exists nothing is sent; the queue still takes commands (a game without a network
// queues its "/reset" commands too) and is bounded.
#pragma once

#include "world/ext_frame_listener.h"

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

class CNetwork : public CExtFrameListener
{
public:
    // The longest the local queue grows; beyond it the oldest command is dropped.
    static constexpr std::size_t kQueueLimit = 1000;

    static CNetwork& getSingleton(); // creates the instance on first use
    static bool hasInstance();
    // Takes the instance out of the frame loop and hands it to the application's destroy list
    // (deleted at once when no Ogre root, hence no frame loop, exists); the next getSingleton
    // makes a fresh one.
    static void destroyInstance();

    ~CNetwork() override;

    // Queues a command for the peer; false (nothing queued) unless it starts with "/" and ends
    // with "$".
    bool pushLocal(const std::string& command);
    // Removes and returns every queued command, oldest first.
    std::vector<std::string> takeLocalQueue();
    // Queues the winner command when this program serves a connected network game.
    void sendWinner(int winner, double time);
    bool isConnected() const { return false; }

private:
    CNetwork() = default;

    std::mutex mLocalLock;
    std::deque<std::string> mLocalQueue;
};
