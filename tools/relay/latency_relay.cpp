// The relay: one acceptor, and per connection two pipes (client to server, server to client),
// each reading chunks, stamping each with the time it may leave, and writing them in order.
#include "latency_relay.h"

#include <boost/asio.hpp>

#include <algorithm>
#include <array>
#include <chrono>
#include <deque>
#include <iostream>
#include <random>
#include <stdexcept>
#include <thread>

namespace {
using boost::asio::ip::tcp;
using Clock = std::chrono::steady_clock;
constexpr std::size_t kChunk = 16 * 1024;

Clock::duration seconds(double value)
{
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(value));
}

// One direction: bytes read from `from` leave on `to` no earlier than their hold time, and
// never before the bytes read before them.
class CPipe : public std::enable_shared_from_this<CPipe>
{
public:
    CPipe(std::shared_ptr<tcp::socket> from, std::shared_ptr<tcp::socket> to,
          const CLatencyRelay::SSettings& settings, unsigned seed)
        : mFrom(std::move(from)), mTo(std::move(to)), mSettings(settings),
          mTimer(mTo->get_executor()), mRandom(seed)
    {
    }

    void start() { read(); }

private:
    struct SChunk
    {
        Clock::time_point due;
        std::string bytes;
    };

    void read()
    {
        auto self = shared_from_this();
        mFrom->async_read_some(boost::asio::buffer(mBuffer),
                               [self](const boost::system::error_code& error, std::size_t bytes) {
                                   self->onRead(error, bytes);
                               });
    }

    void onRead(const boost::system::error_code& error, std::size_t bytes)
    {
        if (error) {
            mClosing = true;
            if (mQueue.empty() && !mWriting)
                shutDown();
            return;
        }
        const double half = mSettings.roundTrip / 2.0;
        std::uniform_real_distribution<double> jitter(-mSettings.jitter, mSettings.jitter);
        Clock::time_point due = Clock::now() + seconds(std::max(0.0, half + jitter(mRandom)));
        due = std::max(due, mLastDue); // order kept
        if (mSettings.bytesPerSecond > 0.0) {
            due = std::max(due, mLineFree);
            mLineFree = due + seconds(static_cast<double>(bytes) / mSettings.bytesPerSecond);
        }
        mLastDue = due;
        mQueue.push_back({due, std::string(mBuffer.data(), bytes)});
        if (!mWriting)
            writeNext();
        read();
    }

    void writeNext()
    {
        if (mQueue.empty()) {
            mWriting = false;
            if (mClosing)
                shutDown();
            return;
        }
        mWriting = true;
        auto self = shared_from_this();
        mTimer.expires_at(mQueue.front().due);
        mTimer.async_wait([self](const boost::system::error_code& error) {
            if (error)
                return;
            boost::asio::async_write(
                *self->mTo, boost::asio::buffer(self->mQueue.front().bytes),
                [self](const boost::system::error_code& writeError, std::size_t) {
                    self->mQueue.pop_front();
                    if (writeError) {
                        self->mQueue.clear();
                        self->mClosing = true;
                    }
                    self->writeNext();
                });
        });
    }

    void shutDown()
    {
        boost::system::error_code ignored;
        mTo->shutdown(tcp::socket::shutdown_send, ignored);
        mFrom->shutdown(tcp::socket::shutdown_receive, ignored);
    }

    std::shared_ptr<tcp::socket> mFrom;
    std::shared_ptr<tcp::socket> mTo;
    CLatencyRelay::SSettings mSettings;
    boost::asio::steady_timer mTimer;
    std::mt19937 mRandom;
    std::array<char, kChunk> mBuffer{};
    std::deque<SChunk> mQueue;
    Clock::time_point mLastDue{};
    Clock::time_point mLineFree{};
    bool mWriting = false;
    bool mClosing = false;
};
} // namespace

struct CLatencyRelay::SImpl
{
    boost::asio::io_context io;
    tcp::acceptor acceptor{io};
    tcp::endpoint target;
    SSettings settings;
    unsigned connections = 0;
    std::thread thread;

    void accept()
    {
        auto client = std::make_shared<tcp::socket>(io);
        acceptor.async_accept(*client, [this, client](const boost::system::error_code& error) {
            if (error)
                return;
            auto server = std::make_shared<tcp::socket>(io);
            server->async_connect(
                target, [this, client, server](const boost::system::error_code& connectError) {
                    if (connectError) {
                        std::cerr << "relay: " << connectError.message() << "\n";
                        return;
                    }
                    for (const auto& socket : {client, server})
                        socket->set_option(tcp::no_delay(true));
                    const unsigned seed = settings.seed + 2 * connections++;
                    std::make_shared<CPipe>(client, server, settings, seed)->start();
                    std::make_shared<CPipe>(server, client, settings, seed + 1)->start();
                });
            accept();
        });
    }
};

CLatencyRelay::CLatencyRelay(const std::string& targetAddress, unsigned short targetPort,
                             const SSettings& settings, unsigned short listenPort)
    : mImpl(std::make_unique<SImpl>())
{
    boost::system::error_code error;
    const auto address = boost::asio::ip::make_address(targetAddress, error);
    if (error)
        throw std::runtime_error("relay: bad target address " + targetAddress);
    mImpl->target = tcp::endpoint(address, targetPort);
    mImpl->settings = settings;
    const tcp::endpoint local(boost::asio::ip::make_address("127.0.0.1"), listenPort);
    mImpl->acceptor.open(local.protocol());
    mImpl->acceptor.set_option(tcp::acceptor::reuse_address(true));
    mImpl->acceptor.bind(local, error);
    if (error)
        throw std::runtime_error("relay: cannot listen: " + error.message());
    mImpl->acceptor.listen();
    mImpl->accept();
    mImpl->thread = std::thread([impl = mImpl.get()] { impl->io.run(); });
}

CLatencyRelay::~CLatencyRelay()
{
    mImpl->io.stop();
    if (mImpl->thread.joinable())
        mImpl->thread.join();
}

unsigned short CLatencyRelay::port() const
{
    return mImpl->acceptor.local_endpoint().port();
}
