// CHost: one end of the game's TCP connection, the shared part of the server and the client. It
// reads commands up to each "$" into the network's incoming queue and writes everything the
// network queued for the peer, with one write in flight at a time. All of its socket work runs
// on the network's I/O thread.
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/streambuf.hpp>

#include <atomic>
#include <cstddef>
#include <string>

class CNetwork;

class CHost
{
public:
    // Bytes received without a "$": beyond this the peer is broken or hostile, and the
    // connection is treated as broken.
    static constexpr std::size_t kReceiveLimit = 1 << 20;

    CHost(boost::asio::io_context& io, CNetwork& network);
    virtual ~CHost();
    CHost(const CHost&) = delete;
    CHost& operator=(const CHost&) = delete;

    // Server: listens on the port (the address is ignored). Client: connects to the numeric
    // IPv4 or IPv6 address and port. False, with the reason on standard output, on failure.
    virtual bool start(int port, const std::string& address) = 0;
    virtual void close();
    // Writes what the network queued; the caller holds the network's sending flag (it is
    // given back once nothing is left to write). I/O thread only.
    virtual bool send();

    bool isConnected() const { return mConnected; }

protected:
    // The accept or connect succeeded: reading and sending start.
    void connectionMade();
    void closeSocket(const char* errorPrefix);

    boost::asio::io_context& mIo;
    boost::asio::ip::tcp::socket mSocket;
    CNetwork& mNetwork;

private:
    void startRead();
    void handleRead(const boost::system::error_code& error, std::size_t bytes);
    void handleWrite(const boost::system::error_code& error, std::size_t bytes);
    void connectionBroken(const std::string& reason);

    std::atomic<bool> mConnected{false};
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
    bool start(int port, const std::string& address) override;
    void close() override;

private:
    void handleConnect(const boost::system::error_code& error);
};
