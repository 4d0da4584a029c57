// The level "05_slime_garden" is made through the editing layer, as a designer would make it in
// the editor: this test builds it and compares it with the shipped file (the course tests drive
// it to the finish).
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
    const std::vector<SMapProblem> problems = checkMapDesign(document.level());
    EXPECT_TRUE(problems.empty()) << describeMapProblems(problems);
    if (const char* target = std::getenv("KIVO_WRITE_LEVEL")) {
        ASSERT_TRUE(document.saveMap(target));
    }
    EXPECT_EQ(testenv::readFile(testenv::runDir() + "/data/maps/" + kLevel), document.mapText());
}

} // namespace
