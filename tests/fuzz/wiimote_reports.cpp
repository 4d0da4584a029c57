// libFuzzer target: any sequence of input reports fed to the Wii Remote driver's parser and state
// update. Each report is one length byte (taken modulo 23) and that many bytes. Whatever comes,
// the driver must not crash, read out of bounds or put a non-finite number into its state.
// Run it with -close_fd_mask=2: the driver traces odd reports on standard error.
#include "game/wiimote/wiimote.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
class CNoDevices : public IHidTransport
{
public:
    std::vector<HidDeviceInfo> enumerate() override { return {}; }
    std::unique_ptr<IHidDevice> open(const std::string&, unsigned& errorCode) override
    {
        errorCode = 2;
        return nullptr;
    }
};

void requireFinite(float value)
{
    if (!std::isfinite(value))
        std::abort();
}

void checkState(const wiimote_state& state)
{
    const wiimote_state::Acceleration& accel = state.acceleration;
    for (float value : {accel.x, accel.y, accel.z, accel.orientation.x, accel.orientation.y,
                        accel.orientation.z, accel.orientation.pitch, accel.orientation.roll})
        requireFinite(value);
    for (int i = 0; i < 5; ++i) {
        requireFinite(state.balanceBoard.kg[i]);
        requireFinite(state.balanceBoard.lb[i]);
        requireFinite(state.balanceBoard.atRestKg[i]);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CNoDevices transport;
    wiimote remote(transport);
    remote.requestCalibration();
    size_t at = 0;
    while (at < size) {
        const size_t length = std::min<size_t>(data[at] % 23, size - at - 1);
        remote.handleInput(data + at + 1, length);
        at += 1 + length;
        remote.takeState();
        checkState(remote);
    }
    return 0;
}
