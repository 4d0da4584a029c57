// Prints how long the game takes from process start to its first frame, step by step.
// Run it in the staged game folder under a display:
//   cd build/run && xvfb-run -a -s "-screen 0 1024x768x24" ../bench/bench_startup
#include "game/core/application.h"
#include "game/core/loading_screen.h"

#include <OgreRoot.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {
using Clock = std::chrono::steady_clock;

// Seconds between the kernel starting this process and now (dynamic loading, static set-up).
double secondsSinceProcessStart()
{
    std::ifstream statFile("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(statFile)), std::istreambuf_iterator<char>());
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    unsigned long long startTicks = 0;
    for (int i = 3; i <= 22 && fields >> field; ++i)
        if (i == 22)
            startTicks = std::stoull(field);
    double uptime = 0;
    std::ifstream("/proc/uptime") >> uptime;
    return uptime - double(startTicks) / double(sysconf(_SC_CLK_TCK));
}

double ms(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}
} // namespace

int main()
{
    const double beforeMain = secondsSinceProcessStart() * 1000.0;
    const Clock::time_point t0 = Clock::now();

    CApplication* app = CApplication::getInstance();
    const Clock::time_point constructed = Clock::now();
    if (!app->start()) {
        std::fprintf(stderr, "no render system\n");
        return 1;
    }
    const Clock::time_point started = Clock::now();
    app->runFrame();
    const Clock::time_point firstFrame = Clock::now();

    std::printf("start-up of the game, milliseconds since process start\n");
    std::printf("  %-28s %8.1f\n", "main() entered", beforeMain);
    std::printf("  %-28s %8.1f\n", "sound engine up", beforeMain + ms(t0, constructed));
    const auto& steps = app->getLoadingScreen()->getSteps();
    const auto& times = app->getLoadingScreen()->getStepTimes();
    for (size_t i = 0; i < steps.size() && i < times.size(); ++i) {
        const std::string label = std::to_string(int(steps[i].first)) + "% " + steps[i].second;
        std::printf("  %-28s %8.1f\n", label.c_str(), beforeMain + ms(t0, times[i]));
    }
    std::printf("  %-28s %8.1f\n", "start-up done", beforeMain + ms(t0, started));
    std::printf("  %-28s %8.1f\n", "first frame of the loop", beforeMain + ms(t0, firstFrame));

    app->getRoot()->removeFrameListener(app);
    CApplication::destroyInstance();
    return 0;
}
