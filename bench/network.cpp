// Prints the traffic of a network round on loopback, each way, in bytes per second at 60 frames
// a second, and how many frames pass between a steering change on one side and its arrival in
// the other side's network object, with 0, 10 and 50 monsters. The server and the client are
// two processes, each with its own headless level (two balls on a 400-box field).
#include "game/net/network.h"
#include "game/net/protocol.h"
#include "waypoint_field.h"
#include "world/monster.h"
#include "world/scene.h"
#include "world_bench_common.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kFrame = 1.0 / 60.0;
constexpr int kWarmUpFrames = 60;
constexpr int kFrames = 600;     // ten seconds
constexpr int kChangeEvery = 20; // frames between two steering changes
constexpr int kBoxes = 400;

double now()
{
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

struct SSideResult
{
    double bytesSentPerSecond = 0;
    double meanFrames = 0;
    double worstFrames = 0;
    int changesSeen = 0;
};

// One side of the round: steers its own ball with a new vector every kChangeEvery frames and
// notes when each of the peer's changes arrived. Send times are shared through a pipe.
SSideResult runSide(int role, int portPipe[2], int timesOut, int timesIn)
{
    worldbench::CHeadlessOgre ogre;
    const int local = role == CNetwork::ROLE_SERVER ? 1 : 2;
    CScene scene("SceneManager", "firstCamera", "", "", "", false, "net.kivom", 2, local, nullptr);
    CNetwork& network = CNetwork::getSingleton();
    if (role == CNetwork::ROLE_SERVER) {
        network.start(role, 0, "");
        const unsigned short port = network.getServerPort();
        if (write(portPipe[1], &port, sizeof port) != sizeof port)
            return {};
    } else {
        unsigned short port = 0;
        if (read(portPipe[0], &port, sizeof port) != sizeof port)
            return {};
        network.start(role, port, "127.0.0.1");
    }
    while (!network.isConnected())
        ogre.frame(static_cast<float>(kFrame));
    // Each side introduces itself; the server starts once it knows the client.
    network.pushLocal(protocol::playerIdCommand(local));
    while (network.getPhase() == CNetwork::Phase::Handshake)
        ogre.frame(static_cast<float>(kFrame));
    if (role == CNetwork::ROLE_SERVER)
        network.beginServerRound();

    std::vector<double> arrivals(kFrames / kChangeEvery, 0.0);
    Ogre::Vector3 lastSeen = network.getRemoteMovement();
    std::uint64_t sentBefore = 0;
    double start = 0;
    auto deadline = Clock::now();
    for (int frame = -kWarmUpFrames; frame < kFrames; ++frame) {
        if (frame == 0) {
            sentBefore = network.getBytesSent();
            start = now();
        }
        if (frame >= 0 && frame % kChangeEvery == 0) {
            // The change number is in the vector, so that the peer knows which one it sees.
            const double sent = now();
            if (write(timesOut, &sent, sizeof sent) != sizeof sent)
                return {};
        }
        const int change = frame >= 0 ? frame / kChangeEvery : -1;
        const Ogre::Vector3 steering(0.0f, 0.0f, -1.0f - static_cast<float>(change + 1));
        scene.getBallForces()[static_cast<size_t>(local - 1)] = steering;
        network.sendToPeer(protocol::moveDirCommand(steering));
        ogre.frame(static_cast<float>(kFrame));
        const Ogre::Vector3 seen = network.getRemoteMovement();
        if (seen != lastSeen) {
            lastSeen = seen;
            const int peerChange = static_cast<int>(-seen.z - 2.0f);
            if (peerChange >= 0 && peerChange < static_cast<int>(arrivals.size()))
                arrivals[static_cast<size_t>(peerChange)] = now();
        }
        deadline += std::chrono::microseconds(16667);
        std::this_thread::sleep_until(deadline);
    }
    SSideResult result;
    result.bytesSentPerSecond =
        static_cast<double>(network.getBytesSent() - sentBefore) / (now() - start);
    double total = 0;
    for (size_t change = 0; change < arrivals.size(); ++change) {
        double sent = 0;
        if (read(timesIn, &sent, sizeof sent) != sizeof sent)
            break;
        if (arrivals[change] == 0.0)
            continue;
        const double frames = (arrivals[change] - sent) / kFrame;
        total += frames;
        result.worstFrames = std::max(result.worstFrames, frames);
        ++result.changesSeen;
    }
    result.meanFrames = result.changesSeen ? total / result.changesSeen : 0.0;
    CNetwork::destroySingleton();
    return result;
}

void report(const char* side, const SSideResult& result)
{
    std::printf("  %s sends %8.0f bytes/s; the peer's changes arrive %.2f frames later on "
                "average (worst %.2f, %d changes)\n",
                side, result.bytesSentPerSecond, result.meanFrames, result.worstFrames,
                result.changesSeen);
}

} // namespace

int main()
{
    const auto folder = std::filesystem::temp_directory_path() / "kivo-bench-network";
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    std::printf("Network round on loopback, 60 frames a second, %d frames measured:\n", kFrames);
    for (int monsters : {0, 10, 50}) {
        int portPipe[2], toClient[2], toServer[2], resultPipe[2];
        if (pipe(portPipe) || pipe(toClient) || pipe(toServer) || pipe(resultPipe))
            return 1;
        std::vector<monsterbench::SMonsterSpec> specs;
        for (int n = 0; n < monsters; ++n)
            specs.push_back({CMonster::KIND_EVIL_MARBLE, 40 + n * 7});
        monsterbench::writeWaypointField("net.kivom", kBoxes, specs);
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            const SSideResult result =
                runSide(CNetwork::ROLE_CLIENT, portPipe, toServer[1], toClient[0]);
            if (write(resultPipe[1], &result, sizeof result) != sizeof result)
                _exit(1);
            _exit(0);
        }
        close(resultPipe[1]); // a client that dies then ends the read below
        const SSideResult server =
            runSide(CNetwork::ROLE_SERVER, portPipe, toClient[1], toServer[0]);
        SSideResult client;
        if (read(resultPipe[0], &client, sizeof client) != sizeof client)
            return 1;
        waitpid(child, nullptr, 0);
        std::printf("%d monsters:\n", monsters);
        report("server", server);
        report("client", client);
        for (int fd : {portPipe[0], portPipe[1], toClient[0], toClient[1], toServer[0], toServer[1],
                       resultPipe[0]})
            close(fd);
    }
    std::filesystem::current_path("/");
    std::filesystem::remove_all(folder);
    return 0;
}
