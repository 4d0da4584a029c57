// wiimote_state: everything the Wii Remote driver knows about its device, as one plain record.
// The driver keeps two of them: the one its read thread writes and the public one the game
// reads, refreshed by wiimote::takeState.
#pragma once

#include <cstdint>

struct wiimote_state
{
    // Button bits of the report word (bytes 1 and 2, little-endian, masked with kButtonMask).
    enum Button : uint16_t
    {
        kLeft = 0x0001,
        kRight = 0x0002,
        kDown = 0x0004,
        kUp = 0x0008,
        kPlus = 0x0010,
        kTwo = 0x0100,
        kOne = 0x0200,
        kB = 0x0400,
        kA = 0x0800,
        kMinus = 0x1000,
        kHome = 0x8000,
        kButtonMask = 0x9F1F
    };

    enum ExtensionType
    {
        kNoExtension = 0,
        kNunchuk = 1,
        kClassicController = 2,
        kGuitar = 3,
        kDrums = 4,
        kBalanceBoard = 5,
        kMotionPlus = 6
    };

    // Change flags: what a report or an event changed.
    enum Change : uint32_t
    {
        kConnected = 0x1,
        kConnectionLost = 0x2,
        kBatteryChanged = 0x4,
        kBatteryDrained = 0x8,
        kLedsChanged = 0x10,
        kButtonsChanged = 0x20,
        kAccelChanged = 0x40,
        kOrientationChanged = 0x80,
        kBalanceBoardChanged = 0x100000,
        kExtensionDisconnected = 0x4000000
    };

    struct Calibration
    {
        uint8_t zeroX = 0, zeroY = 0, zeroZ = 0; // readings at 0 g
        uint8_t oneX = 0, oneY = 0, oneZ = 0;    // readings at 1 g
    };

    struct Orientation
    {
        float x = 0, y = 0, z = 0; // the gravity direction, length 1
        unsigned updateAge = 0;    // acceleration samples since it last changed
        float pitch = 0, roll = 0; // degrees
    };

    struct Acceleration
    {
        uint8_t rawX = 0, rawY = 0, rawZ = 0;
        float x = 0, y = 0, z = 0; // g
        Orientation orientation;
    };

    struct Battery
    {
        uint8_t raw = 0;
        uint8_t halved = 0;
        bool low = false;
    };

    // The four sensors of a Balance Board. Sensor values are taken in the order top left, top
    // right, bottom left, bottom right; index 4 of the kilogram and pound arrays is the total.
    struct BalanceBoard
    {
        uint16_t raw[4] = {0, 0, 0, 0}; // in report order (bytes 0-1, 2-3, 4-5, 6-7)
        // Per report position: the readings at 0 kg, 17 kg and 34 kg.
        uint16_t calibration[4][3] = {};
        float atRestKg[5] = {0, 0, 0, 0, 0};
        float kg[5] = {0, 0, 0, 0, 0};
        float lb[5] = {0, 0, 0, 0, 0};
    };

    Calibration calibrationInfo;
    uint16_t buttons = 0;
    Acceleration acceleration;
    uint8_t leds = 0;
    Battery battery;
    bool extensionConnected = false;
    int extensionType = kNoExtension;
    BalanceBoard balanceBoard;
    bool rumble = false;

    bool isBalanceBoard() const { return extensionType == kBalanceBoard; }
};
