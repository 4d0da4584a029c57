// The UDP side of finding servers: sending announcements and reading them.
#include "game/net/lan_discovery.h"

#include <boost/asio/ip/multicast.hpp>
#include <boost/asio/ip/v6_only.hpp>

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <random>

namespace lan {

namespace {
using boost::asio::ip::udp;
const char* const kLoopbackBroadcast = "127.255.255.255";
const char* const kAllNodes = "ff02::1";

// Where announcements go: every IPv4 broadcast address of the machine's interfaces, the
// loopback network's, and all IPv6 nodes on every interface with multicast.
std::vector<udp::endpoint> targets(unsigned short port)
{
    std::vector<udp::endpoint> result{{boost::asio::ip::make_address(kLoopbackBroadcast), port}};
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return result;
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || !(entry->ifa_flags & IFF_UP))
            continue;
        if (entry->ifa_addr->sa_family == AF_INET && (entry->ifa_flags & IFF_BROADCAST) &&
            entry->ifa_broadaddr) {
            const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_broadaddr);
            result.emplace_back(boost::asio::ip::address_v4(ntohl(address->sin_addr.s_addr)), port);
        } else if (entry->ifa_addr->sa_family == AF_INET6 && (entry->ifa_flags & IFF_MULTICAST)) {
            auto group = boost::asio::ip::make_address_v6(kAllNodes);
            group.scope_id(if_nametoindex(entry->ifa_name));
            const udp::endpoint endpoint(group, port);
            if (std::find(result.begin(), result.end(), endpoint) == result.end())
                result.push_back(endpoint);
        }
    }
    freeifaddrs(list);
    return result;
}

std::string numeric(const boost::asio::ip::address& address)
{
    if (address.is_v6() && address.to_v6().is_v4_mapped())
        return boost::asio::ip::make_address_v4(boost::asio::ip::v4_mapped, address.to_v6())
            .to_string();
    return address.to_string();
}
} // namespace

std::string newServerId()
{
    std::random_device device;
    std::mt19937_64 random(
        (static_cast<std::uint64_t>(device()) << 32) ^ device() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(random()));
    return text;
}

CLanAnnouncer::CLanAnnouncer(boost::asio::io_context& io, unsigned short discoveryPort)
    : mSocket4(io), mSocket6(io), mTimer(io), mPort(discoveryPort)
{
}

void CLanAnnouncer::start(const std::string& text, std::function<bool()> waiting)
{
    mText = text;
    mWaiting = std::move(waiting);
    boost::system::error_code ignored;
    mSocket4.open(udp::v4(), ignored);
    mSocket4.set_option(boost::asio::socket_base::broadcast(true), ignored);
    mSocket6.open(udp::v6(), ignored);
    announce();
}

void CLanAnnouncer::stop()
{
    mTimer.cancel();
    boost::system::error_code ignored;
    mSocket4.close(ignored);
    mSocket6.close(ignored);
}

void CLanAnnouncer::announce()
{
    if (!mWaiting()) {
        stop();
        return;
    }
    for (const udp::endpoint& target : targets(mPort)) {
        udp::socket& socket = target.address().is_v4() ? mSocket4 : mSocket6;
        boost::system::error_code ignored; // an interface without a route is skipped
        if (socket.is_open())
            socket.send_to(boost::asio::buffer(mText), target, 0, ignored);
    }
    mTimer.expires_after(std::chrono::milliseconds(static_cast<int>(kAnnounceInterval * 1000)));
    mTimer.async_wait([this](const boost::system::error_code& error) {
        if (!error)
            announce();
    });
}

CLanListener::CLanListener(unsigned short discoveryPort)
{
    boost::system::error_code error;
    // One socket for both families where the machine has IPv6, else IPv4 alone. Several games
    // on one machine may listen at once.
    for (const udp family : {udp::v6(), udp::v4()}) {
        mSocket.open(family, error);
        if (error)
            continue;
        mSocket.set_option(boost::asio::socket_base::reuse_address(true), error);
        if (family == udp::v6())
            mSocket.set_option(boost::asio::ip::v6_only(false), error);
        mSocket.bind(udp::endpoint(family, discoveryPort), error);
        if (!error) {
            mSocket.non_blocking(true, error);
            return;
        }
        boost::system::error_code ignored;
        mSocket.close(ignored);
    }
}

bool CLanListener::poll(double now)
{
    bool changed = false;
    std::array<char, kMaxAnnouncement + 1> buffer;
    for (int i = 0; i < kMaxPerPoll && mSocket.is_open(); ++i) {
        udp::endpoint sender;
        boost::system::error_code error;
        const std::size_t bytes =
            mSocket.receive_from(boost::asio::buffer(buffer), sender, 0, error);
        if (error)
            break; // nothing more (would block), or a broken datagram
        SAnnouncement server;
        // A datagram that filled the buffer was longer than an announcement may be.
        if (bytes <= kMaxAnnouncement &&
            readAnnouncement(std::string(buffer.data(), bytes), server))
            changed = mList.heard(now, numeric(sender.address()), server) || changed;
    }
    return mList.forget(now) || changed;
}

} // namespace lan
