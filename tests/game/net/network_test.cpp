// The network object without a connection: its life, its two queues, and reading the texts a
// peer may send.
#include "game/net/network.h"
#include "game/net/protocol.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

class NetworkTest : public ::testing::Test
{
protected:
    void TearDown() override { CNetwork::destroySingleton(); }
};

TEST_F(NetworkTest, instanceIsMadeOnFirstUseAndFreshAfterDestruction)
{
    EXPECT_FALSE(CNetwork::hasInstance());
    CNetwork::getSingleton().pushLocal("/reset 1$");
    EXPECT_TRUE(CNetwork::hasInstance());
    CNetwork::destroySingleton();
    EXPECT_FALSE(CNetwork::hasInstance());
    EXPECT_TRUE(CNetwork::getSingleton().takeLocalQueue().empty());
}

TEST_F(NetworkTest, localQueueRefusesMalformedTextsAndDropsTheOldestBeyondItsLimit)
{
    CNetwork& network = CNetwork::getSingleton();
    for (const char* bad : {"", "reset 1$", "/reset 1"})
        EXPECT_FALSE(network.pushLocal(bad)) << bad;
    for (int i = 0; i <= 1001; ++i)
        network.pushLocal("/n " + std::to_string(i) + "$");
    const std::vector<std::string> queued = network.takeLocalQueue();
    ASSERT_EQ(queued.size(), 1001u);
    EXPECT_EQ(queued.front(), "/n 1$");
    EXPECT_EQ(queued.back(), "/n 1001$");
    network.pushLocal("/a$");
    network.pushLocal("/b 1$");
    EXPECT_EQ(network.takeAllLocal(), "/a$/b 1$");
    EXPECT_EQ(network.takeAllLocal(), "");
}

TEST_F(NetworkTest, nothingIsQueuedForAPeerThatIsNotThere)
{
    CNetwork& network = CNetwork::getSingleton();
    EXPECT_FALSE(network.isConnected());
    network.sendWinner(1, 12.5);
    network.sendToPeer("/reset 1$");
    EXPECT_EQ(network.localCount(), 0u);
}

TEST_F(NetworkTest, receivedTextIsCutAfterEveryDollarAndTheQueueIsBounded)
{
    CNetwork& network = CNetwork::getSingleton();
    network.pushIncoming("/plyName a$b$/plyId 2$");
    EXPECT_EQ(network.incomingCount(), 3u);
    std::string flood;
    for (int i = 0; i < 5000; ++i)
        flood += "/moveDir 1 2 3$";
    network.pushIncoming(flood);
    EXPECT_EQ(network.incomingCount(), CNetwork::kQueueLimit + 1);
}

TEST(ProtocolTest, numbersAreReadOnlyWhenEveryOneIsAFiniteDecimalOfSaneSize)
{
    struct Row
    {
        const char* command;
        bool valid;
        float last;
    };
    const Row rows[] = {
        {"/moveDir 0 0 -40$", true, -40.0f},
        {"/moveDir 1 2 3 4$", true, 3.0f},
        {"/moveDir 0.100000001 0 1e3$", true, 1000.0f},
        {"/moveDir 1 2$", false, 0},
        {"/moveDir nan 0 0$", false, 0},
        {"/moveDir 0 inf 0$", false, 0},
        {"/moveDir 0 0 1e300$", false, 0},
        {"/moveDir 0 0 1e7$", false, 0},
        {"/moveDir 0 x 0$", false, 0},
        {"/moveDir 0 0x10 0$", false, 0},
        {"/moveDir 0  0 0$", false, 0},
        {"/moveDir$", false, 0},
        {"/moveDir 1 2 3", true, 3.0f},
    };
    for (const Row& row : rows) {
        std::vector<float> numbers;
        EXPECT_EQ(protocol::readNumbers(row.command, 3, numbers), row.valid) << row.command;
        if (row.valid) {
            EXPECT_EQ(numbers.at(2), row.last) << row.command;
        }
    }
}

TEST(ProtocolTest, playerNumbersMustNameANetworkPlayer)
{
    const std::pair<const char*, int> ids[] = {
        {"/plyId 1$", 1}, {"/plyId 2$", 2},  {"/plyId 2.9$", 2}, {"/plyId 1e9$", 0},
        {"/plyId 3$", 0}, {"/plyId -1$", 0}, {"/plyId nan$", 0}, {"/plyId $", 0}};
    for (const auto& [command, expected] : ids) {
        int number = 0;
        EXPECT_EQ(protocol::readPlayerId(command, number), expected != 0) << command;
        if (expected) {
            EXPECT_EQ(number, expected) << command;
        }
    }
    int number = 0;
    for (const char* bad : {"0", "3", "99999999999", "1.5", "a", ""})
        EXPECT_FALSE(protocol::readPlayerNumber(bad, number)) << bad;
    EXPECT_TRUE(protocol::readPlayerNumber("2", number));
}

TEST(ProtocolTest, namesLoseControlCharactersAndAreCutWithoutBreakingACharacter)
{
    EXPECT_EQ(protocol::cleanName("A\tn\x1b[2Jn\n"), "An[2Jn");
    EXPECT_EQ(protocol::cleanName(std::string(100, 'x')).size(), protocol::kMaxNameLength);
    std::string accents;
    for (int i = 0; i < 20; ++i)
        accents += "\xc3\xa9"; // é, two bytes
    EXPECT_EQ(protocol::cleanName(accents).size(), protocol::kMaxNameLength);
    EXPECT_EQ(protocol::cleanName("x" + accents).size(), protocol::kMaxNameLength - 1);
}

TEST(ProtocolTest, commandsUseTheGamesNumberFormats)
{
    EXPECT_EQ(protocol::moveDirCommand(Ogre::Vector3(0.1f, 0, -40)), "/moveDir 0.100000001 0 -40$");
    EXPECT_EQ(protocol::winnerCommand(1, 0.1), "/winner 1 0.10000000000000001$");
    EXPECT_EQ(protocol::commandWord("/startGame$"), "/startGame$");
    EXPECT_EQ(protocol::textArgument("/plyName  two words $"), " two words ");
    EXPECT_EQ(protocol::textArgument("/plyName $"), "");
}

} // namespace
