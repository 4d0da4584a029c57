// Network play through a relay that holds each direction for half a round trip with jitter
// (0, 50 and 150 ms round trip, +-30 ms), with 0 and 50 monsters, each time as this game plays
// ("after") and as a game before "/state" played ("before"): traffic each way, the largest
// per-frame jump of each ball on each screen beyond its own motion, how far apart the two
// screens show each ball 0.5 s after both balls stopped, and the frames from a key to the own
// ball's first move. The server and the client are two processes with headless levels; both
// balls drive a fixed route in lanes of their own while the monsters, across a trench, roll
// after them and fall.
#include "game/net/network.h"
#include "game/net/protocol.h"
#include "latency_relay.h"
#include "world/monster.h"
#include "world/paths.h"
#include "world/scene.h"
#include "world_bench_common.h"

#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kFps = 50; // two physics steps a frame: the balls' own motion has no beat
constexpr double kFrame = 1.0 / kFps;
constexpr int kFrames = 8 * kFps;
constexpr int kSide = 30;
constexpr int kTrenchFrom = 8, kTrenchTo = 9; // rows of z without boxes
constexpr double kKeyTime = 0.5;              // the first key, from rest
constexpr double kLegTime = 1.0;              // each of the route's three legs
constexpr float kKey = 40.0f;
constexpr float kStopped = 0.02f;
constexpr double kAfterStop = 0.5;

double now()
{
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

int boxAt(int x, int z)
{
    return x * kSide + z;
}

// A 30 x 30 field of unit boxes at (x, 0, -z) without the trench rows; the balls start at
// (0, -1) and (15, -1); waypoints and monsters beyond the trench.
void writeField(const std::string& name, int monsters)
{
    std::filesystem::create_directories(paths::shippedMapDir());
    std::ofstream out(paths::shippedMapDir() + "/" + name);
    auto exists = [](int x, int z) {
        return x >= 0 && x < kSide && z >= 0 && z < kSide && (z < kTrenchFrom || z > kTrenchTo);
    };
    for (int x = 0; x < kSide; ++x)
        for (int z = 0; z < kSide; ++z)
            if (exists(x, z))
                out << "box=b" << boxAt(x, z) << ",stone,field," << x << ",0," << -z
                    << ",0.5,0.5,-0.5,-0.5,0.5,-0.5,-0.5,0.5,0.5,0.5,0.5,0.5,0,0.5,0,0.5,-0.5,"
                       "-0.5,-0.5,-0.5,-0.5,-0.5,-0.5,0.5,0.5,-0.5,0.5,0\n";
    out << "ambient=0.4,0.4,0.4\nstartpoint=b" << boxAt(0, 1) << "\nstartpoint=b" << boxAt(15, 1)
        << "\nfinishpoint=b" << boxAt(kSide - 1, kSide - 1) << "\n";
    for (int x = 0; x < kSide; ++x)
        for (int z = kTrenchTo + 1; z < kSide; ++z) {
            out << "waypoint=b" << boxAt(x, z) << ",1";
            for (const auto& [dx, dz] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
                if (exists(x + dx, z + dz) && z + dz > kTrenchTo)
                    out << ",b" << boxAt(x + dx, z + dz);
            out << "\n";
        }
    for (int n = 0; n < monsters; ++n)
        out << "monster=" << CMonster::KIND_EVIL_MARBLE << ",m" << n << ",b"
            << boxAt(2 + n % 25, kTrenchTo + 1 + 2 * (n / 25)) << "\n";
}

struct SFrame
{
    double time;
    Ogre::Vector3 ball[2];
};

struct SSide
{
    double bytesPerSecond = 0;
    double stoppedAt = 0;
    int keyFrames = -1; // frames from the first key to the own ball's first move
    double worstJump[2] = {0, 0};
};

// The route of a ball: three legs, then braking until it stands.
Ogre::Vector3 steering(double t, const Ogre::Vector3& velocity, bool& braking)
{
    static const Ogre::Vector3 kLegs[3] = {{0, 0, -kKey}, {kKey, 0, 0}, {0, 0, kKey}};
    if (t < kKeyTime)
        return Ogre::Vector3::ZERO;
    const int leg = static_cast<int>((t - kKeyTime) / kLegTime);
    if (leg < 3)
        return kLegs[leg];
    const Ogre::Vector3 flat(velocity.x, 0, velocity.z);
    braking = flat.length() > kStopped;
    if (!braking)
        return Ogre::Vector3::ZERO;
    // Full keys while fast, then gently, so that it stops instead of swinging about.
    return flat.length() > 0.2f ? -flat.normalisedCopy() * kKey : -flat * (kKey / 0.2f);
}

Ogre::Vector3 shown(Ogre::SceneManager* manager, int ball)
{
    return manager->getSceneNode("Ball" + std::to_string(ball))->_getDerivedPosition();
}

SSide runSide(int role, int portPipe[2], std::vector<SFrame>& frames)
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
    const double giveUp = now() + 10;
    while (!network.isConnected() && now() < giveUp)
        ogre.frame(static_cast<float>(kFrame));
    network.pushLocal(protocol::playerIdCommand(local));
    while (network.getPhase() == CNetwork::Phase::Handshake && now() < giveUp)
        ogre.frame(static_cast<float>(kFrame));
    if (role == CNetwork::ROLE_SERVER) {
        // The client has introduced itself (and told its version) before its number.
        network.beginServerRound();
    }
    while (network.getPhase() != CNetwork::Phase::Round && now() < giveUp)
        ogre.frame(static_cast<float>(kFrame));

    Ogre::SceneManager* manager = scene.getSceneManager();
    const int own = local - 1;
    SSide result;
    bool braking = false, moved = false;
    int keyFrame = -1;
    Ogre::Vector3 beforeKey = Ogre::Vector3::ZERO, keyDirection = Ogre::Vector3::ZERO;
    std::uint64_t sentBefore = network.getBytesSent();
    const double start = now();
    auto deadline = Clock::now();
    for (int frame = 0; frame < kFrames; ++frame) {
        const double t = frame * kFrame;
        const Ogre::Vector3 velocity = scene.getBallBody(own)->getVelocity();
        const Ogre::Vector3 steer = steering(t, velocity, braking);
        if (keyFrame < 0 && steer != Ogre::Vector3::ZERO) {
            keyFrame = frame;
            keyDirection = steer.normalisedCopy();
            beforeKey = shown(manager, own);
        }
        if (t > kKeyTime + 3 * kLegTime && !braking && result.stoppedAt == 0)
            result.stoppedAt = now();
        scene.getBallForces()[static_cast<size_t>(own)] = steer;
        // The other ball is pushed with the peer's last steering, as its network player does.
        scene.getBallForces()[static_cast<size_t>(1 - own)] = network.getRemoteMovement();
        network.sendToPeer(protocol::moveDirCommand(steer));
        ogre.frame(static_cast<float>(kFrame));
        SFrame record{now(), {shown(manager, 0), shown(manager, 1)}};
        frames.push_back(record);
        if (keyFrame >= 0 && !moved &&
            (record.ball[own] - beforeKey).dotProduct(keyDirection) > 1e-4f) {
            moved = true;
            result.keyFrames = frame - keyFrame;
        }
        deadline += std::chrono::microseconds(static_cast<int>(kFrame * 1e6));
        std::this_thread::sleep_until(deadline);
    }
    result.bytesPerSecond =
        static_cast<double>(network.getBytesSent() - sentBefore) / (now() - start);
    // The server leaves first, so that only the client sees the connection end.
    if (role == CNetwork::ROLE_CLIENT)
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (std::size_t f = 2; f < frames.size(); ++f)
        for (int ball = 0; ball < 2; ++ball) {
            const Ogre::Vector3 change =
                frames[f].ball[ball] - 2 * frames[f - 1].ball[ball] + frames[f - 2].ball[ball];
            result.worstJump[ball] = std::max(result.worstJump[ball], double(change.length()));
        }
    CNetwork::destroySingleton();
    return result;
}

const SFrame& frameAt(const std::vector<SFrame>& frames, double time)
{
    for (const SFrame& frame : frames)
        if (frame.time >= time)
            return frame;
    return frames.back();
}

struct SRun
{
    SSide server, client;
    double apart[2] = {0, 0};
};

bool run(bool classic, double roundTrip, SRun& out)
{
    int portPipe[2], relayPipe[2], resultPipe[2];
    if (pipe(portPipe) || pipe(relayPipe) || pipe(resultPipe))
        return false;
    CNetwork::setClassicPlay(classic);
    const std::string framesFile = "client.frames";
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        // The client's reports (the server closing first) would only clutter the table.
        if (!std::freopen("/dev/null", "w", stdout))
            _exit(1);
        int clientPipe[2] = {relayPipe[0], -1};
        std::vector<SFrame> frames;
        const SSide result = runSide(CNetwork::ROLE_CLIENT, clientPipe, frames);
        std::ofstream(framesFile, std::ios::binary)
            .write(reinterpret_cast<const char*>(frames.data()),
                   static_cast<std::streamsize>(frames.size() * sizeof(SFrame)));
        _exit(write(resultPipe[1], &result, sizeof result) == sizeof result ? 0 : 1);
    }
    close(resultPipe[1]); // a client that dies then ends the read below
    // The server tells its port through this pipe; the relay in front of it tells the client
    // its own.
    std::vector<SFrame> serverFrames;
    std::unique_ptr<CLatencyRelay> relay;
    std::thread relayStarter([&] {
        unsigned short port = 0;
        if (read(portPipe[0], &port, sizeof port) != sizeof port)
            return;
        CLatencyRelay::SSettings settings;
        settings.roundTrip = roundTrip;
        settings.jitter = 0.03;
        relay = std::make_unique<CLatencyRelay>("127.0.0.1", port, settings);
        const unsigned short relayPort = relay->port();
        if (write(relayPipe[1], &relayPort, sizeof relayPort) != sizeof relayPort)
            return;
    });
    int serverPipe[2] = {-1, portPipe[1]};
    out.server = runSide(CNetwork::ROLE_SERVER, serverPipe, serverFrames);
    relayStarter.join();
    const bool ok = read(resultPipe[0], &out.client, sizeof out.client) == sizeof out.client;
    waitpid(child, nullptr, 0);
    relay.reset();
    for (int fd : {portPipe[0], portPipe[1], relayPipe[0], relayPipe[1], resultPipe[0]})
        close(fd);
    std::vector<SFrame> clientFrames(std::filesystem::file_size(framesFile) / sizeof(SFrame));
    std::ifstream(framesFile, std::ios::binary)
        .read(reinterpret_cast<char*>(clientFrames.data()),
              static_cast<std::streamsize>(clientFrames.size() * sizeof(SFrame)));
    if (!ok || clientFrames.empty() || serverFrames.empty())
        return false;
    const double when = std::max(out.server.stoppedAt, out.client.stoppedAt) + kAfterStop;
    for (int ball = 0; ball < 2; ++ball)
        out.apart[ball] =
            frameAt(serverFrames, when).ball[ball].distance(frameAt(clientFrames, when).ball[ball]);
    return true;
}

} // namespace

int main()
{
    const auto folder = std::filesystem::temp_directory_path() / "kivo-bench-network";
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    std::printf("Network round through a relay (+-30 ms jitter each way), %d frames a second, %d "
                "frames measured.\nbytes/s: server->client / client->server. jump: largest "
                "per-frame change of a ball's\nshown motion (units) on the server's screen "
                "(ball 0, ball 1) | on the client's screen.\napart: distance between the two "
                "screens' places of ball 0, ball 1 0.5 s after both stopped.\nkey: frames from "
                "the first key to the own ball's first move (server, client; 0 = same frame).\n\n",
                kFps, kFrames);
    std::printf("%-4s %-8s %-6s %16s %27s %13s %6s\n", "rtt", "monsters", "play", "bytes/s",
                "jump srv | cli", "apart", "key");
    for (double roundTrip : {0.0, 0.05, 0.15})
        for (int monsters : {0, 50}) {
            writeField("net.kivom", monsters);
            for (bool classic : {true, false}) {
                SRun r;
                if (!run(classic, roundTrip, r)) {
                    std::printf("run failed\n");
                    return 1;
                }
                std::printf("%-4.0f %-8d %-6s %7.0f / %6.0f %6.3f %6.3f | %6.3f %6.3f %6.3f "
                            "%6.3f %2d %2d\n",
                            roundTrip * 1000, monsters, classic ? "before" : "after",
                            r.server.bytesPerSecond, r.client.bytesPerSecond, r.server.worstJump[0],
                            r.server.worstJump[1], r.client.worstJump[0], r.client.worstJump[1],
                            r.apart[0], r.apart[1], r.server.keyFrames, r.client.keyFrames);
                std::fflush(stdout);
            }
        }
    std::filesystem::current_path("/");
    std::filesystem::remove_all(folder);
    return 0;
}
