// The editor on a generated map of 10,000 boxes, headless: how long opening it takes, how long
// a click in the view takes until the box under it is highlighted (pick + selection toggle),
// and how long the undo of each kind of single edit takes (a light, a waypoint link, a monster,
// a start point, a vertex move, one deleted box), and how long the map check takes.
// Goals: open under 0.2 s, click to highlight under 5 ms, any single undo under 20 ms, a map
// check under 50 ms.
#include "editor/box_picker.h"
#include "editor/map_document.h"
#include "world/box.h"
#include "world/map_check.h"
#include "world/paths.h"
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
        if (!document.openMap(paths::mapFile("bench.kivom")))
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

    // Each edit, then its undo, timed.
    const auto undoTime = [&document](const char* what, const auto& edit) {
        document.clearSelection();
        edit();
        const auto start = std::chrono::steady_clock::now();
        document.undoStack().undo();
        std::printf("undo of %s: %.1f ms\n", what, millisecondsSince(start));
    };
    undoTime("a light change", [&] {
        CMapDocument::SLight sun;
        document.findLight("sun", sun);
        sun.range = 500.0f;
        document.editLights({"sun"}, sun);
    });
    for (const char* box : {"b5050", "b5051"}) {
        document.toggleSelection(box);
        document.createWaypoints(1);
        document.clearSelection();
    }
    undoTime("a waypoint link", [&] {
        document.toggleSelection("b5050");
        document.linkWaypoints({"b5051"});
    });
    undoTime("a new monster", [&] {
        document.toggleSelection("b5050");
        document.createMonster(0, "bench");
    });
    undoTime("a start point", [&] {
        document.toggleSelection("b5052");
        document.createPoints(true);
    });
    undoTime("a vertex move with near points", [&] {
        document.toggleSelection("b5052");
        CMapDocument::VertexFlags top{};
        top[CBox::kTopCentre] = true;
        document.moveVertices(top, Ogre::Vector3(0, 1, 0), {}, true);
    });
    undoTime("one deleted box", [&] {
        document.toggleSelection("b5053");
        document.deleteSelection();
    });

    // The map check the editor runs after each change: four starts, each searching its way over
    // the whole field to the finish in the far corner. Goal: at most 50 ms.
    {
        std::vector<double> checks;
        std::size_t problems = 0;
        for (int run = 0; run < 9; ++run) {
            const auto start = std::chrono::steady_clock::now();
            problems = checkMapDesign(document.level()).size();
            checks.push_back(millisecondsSince(start));
        }
        std::sort(checks.begin(), checks.end());
        std::printf("map check of %d boxes (%zu problems): median %.1f ms, max %.1f ms\n", boxes,
                    problems, checks[checks.size() / 2], checks.back());
    }
    return 0;
}
