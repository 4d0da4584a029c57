// The hidapi transport (hidraw backend) and the choice of the transport new drivers use.
#include "game/wiimote/hid_transport.h"

#include <hidapi/hidapi.h>

#include <cerrno>
#include <mutex>

namespace {
class CHidapiDevice : public IHidDevice
{
public:
    explicit CHidapiDevice(hid_device* device) : mDevice(device) {}
    ~CHidapiDevice() override { hid_close(mDevice); }

    int read(unsigned char* buffer, size_t size, int timeoutMs) override
    {
        const int count = hid_read_timeout(mDevice, buffer, size, timeoutMs);
        return count < 0 ? -1 : count;
    }

    bool write(const unsigned char* report, size_t size, unsigned& errorCode) override
    {
        errno = 0;
        if (hid_write(mDevice, report, size) >= 0)
            return true;
        errorCode = static_cast<unsigned>(errno);
        return false;
    }

private:
    hid_device* mDevice;
};

class CHidapiTransport : public IHidTransport
{
public:
    std::vector<HidDeviceInfo> enumerate() override
    {
        std::vector<HidDeviceInfo> devices;
        if (!initialise())
            return devices;
        hid_device_info* list = hid_enumerate(0, 0);
        for (const hid_device_info* info = list; info; info = info->next)
            devices.push_back({info->path ? info->path : "", info->vendor_id, info->product_id});
        hid_free_enumeration(list);
        return devices;
    }

    std::unique_ptr<IHidDevice> open(const std::string& path, unsigned& errorCode) override
    {
        errorCode = 0;
        if (!initialise())
            return nullptr;
        errno = 0;
        hid_device* device = hid_open_path(path.c_str());
        if (!device) {
            errorCode = static_cast<unsigned>(errno);
            return nullptr;
        }
        return std::make_unique<CHidapiDevice>(device);
    }

private:
    static bool initialise()
    {
        static std::once_flag once;
        static bool ready = false;
        std::call_once(once, [] { ready = hid_init() == 0; });
        return ready;
    }
};

IHidTransport* gDefaultTransport = nullptr;
} // namespace

IHidTransport& systemHidTransport()
{
    static CHidapiTransport transport;
    return transport;
}

IHidTransport& defaultHidTransport()
{
    return gDefaultTransport ? *gDefaultTransport : systemHidTransport();
}

void setDefaultHidTransport(IHidTransport* transport)
{
    gDefaultTransport = transport;
}
