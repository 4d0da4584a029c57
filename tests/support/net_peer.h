// Test helpers for the network object on loopback: a menu that records what the network
// reports, a frame pump, and a raw TCP peer that writes and reads whatever a test wants.
#pragma once

#include "game/net/network.h"
#include "game/net/network_menu.h"
#include "game/net/network_round.h"
#include "headless_ogre.h"
#include "level_fixture.h"
#include "test_env.h"
#include "world/scene.h"

#include <OgreFrameListener.h>
#include <boost/asio.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class CRecordingNetworkMenu : public INetworkMenu
{
public:
    CRecordingNetworkMenu() { setNetworkMenu(this); }
    ~CRecordingNetworkMenu() override { setNetworkMenu(nullptr); }

    void serverConnected() override
    {
        events.push_back("serverConnected");
        CNetwork& network = CNetwork::getSingleton();
        for (const char* command : {"/plyName Ann$", "/plyColor 3.0 3.0 3.0$", "/plyId 1$"})
            network.pushLocal(command);
        network.offerMap("alpha.kivom");
    }
    void clientConnected() override { events.push_back("clientConnected"); }
    void serverFailed() override { events.push_back("serverFailed"); }
    void clientFailed(const std::string& reason) override
    {
        events.push_back("clientFailed " + reason);
    }
    bool startClientRound() override
    {
        events.push_back("startClientRound");
        return true;
    }
    void connectionLost() override { events.push_back("connectionLost"); }
    void showRemoteName(const std::string& name, int number) override
    {
        events.push_back("name " + name + " " + std::to_string(number));
    }
    void mapChecked(const std::string& map, bool available) override
    {
        events.push_back("map " + map + (available ? " agreed" : " missing"));
    }
    const std::vector<std::string>& getMapList() const override { return maps; }

    bool saw(const std::string& event) const
    {
        return std::find(events.begin(), events.end(), event) != events.end();
    }

    std::vector<std::string> events;
    std::vector<std::string> maps = {"alpha.kivom"};
};

// The rules of a round as the network reports to them.
class CRecordingRound : public INetworkRound
{
public:
    void peerReset(int number) override { resets.push_back(number); }
    void serverDecided(int number, double seconds) override
    {
        decisions.emplace_back(number, seconds);
    }
    std::vector<int> resets;
    std::vector<std::pair<int, double>> decisions;
};

// Runs the network's frame step (60 frames a second), or whole frames of a headless game, until
// the condition holds; false when it did not within the time.
inline bool pumpUntil(const std::function<bool()>& done, double seconds = 5.0,
                      HeadlessOgre* game = nullptr)
{
    Ogre::FrameEvent evt{};
    evt.timeSinceLastFrame = 1.0f / 60.0f;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (!CNetwork::hasInstance())
            return done();
        CNetwork& network = CNetwork::getSingleton();
        if (game) {
            game->frame(evt.timeSinceLastFrame);
        } else {
            network.updateAlways(evt);
            if (CNetwork::hasInstance())
                network.frameEnded(evt);
        }
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}

// A raw TCP peer with blocking writes and polled reads.
class CRawPeer
{
public:
    boost::system::error_code connect(unsigned short port)
    {
        boost::system::error_code error;
        socket.connect({boost::asio::ip::address_v4::loopback(), port}, error);
        return error;
    }
    void write(const std::string& bytes) { boost::asio::write(socket, boost::asio::buffer(bytes)); }
    // Reads what has arrived, pumping the network meanwhile, until the text holds the needle.
    bool readUntil(const std::string& needle, double seconds = 5.0)
    {
        return pumpUntil(
            [&] {
                boost::system::error_code error;
                while (socket.available(error) > 0 && !error) {
                    char chunk[65536];
                    received.append(chunk, socket.read_some(boost::asio::buffer(chunk), error));
                }
                return received.find(needle) != std::string::npos;
            },
            seconds);
    }

    boost::asio::io_context io;
    boost::asio::ip::tcp::socket socket{io};
    std::string received;
};

// Starts the network as the client of a raw server on loopback, which accepts it.
inline void startClientOf(boost::asio::ip::tcp::acceptor& acceptor, CRawPeer& server)
{
    CNetwork::getSingleton().start(CNetwork::ROLE_CLIENT, acceptor.local_endpoint().port(),
                                   "127.0.0.1");
    acceptor.accept(server.socket);
}

// A two-player straight course saved as "data/maps/<map>" and built for its local player.
inline CScene* newCourseScene(const std::string& map, int localPlayer)
{
    std::filesystem::create_directories("data/maps");
    testenv::writeFile("data/maps/" + map, leveltest::straightCourse(3, 2).str());
    return new CScene(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName, "", "", "", false,
                      map, 2, localPlayer, nullptr);
}

// A network test on a course: its own folder, headless Ogre, a recording menu and the scene a
// test builds; the network ends before the scene.
class CNetCourseTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        CNetwork::destroySingleton();
        scene.reset();
    }

    testenv::TempDir dir;
    HeadlessOgre ogre;
    CRecordingNetworkMenu menu;
    std::unique_ptr<CScene> scene;
};

// A loopback port nobody listens on (just closed).
inline unsigned short unusedPort()
{
    boost::asio::io_context io;
    boost::asio::ip::tcp::acceptor acceptor(io, {boost::asio::ip::tcp::v4(), 0});
    return acceptor.local_endpoint().port();
}
