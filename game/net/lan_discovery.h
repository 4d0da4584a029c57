// Finding servers on the local network over UDP. A waiting server's CLanAnnouncer sends its
// announcement a few times a second as IPv4 broadcast (on every interface that has one, and on
// the loopback network) and as IPv6 link-local multicast to all nodes; a client page's
// CLanListener, polled once a frame, reads what arrived and keeps the list of servers.
#pragma once

#include "game/net/lan_servers.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/udp.hpp>
#include <boost/asio/steady_timer.hpp>

#include <functional>
#include <memory>

namespace lan {

// Sends on the I/O service's thread until stopped or destroyed.
class CLanAnnouncer
{
public:
    CLanAnnouncer(boost::asio::io_context& io, unsigned short discoveryPort);
    // Announces this text from now on, as long as `waiting` says so (I/O thread).
    void start(const std::string& text, std::function<bool()> waiting);
    void stop();

private:
    void announce();

    boost::asio::ip::udp::socket mSocket4;
    boost::asio::ip::udp::socket mSocket6;
    boost::asio::steady_timer mTimer;
    unsigned short mPort;
    std::string mText;
    std::function<bool()> mWaiting;
};

// Polled from the game thread; never blocks.
class CLanListener
{
public:
    // The most datagrams read in one poll: a flood never holds up the frame.
    static constexpr int kMaxPerPoll = 256;

    explicit CLanListener(unsigned short discoveryPort);
    // False when the port could not be opened (the list then stays empty).
    bool isListening() const { return mSocket.is_open(); }
    // Reads what arrived and forgets servers gone quiet; true when the list changed.
    bool poll(double now);
    const CServerList& list() const { return mList; }

private:
    boost::asio::io_context mIo;
    boost::asio::ip::udp::socket mSocket{mIo};
    CServerList mList;
};

// A random id for a server's announcements.
std::string newServerId();

} // namespace lan
