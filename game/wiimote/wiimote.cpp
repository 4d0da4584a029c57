// The Wii Remote driver's connection, threads and write path. Report parsing is in
// wiimote_reports.cpp.
#include "game/wiimote/wiimote.h"

#include "game/wiimote/wiimote_trace.h"

#include <chrono>
#include <cstdio>
#include <set>
#include <system_error>

namespace {
const unsigned short kNintendo = 0x057E;
const unsigned short kWiiRemote = 0x0306;
const int kReadTimeoutMs = 500;
const int kStatusIntervalMs = 1000;
const int kStatusWaitMs = 500;
const int kStatusPollMs = 10;
const int kCalibrationWaitMs = 300;
const int kResetWaitMs = 150;
const int kRumbleActivePollMs = 1;
const int kRumbleIdlePollMs = 4;
const int kWritePauseMs = 1;

const uint8_t kOutLeds = 0x11;
const uint8_t kOutReportMode = 0x12;
const uint8_t kOutIrEnable = 0x13;
const uint8_t kOutSpeakerEnable = 0x14;
const uint8_t kOutStatusRequest = 0x15;
const uint8_t kOutWriteMemory = 0x16;
const uint8_t kOutReadMemory = 0x17;
const uint8_t kOutIrEnable2 = 0x1A;
const uint8_t kRegisterSpace = 0x04;
const uint32_t kCalibrationAddress = 0x0016;
const uint16_t kCalibrationSize = 7;

// The paths of the devices that drivers of this program hold open: two players never share one
// device.
std::mutex gHeldPathsLock;
std::set<std::string> gHeldPaths;

bool holdPath(const std::string& path)
{
    std::lock_guard<std::mutex> lock(gHeldPathsLock);
    return gHeldPaths.insert(path).second;
}

void releasePath(const std::string& path)
{
    std::lock_guard<std::mutex> lock(gHeldPathsLock);
    gHeldPaths.erase(path);
}

int64_t nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void sleepMs(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

const char* reportModeName(uint8_t id)
{
    switch (id) {
    case wiimote::kButtons:
        return "IN_BUTTONS";
    case wiimote::kButtonsAccel:
        return "IN_BUTTONS_ACCEL";
    case wiimote::kButtonsBalanceBoard:
        return "IN_BUTTONS_BALANCE_BOARD";
    case wiimote::kButtonsAccelIr:
        return "IN_BUTTONS_ACCEL_IR";
    case wiimote::kButtonsAccelExt:
        return "IN_BUTTONS_ACCEL_EXT";
    case wiimote::kButtonsAccelIrExt:
        return "IN_BUTTONS_ACCEL_IR_EXT";
    default:
        return "unknown";
    }
}
} // namespace

wiimote::wiimote(IHidTransport& transport) : mTransport(transport)
{
    static std::once_flag startup;
    std::call_once(startup, [&transport] {
        wiimoteTrace(transport.hasOutputReportCall() ? "OS supports HID writes.\n"
                                                     : "OS doesn't support HID writes.\n");
    });
}

wiimote::~wiimote()
{
    disconnect();
}

// ------------------------------------------------------------------------------- connecting

bool wiimote::connectFirst()
{
    wiimoteTrace("Connecting first available Wiimote:\n");
    if (mDevice)
        disconnect();
    unsigned number = 0;
    for (const HidDeviceInfo& info : mTransport.enumerate()) {
        if (info.vendorId != kNintendo || info.productId != kWiiRemote)
            continue;
        ++number;
        if (!holdPath(info.path))
            continue; // another player's
        wiimoteTrace(".. opening Wiimote %u:\n", number);
        if (openAndAsk(info, number)) {
            mPath = info.path;
            break;
        }
        releasePath(info.path);
    }
    if (!mConnected) {
        wiimoteTrace(".. connection failed.\n");
        return false;
    }
    wiimoteTrace(".. connected!\n");
    if (changeMask & kConnected) {
        changed(kConnected, *this);
        if (changeCallback)
            changeCallback(*this, kConnected, *this);
    }
    return true;
}

bool wiimote::openAndAsk(const HidDeviceInfo& info, unsigned)
{
    unsigned error = 0;
    mDevice = mTransport.open(info.path, error);
    if (!mDevice) {
        wiimoteTrace(".... failed with err %x\n", error);
        return false;
    }
    resetRecords();
    mConnectionLost = false;
    mStopThreads = false;
    mUseOutputReports = false;
    startThread(mReadThread, &wiimote::readThread, "* couldn't create read thread! *\n");

    requestStatus();
    bool answered = waitForStatus();
    wiimoteTrace(".. WriteFile() %s.\n", answered ? "succeeded" : "failed");
    if (!answered && mTransport.hasOutputReportCall()) {
        mUseOutputReports = true;
        wiimoteTrace("(starting HID write thread)\n");
        startThread(mWriteThread, &wiimote::writeThread, "* couldn't create HID write thread! *\n");
        requestStatus();
        answered = waitForStatus();
        wiimoteTrace(".. HID write %s.\n", answered ? "succeeded" : "failed");
    }
    if (!answered) {
        wiimoteTrace("* output failed - wiimote is not connected (or confused). *\n");
        disconnect();
        return false;
    }

    resetDevice();
    requestCalibration();
    sleepMs(kCalibrationWaitMs);
    {
        std::lock_guard<std::mutex> lock(mStateLock);
        mTakeBoardOffsets = true;
        mChanges |= kConnected; // the public record gets the state of the connection
    }
    takeState();
    char id[16];
    std::snprintf(id, sizeof(id), "%02X%02X%02X%02X%02X%02X", calibrationInfo.zeroX,
                  calibrationInfo.zeroY, calibrationInfo.zeroZ, calibrationInfo.oneX,
                  calibrationInfo.oneY, calibrationInfo.oneZ);
    mUniqueId = id;
    mNextStatusRequest = nowMs() + kStatusIntervalMs;
    return true;
}

void wiimote::requestCalibration()
{
    wiimoteTrace("Requestion wiimote calibration:\n");
    {
        std::lock_guard<std::mutex> lock(mStateLock);
        mAwaitingCalibration = true;
    }
    readMemory(kCalibrationAddress, kCalibrationSize, false);
}

bool wiimote::waitForStatus()
{
    for (int waited = 0; waited < kStatusWaitMs && !mConnected; waited += kStatusPollMs)
        sleepMs(kStatusPollMs);
    return mConnected;
}

void wiimote::resetDevice()
{
    wiimoteTrace("Resetting wiimote.\n");
    bool board = false;
    {
        std::lock_guard<std::mutex> lock(mStateLock);
        board = mInternal.isBalanceBoard();
    }
    setReportMode(board ? kButtonsBalanceBoard : kButtons);
    setRumble(false);
    setLeds(0);
    sendReport({kOutSpeakerEnable, rumbleBit()});
    sleepMs(kResetWaitMs);
}

void wiimote::resetRecords()
{
    std::lock_guard<std::mutex> lock(mStateLock);
    static_cast<wiimote_state&>(*this) = wiimote_state();
    mInternal = wiimote_state();
    mChanges = 0;
    mAtRestSamples = 0;
    mTakeBoardOffsets = false;
    mAwaitingCalibration = false;
    mAwaitingExtensionId = false;
    mAwaitingBoardCalibration = false;
    mBoardCalibrationBytes = 0;
    mBoardCalibrated = false;
    mRumbleOn = false;
    mRumbleEnd = 0;
}

void wiimote::disconnect()
{
    if (!mDevice)
        return;
    wiimoteTrace("Disconnect().\n");
    if (mConnected && !mConnectionLost)
        resetDevice();
    stopThreads();
    mDevice.reset();
    if (!mPath.empty()) {
        releasePath(mPath);
        mPath.clear();
    }
    {
        std::lock_guard<std::mutex> lock(mRingLock);
        mRingRead = mRingWrite = 0;
    }
    mConnected = false;
    mUseOutputReports = false;
    resetRecords();
}

void wiimote::loseConnection()
{
    wiimoteTrace("read thread: connection to wiimote was lost\n");
    mConnected = false;
    mStopThreads = true; // the rumble and write threads end too; disconnect joins them
    std::lock_guard<std::mutex> lock(mStateLock);
    mInternal = wiimote_state();
    mChanges |= kConnectionLost;
}

// ---------------------------------------------------------------------------------- threads

void wiimote::startThread(std::thread& thread, void (wiimote::*body)(), const char* failure)
{
    if (thread.joinable())
        thread.join(); // a thread that ended by itself
    try {
        thread = std::thread(body, this);
    } catch (const std::system_error&) {
        wiimoteTrace("%s", failure);
    }
}

void wiimote::stopThreads()
{
    mStopThreads = true;
    for (std::thread* thread : {&mReadThread, &mRumbleThread, &mWriteThread})
        if (thread->joinable())
            thread->join();
}

int wiimote::runningThreads() const
{
    return static_cast<int>(mReadThread.joinable()) + static_cast<int>(mRumbleThread.joinable()) +
           static_cast<int>(mWriteThread.joinable());
}

void wiimote::readThread()
{
    Report buffer{};
    while (!mStopThreads) {
        const int count = mDevice->read(buffer.data(), buffer.size(), kReadTimeoutMs);
        if (count < 0 || mConnectionLost) {
            loseConnection();
            break;
        }
        const int64_t now = nowMs();
        if (mConnected && now >= mNextStatusRequest) {
            // Status reports tell when an extension was plugged in or out.
            mNextStatusRequest = now + kStatusIntervalMs;
            requestStatus();
        }
        if (count > 0)
            handleInput(buffer.data(), static_cast<size_t>(count));
    }
    wiimoteTrace("(ending read thread)\n");
}

void wiimote::rumbleThread()
{
    while (mConnected && !mStopThreads) {
        int64_t end = mRumbleEnd;
        if (end == 0) {
            sleepMs(kRumbleIdlePollMs);
            continue;
        }
        if (nowMs() >= end) {
            setRumble(false);
            mRumbleEnd.compare_exchange_strong(end, 0); // unless a new rumble began meanwhile
        }
        sleepMs(kRumbleActivePollMs);
    }
    mRumbleThreadRunning = false;
}

void wiimote::writeThread()
{
    bool pending = false;
    Report report{};
    while (!mStopThreads) {
        if (!pending) {
            std::lock_guard<std::mutex> lock(mRingLock);
            if (mRingRead != mRingWrite) {
                report = mRing[mRingRead];
                mRingRead = (mRingRead + 1) % mRing.size();
                pending = true;
            }
        }
        if (pending) {
            switch (mDevice->sendOutputReport(report.data(), report.size())) {
            case IHidDevice::OutputResult::kSent:
                pending = false;
                break;
            case IHidDevice::OutputResult::kBusy:
                wiimoteTrace("**** HID WRITE: BUSY ****\n");
                break;
            case IHidDevice::OutputResult::kNotReady:
                wiimoteTrace("**** HID WRITE: NOT READY ****\n");
                break;
            case IHidDevice::OutputResult::kNotSupported:
                wiimoteTrace("* BT Stack doesn't suport HID writes! *\n");
                pending = false;
                break;
            case IHidDevice::OutputResult::kFailed:
                if (mConnected)
                    mConnectionLost = true;
                pending = false;
                break;
            }
        }
        sleepMs(kWritePauseMs);
    }
    wiimoteTrace("ending HID write thread\n");
}

// ------------------------------------------------------------------------------- write path

bool wiimote::sendReport(const Report& report)
{
    if (!mDevice)
        return false;
    if (mUseOutputReports) {
        queueOutputReport(report);
        return true;
    }
    return writePlain(report);
}

bool wiimote::writePlain(const Report& report)
{
    unsigned error = 0;
    bool written = false;
    {
        std::lock_guard<std::mutex> lock(mWriteLock);
        written = mDevice->write(report.data(), report.size(), error);
    }
    if (!written) {
        wiimoteTrace("WriteFile failed, err: %u!\n", error);
        if (mConnected)
            mConnectionLost = true;
    }
    return written;
}

void wiimote::queueOutputReport(const Report& report)
{
    std::lock_guard<std::mutex> lock(mRingLock);
    mRing[mRingWrite] = report;
    mRingWrite = (mRingWrite + 1) % mRing.size();
    if (mRingWrite == mRingRead) // full: the oldest unsent report gives way
        mRingRead = (mRingRead + 1) % mRing.size();
}

void wiimote::requestStatus()
{
    sendReport({kOutStatusRequest, rumbleBit()});
}

void wiimote::readMemory(uint32_t address, uint16_t size, bool registerSpace)
{
    sendReport({kOutReadMemory,
                static_cast<uint8_t>((registerSpace ? kRegisterSpace : 0) | rumbleBit()),
                static_cast<uint8_t>(address >> 16), static_cast<uint8_t>(address >> 8),
                static_cast<uint8_t>(address), static_cast<uint8_t>(size >> 8),
                static_cast<uint8_t>(size)});
}

void wiimote::writeRegister(uint32_t address, uint8_t value)
{
    sendReport({kOutWriteMemory, static_cast<uint8_t>(kRegisterSpace | rumbleBit()),
                static_cast<uint8_t>(address >> 16), static_cast<uint8_t>(address >> 8),
                static_cast<uint8_t>(address), 1, value});
}

void wiimote::setLeds(uint8_t mask)
{
    if (!mConnected)
        return;
    mask &= 0x0F;
    sendReport({kOutLeds, static_cast<uint8_t>((mask << 4) | rumbleBit())});
    std::lock_guard<std::mutex> lock(mStateLock);
    mInternal.leds = mask;
    leds = mask;
}

void wiimote::setRumble(bool on)
{
    mRumbleOn = on;
    sendReport({kOutStatusRequest, rumbleBit()});
    std::lock_guard<std::mutex> lock(mStateLock);
    mInternal.rumble = on;
}

void wiimote::rumbleFor(unsigned milliseconds)
{
    if (!mConnected)
        return;
    if (!mRumbleOn)
        setRumble(true);
    mRumbleEnd = nowMs() + static_cast<int64_t>(milliseconds);
    if (!mRumbleThreadRunning) {
        mRumbleThreadRunning = true;
        startThread(mRumbleThread, &wiimote::rumbleThread, "* couldn't create rumble thread! *\n");
        if (!mRumbleThread.joinable())
            mRumbleThreadRunning = false;
    }
}

void wiimote::setReportMode(uint8_t reportId)
{
    wiimoteTrace("ReportType: %s (%s)\n", reportModeName(reportId), "non-continuous");
    sendReport({kOutIrEnable, rumbleBit()});
    sendReport({kOutIrEnable2, rumbleBit()});
    sendReport({kOutReportMode, rumbleBit(), reportId});
}

// ------------------------------------------------------------------------------------ state

uint32_t wiimote::takeState()
{
    std::lock_guard<std::mutex> lock(mStateLock);
    if (mChanges == 0)
        return 0;
    static_cast<wiimote_state&>(*this) = mInternal;
    const uint32_t changes = mChanges;
    mChanges = 0;
    return changes;
}

uint32_t wiimote::handleInput(const uint8_t* report, size_t length)
{
    uint32_t changes = 0;
    wiimote_state copy;
    {
        std::lock_guard<std::mutex> lock(mStateLock);
        changes = parse(report, length);
        mChanges |= changes;
        if (changes & changeMask)
            copy = mInternal;
    }
    if (changes & changeMask) {
        changed(changes, copy);
        if (changeCallback)
            changeCallback(*this, changes, copy);
    }
    return changes;
}
