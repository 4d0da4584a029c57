// The Wii Remote driver's input reports: buttons, acceleration with its calibration and the
// orientation at rest, status, memory-read replies, extensions and the Balance Board.
// Everything here runs under the state lock. Reports are device input: a report that is too
// short, of an unknown kind or not asked for is dropped with a trace, never read past its end.
#include "game/wiimote/wiimote.h"

#include "game/wiimote/wiimote_trace.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {
const float kDegreesPerRadian = 57.29578f;
const float kRestMin = 0.8f; // squared length of the acceleration of a device at rest, in g²
const float kRestMax = 1.2f;
const float kPoundsPerKilogram = 2.20462262f;
const float kBoardCalibrationKg = 17.0f;
const int kAtRestSamplesNeeded = 2;

const uint16_t kCalibrationReply = 0x0016;
const uint16_t kExtensionIdReply = 0x00FA;
const uint16_t kBoardCalibrationReply = 0x0024;
const size_t kBoardCalibrationSize = 24;
const uint16_t kExtensionCalibrationReply = 0x0020;
const uint32_t kExtensionInit1 = 0xA400F0;
const uint32_t kExtensionInit2 = 0xA400FB;
const uint32_t kExtensionId = 0xA400FA;
const uint32_t kBoardCalibration = 0xA40024;
const uint32_t kExtensionCalibration = 0xA40020;
const uint8_t kErrorWriteOnly = 7;
const uint8_t kErrorBadAddress = 8;

// Sensor values 1 to 4 (top left, top right, bottom left, bottom right) by report position.
const size_t kBoardPosition[4] = {2, 0, 3, 1};

// Bytes each input report needs; 0 for reports the driver does not know.
size_t requiredLength(uint8_t id)
{
    switch (id) {
    case wiimote::kStatus:
        return 7;
    case wiimote::kReadData: // up to 16 bytes of data after the address
        return 22;
    case wiimote::kButtons:
        return 3;
    case wiimote::kButtonsAccel:
        return 6;
    case wiimote::kButtonsBalanceBoard:
        return 11;
    case wiimote::kButtonsAccelIr:
        return 18;
    case wiimote::kButtonsAccelExt:
    case wiimote::kButtonsAccelIrExt:
        return 22;
    default:
        return 0;
    }
}

uint16_t bigEndian(const uint8_t* bytes)
{
    return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}

// Kilograms on one sensor from its reading and its readings at 0, 17 and 34 kg. A calibration
// whose points coincide cannot be used and reads 0 kg.
float boardKilograms(uint16_t reading, const uint16_t* calibration)
{
    const float r = reading;
    const float c0 = calibration[0], c17 = calibration[1], c34 = calibration[2];
    if (c17 == c34 || c17 == c0)
        return 0.0f;
    if (r < c17)
        return kBoardCalibrationKg * (r - c0) / (c17 - c0);
    return kBoardCalibrationKg + kBoardCalibrationKg * (r - c17) / (c34 - c17);
}

// Acceleration in g on one axis; an axis whose 0 g and 1 g readings coincide gives 0.
float axisG(uint8_t raw, uint8_t zero, uint8_t one)
{
    if (one == zero)
        return 0.0f;
    return (static_cast<float>(raw) - zero) / (static_cast<float>(one) - zero);
}
} // namespace

uint32_t wiimote::parse(const uint8_t* report, size_t length)
{
    if (length == 0)
        return 0;
    const uint8_t id = report[0];
    if (reportTooShort(id, length))
        return 0;
    const bool board = mInternal.isBalanceBoard();
    switch (id) {
    case kStatus:
        return parseStatus(report);
    case kReadData:
        return parseReadData(report);
    case kButtons:
        return parseButtons(report);
    case kButtonsAccel:
    case kButtonsAccelIr: // the camera stays off; its bytes are not read
        return parseButtons(report) | (board ? 0 : parseAccel(report));
    case kButtonsBalanceBoard:
        return parseButtons(report) | parseExtension(report + 3, 8);
    case kButtonsAccelExt:
        return parseButtons(report) | parseExtension(report + 6, 16) |
               (board ? 0 : parseAccel(report));
    case kButtonsAccelIrExt:
        return parseButtons(report) | parseExtension(report + 16, 6) |
               (board ? 0 : parseAccel(report));
    default:
        return 0;
    }
}

bool wiimote::reportTooShort(uint8_t id, size_t length)
{
    const size_t needed = requiredLength(id);
    if (needed != 0 && length >= needed)
        return false;
    // Each odd kind of report is traced once, so that a flood of them cannot flood the log.
    if (!mReportedOddities.test(id)) {
        mReportedOddities.set(id);
        if (needed == 0)
            wiimoteTrace("* unknown input report 0x%02X ignored *\n", id);
        else
            wiimoteTrace("* input report 0x%02X too short (%zu of %zu bytes), dropped *\n", id,
                         length, needed);
    }
    return true;
}

uint32_t wiimote::parseButtons(const uint8_t* report)
{
    const uint16_t buttons = static_cast<uint16_t>((report[1] | (report[2] << 8)) & kButtonMask);
    if (buttons == mInternal.buttons)
        return 0;
    mInternal.buttons = buttons;
    return kButtonsChanged;
}

uint32_t wiimote::parseAccel(const uint8_t* report)
{
    Acceleration& accel = mInternal.acceleration;
    uint32_t changes = 0;
    if (report[3] != accel.rawX || report[4] != accel.rawY || report[5] != accel.rawZ)
        changes |= kAccelChanged;
    accel.rawX = report[3];
    accel.rawY = report[4];
    accel.rawZ = report[5];
    const Calibration& cal = mInternal.calibrationInfo;
    if (cal.zeroX == 0) { // no calibration yet
        accel.x = accel.y = accel.z = 0.0f;
    } else {
        accel.x = axisG(accel.rawX, cal.zeroX, cal.oneX);
        accel.y = axisG(accel.rawY, cal.zeroY, cal.oneY);
        accel.z = axisG(accel.rawZ, cal.zeroZ, cal.oneZ);
    }
    return changes | (updateOrientation() ? static_cast<uint32_t>(kOrientationChanged) : 0u);
}

bool wiimote::updateOrientation()
{
    Acceleration& accel = mInternal.acceleration;
    Orientation& orientation = accel.orientation;
    const float square = accel.x * accel.x + accel.y * accel.y + accel.z * accel.z;
    if (!(square >= kRestMin && square <= kRestMax)) {
        mAtRestSamples = 0;
        ++orientation.updateAge;
        return false;
    }
    if (++mAtRestSamples < kAtRestSamplesNeeded) {
        ++orientation.updateAge;
        return false;
    }
    const float length = std::sqrt(square);
    orientation.x = accel.x / length;
    orientation.y = accel.y / length;
    orientation.z = accel.z / length;
    orientation.updateAge = 0;
    // Rounding can put y a hair beyond ±1, where asin has no value.
    float pitch = -std::asin(std::clamp(orientation.y, -1.0f, 1.0f)) * kDegreesPerRadian;
    float roll = std::atan2(orientation.x, orientation.z) * kDegreesPerRadian;
    if (orientation.z < 0) {
        pitch = orientation.y >= 0 ? -180.0f - pitch : 180.0f - pitch;
        roll = orientation.x >= 0 ? 180.0f - roll : -180.0f - roll;
    }
    orientation.pitch = pitch;
    orientation.roll = roll;
    return true;
}

uint32_t wiimote::parseStatus(const uint8_t* report)
{
    uint32_t changes = parseButtons(report);
    const uint8_t flags = report[3];
    const bool low = flags & 0x01;
    const bool extension = flags & 0x02;
    const uint8_t leds = flags >> 4;
    Battery& battery = mInternal.battery;
    if (report[6] != battery.raw)
        changes |= kBatteryChanged;
    if (low && !battery.low)
        changes |= kBatteryDrained;
    battery.raw = report[6];
    battery.halved = static_cast<uint8_t>(report[6] / 2);
    battery.low = low;
    if (leds != mInternal.leds)
        changes |= kLedsChanged;
    mInternal.leds = leds;

    if (extension && !mInternal.extensionConnected) {
        mInternal.extensionConnected = true;
        initialiseExtension();
    } else if (!extension && mInternal.extensionConnected) {
        wiimoteTrace("Extension disconnected.\n");
        mInternal.extensionConnected = false;
        mInternal.extensionType = kNoExtension;
        mInternal.balanceBoard = BalanceBoard();
        mAwaitingExtensionId = false;
        mAwaitingBoardCalibration = false;
        mBoardCalibrated = false;
        changes |= kExtensionDisconnected;
    }
    if (!mConnected) {
        mConnected = true;
        changes |= kConnected;
    }
    return changes;
}

void wiimote::initialiseExtension()
{
    wiimoteTrace("Extension connected:\n");
    wiimoteTrace("Initialising Extension.\n");
    writeRegister(kExtensionInit1, 0x55);
    writeRegister(kExtensionInit2, 0x00);
    mAwaitingExtensionId = true;
    readMemory(kExtensionId, 6, true);
}

uint32_t wiimote::parseReadData(const uint8_t* report)
{
    const uint32_t changes = parseButtons(report);
    const size_t size = static_cast<size_t>(report[3] >> 4) + 1;
    const uint8_t error = report[3] & 0x0F;
    const uint16_t address = bigEndian(report + 4);
    const uint8_t* data = report + 6;
    if (error != 0) {
        if (error == kErrorBadAddress)
            wiimoteTrace("* error: read address not valid. *\n");
        else if (error == kErrorWriteOnly)
            wiimoteTrace("* error: attempt to read from write-only register 0x%X. *\n", address);
        else
            wiimoteTrace("* error %u in the memory read reply at 0x%04X, dropped *\n", error,
                         address);
        // Nothing more comes for a read that failed.
        if (address == kCalibrationReply)
            mAwaitingCalibration = false;
        else if (address == kExtensionIdReply)
            mAwaitingExtensionId = false;
        else if (address >= kBoardCalibrationReply &&
                 address < kBoardCalibrationReply + kBoardCalibrationSize)
            mAwaitingBoardCalibration = false;
        return changes;
    }

    if (address == kCalibrationReply && mAwaitingCalibration && size >= 7) {
        mAwaitingCalibration = false;
        Calibration& cal = mInternal.calibrationInfo;
        cal.zeroX = data[0];
        cal.zeroY = data[1];
        cal.zeroZ = data[2];
        cal.oneX = data[4];
        cal.oneY = data[5];
        cal.oneZ = data[6];
        wiimoteTrace(".. got wiimote calibration.\n");
        if (cal.zeroX == cal.oneX || cal.zeroY == cal.oneY || cal.zeroZ == cal.oneZ)
            wiimoteTrace("* calibration has equal 0 g and 1 g readings; such axes read 0 g *\n");
        return changes;
    }
    if (address == kExtensionIdReply && mAwaitingExtensionId && size >= 6) {
        mAwaitingExtensionId = false;
        identifyExtension(data);
        return changes |
               (mInternal.isBalanceBoard() ? static_cast<uint32_t>(kBalanceBoardChanged) : 0u);
    }
    if (mAwaitingBoardCalibration && address == kBoardCalibrationReply + mBoardCalibrationBytes) {
        calibrateBalanceBoard(mBoardCalibrationBytes, data, size);
        return changes | kBalanceBoardChanged;
    }
    if (address == kExtensionCalibrationReply && mInternal.extensionConnected)
        return changes; // the data of other extensions is not used
    wiimoteTrace("* unexpected memory read reply at 0x%04X (%zu bytes), dropped *\n", address,
                 size);
    return changes;
}

void wiimote::identifyExtension(const uint8_t* id)
{
    struct Known
    {
        uint64_t id;
        int type;
        const char* trace;
    };
    static const Known kKnown[] = {
        {0x0000A4200000ull, kNunchuk, ".. Nunchuk!\n"},
        {0x0000A4200101ull, kClassicController, ".. Classic Controller!\n"},
        {0x0000A4200103ull, kGuitar, ".. GH3 or GHWT Guitar Controller!\n"},
        {0x0100A4200103ull, kDrums, ".. GHWT Drums!\n"},
        {0x0000A4200402ull, kBalanceBoard, ".. Balance Board!\n"},
        {0xFFFFFFFFFFFFull, kNoExtension, ".. partially inserted!\n"}};
    uint64_t value = 0;
    for (size_t i = 0; i < 6; ++i)
        value = (value << 8) | id[i];
    int type = kNoExtension;
    const Known* known = std::find_if(std::begin(kKnown), std::end(kKnown),
                                      [value](const Known& k) { return k.id == value; });
    if (known != std::end(kKnown)) {
        wiimoteTrace("%s", known->trace);
        type = known->type;
    } else {
        wiimoteTrace("unknown extension controller found (0x%llx)\n",
                     static_cast<unsigned long long>(value));
    }
    mInternal.extensionType = type;
    if (type == kBalanceBoard) {
        mAwaitingBoardCalibration = true;
        mBoardCalibrationBytes = 0;
        readMemory(kBoardCalibration, kBoardCalibrationSize, true);
    } else if (type != kNoExtension) {
        readMemory(kExtensionCalibration, 16, true);
    }
}

void wiimote::calibrateBalanceBoard(size_t offset, const uint8_t* data, size_t size)
{
    const size_t count = std::min(size, kBoardCalibrationSize - offset);
    std::copy(data, data + count, mBoardCalibration.begin() + static_cast<long>(offset));
    mBoardCalibrationBytes = offset + count;
    if (mBoardCalibrationBytes < kBoardCalibrationSize)
        return;
    mAwaitingBoardCalibration = false;
    // Three blocks of eight bytes (0 kg, 17 kg, 34 kg), four sensors in report order in each.
    for (size_t position = 0; position < 4; ++position)
        for (size_t block = 0; block < 3; ++block)
            mInternal.balanceBoard.calibration[position][block] =
                bigEndian(&mBoardCalibration[block * 8 + position * 2]);
    mBoardCalibrated = true;
    setReportMode(kButtonsBalanceBoard);
}

uint32_t wiimote::parseExtension(const uint8_t* data, size_t size)
{
    // Only the Balance Board's data is decoded; the game uses no other extension.
    if (!mInternal.isBalanceBoard() || size < 8)
        return 0;
    return parseBalanceBoard(data);
}

uint32_t wiimote::parseBalanceBoard(const uint8_t* data)
{
    BalanceBoard& board = mInternal.balanceBoard;
    for (size_t position = 0; position < 4; ++position)
        board.raw[position] = bigEndian(data + position * 2);
    if (!mBoardCalibrated)
        return kBalanceBoardChanged; // kilograms need the calibration
    float kg[4];
    for (size_t value = 0; value < 4; ++value) {
        const size_t position = kBoardPosition[value];
        kg[value] = boardKilograms(board.raw[position], board.calibration[position]);
    }
    if (mTakeBoardOffsets) {
        // The first weighed sample is the empty board.
        wiimoteTrace(".. Auto-removing 'at rest' BBoard offsets.\n");
        mTakeBoardOffsets = false;
        board.atRestKg[4] = 0.0f;
        for (size_t value = 0; value < 4; ++value) {
            board.atRestKg[value] = kg[value];
            board.atRestKg[4] += kg[value];
        }
    }
    board.kg[4] = 0.0f;
    for (size_t value = 0; value < 4; ++value) {
        board.kg[value] = kg[value] - board.atRestKg[value];
        board.kg[4] += board.kg[value];
    }
    for (size_t value = 0; value < 5; ++value)
        board.lb[value] = board.kg[value] * kPoundsPerKilogram;
    return kBalanceBoardChanged;
}
