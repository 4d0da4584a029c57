// The network object with a real level on headless Ogre: corrections of balls and monsters in
// both directions, and the winner from the server.
#include "headless_ogre.h"
#include "level_fixture.h"
#include "net_peer.h"
#include "test_env.h"
#include "world/box.h"
#include "world/monster.h"
#include "world/physics.h"
#include "world/scene.h"

#include <OgreSceneManager.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::string twoStartCourse()
{
    leveltest::MapText map;
    map.box("start0", 0, 0, 0, "startbox", 0, "course")
        .box("start1", 2, 0, 0, "startbox", 0, "course");
    for (int i = 1; i <= 3; ++i)
        map.box("b" + std::to_string(i), 0, 0, -1.0f * i, "stone", 0, "course");
    map.box("goal", 0, 0, -4, "finishbox", 0, "course");
    return map.start("start0").start("start1").finish("goal").str();
}

std::string numbers(std::initializer_list<Ogre::Vector3> vectors)
{
    std::string text;
    for (const Ogre::Vector3& v : vectors)
        for (int axis = 0; axis < 3; ++axis)
            text += " " + std::to_string(v[axis]);
    return text;
}

class NetworkRoundTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories("data/maps");
        testenv::writeFile("data/maps/net.kivom", twoStartCourse());
        scene = std::make_unique<CScene>(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName,
                                         "", "", "", false, "net.kivom", 2, 2, nullptr);
        ASSERT_TRUE(scene->addWaypoint(scene->findBox("b2"), 1));
        ASSERT_TRUE(scene->addMonster(CMonster::KIND_EVIL_MARBLE, "m1",
                                      scene->findWaypoint(scene->findBox("b2"))));
        ogre.frame(0.1f);
    }
    void TearDown() override
    {
        CNetwork::destroySingleton();
        scene.reset();
    }
    Ogre::Vector3 ball(int index) { return scene->getBallBody(index)->getPosition(); }

    testenv::TempDir dir;
    HeadlessOgre ogre;
    CRecordingNetworkMenu menu;
    std::unique_ptr<CScene> scene;
};

TEST_F(NetworkRoundTest, clientTakesOnlyCorrectionsBeyondHalfAUnitAndTheServersWinner)
{
    boost::asio::io_context io;
    boost::asio::ip::tcp::acceptor acceptor(io, {boost::asio::ip::tcp::v4(), 0});
    CNetwork& network = CNetwork::getSingleton();
    network.start(CNetwork::ROLE_CLIENT, acceptor.local_endpoint().port(), "127.0.0.1");
    CRawPeer server;
    acceptor.accept(server.socket);
    ASSERT_TRUE(pumpUntil([&] { return menu.saw("clientConnected"); }));

    const Ogre::Vector3 ball0 = ball(0), ball1 = ball(1);
    const Ogre::Vector3 monster = scene->getMonsters()[0]->getBody()->getPosition();
    const Ogre::Vector3 v(1, 2, 3), w(4, 5, 6);
    const std::string before = "/corrMove" +
                               numbers({ball0 + Ogre::Vector3(0.6f, 0, 0), v, w,
                                        ball1 + Ogre::Vector3(0.6f, 0, 0), v, w}) +
                               "$";
    server.write(before);
    pumpUntil([] { return false; }, 0.2);
    EXPECT_EQ(ball(0), ball0) << "no corrections before the round started";

    server.write("/startGame$/corrMove" +
                 numbers({ball0 + Ogre::Vector3(0.49f, 0, 0), v, w,
                          ball1 + Ogre::Vector3(0, 0, 0.51f), v, w}) +
                 "$/monsterCorrMove" + numbers({monster + Ogre::Vector3(0, 0, 3), v, w}) + "$");
    ASSERT_TRUE(pumpUntil([&] { return ball(1) != ball1; }));
    EXPECT_TRUE(menu.saw("startClientRound"));
    EXPECT_EQ(ball(0), ball0);
    EXPECT_NE(scene->getBallBody(0)->getVelocity(), v);
    EXPECT_TRUE(ball(1).positionEquals(ball1 + Ogre::Vector3(0, 0, 0.51f), 1e-4f));
    EXPECT_EQ(scene->getBallBody(1)->getVelocity(), v);
    EXPECT_EQ(scene->getBallBody(1)->getOmega(), w);
    EXPECT_EQ(scene->getBallBody(1)->getOrientation(), Ogre::Quaternion::IDENTITY);
    ASSERT_TRUE(pumpUntil([&] {
        return scene->getMonsters()[0]->getBody()->getPosition().positionEquals(
            monster + Ogre::Vector3(0, 0, 3), 1e-4f);
    }));

    server.write("/winner 3 1$/winner 1 2.5$");
    ASSERT_TRUE(pumpUntil([&] { return scene->getWinner() == 1; }));
}

TEST_F(NetworkRoundTest, serverSendsBothBallsAndEveryMonsterAtMostTwentyTimesASecond)
{
    CNetwork& network = CNetwork::getSingleton();
    ASSERT_TRUE(network.start(CNetwork::ROLE_SERVER, 0, ""));
    CRawPeer client;
    ASSERT_FALSE(client.connect(network.getServerPort()));
    ASSERT_TRUE(client.readUntil("$/monsterCorrMove "));
    client.received.clear();
    Ogre::FrameEvent evt{};
    evt.timeSinceLastFrame = 1.0f / 60.0f;
    for (int frame = 0; frame < 60; ++frame) { // one second
        network.updateAlways(evt);
        network.frameEnded(evt);
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    client.readUntil("never sent", 0.0); // reads what came, without further frames
    // Two balls of nine numbers each, then one monster of nine.
    const auto numbers = [&client](const std::string& word) {
        const std::size_t at = client.received.find(word);
        const std::size_t end = client.received.find('$', at);
        EXPECT_NE(end, std::string::npos) << word;
        return std::count(client.received.begin() + at, client.received.begin() + end, ' ');
    };
    EXPECT_EQ(numbers("/corrMove "), 18);
    EXPECT_EQ(numbers("/monsterCorrMove "), 9);
    std::size_t sets = 0;
    for (std::size_t at = client.received.find("/monsterCorrMove "); at != std::string::npos;
         at = client.received.find("/monsterCorrMove ", at + 1))
        ++sets;
    EXPECT_GE(sets, 15u);
    EXPECT_LE(sets, 21u);
}

} // namespace
