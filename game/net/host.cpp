// Both ends of the connection: reading commands, writing the queued ones, keeping the line alive
// and noticing a silent peer, listening, accepting one client and connecting to a server.
#include "game/net/host.h"

#include "game/net/network.h"
#include "game/net/protocol.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/v6_only.hpp>
#include <boost/asio/read_until.hpp>
#include <boost/asio/write.hpp>

#include <iostream>
#include <istream>

namespace {
constexpr int kListenBacklog = 1;
// Connection events the host reports itself: a peer sending their texts is not believed.
const char* const kInternalPrefix = "/INT";
} // namespace

CHost::CHost(boost::asio::io_context& io, CNetwork& network)
    : mIo(io), mSocket(io), mNetwork(network)
{
}

CHost::~CHost() = default;

void CHost::closeSocket(const char* errorPrefix)
{
    mConnected = false;
    boost::system::error_code error;
    if (mSocket.is_open())
        mSocket.close(error);
    if (error)
        std::cout << errorPrefix << error.message() << std::endl;
}

void CHost::close()
{
    mWatchTimer.cancel();
    closeSocket(closeErrorPrefix());
}

void CHost::connectionMade()
{
    mConnected = true;
    boost::system::error_code ignored;
    // A steering command must leave at once, not wait for more bytes to fill a segment.
    mSocket.set_option(boost::asio::ip::tcp::no_delay(true), ignored);
    mLastHeard = mLastSent = Clock::now();
    watchPeer();
    startRead();
    if (mNetwork.claimSending())
        send();
}

void CHost::watchPeer()
{
    mWatchTimer.expires_after(kWatchInterval);
    mWatchTimer.async_wait([this](const boost::system::error_code& error) {
        if (error || !mConnected)
            return;
        const Clock::time_point now = Clock::now();
        if (now - mLastHeard > kSilenceLimit) {
            connectionBroken("No word from the peer for " +
                             std::to_string(kSilenceLimit.count() / 1000) + " seconds");
            boost::system::error_code ignored;
            mSocket.close(ignored);
            return;
        }
        // Only when no write is under way: a write that cannot leave says nothing new.
        if (now - mLastSent >= kKeepAliveInterval && mNetwork.claimSending()) {
            mNetwork.pushLocal(protocol::keepAliveCommand());
            send();
        }
        watchPeer();
    });
}

void CHost::startRead()
{
    boost::asio::async_read_until(mSocket, mReceiveBuffer, '$',
                                  [this](const boost::system::error_code& error,
                                         std::size_t bytes) { handleRead(error, bytes); });
}

void CHost::handleRead(const boost::system::error_code& error, std::size_t bytes)
{
    if (error) {
        // A full receive buffer without a "$" ends here too ("not found"): such a peer is
        // broken, and holding ever more of its bytes would only eat memory.
        connectionBroken(error.message());
        return;
    }
    mNetwork.countReceived(bytes);
    mLastHeard = Clock::now();
    std::istream stream(&mReceiveBuffer);
    std::string command;
    std::getline(stream, command, '$');
    command += '$';
    if (command.compare(0, std::char_traits<char>::length(kInternalPrefix), kInternalPrefix) != 0)
        mNetwork.pushIncoming(command);
    else
        mNetwork.countRefused();
    if (mConnected)
        startRead();
}

bool CHost::send()
{
    mSendBuffer = mNetwork.takeAllLocal();
    if (mSendBuffer.empty() || !mConnected) {
        mNetwork.releaseSending();
        return true;
    }
    mLastSent = Clock::now();
    boost::asio::async_write(mSocket, boost::asio::buffer(mSendBuffer),
                             [this](const boost::system::error_code& error, std::size_t bytes) {
                                 handleWrite(error, bytes);
                             });
    return true;
}

void CHost::handleWrite(const boost::system::error_code& error, std::size_t bytes)
{
    mNetwork.countSent(bytes);
    if (error) {
        // Writing again into a broken connection would only report the same error again.
        connectionBroken(error.message());
        mNetwork.releaseSending();
        return;
    }
    send();
}

void CHost::connectionBroken(const std::string& reason)
{
    if (!mConnected)
        return; // one report per connection
    mConnected = false;
    mNetwork.onNetworkError(reason);
}

// ------------------------------------------------------------------------------------- server

bool CServer::start(int port, const std::string&)
{
    using boost::asio::ip::tcp;
    if (port < 0 || port > 65535) {
        std::cout << "Invalid port " << port << std::endl;
        return false;
    }
    // One IPv6 socket that also takes IPv4 clients (as IPv4-mapped addresses); where the
    // machine has no IPv6, an IPv4 one.
    for (const tcp family : {tcp::v6(), tcp::v4()}) {
        try {
            const tcp::endpoint endpoint(family, static_cast<unsigned short>(port));
            mAcceptor.open(endpoint.protocol());
            mAcceptor.set_option(tcp::acceptor::reuse_address(true));
            if (family == tcp::v6())
                mAcceptor.set_option(boost::asio::ip::v6_only(false));
            mAcceptor.bind(endpoint);
            mAcceptor.listen(kListenBacklog);
            mPort = mAcceptor.local_endpoint().port();
            mWaiting = true;
            mAcceptor.async_accept(
                mSocket, [this](const boost::system::error_code& error) { handleAccept(error); });
            return true;
        } catch (const boost::system::system_error& e) {
            std::cout << (family == tcp::v6() ? "IPv6: " : "IPv4: ") << e.what() << std::endl;
            boost::system::error_code ignored;
            mAcceptor.close(ignored);
        }
    }
    boost::system::error_code ignored;
    mSocket.close(ignored);
    return false;
}

void CServer::handleAccept(const boost::system::error_code& error)
{
    mWaiting = false;
    mNetwork.onConnectResult(!error);
    // One client only: a second one is refused at once instead of waiting in the backlog for
    // an answer that never comes.
    boost::system::error_code ignored;
    mAcceptor.close(ignored);
    if (error) {
        std::cout << error.message() << std::endl;
        return;
    }
    connectionMade();
}

void CServer::close()
{
    mWaiting = false;
    boost::system::error_code ignored;
    mAcceptor.close(ignored);
    CHost::close();
}

// ------------------------------------------------------------------------------------- client

bool CClient::start(int port, const std::string& address)
{
    using boost::asio::ip::tcp;
    boost::system::error_code error;
    // Numeric addresses only: no name lookup.
    const boost::asio::ip::address ip = boost::asio::ip::make_address(address, error);
    if (error || port < 0 || port > 65535) {
        std::cout << (error ? error.message() : std::string("Invalid port")) << std::endl;
        boost::system::error_code ignored;
        mSocket.close(ignored);
        return false;
    }
    mAddressText = address + " port " + std::to_string(port);
    mSocket.async_connect(
        tcp::endpoint(ip, static_cast<unsigned short>(port)),
        [this](const boost::system::error_code& result) { handleConnect(result); });
    mConnectTimer.expires_after(kConnectTimeout);
    mConnectTimer.async_wait([this](const boost::system::error_code& error) {
        if (error || isConnected())
            return;
        // Closing the socket ends the connect attempt: its handler reports the failure.
        mTimedOut = true;
        boost::system::error_code ignored;
        mSocket.close(ignored);
    });
    return true;
}

void CClient::handleConnect(const boost::system::error_code& error)
{
    mConnectTimer.cancel();
    if (!error) {
        mNetwork.onConnectResult(true);
        connectionMade();
        return;
    }
    const std::string reason =
        mTimedOut ? "No answer from " + mAddressText + " within " +
                        std::to_string(kConnectTimeout.count()) + " seconds."
                  : "No game is serving at " + mAddressText + " (" + error.message() + ").";
    mNetwork.onConnectResult(false, reason);
}

void CClient::close()
{
    mConnectTimer.cancel();
    CHost::close();
}
