// Prints how long one slime plan takes on generated waypoint graphs of 1,000 and 10,000
// waypoints: the search alone (CPathPlanner on a grid graph), and the slime's whole steering in
// a headless level (copying the scene's waypoints into the planner, searching, choosing among
// four balls' goals).
#include "world/path_planner.h"
#include "waypoint_field.h"
#include "world/scene.h"
#include "world/slime.h"
#include "world_bench_common.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>

namespace {

// CPU time of this thread: other programs sharing the machine do not count.
double cpuMilliseconds()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec * 1e-6;
}

struct STimes
{
    std::vector<double> samples;
    void add(double ms) { samples.push_back(ms); }
    double median()
    {
        std::sort(samples.begin(), samples.end());
        return samples[samples.size() / 2];
    }
    double worst() const { return *std::max_element(samples.begin(), samples.end()); }
};

// A grid of about n nodes with unit spacing and 4-neighbour links, plus a few random long links.
void buildGrid(CPathPlanner& planner, int nodes, std::mt19937& random)
{
    const int side = monsterbench::fieldSide(nodes);
    for (int k = 0; k < nodes; ++k)
        planner.addNode(
            Ogre::Vector3(static_cast<float>(k / side), 0.0f, -static_cast<float>(k % side)));
    auto link = [&planner](int a, int b) {
        planner.addEdge(a, b);
        planner.addEdge(b, a);
    };
    for (int k = 0; k < nodes; ++k) {
        if (k % side + 1 < side && k + 1 < nodes)
            link(k, k + 1);
        if (k + side < nodes)
            link(k, k + side);
    }
    std::uniform_int_distribution<int> any(0, nodes - 1);
    for (int extra = 0; extra < nodes / 20; ++extra)
        link(any(random), any(random));
}

void benchPlannerAlone(int nodes)
{
    constexpr int kRuns = 200;
    std::mt19937 random(nodes);
    CPathPlanner planner;
    buildGrid(planner, nodes, random);
    std::uniform_int_distribution<int> any(0, nodes - 1);
    STimes times;
    int moved = 0;
    for (int run = 0; run < kRuns; ++run) {
        const int start = any(random);
        const std::vector<int> goals{any(random), any(random), any(random), any(random)};
        const double begin = cpuMilliseconds();
        const CPathPlanner::SPlan plan = planner.plan(start, goals, 7.0f);
        times.add(cpuMilliseconds() - begin);
        moved += plan.direction != Ogre::Vector3::ZERO;
    }
    std::printf("planner alone, %5d waypoints: median %.3f ms CPU per plan (worst %.3f ms), %d of "
                "%d plans moved\n",
                nodes, times.median(), times.worst(), moved, kRuns);
}

void benchSlimeSteering(worldbench::CHeadlessOgre& ogre, int boxes)
{
    constexpr int kRuns = 50;
    const std::string name = "plan" + std::to_string(boxes) + ".kivom";
    // The slime in the far corner, the four balls near the start corner.
    monsterbench::writeWaypointField(name, boxes, {{CMonster::KIND_SLIME, boxes - 2}});
    CScene scene("SceneManager", "firstCamera", "", "", "", false, name, 4, 1, nullptr);
    for (int i = 0; i < 90; ++i) // the balls land and touch their boxes' waypoints
        ogre.frame(1.0f / 60.0f);
    auto* slime = static_cast<CSlime*>(scene.getMonsters().front());
    STimes times;
    Ogre::Vector3 direction;
    for (int run = 0; run < kRuns; ++run) {
        const double begin = cpuMilliseconds();
        slime->steer(direction);
        times.add(cpuMilliseconds() - begin);
    }
    std::printf("slime steering in a level, %5d waypoints, %zu balls: median %.3f ms CPU per plan "
                "(worst %.3f ms), direction (%.2f, %.2f, %.2f)\n",
                boxes, scene.getBallCount(), times.median(), times.worst(), direction.x,
                direction.y, direction.z);
}

} // namespace

int main()
{
    for (int nodes : {1000, 10000})
        benchPlannerAlone(nodes);

    const auto folder = std::filesystem::temp_directory_path() / "kivo-bench-path-planner";
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    {
        worldbench::CHeadlessOgre ogre;
        for (int boxes : {1000, 10000})
            benchSlimeSteering(ogre, boxes);
    }
    std::printf("goal: one slime plan on 10,000 waypoints in under 5 ms\n");
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(folder);
    return 0;
}
