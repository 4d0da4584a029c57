// Servers on the local network: the announcement a waiting server sends a few times a second
// (its player's name, its map and its port), read back strictly, and the bounded list of
// servers a client has heard lately. Announcements are text in five lines:
//   KIVO server 1\nid=<16 hex digits>\nport=<1..65535>\nname=<player name>\nmap=<map>\n
// The id tells one server heard on several ways (IPv4 broadcast, IPv6 multicast) as one.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace lan {

// The UDP port servers announce on and clients listen to.
constexpr unsigned short kDiscoveryPort = 27183;
// The port in use: kDiscoveryPort unless a test chose its own, so that tests running side by
// side do not hear each other.
unsigned short discoveryPort();
void setDiscoveryPort(unsigned short port);
// Anything longer is not an announcement of ours.
constexpr std::size_t kMaxAnnouncement = 512;
constexpr std::size_t kMaxMapName = 128;
// Announcements a second while a server waits for its client.
constexpr double kAnnounceInterval = 0.25;

struct SAnnouncement
{
    std::string id; // chosen at random when the server opens
    unsigned short port = 0;
    std::string name;
    std::string map;
};

std::string announcement(const SAnnouncement& server);
// False unless the text is exactly an announcement this game would send; the name comes back
// cleaned as a network name is, the map must be a plain file name.
bool readAnnouncement(const std::string& text, SAnnouncement& server);

struct SServer
{
    std::string address; // numeric, as the client's address field takes it
    SAnnouncement announced;
    double lastHeard = 0.0;
};

// The servers heard within the last kForgetAfter seconds, at most kMaxServers of them and at
// most kMaxPerSender from one address, so that a flood of fake announcements can neither grow
// the list nor push out the servers already in it.
class CServerList
{
public:
    static constexpr std::size_t kMaxServers = 16;
    static constexpr std::size_t kMaxPerSender = 4;
    // A server announces itself four times a second: 4.5 s of quiet means it is gone, and it is
    // off the list within 5 s of its last announcement.
    static constexpr double kForgetAfter = 4.5;

    // One announcement from `address` at time `now`; false when it changed nothing shown. A
    // server heard before keeps its place; an IPv4 address replaces an IPv6 one.
    bool heard(double now, const std::string& address, const SAnnouncement& server);
    // Drops the servers not heard for kForgetAfter; true when one went.
    bool forget(double now);
    const std::vector<SServer>& servers() const { return mServers; }

private:
    std::vector<SServer> mServers;
};

} // namespace lan
