// The level "05_slime_garden" is made through the editing layer, as a designer would make it in
// the editor: this test builds it, compares it with the shipped file and plays it to the finish.
// To write the file anew after changing the level:
//   KIVO_WRITE_LEVEL=data/maps/05_slime_garden.kivom build/tests/editor_slime_garden_test
#include "editor/map_document.h"
#include "headless_ogre.h"
#include "test_env.h"
#include "world/box.h"
#include "world/box_grid.h"
#include "world/map_check.h"
#include "world/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kLevel = "05_slime_garden.kivom";
constexpr float kEdge = 2.0f; // every box is a 2-unit cube; its top lies 1 above its centre

std::string boxAt(const CScene& scene, float x, float z)
{
    for (const auto& grid : scene.getGrids())
        for (const auto& box : grid->getBoxes())
            if (box->getPosition().x == x && box->getPosition().z == z)
                return box->getName();
    return std::string();
}

// Four start boxes side by side, a lane where burning blocks and a stamper leave one gap, a
// garden whose slime hunts along a ring of waypoints, and two finish boxes at the far end.
void buildSlimeGarden(CMapDocument& document)
{
    document.newMap();
    const CScene& scene = *document.scene();
    auto select = [&](std::initializer_list<std::pair<float, float>> cells) {
        document.clearSelection();
        for (const auto& [x, z] : cells)
            document.toggleSelection(boxAt(scene, x, z));
    };
    document.createGrid("plaza", "startbox", 4, 1, Ogre::Vector3(0, 0, 2), kEdge);
    document.createGrid("lane", "stone", 4, 6, Ogre::Vector3(0, 0, -10), kEdge);
    document.createGrid("garden", "grass", 4, 4, Ogre::Vector3(0, 0, -18), kEdge);
    document.createGrid("goal", "finishbox", 2, 1, Ogre::Vector3(4, 0, -20), kEdge);
    document.createGrid("wall", "wood", 1, 8, Ogre::Vector3(-2, 1, -14), kEdge);

    select({{6, 2}, {4, 2}, {2, 2}, {0, 2}});
    document.createPoints(true);
    select({{4, -20}, {6, -20}});
    document.createPoints(false);

    // The lane: burning blocks on the right and a stamper on the left, the gap at x = 2.
    select({{4, -6}, {6, -6}, {0, -6}});
    document.createWaypoints(1);
    select({{4, -6}});
    document.createMonster(1, "fire1");
    select({{6, -6}});
    document.createMonster(1, "fire2");
    select({{0, -6}});
    document.createMonster(3, "stamper");

    // The garden: a ring of waypoints on its left half, a slime on it and an evil marble
    // waiting in its corner.
    const std::pair<float, float> ring[] = {{0, -12}, {2, -12}, {2, -14}, {2, -16},
                                            {2, -18}, {0, -18}, {0, -16}, {0, -14}};
    document.clearSelection();
    for (const auto& [x, z] : ring)
        document.toggleSelection(boxAt(scene, x, z));
    document.createWaypoints(1);
    for (int i = 0; i < 8; ++i) {
        document.clearSelection();
        document.toggleSelection(boxAt(scene, ring[(i + 1) % 8].first, ring[(i + 1) % 8].second));
        document.linkWaypoints({boxAt(scene, ring[i].first, ring[i].second)});
    }
    select({{0, -16}});
    document.createMonster(4, "slime");
    select({{0, -12}});
    document.createMonster(0, "marble");

    document.addLight("plaza", {Ogre::Vector3(3, 6, 1), Ogre::ColourValue(1, 0.9f, 0.7f),
                                Ogre::ColourValue(0.3f, 0.3f, 0.3f), 30});
    document.addLight("lane", {Ogre::Vector3(3, 6, -7), Ogre::ColourValue(1, 0.5f, 0.3f),
                               Ogre::ColourValue(0.3f, 0.3f, 0.3f), 25});
    document.addLight("garden", {Ogre::Vector3(2, 6, -15), Ogre::ColourValue(0.5f, 1, 0.5f),
                                 Ogre::ColourValue(0.3f, 0.3f, 0.3f), 30});
    document.setAmbientLight(Ogre::ColourValue(0.3f, 0.3f, 0.35f));
    document.clearSelection();
}

TEST(SlimeGardenTest, theShippedLevelIsTheOneTheEditingLayerMakes)
{
    HeadlessOgre ogre;
    CMapDocument document{HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName};
    buildSlimeGarden(document);
    const std::vector<SMapProblem> problems = checkMapDesign(*document.scene());
    EXPECT_TRUE(problems.empty()) << describeMapProblems(problems);
    if (const char* target = std::getenv("KIVO_WRITE_LEVEL")) {
        ASSERT_TRUE(document.saveMap(target));
    }
    EXPECT_EQ(testenv::readFile(testenv::runDir() + "/data/maps/" + kLevel), document.mapText());
}

// A player on the keys (+-40 per axis) steers the first ball along the gap and past the garden.
TEST(SlimeGardenTest, canBeFinishedAlongTheGap)
{
    testenv::TempDir dir;
    dir.linkGameFiles();
    HeadlessOgre ogre;
    CScene scene(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName, "", "", "", false,
                 kLevel, 1, 1, nullptr);
    ASSERT_EQ(scene.getBallCount(), 1u);
    const Ogre::Vector2 route[] = {{6, -1}, {2, -3}, {2, -9}, {6, -11}, {6, -20}};
    size_t next = 0;
    int resets = 0;
    float t = 0;
    for (; t < 90.0f && scene.getWinner() == 0; t += 1.0f / 60) {
        const Ogre::Vector3 p = scene.getBallBody(0)->getPosition();
        const Ogre::Vector3 v = scene.getBallBody(0)->getVelocity();
        Ogre::Vector2 to(route[next].x - p.x, route[next].y - p.z);
        if (to.length() < 0.7f && next + 1 < std::size(route))
            ++next;
        auto key = [](float offset, float velocity) {
            const float error = std::clamp(offset / 2.0f, -1.0f, 1.0f) * 3.0f - velocity;
            return std::abs(error) < 0.15f ? 0.0f : (error > 0 ? 40.0f : -40.0f);
        };
        scene.getBallForces()[0] = Ogre::Vector3(key(to.x, v.x), 0, key(to.y, v.z));
        ogre.frame(1.0f / 60);
        if (scene.takeResetEvent(0)) {
            ++resets;
            next = 0;
        }
    }
    EXPECT_EQ(scene.getWinner(), 1);
    EXPECT_EQ(resets, 0);
    EXPECT_GT(t, 5.0f); // the route is some 30 units long
    EXPECT_EQ(next, std::size(route) - 1);
}

} // namespace
