// Prints how long reading and building a generated map of 1,000 and 10,000 boxes takes
// headless (game mode: meshes, entities and convex hull bodies for every box, four balls),
// and how long tearing it down takes.
#include "world/scene.h"
#include "world_bench_common.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace {

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main()
{
    const auto folder = std::filesystem::temp_directory_path() / "kivo-bench-world-build";
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    worldbench::CHeadlessOgre ogre;
    for (int boxes : {1000, 10000}) {
        const std::string name = "bench" + std::to_string(boxes) + paths::kMapExtension;
        worldbench::writeFlatMap(name, boxes);
        for (bool editor : {false, true}) {
            const auto start = std::chrono::steady_clock::now();
            auto scene = std::make_unique<CScene>("SceneManager", "firstCamera", "", "", "", editor,
                                                  name, 4, 1, nullptr);
            const double build = secondsSince(start);
            const auto teardownStart = std::chrono::steady_clock::now();
            const size_t balls = scene->getBallCount();
            scene.reset();
            const double teardown = secondsSince(teardownStart);
            std::printf("%-6s mode, %5d boxes, %zu balls: read + build %.3f s, teardown %.3f s\n",
                        editor ? "editor" : "game", boxes, balls, build, teardown);
        }
    }
    std::printf("goal: 10,000 boxes read and built in under 1 s (game mode)\n");
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(folder);
    return 0;
}
