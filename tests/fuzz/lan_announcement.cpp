// Fuzzes what anyone on the local network can send a client page: the bytes are read as a
// server announcement and, when taken, put into a server list, which must stay within its
// bounds and hold only clean names and plain map names.
#include "game/net/lan_servers.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static lan::CServerList list;
    static double now = 0.0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    lan::SAnnouncement server;
    if (!lan::readAnnouncement(text, server))
        return 0;
    if (text.size() > lan::kMaxAnnouncement || server.port == 0 || server.map.empty() ||
        server.map.find('/') != std::string::npos)
        std::abort();
    // Senders from a small set of addresses, time moving on a little each input.
    now += 0.01;
    list.heard(now, "192.0.2." + std::to_string(size % 7), server);
    list.forget(now);
    if (list.servers().size() > lan::CServerList::kMaxServers)
        std::abort();
    // What is read back is written back the same way.
    lan::SAnnouncement again;
    if (!lan::readAnnouncement(lan::announcement(server), again) || again.name != server.name ||
        again.map != server.map || again.port != server.port || again.id != server.id)
        std::abort();
    return 0;
}
