// The network object before any connection: its life and its outgoing queue.
#include "game/net/network.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class NetworkTest : public ::testing::Test
{
protected:
    void TearDown() override { CNetwork::destroyInstance(); }
};

TEST_F(NetworkTest, instanceIsMadeOnFirstUseAndFreshAfterDestruction)
{
    EXPECT_FALSE(CNetwork::hasInstance());
    CNetwork::getSingleton().pushLocal("/reset 1$");
    EXPECT_TRUE(CNetwork::hasInstance());
    CNetwork::destroyInstance();
    EXPECT_FALSE(CNetwork::hasInstance());
    EXPECT_TRUE(CNetwork::getSingleton().takeLocalQueue().empty());
}

TEST_F(NetworkTest, commandsWaitInOrderUntilTaken)
{
    CNetwork& network = CNetwork::getSingleton();
    EXPECT_TRUE(network.pushLocal("/reset 1$"));
    EXPECT_TRUE(network.pushLocal("/reset 2$"));
    EXPECT_EQ(network.takeLocalQueue(), (std::vector<std::string>{"/reset 1$", "/reset 2$"}));
    EXPECT_TRUE(network.takeLocalQueue().empty());
}

TEST_F(NetworkTest, malformedCommandsAreRefused)
{
    CNetwork& network = CNetwork::getSingleton();
    EXPECT_FALSE(network.pushLocal(""));
    EXPECT_FALSE(network.pushLocal("reset 1$"));
    EXPECT_FALSE(network.pushLocal("/reset 1"));
    EXPECT_TRUE(network.takeLocalQueue().empty());
}

TEST_F(NetworkTest, fullQueueDropsTheOldestCommand)
{
    CNetwork& network = CNetwork::getSingleton();
    for (int i = 0; i <= 1001; ++i)
        network.pushLocal("/n " + std::to_string(i) + "$");
    const std::vector<std::string> queued = network.takeLocalQueue();
    ASSERT_EQ(queued.size(), 1001u);
    EXPECT_EQ(queued.front(), "/n 1$");
    EXPECT_EQ(queued.back(), "/n 1001$");
}

TEST_F(NetworkTest, winnerIsNotQueuedWithoutAConnection)
{
    CNetwork& network = CNetwork::getSingleton();
    EXPECT_FALSE(network.isConnected());
    network.sendWinner(1, 12.5);
    EXPECT_TRUE(network.takeLocalQueue().empty());
}

} // namespace
