// wiimote: the driver of one Nintendo Wii Remote or Wii Balance Board. It finds the first device,
// keeps a thread that reads its input reports into an internal state record, and sends output
// reports (LEDs, rumble, reporting mode, memory reads and writes). The game thread takes a copy
// of the state with takeState and reads the public record (the wiimote_state base).
//
// Diagnostics go to standard error, each line starting with "wiimote : ".
#pragma once

#include "game/wiimote/hid_transport.h"
#include "game/wiimote/wiimote_state.h"

#include <array>
#include <atomic>
#include <bitset>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class wiimote : public wiimote_state
{
public:
    static constexpr size_t kReportSize = 22;
    using Report = std::array<uint8_t, kReportSize>;

    // Input report ids and reporting modes.
    enum InputReport : uint8_t
    {
        kStatus = 0x20,
        kReadData = 0x21,
        kButtons = 0x30,
        kButtonsAccel = 0x31,
        kButtonsBalanceBoard = 0x32,
        kButtonsAccelIr = 0x33,
        kButtonsAccelExt = 0x35,
        kButtonsAccelIrExt = 0x37
    };

    using ChangeCallback = void (*)(wiimote& remote, uint32_t changed, const wiimote_state& state);

    explicit wiimote(IHidTransport& transport = defaultHidTransport());
    virtual ~wiimote();
    wiimote(const wiimote&) = delete;
    wiimote& operator=(const wiimote&) = delete;

    // Called from the read thread with the flags a report changed and the new internal record;
    // only for flags in changeMask. Does nothing here.
    virtual void changed(uint32_t, const wiimote_state&) {}
    ChangeCallback changeCallback = nullptr;
    uint32_t changeMask = 0;

    // Connects the first device that answers and that no other driver of this program holds;
    // false when there is none.
    bool connectFirst();
    void disconnect();
    bool isConnected() const { return mConnected; }
    bool connectionLost() const { return mConnectionLost; }
    // The six calibration bytes read after connecting, as text.
    const std::string& uniqueId() const { return mUniqueId; }

    // Asks for the accelerometer calibration; the reply comes through the read thread.
    void requestCalibration();
    void setLeds(uint8_t mask);
    // Switches the rumble on and lets the rumble thread switch it off after that time.
    void rumbleFor(unsigned milliseconds);
    void setRumble(bool on);
    void setReportMode(uint8_t reportId);
    // The change flags since the last call; when there are any, the public record becomes a copy
    // of the internal one.
    uint32_t takeState();
    // Sends one output report; false when it could not be sent.
    bool sendReport(const Report& report);

    // Handles one input report as the read thread does: parse it under the state lock and add
    // its change flags. Returns them.
    uint32_t handleInput(const uint8_t* report, size_t length);
    // The driver's threads that have not been joined yet.
    int runningThreads() const;

private:
    void resetDevice();
    void resetRecords();
    bool openAndAsk(const HidDeviceInfo& info, unsigned number);
    bool waitForStatus();
    void requestStatus();
    void readMemory(uint32_t address, uint16_t size, bool registerSpace);
    void writeRegister(uint32_t address, uint8_t value);
    bool writePlain(const Report& report);
    void queueOutputReport(const Report& report);
    void startThread(std::thread& thread, void (wiimote::*body)(), const char* failure);
    void stopThreads();

    void readThread();
    void rumbleThread();
    void writeThread();
    void loseConnection();

    // Report parsing (state lock held), each returning change flags.
    uint32_t parse(const uint8_t* report, size_t length);
    uint32_t parseButtons(const uint8_t* report);
    uint32_t parseAccel(const uint8_t* report);
    uint32_t parseStatus(const uint8_t* report);
    uint32_t parseReadData(const uint8_t* report);
    uint32_t parseExtension(const uint8_t* data, size_t size);
    uint32_t parseBalanceBoard(const uint8_t* data);
    bool updateOrientation();
    void initialiseExtension();
    void identifyExtension(const uint8_t* id);
    void calibrateBalanceBoard(size_t offset, const uint8_t* data, size_t size);
    bool reportTooShort(uint8_t id, size_t length);
    uint8_t rumbleBit() const { return mRumbleOn ? 0x01 : 0x00; }

    IHidTransport& mTransport;
    std::unique_ptr<IHidDevice> mDevice;
    std::string mPath;     // of the device held
    std::mutex mWriteLock; // one plain write at a time
    std::thread mReadThread;
    std::thread mRumbleThread;
    std::thread mWriteThread;
    std::atomic<bool> mRumbleThreadRunning{false};
    std::atomic<bool> mConnected{false};
    std::atomic<bool> mConnectionLost{false};
    std::atomic<bool> mStopThreads{false};
    std::atomic<bool> mUseOutputReports{false};
    std::atomic<bool> mRumbleOn{false};
    std::atomic<int64_t> mRumbleEnd{0}; // milliseconds on the driver's clock; 0 for none

    mutable std::mutex mStateLock;
    wiimote_state mInternal;
    uint32_t mChanges = 0;
    // Parser memory, guarded by the state lock.
    int mAtRestSamples = 0;
    bool mTakeBoardOffsets = false;
    bool mAwaitingCalibration = false;
    bool mAwaitingExtensionId = false;
    bool mAwaitingBoardCalibration = false;
    size_t mBoardCalibrationBytes = 0; // of the 24 bytes asked for
    bool mBoardCalibrated = false;
    std::array<uint8_t, 24> mBoardCalibration{};
    std::bitset<256> mReportedOddities; // report ids already traced as odd

    std::mutex mRingLock;
    std::array<Report, 128> mRing{};
    size_t mRingRead = 0;
    size_t mRingWrite = 0;

    std::atomic<int64_t> mNextStatusRequest{0}; // milliseconds on the driver's clock
    std::string mUniqueId;
};
