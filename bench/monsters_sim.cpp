// Prints the simulation CPU time per 60 Hz frame with 50 monsters of all kinds and 4 rolling
// balls on a generated 10,000-box map whose every box carries a linked waypoint: the physics
// step (with the scene's contact rules) and the scene's frame work (monster updates, the
// slimes' path planning, see-through) separately, as mean and worst frame.
#include "waypoint_field.h"
#include "world/monster.h"
#include "world/scene.h"
#include "world_bench_common.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <set>

namespace {

constexpr float kFrame = 1.0f / 60.0f;
constexpr int kFrames = 1200;
constexpr int kBoxes = 10000;
constexpr int kMonsters = 50;

double cpuMilliseconds()
{
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec * 1e-6;
}

// Ten of each moving kind and five obstacles and big balls, spread over the field (away from
// the start corner, which the balls need).
std::vector<monsterbench::SMonsterSpec> spreadMonsters()
{
    const int kinds[] = {CMonster::KIND_EVIL_MARBLE, CMonster::KIND_VENOM_MARBLE,
                         CMonster::KIND_MOVING_OBSTACLE, CMonster::KIND_SLIME};
    std::vector<monsterbench::SMonsterSpec> monsters;
    std::mt19937 random(50);
    const int side = monsterbench::fieldSide(kBoxes);
    std::uniform_int_distribution<int> cell(0, side - 1);
    std::set<int> taken;
    for (int n = 0; n < kMonsters; ++n) {
        int kind =
            n < 40 ? kinds[n % 4] : (n < 45 ? CMonster::KIND_OBSTACLE : CMonster::KIND_THE_BALL);
        int box = 0;
        do {
            // Half of them near the balls' corner, so that hunting and contacts happen.
            const int range = n % 2 == 0 ? side / 5 : side;
            box = (cell(random) % range + 1) * side + cell(random) % range;
        } while (box >= kBoxes || !taken.insert(box).second);
        monsters.push_back({kind, box});
    }
    return monsters;
}

struct SFrames
{
    double total = 0.0;
    double worst = 0.0;
    void add(double ms)
    {
        total += ms;
        worst = std::max(worst, ms);
    }
};

} // namespace

int main()
{
    const auto folder = std::filesystem::temp_directory_path() / "kivo-bench-monsters-sim";
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    {
        worldbench::CHeadlessOgre ogre;
        monsterbench::writeWaypointField("monsters.kivom", kBoxes, spreadMonsters());
        CScene scene("SceneManager", "firstCamera", "", "", "", false, "monsters.kivom", 4, 1,
                     nullptr);
        for (int i = 0; i < 60; ++i) // balls and monsters land first
            ogre.frame(kFrame);

        // The physics world is stepped here rather than by its frame listener, so that its
        // share of the frame can be told apart from the scene's own per-frame work.
        scene.onPause();
        const Ogre::Vector3 pushes[4] = {{40, 0, -40}, {40, 0, -20}, {20, 0, -40}, {40, 0, 0}};
        SFrames physics;
        SFrames sceneWork;
        SFrames whole;
        for (int i = 0; i < kFrames; ++i) {
            for (size_t b = 0; b < scene.getBallCount(); ++b)
                scene.getBallForces()[b] = pushes[b];
            const double start = cpuMilliseconds();
            scene.getPhysicsWorld()->step(kFrame);
            const double stepped = cpuMilliseconds();
            ogre.frame(kFrame);
            const double end = cpuMilliseconds();
            physics.add(stepped - start);
            sceneWork.add(end - stepped);
            whole.add(end - start);
        }
        scene.onResume();

        int hunting = 0;
        for (CMonster* monster : scene.getMonsters())
            hunting += monster->isHunting();
        int resets = 0;
        for (size_t b = 0; b < scene.getBallCount(); ++b)
            resets += scene.takeResetEvent(static_cast<int>(b));
        std::printf("%d boxes with waypoints, %zu monsters (%d hunting at the end), %zu balls:\n",
                    kBoxes, scene.getMonsters().size(), hunting, scene.getBallCount());
        std::printf("  physics with contact rules: %.3f ms CPU per 60 Hz frame (worst %.3f ms)\n",
                    physics.total / kFrames, physics.worst);
        std::printf("  scene frame work (monsters, slime plans, see-through): %.3f ms (worst %.3f "
                    "ms)\n",
                    sceneWork.total / kFrames, sceneWork.worst);
        std::printf(
            "  whole simulation: %.3f ms per frame (worst %.3f ms); balls sent back at least "
            "once (monsters or falls): %d\n",
            whole.total / kFrames, whole.worst, resets);
    }
    std::printf("goal: the whole simulation well inside a 16.7 ms frame\n");
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(folder);
    return 0;
}
