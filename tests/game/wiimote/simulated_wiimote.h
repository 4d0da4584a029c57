// A simulated Wii Remote or Balance Board behind the driver's HID transport. It answers status
// requests, memory reads and reporting modes the way the device does, sends a report in the
// current mode whenever its state changes, and can be tilted, pressed, loaded with weights,
// unplugged or made silent. It remembers every output report it received.
#pragma once

#include "game/wiimote/hid_transport.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CSimulatedWiimote
{
public:
    using Report = std::array<unsigned char, 22>;
    enum class Kind
    {
        kRemote,
        kBalanceBoard
    };

    // Accelerometer readings at 0 g and 1 g; board readings at 0 kg per position, 100 per kg.
    static constexpr int kZeroG = 0x80;
    static constexpr int kOneG = 0x9A;
    static constexpr int kBoardZero = 2000;
    static constexpr int kBoardPerKg = 100;

    explicit CSimulatedWiimote(Kind kind = Kind::kRemote) : mKind(kind)
    {
        mEeprom = {kZeroG, kZeroG, kZeroG, 0, kOneG, kOneG, kOneG};
        for (int block = 0; block < 3; ++block)
            for (int position = 0; position < 4; ++position)
                setBoardCalibrationValue(position, block,
                                         kBoardZero + block * 17 * kBoardPerKg + position);
    }

    // Runs f under the device's lock.
    template <typename F> auto locked(F f) const
    {
        std::lock_guard<std::mutex> lock(mLock);
        return f();
    }

    // --- what a test does to the device
    void press(uint16_t buttons)
    {
        change([&] { mButtons = buttons; });
    }
    void tilt(float pitchDegrees, float rollDegrees)
    {
        const float p = pitchDegrees / 57.29578f, r = rollDegrees / 57.29578f;
        accelerate(std::cos(p) * std::sin(r), -std::sin(p), std::cos(p) * std::cos(r));
    }
    void accelerate(float x, float y, float z)
    {
        change([&] { mAccel = {toRaw(x), toRaw(y), toRaw(z)}; });
    }
    // Kilograms on the sensors top left, top right, bottom left, bottom right.
    void load(float topLeft, float topRight, float bottomLeft, float bottomRight)
    {
        const float kg[4] = {topRight, bottomRight, topLeft, bottomLeft}; // report order
        change([&] {
            for (int i = 0; i < 4; ++i)
                mSensors[static_cast<size_t>(i)] = static_cast<uint16_t>(
                    boardCalibrationValue(i, 0) + std::lround(kg[i] * kBoardPerKg));
        });
    }
    // Report positions: 0 top right, 1 bottom right, 2 top left, 3 bottom left; blocks 0, 17, 34
    // kg.
    void setBoardCalibrationValue(int position, int block, int value)
    {
        const size_t at = static_cast<size_t>(block * 8 + position * 2);
        mBoardCalibration[at] = static_cast<unsigned char>(value >> 8);
        mBoardCalibration[at + 1] = static_cast<unsigned char>(value);
    }
    void setAccelCalibration(unsigned char zero, unsigned char one)
    {
        mEeprom = {zero, zero, zero, 0, one, one, one};
    }
    void unplug()
    {
        change([&] { mPlugged = false; });
    }
    void setSilent(bool silent) { mSilent = silent; }
    // Any raw report, as if the device sent it.
    void send(const std::vector<unsigned char>& bytes)
    {
        std::lock_guard<std::mutex> lock(mLock);
        mInbox.push_back(bytes);
        mArrived.notify_all();
    }

    // --- what the device received
    std::vector<Report> received() const
    {
        std::lock_guard<std::mutex> lock(mLock);
        return mReceived;
    }
    int leds() const
    {
        return locked([&] { return mLeds; });
    }
    bool rumbling() const
    {
        return locked([&] { return mRumble; });
    }
    int reportMode() const
    {
        return locked([&] { return mMode; });
    }
    int openHandles() const
    {
        return locked([&] { return mOpen; });
    }

    // Polls until the condition holds or the time is up; whether it held.
    static bool waitUntil(const std::function<bool()>& condition, int milliseconds = 2000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

    // --- the device's side of the transport
    int read(unsigned char* buffer, size_t size, int timeoutMs)
    {
        std::unique_lock<std::mutex> lock(mLock);
        mArrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [&] { return !mPlugged || !mInbox.empty(); });
        if (!mPlugged)
            return -1;
        if (mInbox.empty())
            return 0;
        std::vector<unsigned char> report = std::move(mInbox.front());
        mInbox.pop_front();
        const size_t count = std::min(size, report.size());
        std::copy(report.begin(), report.begin() + static_cast<long>(count), buffer);
        return static_cast<int>(count);
    }

    bool receive(const unsigned char* bytes, size_t size)
    {
        std::lock_guard<std::mutex> lock(mLock);
        if (!mPlugged)
            return false;
        Report report{};
        std::copy(bytes, bytes + std::min(size, report.size()), report.begin());
        mReceived.push_back(report);
        if (mSilent)
            return true;
        mRumble = report[1] & 0x01;
        switch (report[0]) {
        case 0x11:
            mLeds = report[1] >> 4;
            break;
        case 0x12:
            mMode = report[2];
            break;
        case 0x15:
            queue({0x20, low(), high(),
                   static_cast<unsigned char>((mKind == Kind::kBalanceBoard ? 0x02 : 0) |
                                              (mLeds << 4)),
                   0, 0, 0xC0});
            break;
        case 0x17:
            answerRead(report);
            break;
        default:
            break;
        }
        return true;
    }

    void opened()
    {
        locked([&] { return ++mOpen; });
    }
    void closed()
    {
        locked([&] { return --mOpen; });
    }

private:
    static unsigned char toRaw(float g)
    {
        return static_cast<unsigned char>(
            std::clamp(std::lround(kZeroG + g * (kOneG - kZeroG)), 0L, 255L));
    }
    int boardCalibrationValue(int position, int block) const
    {
        const size_t at = static_cast<size_t>(block * 8 + position * 2);
        return (mBoardCalibration[at] << 8) | mBoardCalibration[at + 1];
    }
    unsigned char low() const { return static_cast<unsigned char>(mButtons); }
    unsigned char high() const { return static_cast<unsigned char>(mButtons >> 8); }
    void queue(std::vector<unsigned char> report)
    {
        report.resize(22);
        mInbox.push_back(std::move(report));
        mArrived.notify_all();
    }

    // Applies a change and sends the report of the current mode.
    template <typename F> void change(F apply)
    {
        std::lock_guard<std::mutex> lock(mLock);
        apply();
        if (!mPlugged) {
            mArrived.notify_all();
            return;
        }
        if (mSilent)
            return;
        std::vector<unsigned char> report = {static_cast<unsigned char>(mMode), low(), high()};
        const bool accel = mMode == 0x31 || mMode == 0x33 || mMode == 0x35 || mMode == 0x37;
        if (accel)
            report.insert(report.end(), mAccel.begin(), mAccel.end());
        if (mMode == 0x32 || mMode == 0x35) {
            for (uint16_t sensor : mSensors) {
                report.push_back(
                    static_cast<unsigned char>(mKind == Kind::kBalanceBoard ? sensor >> 8 : 0));
                report.push_back(
                    static_cast<unsigned char>(mKind == Kind::kBalanceBoard ? sensor : 0));
            }
        }
        queue(report);
    }

    void answerRead(const Report& request)
    {
        const bool registerSpace = request[1] & 0x04;
        const unsigned address = (request[2] << 16) | (request[3] << 8) | request[4];
        const unsigned size = (request[5] << 8) | request[6];
        std::vector<unsigned char> memory;
        unsigned start = 0;
        if (!registerSpace && address == 0x16) {
            memory = mEeprom;
        } else if (registerSpace && address == 0xA400FA && mKind == Kind::kBalanceBoard) {
            memory = {0x00, 0x00, 0xA4, 0x20, 0x04, 0x02};
        } else if (registerSpace && address == 0xA40024 && mKind == Kind::kBalanceBoard) {
            memory.assign(mBoardCalibration.begin(), mBoardCalibration.end());
        } else {
            queue({0x21, low(), high(), 0x08, static_cast<unsigned char>(address >> 8),
                   static_cast<unsigned char>(address)});
            return;
        }
        memory.resize(std::min<size_t>(memory.size(), size));
        // At most 16 bytes per reply.
        for (; start < memory.size(); start += 16) {
            const unsigned count =
                std::min<unsigned>(16, static_cast<unsigned>(memory.size()) - start);
            const unsigned at = address + start;
            std::vector<unsigned char> reply = {0x21,
                                                low(),
                                                high(),
                                                static_cast<unsigned char>((count - 1) << 4),
                                                static_cast<unsigned char>(at >> 8),
                                                static_cast<unsigned char>(at)};
            reply.insert(reply.end(), memory.begin() + start, memory.begin() + start + count);
            queue(reply);
        }
    }

    const Kind mKind;
    mutable std::mutex mLock;
    std::condition_variable mArrived;
    std::deque<std::vector<unsigned char>> mInbox;
    std::vector<Report> mReceived;
    std::vector<unsigned char> mEeprom;
    std::array<unsigned char, 24> mBoardCalibration{};
    std::array<unsigned char, 3> mAccel = {kZeroG, kZeroG, kOneG};
    std::array<uint16_t, 4> mSensors = {kBoardZero, kBoardZero + 1, kBoardZero + 2, kBoardZero + 3};
    uint16_t mButtons = 0;
    int mLeds = 0;
    int mMode = 0x30;
    int mOpen = 0;
    bool mRumble = false;
    bool mPlugged = true;
    bool mSilent = false;
};

// The devices a test plugs in, listed in order. Devices may refuse plain writes (then only the
// output-report call reaches them, if the transport offers one).
class CSimulatedTransport : public IHidTransport
{
public:
    struct Entry
    {
        std::shared_ptr<CSimulatedWiimote> device;
        unsigned short vendorId;
        unsigned short productId;
        bool plainWrites;
    };

    std::shared_ptr<CSimulatedWiimote> plug(CSimulatedWiimote::Kind kind, bool plainWrites = true,
                                            unsigned short vendorId = 0x057E,
                                            unsigned short productId = 0x0306)
    {
        mEntries.push_back(
            {std::make_shared<CSimulatedWiimote>(kind), vendorId, productId, plainWrites});
        return mEntries.back().device;
    }
    void setOutputReportCall(bool present) { mOutputReportCall = present; }

    std::vector<HidDeviceInfo> enumerate() override
    {
        std::vector<HidDeviceInfo> list;
        for (size_t i = 0; i < mEntries.size(); ++i)
            list.push_back(
                {"sim" + std::to_string(i), mEntries[i].vendorId, mEntries[i].productId});
        return list;
    }
    std::unique_ptr<IHidDevice> open(const std::string& path, unsigned& errorCode) override
    {
        const size_t index = std::stoul(path.substr(3));
        errorCode = 0;
        return std::make_unique<Handle>(mEntries.at(index));
    }
    bool hasOutputReportCall() const override { return mOutputReportCall; }

private:
    class Handle : public IHidDevice
    {
    public:
        explicit Handle(Entry entry) : mEntry(std::move(entry)) { mEntry.device->opened(); }
        ~Handle() override { mEntry.device->closed(); }
        int read(unsigned char* buffer, size_t size, int timeoutMs) override
        {
            return mEntry.device->read(buffer, size, timeoutMs);
        }
        bool write(const unsigned char* report, size_t size, unsigned& errorCode) override
        {
            errorCode = 1167; // the device is not connected
            return !mEntry.plainWrites || mEntry.device->receive(report, size);
        }
        OutputResult sendOutputReport(const unsigned char* report, size_t size) override
        {
            return mEntry.device->receive(report, size) ? OutputResult::kSent
                                                        : OutputResult::kFailed;
        }

    private:
        Entry mEntry;
    };

    std::vector<Entry> mEntries;
    bool mOutputReportCall = false;
};
