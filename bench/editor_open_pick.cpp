// The editor on a generated map of 10,000 boxes, headless: how long opening it takes, how long
// a click in the view takes until the box under it is highlighted (pick + selection toggle),
// and how long the undo of a deletion (a rebuild of the level) and a vertex move take.
// Goals: open under 1 s, pick under 5 ms.
#include "editor/box_picker.h"
#include "editor/map_document.h"
#include "world/box.h"
#include "world/scene.h"
#include "world_bench_common.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

namespace {

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

int main()
{
    const auto folder = std::filesystem::temp_directory_path() / "kivo-bench-editor";
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    worldbench::CHeadlessOgre ogre;
    const int boxes = 10000;
    worldbench::writeFlatMap("bench.kivom", boxes);
    CMapDocument document("SceneManager", "firstCamera");

    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        if (!document.openMap("data/maps/bench.kivom"))
            return 1;
        std::printf("open %d boxes: %.1f ms\n", boxes, millisecondsSince(start));
    }

    // Clicks from a camera above the field, looking down at 45 degrees towards random boxes.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> across(0.0f, 99.0f);
    std::vector<double> times;
    std::vector<double> pickTimes;
    int hits = 0;
    for (int click = 0; click < 500; ++click) {
        const Ogre::Vector3 target(across(random), 0.5f, -across(random));
        const Ogre::Vector3 eye = target + Ogre::Vector3(0.0f, 10.0f, 10.0f);
        const auto start = std::chrono::steady_clock::now();
        const SPick pick =
            pickBox(*document.scene(), Ogre::Ray(eye, (target - eye).normalisedCopy()));
        pickTimes.push_back(millisecondsSince(start));
        if (pick.box)
            hits += document.toggleSelection(pick.box->getName()) ? 1 : 0;
        times.push_back(millisecondsSince(start));
    }
    std::sort(times.begin(), times.end());
    std::sort(pickTimes.begin(), pickTimes.end());
    std::printf("of which the pick alone: median %.3f ms, 95th %.3f ms\n",
                pickTimes[pickTimes.size() / 2], pickTimes[pickTimes.size() * 95 / 100]);
    std::printf("click to highlight over %zu clicks (%d hits): median %.3f ms, 95th %.3f ms, "
                "max %.3f ms\n",
                times.size(), hits, times[times.size() / 2], times[times.size() * 95 / 100],
                times.back());

    document.clearSelection();
    document.toggleSelection("b5050");
    auto start = std::chrono::steady_clock::now();
    CMapDocument::VertexFlags top{};
    top[CBox::kTopCentre] = true;
    document.moveVertices(top, Ogre::Vector3(0, 1, 0), {}, true);
    std::printf("vertex move with near points on 10,000 boxes: %.1f ms\n",
                millisecondsSince(start));
    start = std::chrono::steady_clock::now();
    document.deleteSelection();
    std::printf("delete one box: %.1f ms\n", millisecondsSince(start));
    start = std::chrono::steady_clock::now();
    document.undoStack().undo();
    std::printf("undo the deletion (level rebuilt): %.1f ms\n", millisecondsSince(start));
    return 0;
}
