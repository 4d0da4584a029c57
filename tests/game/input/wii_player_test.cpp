// Wii Remote players: tilt and lean steering, the buttons, and the whole road from a simulated
// device through the driver.
#include "game/input/wii_player.h"

#include "game/core/application.h"
#include "game/input/menu_hooks.h"
#include "game/wiimote/wiimote.h"
#include "tests/game/wiimote/simulated_wiimote.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
using Kind = CSimulatedWiimote::Kind;

TEST(WiiSteeringTest, tiltHasADeadZoneAndALimit)
{
    const struct
    {
        float pitch, roll;
        Ogre::Vector3 direction;
    } rows[] = {{0, 8, {0, 0, 0}},       {0, 120, {0, 0, -40}},   {0, 90, {0, 0, -40}},
                {0, -45, {0, 0, 22.5f}}, {30, -9.9f, {15, 0, 0}}, {-200, 0, {-40, 0, 0}},
                {NAN, NAN, {0, 0, 0}}};
    for (const auto& row : rows)
        EXPECT_EQ(tiltSteering(row.pitch, row.roll), row.direction) << row.pitch << " " << row.roll;
}

TEST(WiiSteeringTest, theBoardLeansTowardsTheHeavierSide)
{
    const auto steer = [](float tl, float tr, float bl, float br) {
        const float kg[5] = {tl, tr, bl, br, tl + tr + bl + br};
        return boardSteering(kg);
    };
    EXPECT_EQ(steer(3, 2, 2, 2), Ogre::Vector3::ZERO); // 9 kg: nobody on it
    const Ogre::Vector3 even = steer(20, 20, 20, 20);
    EXPECT_NEAR(even.x, 0, 1e-4);
    EXPECT_NEAR(even.z, 0, 1e-4);
    EXPECT_EQ(steer(0, 40, 0, 40).x, 40);    // right
    EXPECT_EQ(steer(40, 0, 40, 0).x, -40);   // left
    EXPECT_LT(steer(30, 30, 10, 10).z, -15); // forward
    EXPECT_EQ(steer(10, 10, 30, 30).z, 40);  // back
    EXPECT_EQ(steer(NAN, 20, 20, 20), Ogre::Vector3::ZERO);
}

class WiiPlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setIngameMenuToggleHook([this] { ++menuToggles; });
    }
    void TearDown() override
    {
        setIngameMenuToggleHook(nullptr);
        CApplication::destroyInstance();
    }
    static Ogre::Vector3 frames(CWiiPlayer& player, int count = 5)
    {
        Ogre::FrameEvent evt{};
        evt.timeSinceLastFrame = 0.02f;
        for (int i = 0; i < count; ++i) {
            player.frameStarted(evt);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        Ogre::Vector3 direction;
        player.getDirection(direction);
        return direction;
    }

    CSimulatedTransport transport;
    int menuToggles = 0;
};

TEST_F(WiiPlayerTest, aRemoteIsTiltedAndPressed)
{
    auto device = transport.plug(Kind::kRemote);
    CWiiPlayer player(transport);
    player.setPlayerNumber(3);
    ASSERT_TRUE(player.initInput());
    EXPECT_EQ(device->leds, 0x4);
    EXPECT_TRUE(device->rumbling);
    EXPECT_EQ(device->reportMode, wiimote::kButtonsAccelExt);

    device->tilt(30, -50);
    device->tilt(30, -50);
    const Ogre::Vector3 direction = frames(player);
    EXPECT_NEAR(direction.x, 15, 1.5);
    EXPECT_NEAR(direction.z, 25, 1.5);

    device->press(wiimote::kHome);
    frames(player);
    device->press(0);
    frames(player);
    EXPECT_EQ(menuToggles, 1);
    device->press(wiimote::kA);
    frames(player);
    EXPECT_TRUE(CApplication::getInstance()->isPaused());
}

TEST_F(WiiPlayerTest, aBalanceBoardIsLeanedOnAndItsButtonOpensTheMenu)
{
    auto board = transport.plug(Kind::kBalanceBoard);
    CWiiPlayer player(transport);
    ASSERT_TRUE(player.initInput());
    EXPECT_EQ(board->reportMode, wiimote::kButtonsBalanceBoard);
    board->load(0, 0, 0, 0); // the empty board
    board->load(5, 35, 5, 35);
    EXPECT_TRUE(CSimulatedWiimote::waitUntil([&] { return frames(player, 1).x == 40; }));
    board->press(wiimote::kA);
    frames(player);
    EXPECT_EQ(menuToggles, 1);
    EXPECT_FALSE(CApplication::getInstance()->isPaused());
}

} // namespace
