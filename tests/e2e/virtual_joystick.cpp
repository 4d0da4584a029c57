// Linked into kivo_vjoy, a test build of the game: before main runs, a virtual SDL joystick (one
// hat, eleven buttons) is attached inside the game process, because SDL's virtual joysticks
// exist only in the process that attaches them. A thread copies the joystick's state from the
// control file named by KIVO_VJOY_CONTROL, one line "hat button0", e.g. "1 0" for the hat up
// (SDL's hat bits: 1 up, 2 right, 4 down, 8 left), every 20 ms.
#include <SDL2/SDL.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {
class CVirtualJoystickHost
{
public:
    CVirtualJoystickHost()
    {
        const char* control = std::getenv("KIVO_VJOY_CONTROL");
        if (!control || SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0)
            return;
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.nhats = 1;
        desc.nbuttons = 11;
        desc.name = "KIVO test pad";
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        mJoystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
        if (!mJoystick) {
            std::fprintf(stderr, "kivo_vjoy: no virtual joystick: %s\n", SDL_GetError());
            return;
        }
        std::fprintf(stderr, "kivo_vjoy: virtual joystick attached, control file %s\n", control);
        mThread = std::thread([this, path = std::string(control)] { follow(path); });
    }

    ~CVirtualJoystickHost()
    {
        mStop = true;
        if (mThread.joinable())
            mThread.join();
    }

private:
    void follow(const std::string& path)
    {
        while (!mStop) {
            std::ifstream in(path);
            int hat = 0, button = 0;
            if (in >> hat >> button) {
                SDL_JoystickSetVirtualHat(mJoystick, 0, static_cast<Uint8>(hat));
                SDL_JoystickSetVirtualButton(mJoystick, 0, static_cast<Uint8>(button != 0));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    SDL_Joystick* mJoystick = nullptr;
    std::atomic<bool> mStop{false};
    std::thread mThread;
};

CVirtualJoystickHost gHost;
} // namespace
