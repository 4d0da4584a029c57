// The network object with a real level on headless Ogre: corrections of balls and monsters in
// both directions, and the winner and time from the server.
#include "game/net/protocol.h"
#include "headless_ogre.h"
#include "net_peer.h"
#include "test_env.h"
#include "world/box.h"
#include "world/monster.h"
#include "world/physics.h"
#include "world/scene.h"

#include <OgreSceneManager.h>
#include <gtest/gtest.h>

namespace {

std::string numbers(std::initializer_list<Ogre::Vector3> vectors)
{
    std::string text;
    for (const Ogre::Vector3& v : vectors)
        for (int axis = 0; axis < 3; ++axis)
            text += " " + std::to_string(v[axis]);
    return text;
}

class NetworkRoundTest : public CNetCourseTest
{
protected:
    void SetUp() override
    {
        scene.reset(newCourseScene("net.kivom", 2));
        ASSERT_TRUE(scene->addWaypoint(scene->findBox("b2"), 1));
        ASSERT_TRUE(scene->addMonster(CMonster::KIND_EVIL_MARBLE, "m1",
                                      scene->findWaypoint(scene->findBox("b2"))));
        ogre.frame(0.1f);
    }
    Ogre::Vector3 ball(int index) { return scene->getBallBody(index)->getPosition(); }
};

TEST_F(NetworkRoundTest, clientTakesOnlyCorrectionsBeyondHalfAUnitAndTheServersWinner)
{
    boost::asio::io_context io;
    boost::asio::ip::tcp::acceptor acceptor(io, {boost::asio::ip::tcp::v4(), 0});
    CNetwork& network = CNetwork::getSingleton();
    CRawPeer server;
    startClientOf(acceptor, server);
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

    server.write("/plyName Srv$/plyId 1$/startGame$/corrMove" +
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

    CRecordingRound round;
    network.attachRound(&round);
    server.write("/winner 3 1$/winner 1 2.5$/winner 2 1$");
    ASSERT_TRUE(pumpUntil([&] { return !round.decisions.empty(); }));
    pumpUntil([] { return false; }, 0.1);
    EXPECT_EQ(round.decisions, (std::vector<std::pair<int, double>>{{1, 2.5}}))
        << "the first valid winner only";
    network.detachRound(&round);
}

TEST_F(NetworkRoundTest, withStatesTheOwnBallBlendsItsCorrectionAndTheOtherIsShownFromThem)
{
    boost::asio::io_context io;
    boost::asio::ip::tcp::acceptor acceptor(io, {boost::asio::ip::tcp::v4(), 0});
    CRawPeer server;
    startClientOf(acceptor, server);
    ASSERT_TRUE(server.readUntil("/netVersion 2$"));
    server.write("/plyName Srv$/plyId 1$/netVersion 2$/startGame$");
    ASSERT_TRUE(pumpUntil([&] { return menu.saw("startClientRound"); }, 5.0, &ogre));
    ASSERT_TRUE(scene->deleteMonster("m1"));     // nothing but the server's word moves the balls
    pumpUntil([] { return false; }, 1.5, &ogre); // both balls land on their start boxes
    Ogre::SceneNode* shownOther = scene->getSceneManager()->getSceneNode("Ball0");
    const Ogre::Vector3 own = ball(1), other = ball(0);
    // The other ball rolls half a unit and stops; the own ball is 0.4 off the server's.
    const Ogre::Vector3 off(0.4f, 0, 0), speed(0, 0, -1);
    float largestOwnStep = 0.0f, largestOtherStep = 0.0f;
    Ogre::Vector3 lastOwn = own, lastOther = shownOther->getPosition();
    auto lastTime = std::chrono::steady_clock::now();
    for (int state = 0; state < 20; ++state) {
        const bool rolling = state < 10;
        const Ogre::Vector3 at = other + speed * (0.05f * std::min(state, 10));
        server.write(protocol::stateCommand(
            state * 0.05, {{0, at, rolling ? speed : Ogre::Vector3::ZERO, Ogre::Vector3::ZERO},
                           {1, own + off, Ogre::Vector3::ZERO, Ogre::Vector3::ZERO}}));
        const auto next = std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
        pumpUntil(
            [&] {
                largestOwnStep = std::max(largestOwnStep, ball(1).x - lastOwn.x);
                // Beyond what its speed covers in the time since the last frame.
                const auto now = std::chrono::steady_clock::now();
                largestOtherStep = std::max(
                    largestOtherStep,
                    shownOther->getPosition().distance(lastOther) -
                        speed.length() * std::chrono::duration<float>(now - lastTime).count());
                lastTime = now;
                lastOwn = ball(1);
                lastOther = shownOther->getPosition();
                return std::chrono::steady_clock::now() >= next;
            },
            1.0, &ogre);
    }
    const Ogre::Vector3 stopped = other + speed * 0.5f;
    EXPECT_NEAR(ball(1).x, own.x + off.x, 0.05f);
    EXPECT_LT(largestOwnStep, 0.15f) << "the own ball was put there instead of blended";
    EXPECT_TRUE(shownOther->getPosition().positionEquals(stopped, 0.05f));
    EXPECT_LT(largestOtherStep, 0.03f) << "the other ball jumped";
}

} // namespace
