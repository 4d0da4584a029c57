// CHost: one end of the game's TCP connection, the shared part of the server and the client. It
// reads commands up to each "$" into the network's incoming queue and writes everything the
// network queued for the peer, with one write in flight at a time. While connected it sends a
// keep-alive after a second without sending anything, and takes a peer not heard from for five
// seconds as lost. All of its socket work runs on the network's I/O thread.
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/streambuf.hpp>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>

class CNetwork;

class CHost
{
public:
    // Bytes received without a "$": beyond this the peer is broken or hostile, and the
    // connection is treated as broken.
    static constexpr std::size_t kReceiveLimit = 1 << 20;
    // A keep-alive leaves after this long without sending; a peer silent for kSilenceLimit is
    // lost. The timer looks every kWatchInterval.
    static constexpr std::chrono::milliseconds kKeepAliveInterval{1000};
    static constexpr std::chrono::milliseconds kSilenceLimit{5000};
    static constexpr std::chrono::milliseconds kWatchInterval{250};

    CHost(boost::asio::io_context& io, CNetwork& network);
    virtual ~CHost();
    CHost(const CHost&) = delete;
    CHost& operator=(const CHost&) = delete;

    // Server: listens on the port on every IPv6 and IPv4 address (IPv4 only where the machine
    // has no IPv6; the address is ignored). Client: connects to the numeric IPv4 or IPv6
    // address and port, giving up after kConnectTimeout. False, with the reason on standard
    // output, on failure.
    virtual bool start(int port, const std::string& address) = 0;
    virtual void close();
    // Writes what the network queued; the caller holds the network's sending flag (it is
    // given back once nothing is left to write). I/O thread only.
    virtual bool send();

    bool isConnected() const { return mConnected; }
    // A server still waiting for its client (any thread).
    bool isWaiting() const { return mWaiting; }

protected:
    // The accept or connect succeeded: reading and sending start.
    void connectionMade();
    void closeSocket(const char* errorPrefix);
    // What an error while closing is written after.
    virtual const char* closeErrorPrefix() const { return "Error while deleting"; }
    using Clock = std::chrono::steady_clock;

    boost::asio::io_context& mIo;
    boost::asio::ip::tcp::socket mSocket;
    CNetwork& mNetwork;

private:
    void startRead();
    void handleRead(const boost::system::error_code& error, std::size_t bytes);
    void handleWrite(const boost::system::error_code& error, std::size_t bytes);
    void connectionBroken(const std::string& reason);
    void watchPeer();

    std::atomic<bool> mConnected{false};

protected:
    std::atomic<bool> mWaiting{false};

private:
    boost::asio::steady_timer mWatchTimer{mIo};
    Clock::time_point mLastHeard{};
    Clock::time_point mLastSent{};
    boost::asio::streambuf mReceiveBuffer{kReceiveLimit};
    std::string mSendBuffer;
};

// The listening end: accepts exactly one client.
class CServer : public CHost
{
public:
    using CHost::CHost;
    bool start(int port, const std::string& address) override;
    void close() override;
    // The port the server listens on (the system's choice when started with 0).
    unsigned short getPort() const { return mPort; }

private:
    void handleAccept(const boost::system::error_code& error);

    boost::asio::ip::tcp::acceptor mAcceptor{mIo};
    unsigned short mPort = 0;
};

// The connecting end.
class CClient : public CHost
{
public:
    using CHost::CHost;
    // A connect attempt that gets no answer gives up after this long.
    static constexpr std::chrono::seconds kConnectTimeout{10};

    bool start(int port, const std::string& address) override;
    void close() override;

protected:
    const char* closeErrorPrefix() const override { return "Error while deleting!"; }

private:
    void handleConnect(const boost::system::error_code& error);

    boost::asio::steady_timer mConnectTimer{mIo};
    bool mTimedOut = false;
    std::string mAddressText;
};
