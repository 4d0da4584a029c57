// Prints the CPU time the level's physics and per-frame scene work take per 60 Hz frame on a
// generated 10,000-box map with four balls rolling under constant steering forces.
#include "world/scene.h"
#include "world_bench_common.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>

namespace {

constexpr float kFrame = 1.0f / 60.0f;
constexpr int kFrames = 1200;

double cpuSeconds()
{
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

} // namespace

int main()
{
    const auto folder = std::filesystem::temp_directory_path() / "kivo-bench-world-physics";
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    worldbench::CHeadlessOgre ogre;
    for (int boxes : {1000, 10000}) {
        const std::string name = "bench" + std::to_string(boxes) + paths::kMapExtension;
        worldbench::writeFlatMap(name, boxes);
        CScene scene("SceneManager", "firstCamera", "", "", "", false, name, 4, 1, nullptr);
        const Ogre::Vector3 pushes[4] = {{40, 0, -40}, {40, 0, -20}, {20, 0, -40}, {40, 0, 0}};
        for (int i = 0; i < 60; ++i) // land on the start boxes first
            ogre.frame(kFrame);
        const unsigned long ticksBefore = scene.getPhysicsWorld()->getTickCount();
        // The physics world is stepped here rather than by its frame listener, so that its
        // share of the frame can be told apart from the scene's own per-frame work.
        scene.onPause();
        double physics = 0.0;
        double worst = 0.0;
        double sceneWork = 0.0;
        for (int i = 0; i < kFrames; ++i) {
            for (size_t b = 0; b < scene.getBallCount(); ++b)
                scene.getBallForces()[b] = pushes[b];
            const double frameStart = cpuSeconds();
            scene.getPhysicsWorld()->step(kFrame);
            const double stepped = cpuSeconds();
            ogre.frame(kFrame);
            physics += stepped - frameStart;
            worst = std::max(worst, stepped - frameStart);
            sceneWork += cpuSeconds() - stepped;
        }
        scene.onResume();
        const double total = physics;
        const unsigned long ticks = scene.getPhysicsWorld()->getTickCount() - ticksBefore;
        Ogre::Vector3 p, v, w;
        scene.getBallState(0, p, v, w);
        std::printf("%5d boxes, %zu rolling balls: physics %.3f ms CPU per 60 Hz frame (worst %.3f "
                    "ms, %.3f ms per 10 ms sub-step); rest of the scene's frame work %.3f ms; "
                    "ball 1 at (%.1f, %.1f, %.1f) moving %.1f m/s\n",
                    boxes, scene.getBallCount(), total / kFrames * 1e3, worst * 1e3,
                    total / ticks * 1e3, sceneWork / kFrames * 1e3, p.x, p.y, p.z, v.length());
    }
    std::printf("goal: under 1 ms per frame on the 10,000-box map\n");
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(folder);
    return 0;
}
