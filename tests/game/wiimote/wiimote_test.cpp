// The Wii Remote driver against simulated devices: connecting, reading, calibration, the Balance
// Board, LEDs and rumble on the wire, a lost connection, and a calibration that divides by zero.
#include "game/wiimote/wiimote.h"

#include "tests/game/wiimote/simulated_wiimote.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
using Kind = CSimulatedWiimote::Kind;
using Bytes = CSimulatedWiimote::Bytes;

class WiimoteTest : public ::testing::Test
{
protected:
    static bool settle(wiimote& remote, const std::function<bool()>& condition)
    {
        return CSimulatedWiimote::waitUntil([&] {
            remote.takeState();
            return condition();
        });
    }
    static int countSent(const CSimulatedWiimote& device, unsigned char id)
    {
        const auto sent = device.received();
        return static_cast<int>(
            std::count_if(sent.begin(), sent.end(), [id](const Bytes& r) { return r[0] == id; }));
    }

    CSimulatedTransport transport;
};

TEST_F(WiimoteTest, connectsThroughAStatusReportAndReadsTheCalibration)
{
    transport.plug(Kind::kRemote)->vendorId = 0x046D; // some other HID device
    auto device = transport.plug(Kind::kRemote);
    wiimote remote(transport);
    ASSERT_TRUE(remote.connectFirst());
    EXPECT_EQ(remote.calibrationInfo.oneZ, CSimulatedWiimote::kOneG);
    EXPECT_EQ(remote.uniqueId(), "8080809A9A9A");
    EXPECT_EQ(device->reportMode, wiimote::kButtons);

    // A status request every second, so that extensions plugged in or out are noticed.
    const int statusRequests = countSent(*device, 0x15);
    EXPECT_TRUE(CSimulatedWiimote::waitUntil(
        [&] { return countSent(*device, 0x15) > statusRequests; }, 1500));
    remote.disconnect();
    EXPECT_EQ(remote.runningThreads(), 0);
    EXPECT_EQ(device->openHandles, 0);
}

TEST_F(WiimoteTest, buttonsAccelerationAndOrientationOnlyAtRest)
{
    auto device = transport.plug(Kind::kRemote);
    wiimote remote(transport);
    ASSERT_TRUE(remote.connectFirst());
    device->press(wiimote::kA | wiimote::kHome | 0x6000); // bits outside the mask are dropped
    EXPECT_TRUE(settle(remote, [&] { return remote.buttons == (wiimote::kA | wiimote::kHome); }));
    remote.setReportMode(wiimote::kButtonsAccelExt);
    ASSERT_TRUE(CSimulatedWiimote::waitUntil([&] { return device->reportMode == 0x35; }));

    // One sample at rest does not turn the orientation; the second does.
    const wiimote_state::Orientation& orientation = remote.acceleration.orientation;
    device->tilt(30, 0);
    EXPECT_TRUE(settle(remote, [&] { return orientation.updateAge == 1; }));
    EXPECT_EQ(orientation.pitch, 0.0f);
    device->tilt(30, -20);
    EXPECT_TRUE(settle(remote, [&] { return orientation.updateAge == 0; }));
    EXPECT_NEAR(orientation.pitch, 30, 3);
    EXPECT_NEAR(orientation.roll, -20, 3);
    EXPECT_NEAR(remote.acceleration.y, -0.5, 0.05);

    // Shaken (about 1.7 g), then one sample at rest: pitch and roll stay, the age grows.
    device->accelerate(1.0f, 1.0f, 1.0f);
    device->tilt(0, 0);
    EXPECT_TRUE(settle(remote, [&] { return orientation.updateAge == 2; }));
    EXPECT_NEAR(orientation.pitch, 30, 3);
}

TEST_F(WiimoteTest, balanceBoardWeighsInKilogramsAndPounds)
{
    auto board = transport.plug(Kind::kBalanceBoard);
    board->boardCalibration[1][1] = board->boardCalibration[0][1]; // bottom right: 0 = 17 kg
    board->load(1, 1, 1, 1);                                       // the empty board's offsets
    wiimote remote(transport);
    ASSERT_TRUE(remote.connectFirst());
    EXPECT_TRUE(remote.isBalanceBoard());
    EXPECT_EQ(board->reportMode, wiimote::kButtonsBalanceBoard);

    board->load(1, 1, 1, 1);
    EXPECT_TRUE(settle(remote, [&] { return remote.balanceBoard.atRestKg[4] > 0; }));

    board->load(11, 32, 4, 50); // less the offsets: 10, 31 (above the 17 kg point), 3, unusable
    EXPECT_TRUE(settle(remote, [&] { return remote.balanceBoard.kg[0] > 5; }));
    const float* kg = remote.balanceBoard.kg;
    const float expected[5] = {10, 31, 3, 0, 44};
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR(kg[i], expected[i], 0.1) << i;
    EXPECT_NEAR(remote.balanceBoard.lb[4], 44 * 2.20462262, 0.2);
}

TEST_F(WiimoteTest, ledsAndRumbleReachTheDeviceAndUnpluggingLosesTheConnection)
{
    auto device = transport.plug(Kind::kRemote);
    wiimote remote(transport);
    ASSERT_TRUE(remote.connectFirst());
    remote.setLeds(0x5);
    EXPECT_EQ(device->received().back()[0], 0x11);
    EXPECT_EQ(device->received().back()[1], 0x50);
    remote.rumbleFor(60);
    EXPECT_TRUE(device->rumbling);
    remote.setLeds(0x1); // every report carries the rumble bit while it runs
    EXPECT_EQ(device->received().back()[1], 0x11);
    EXPECT_TRUE(CSimulatedWiimote::waitUntil([&] { return !device->rumbling; }, 1000));
    EXPECT_EQ(remote.runningThreads(), 2);

    remote.rumbleFor(10000);
    device->unplug();
    uint32_t changes = 0;
    EXPECT_TRUE(CSimulatedWiimote::waitUntil([&] {
        changes |= remote.takeState();
        return !remote.isConnected() && (changes & wiimote::kConnectionLost);
    }));
    remote.disconnect();
    EXPECT_EQ(remote.runningThreads(), 0);
    EXPECT_EQ(device->openHandles, 0);
}

// 0 g and 1 g readings that coincide: no division by zero, no orientation.
TEST_F(WiimoteTest, calibrationWithEqualReadingsGivesNoAcceleration)
{
    wiimote remote(transport); // not connected: nothing is written anywhere
    remote.requestCalibration();
    Bytes equal = {0x21, 0, 0, 0x60, 0x00, 0x16, 0x80, 0x80, 0x80, 0, 0x80, 0x80, 0x80};
    equal.resize(22);
    const Bytes sample = {0x31, 0, 0, 0xA0, 0x90, 0x70};
    for (const Bytes& report : {equal, sample, sample})
        remote.handleInput(report.data(), report.size());
    remote.takeState();
    EXPECT_EQ(remote.calibrationInfo.zeroX, 0x80);
    EXPECT_EQ(remote.acceleration.x, 0.0f);
    EXPECT_EQ(remote.acceleration.orientation.updateAge, 2u);
}

} // namespace
