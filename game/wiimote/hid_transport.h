// The driver's way to HID devices: list them with their ids, open one, read and write 22-byte
// reports. The system's transport is hidapi; tests put a simulated device behind the same
// interface.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

struct HidDeviceInfo
{
    std::string path;
    unsigned short vendorId = 0;
    unsigned short productId = 0;
};

class IHidDevice
{
public:
    // Answers of the system's separate output-report call.
    enum class OutputResult
    {
        kSent,
        kBusy,
        kNotReady,
        kNotSupported,
        kFailed
    };

    virtual ~IHidDevice() = default;

    // One input report into buffer: its length, 0 when none came within timeoutMs, -1 when the
    // device is gone. Called by one thread at a time, while other threads may write.
    virtual int read(unsigned char* buffer, size_t size, int timeoutMs) = 0;
    // A plain write of one output report; false when it failed. errorCode is the system's reason.
    virtual bool write(const unsigned char* report, size_t size, unsigned& errorCode) = 0;
    // The output-report call, on systems that have one besides plain writes.
    virtual OutputResult sendOutputReport(const unsigned char*, size_t)
    {
        return OutputResult::kNotSupported;
    }
};

class IHidTransport
{
public:
    virtual ~IHidTransport() = default;

    virtual std::vector<HidDeviceInfo> enumerate() = 0;
    // nullptr when the device cannot be opened; errorCode then holds the system's reason.
    virtual std::unique_ptr<IHidDevice> open(const std::string& path, unsigned& errorCode) = 0;
    // Whether output reports can also go through a call of their own (not on hidraw, where a
    // plain write is the output report).
    virtual bool hasOutputReportCall() const { return false; }
};

// The system's transport (hidapi).
IHidTransport& systemHidTransport();
// The transport new drivers use: the system's unless another was set; nullptr restores it.
IHidTransport& defaultHidTransport();
void setDefaultHidTransport(IHidTransport* transport);
