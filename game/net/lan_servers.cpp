// Writing and reading announcements, and keeping the list of servers heard.
#include "game/net/lan_servers.h"

#include "game/core/utf8_text.h"
#include "game/net/protocol.h"

#include <algorithm>
#include <charconv>

namespace lan {

namespace {
unsigned short gDiscoveryPort = kDiscoveryPort;
const char* const kMagic = "KIVO server 1";
constexpr std::size_t kIdLength = 16;

bool plainFileName(const std::string& name)
{
    if (name.empty() || name.size() > kMaxMapName || name == "." || name == ".." ||
        !utf8::isValid(name))
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7f || c == '/' || c == '\\';
    });
}
} // namespace

unsigned short discoveryPort()
{
    return gDiscoveryPort;
}

void setDiscoveryPort(unsigned short port)
{
    gDiscoveryPort = port;
}

std::string announcement(const SAnnouncement& server)
{
    return std::string(kMagic) + "\nid=" + server.id + "\nport=" + std::to_string(server.port) +
           "\nname=" + protocol::cleanName(server.name) + "\nmap=" + server.map + "\n";
}

bool readAnnouncement(const std::string& text, SAnnouncement& server)
{
    if (text.size() > kMaxAnnouncement || text.empty() || text.back() != '\n')
        return false;
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    const auto field = [&](std::size_t i, const char* key, std::string& value) {
        const std::string prefix = std::string(key) + "=";
        if (lines[i].compare(0, prefix.size(), prefix) != 0)
            return false;
        value = lines[i].substr(prefix.size());
        return true;
    };
    std::string id, port, name, map;
    if (lines.size() != 5 || lines[0] != kMagic || !field(1, "id", id) || !field(2, "port", port) ||
        !field(3, "name", name) || !field(4, "map", map) || !plainFileName(map) ||
        id.size() != kIdLength || id.find_first_not_of("0123456789abcdef") != std::string::npos)
        return false;
    unsigned value = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (port.empty() || error != std::errc() || end != port.data() + port.size() || value < 1 ||
        value > 65535)
        return false;
    server.id = id;
    server.port = static_cast<unsigned short>(value);
    server.name = protocol::cleanName(name);
    server.map = map;
    return true;
}

bool CServerList::heard(double now, const std::string& address, const SAnnouncement& server)
{
    const bool ipv4 = address.find(':') == std::string::npos;
    for (SServer& known : mServers) {
        if (known.announced.id == server.id) {
            const bool better = ipv4 && known.address.find(':') != std::string::npos;
            const bool changed = better || known.announced.name != server.name ||
                                 known.announced.map != server.map ||
                                 known.announced.port != server.port;
            if (better)
                known.address = address;
            known.announced = server;
            known.lastHeard = now;
            return changed;
        }
    }
    const auto fromSender = std::count_if(mServers.begin(), mServers.end(),
                                          [&](const SServer& s) { return s.address == address; });
    if (mServers.size() >= kMaxServers || static_cast<std::size_t>(fromSender) >= kMaxPerSender)
        return false;
    mServers.push_back({address, server, now});
    return true;
}

bool CServerList::forget(double now)
{
    const std::size_t before = mServers.size();
    mServers.erase(
        std::remove_if(mServers.begin(), mServers.end(),
                       [now](const SServer& s) { return now - s.lastHeard > kForgetAfter; }),
        mServers.end());
    return mServers.size() != before;
}

} // namespace lan
