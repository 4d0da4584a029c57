// Fuzzes what a peer can send: the bytes are cut into commands and handled by a client's network
// object in a running two-ball level with a monster, on headless Ogre.
#include "game/net/network.h"
#include "game/net/network_menu.h"
#include "headless_ogre.h"
#include "world/box.h"
#include "world/monster.h"
#include "world/scene.h"

#include <boost/asio.hpp>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

class CSilentMenu : public INetworkMenu
{
public:
    void serverConnected() override {}
    void clientConnected() override {}
    void serverFailed() override {}
    void clientFailed(const std::string&) override {}
    bool startClientRound() override { return true; }
    void connectionLost() override {}
    void showRemoteName(const std::string&, int) override {}
    void mapChecked(const std::string&, bool) override {}
    const std::vector<std::string>& getMapList() const override { return maps; }
    std::vector<std::string> maps = {"fuzz.kivom"};
};

const char* const kMap =
    "box=s1,startbox,g,0,0,0,1,1,-1,-1,1,-1,-1,1,1,1,1,1,0,1,0,1,-1,-1,-1,-1,-1,-1,-1,1,1,-1,1,1\n"
    "box=s2,startbox,g,2,0,0,1,1,-1,-1,1,-1,-1,1,1,1,1,1,0,1,0,1,-1,-1,-1,-1,-1,-1,-1,1,1,-1,1,1\n"
    "box=f,finishbox,g,0,0,-2,1,1,-1,-1,1,-1,-1,1,1,1,1,1,0,1,0,1,-1,-1,-1,-1,-1,-1,-1,1,1,-1,1,1\n"
    "startpoint=s1\nstartpoint=s2\nfinishpoint=f\n";

struct SRound
{
    SRound()
    {
        std::filesystem::create_directories("data/maps");
        std::ofstream("data/maps/fuzz.kivom") << kMap;
        setNetworkMenu(&menu);
        scene = new CScene(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName, "", "", "",
                           false, "fuzz.kivom", 2, 2, nullptr);
        scene->addWaypoint(scene->findBox("f"), 1);
        scene->addMonster(CMonster::KIND_EVIL_MARBLE, "m",
                          scene->findWaypoint(scene->findBox("f")));
        // A client whose server is not there: the role is set, nothing is ever read.
        boost::asio::io_context io;
        boost::asio::ip::tcp::acceptor probe(io, {boost::asio::ip::tcp::v4(), 0});
        const unsigned short port = probe.local_endpoint().port();
        probe.close();
        CNetwork::getSingleton().start(CNetwork::ROLE_CLIENT, port, "127.0.0.1");
    }

    HeadlessOgre ogre;
    CSilentMenu menu;
    CScene* scene = nullptr;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static SRound* round = new SRound();
    CNetwork& network = CNetwork::getSingleton();
    network.pushIncoming(std::string(reinterpret_cast<const char*>(data), size));
    Ogre::FrameEvent evt{};
    evt.timeSinceLastFrame = 1.0f / 60.0f;
    network.dispatchIncoming();
    network.dispatchIncoming();
    round->ogre.frame(evt.timeSinceLastFrame);
    network.takeAllLocal();
    return 0;
}
