// Both ends of the connection: reading commands, writing the queued ones, listening, accepting
// one client and connecting to a server.
#include "game/net/host.h"

#include "game/net/network.h"

#include <boost/asio/connect.hpp>
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
    closeSocket("Error while deleting");
}

void CHost::connectionMade()
{
    mConnected = true;
    boost::system::error_code ignored;
    // A steering command must leave at once, not wait for more bytes to fill a segment.
    mSocket.set_option(boost::asio::ip::tcp::no_delay(true), ignored);
    startRead();
    if (mNetwork.claimSending())
        send();
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
    std::istream stream(&mReceiveBuffer);
    std::string command;
    std::getline(stream, command, '$');
    command += '$';
    if (command.compare(0, std::char_traits<char>::length(kInternalPrefix), kInternalPrefix) != 0)
        mNetwork.pushIncoming(command);
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
    try {
        const tcp::endpoint endpoint(tcp::v4(), static_cast<unsigned short>(port));
        mAcceptor.open(endpoint.protocol());
        mAcceptor.set_option(tcp::acceptor::reuse_address(true));
        mAcceptor.bind(endpoint);
        mAcceptor.listen(kListenBacklog);
        mPort = mAcceptor.local_endpoint().port();
        mAcceptor.async_accept(
            mSocket, [this](const boost::system::error_code& error) { handleAccept(error); });
    } catch (const boost::system::system_error& e) {
        std::cout << e.what() << std::endl;
        boost::system::error_code ignored;
        mAcceptor.close(ignored);
        mSocket.close(ignored);
        return false;
    }
    return true;
}

void CServer::handleAccept(const boost::system::error_code& error)
{
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
    boost::system::error_code ignored;
    mAcceptor.close(ignored);
    closeSocket("Error while deleting");
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
    mSocket.async_connect(
        tcp::endpoint(ip, static_cast<unsigned short>(port)),
        [this](const boost::system::error_code& result) { handleConnect(result); });
    return true;
}

void CClient::handleConnect(const boost::system::error_code& error)
{
    mNetwork.onConnectResult(!error);
    if (!error)
        connectionMade();
}

void CClient::close()
{
    closeSocket("Error while deleting!");
}
