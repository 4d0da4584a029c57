// Fuzzes every reader of a peer's command text on its own: whatever a reader accepts must be what
// the game relies on (finite numbers of sane size, a state's bodies distinct and within bounds).
#include "game/net/protocol.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

void requireSane(const Ogre::Vector3& v)
{
    for (int i = 0; i < 3; ++i)
        if (!std::isfinite(v[i]) || std::fabs(v[i]) > protocol::kMaxMagnitude)
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string command(reinterpret_cast<const char*>(data), size);
    double seconds = 0.0;
    std::vector<protocol::SBodyState> bodies;
    if (protocol::readState(command, seconds, bodies)) {
        if (!std::isfinite(seconds) || bodies.size() > protocol::kMaxStateBodies)
            std::abort();
        std::set<int> indices;
        for (const protocol::SBodyState& body : bodies) {
            if (body.index < 0 || body.index >= protocol::kMaxStateBodies ||
                !indices.insert(body.index).second)
                std::abort();
            requireSane(body.position);
            requireSane(body.velocity);
            requireSane(body.omega);
        }
    }
    double stamp = 0.0;
    if (protocol::readStamp(command, stamp) && !std::isfinite(stamp))
        std::abort();
    int number = 0;
    protocol::readVersion(command, number);
    protocol::readReset(command, number);
    protocol::readWinner(command, number, seconds);
    Ogre::Vector3 direction;
    if (protocol::readMoveDir(command, direction))
        requireSane(direction);
    std::string name;
    protocol::readPlayerName(command, name);
    protocol::readMapName(command, name);
    return 0;
}
