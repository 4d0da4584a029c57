// A simulated Wii Remote or Balance Board behind the driver's HID transport. It answers status
// requests, memory reads and reporting modes as the device does, sends a report in the current
// mode whenever its state changes, and can be tilted, pressed, loaded or unplugged.
#pragma once

#include "game/wiimote/hid_transport.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CSimulatedWiimote
{
public:
    using Bytes = std::vector<unsigned char>;
    enum class Kind
    {
        kRemote,
        kBalanceBoard
    };
    static constexpr int kZeroG = 0x80, kOneG = 0x9A; // accelerometer readings at 0 and 1 g
    static constexpr int kBoardZero = 2000, kBoardPerKg = 100;

    explicit CSimulatedWiimote(Kind kind) : kind(kind)
    {
        // Sensor p of block b (0, 17, 34 kg) reads kBoardZero + p + b * 17 kg.
        for (int b = 0; b < 3; ++b)
            for (int p = 0; p < 4; ++p)
                boardCalibration[b][p] = kBoardZero + p + b * 17 * kBoardPerKg;
    }

    // What the test sets before connecting.
    const Kind kind;
    unsigned short vendorId = 0x057E, productId = 0x0306;
    Bytes eeprom = {kZeroG, kZeroG, kZeroG, 0, kOneG, kOneG, kOneG};
    int boardCalibration[3][4]; // positions in report order: TR, BR, TL, BL
    // What the device has seen.
    std::atomic<int> leds{0}, reportMode{0x30}, openHandles{0};
    std::atomic<bool> rumbling{false};

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
    void load(float topLeft, float topRight, float bottomLeft, float bottomRight)
    {
        const float kg[4] = {topRight, bottomRight, topLeft, bottomLeft};
        change([&] {
            for (int p = 0; p < 4; ++p)
                mSensors[p] = boardCalibration[0][p] + static_cast<int>(kg[p] * kBoardPerKg);
        });
    }
    void unplug()
    {
        change([&] { mPlugged = false; });
    }
    std::vector<Bytes> received() const
    {
        std::lock_guard<std::mutex> lock(mLock);
        return mReceived;
    }

    // Polls until the condition holds; false when the time ran out first.
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

    // The device's side of the transport.
    int read(unsigned char* buffer, size_t size, int timeoutMs)
    {
        std::unique_lock<std::mutex> lock(mLock);
        mArrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [&] { return !mPlugged || !mInbox.empty(); });
        if (!mPlugged)
            return -1;
        if (mInbox.empty())
            return 0;
        const Bytes report = std::move(mInbox.front());
        mInbox.pop_front();
        const size_t count = std::min(size, report.size());
        std::copy_n(report.begin(), count, buffer);
        return static_cast<int>(count);
    }

    bool receive(const unsigned char* bytes, size_t size)
    {
        std::lock_guard<std::mutex> lock(mLock);
        if (!mPlugged)
            return false;
        const Bytes report(bytes, bytes + size);
        mReceived.push_back(report);
        rumbling = report[1] & 0x01;
        if (report[0] == 0x11)
            leds = report[1] >> 4;
        else if (report[0] == 0x12)
            reportMode = report[2];
        else if (report[0] == 0x15)
            queue({0x20, low(), high(), byte((isBoard() ? 0x02 : 0) | (leds << 4)), 0, 0, 0xC0});
        else if (report[0] == 0x17)
            answerRead(report[1] & 0x04, (report[2] << 16) | (report[3] << 8) | report[4],
                       (report[5] << 8) | report[6]);
        return true;
    }

private:
    static unsigned char byte(int value) { return static_cast<unsigned char>(value); }
    static unsigned char toRaw(float g)
    {
        return byte(std::clamp<long>(std::lround(kZeroG + g * (kOneG - kZeroG)), 0, 255));
    }
    bool isBoard() const { return kind == Kind::kBalanceBoard; }
    unsigned char low() const { return byte(mButtons); }
    unsigned char high() const { return byte(mButtons >> 8); }
    void queue(Bytes report)
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
        mArrived.notify_all();
        if (!mPlugged)
            return;
        const int mode = reportMode;
        Bytes report = {byte(mode), low(), high()};
        if (mode == 0x31 || mode == 0x33 || mode == 0x35 || mode == 0x37)
            report.insert(report.end(), mAccel.begin(), mAccel.end());
        for (int p = 0; p < 4 && (mode == 0x32 || mode == 0x35); ++p) {
            report.push_back(byte(isBoard() ? mSensors[p] >> 8 : 0));
            report.push_back(byte(isBoard() ? mSensors[p] : 0));
        }
        queue(report);
    }

    // Replies of at most 16 bytes each; an address it does not have gives error 8.
    void answerRead(bool registerSpace, int address, int size)
    {
        Bytes memory;
        if (!registerSpace && address == 0x16) {
            memory = eeprom;
        } else if (isBoard() && address == 0xA400FA) {
            memory = {0x00, 0x00, 0xA4, 0x20, 0x04, 0x02};
        } else if (isBoard() && address == 0xA40024) {
            for (int b = 0; b < 3; ++b)
                for (int p = 0; p < 4; ++p)
                    memory.insert(memory.end(), {byte(boardCalibration[b][p] >> 8),
                                                 byte(boardCalibration[b][p])});
        } else {
            queue({0x21, low(), high(), 0x08, byte(address >> 8), byte(address)});
            return;
        }
        memory.resize(std::min<size_t>(memory.size(), static_cast<size_t>(size)));
        for (size_t start = 0; start < memory.size(); start += 16) {
            const size_t count = std::min<size_t>(16, memory.size() - start);
            const int at = address + static_cast<int>(start);
            Bytes reply = {0x21, low(), high(), byte((count - 1) << 4), byte(at >> 8), byte(at)};
            reply.insert(reply.end(), memory.begin() + start, memory.begin() + start + count);
            queue(reply);
        }
    }

    mutable std::mutex mLock;
    std::condition_variable mArrived;
    std::deque<Bytes> mInbox;
    std::vector<Bytes> mReceived;
    std::array<unsigned char, 3> mAccel = {kZeroG, kZeroG, kOneG};
    int mSensors[4] = {kBoardZero, kBoardZero + 1, kBoardZero + 2, kBoardZero + 3};
    uint16_t mButtons = 0;
    bool mPlugged = true;
};

// The devices a test plugs in, in enumeration order.
class CSimulatedTransport : public IHidTransport
{
public:
    std::shared_ptr<CSimulatedWiimote> plug(CSimulatedWiimote::Kind kind)
    {
        mDevices.push_back(std::make_shared<CSimulatedWiimote>(kind));
        return mDevices.back();
    }
    std::vector<HidDeviceInfo> enumerate() override
    {
        std::vector<HidDeviceInfo> list;
        for (size_t i = 0; i < mDevices.size(); ++i)
            list.push_back({std::to_string(i), mDevices[i]->vendorId, mDevices[i]->productId});
        return list;
    }
    std::unique_ptr<IHidDevice> open(const std::string& path, unsigned& errorCode) override
    {
        errorCode = 0;
        return std::make_unique<Handle>(mDevices.at(std::stoul(path)));
    }

private:
    class Handle : public IHidDevice
    {
    public:
        explicit Handle(std::shared_ptr<CSimulatedWiimote> device) : mDevice(std::move(device))
        {
            ++mDevice->openHandles;
        }
        ~Handle() override { --mDevice->openHandles; }
        int read(unsigned char* buffer, size_t size, int timeoutMs) override
        {
            return mDevice->read(buffer, size, timeoutMs);
        }
        bool write(const unsigned char* report, size_t size, unsigned& errorCode) override
        {
            errorCode = 1167; // the device is not connected
            return mDevice->receive(report, size);
        }

    private:
        std::shared_ptr<CSimulatedWiimote> mDevice;
    };

    std::vector<std::shared_ptr<CSimulatedWiimote>> mDevices;
};
