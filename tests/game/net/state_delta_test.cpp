// "/state": what the server chooses to tell, and what a reader takes from the wire.
#include "game/net/protocol.h"
#include "game/net/state_delta.h"

#include <gtest/gtest.h>

namespace {

using protocol::SBodyState;

TEST(StateDeltaTest, onlyBodiesOffTheirToldPathAndMovingBallsAreTold)
{
    // Each row: a body's states at 0, 0.05 and 0.10 s, and whether each is told.
    struct SRow
    {
        const char* what;
        int index;
        Ogre::Vector3 position[3];
        Ogre::Vector3 velocity;
        bool told[3];
    };
    const Ogre::Vector3 o = Ogre::Vector3::ZERO, v(2, 0, 0), stray(0, 0.15f, 0);
    const SRow rows[] = {
        {"resting monster", 5, {o, o, o}, o, {true, false, false}},
        {"monster on its path", 5, {o, v * 0.05f, v * 0.1f}, v, {true, false, false}},
        {"monster off its path", 5, {o, v * 0.05f, v * 0.1f + stray}, v, {true, false, true}},
        {"moving ball", 1, {o, v * 0.05f, v * 0.1f}, v, {true, true, true}},
        {"resting ball", 0, {o, o, o}, o, {true, false, false}},
    };
    for (const SRow& row : rows) {
        CStateDelta delta;
        for (int step = 0; step < 3; ++step) {
            const SBodyState body{row.index, row.position[step], row.velocity, o};
            EXPECT_EQ(delta.select(step * 0.05, {body}, 2).size(), row.told[step] ? 1u : 0u)
                << row.what << " at step " << step;
        }
    }
    CStateDelta delta;
    delta.select(0.0, {SBodyState{7, o, o, o}}, 2);
    EXPECT_EQ(delta.select(CStateDelta::kRefreshInterval, {SBodyState{7, o, o, o}}, 2).size(), 1u)
        << "a resting body is told again after the refresh interval";
}

TEST(StateReaderTest, aStateIsReadBackToTheHundredthAndMalformedOnesAreRefused)
{
    const SBodyState ball{1, {1.234f, -0.5f, 1e5f}, {0.004f, 3, -2}, {0.25f, 0, 7}};
    SBodyState monster; // at rest at the origin
    monster.index = 9;
    double seconds = 0.0;
    std::vector<SBodyState> read;
    ASSERT_TRUE(protocol::readState(protocol::stateCommand(12.5, {ball, monster}), seconds, read));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_DOUBLE_EQ(seconds, 12.5);
    EXPECT_EQ(read[0].index, 1);
    EXPECT_EQ(read[1].index, 9);
    EXPECT_LT(read[0].position.distance(ball.position), 0.01f);
    EXPECT_LT(read[0].velocity.distance(ball.velocity), 0.01f);
    EXPECT_LT(read[0].omega.distance(ball.omega), 0.1f);

    const std::string body = " 0 1 2 3 4 5 6 7 8 9";
    const std::string many = [&] {
        std::string text = "/state 1";
        for (int i = 0; i <= protocol::kMaxStateBodies; ++i)
            text += " " + std::to_string(i) + " 0 0 0 0 0 0 0 0 0";
        return text + "$";
    }();
    const std::pair<std::string, bool> rows[] = {
        {"/state 1$", true},
        {"/state 1" + body + "$", true},
        {"/state 1" + body + " 1 0 0 0 0 0 0 0 0 0$", true},
        {"/state$", false},
        {"/state -1" + body + "$", false},
        {"/state x" + body + "$", false},
        {"/state 1 0 1 2 3$", false},
        {"/state 1" + body + body + "$", false},
        {"/state 1 4096 1 2 3 4 5 6 7 8 9$", false},
        {"/state 1 -1 1 2 3 4 5 6 7 8 9$", false},
        {"/state 1 0 1 2 3 4 5 nan 7 8 9$", false},
        {"/state 1  0 1 2 3 4 5 6 7 8 9$", false},
        {"/state 1" + body, false},
        {many, false},
    };
    for (const auto& [command, valid] : rows)
        EXPECT_EQ(protocol::readState(command, seconds, read), valid) << command.substr(0, 60);
}

} // namespace
