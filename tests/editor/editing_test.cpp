// The editing layer on a headless scene: grids, boxes, vertex and selection moves, copies,
// deletions with their dependants, files, and undo/redo giving back the very same map file.
#include "editor/box_picker.h"
#include "editor/map_document.h"
#include "headless_ogre.h"
#include "test_env.h"
#include "world/box.h"
#include "world/box_grid.h"
#include "world/monster.h"
#include "world/scene.h"
#include "world/waypoint.h"

#include <OgreCamera.h>
#include <OgreSceneNode.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace {

namespace fs = std::filesystem;

class EditingTest : public ::testing::Test
{
protected:
    EditingTest() { document.newMap(); }

    CScene& scene() { return *document.scene(); }
    CBox& box(const std::string& name) { return *scene().findBox(name); }
    void select(std::initializer_list<const char*> names)
    {
        document.clearSelection();
        for (const char* name : names)
            document.toggleSelection(name);
    }
    std::string shippedMap(const std::string& name)
    {
        return testenv::runDir() + "/data/maps/" + name;
    }

    HeadlessOgre ogre;
    testenv::TempDir folder;
    CMapDocument document{HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName};
};

using Grid = CMapDocument::EGridResult;

TEST_F(EditingTest, gridBoxesAreNumberedAndPlacedAlongXThenZ)
{
    ASSERT_EQ(document.createGrid("base", "stone", 2, 3, Ogre::Vector3(1, 2, 3), 2.0f),
              Grid::Created);
    const auto& boxes = scene().findGrid("base")->getBoxes();
    ASSERT_EQ(boxes.size(), 6u);
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 3; ++j) {
            const CBox& made = *boxes[i * 3 + j];
            EXPECT_EQ(made.getName(), "box" + std::to_string(i * 3 + j + 1));
            EXPECT_EQ(made.getPosition(), Ogre::Vector3(1 + 2.0f * i, 2, 3 + 2.0f * j));
            EXPECT_EQ(made.getVertices(), CBox::cubeVertices(2.0f));
        }
    }
    EXPECT_EQ(document.createGrid("base", "wood", 1, 1, Ogre::Vector3::ZERO, 1), Grid::NameTaken);
    const struct
    {
        const char* name;
        const char* material;
        int x, y;
        float edge;
    } invalid[] = {
        {"", "stone", 1, 1, 1},  {"a_b", "stone", 1, 1, 1}, {"g", "choose material...", 1, 1, 1},
        {"g", "stone", 0, 1, 1}, {"g", "stone", 1, -1, 1},  {"g", "stone", 1, 1, 0}};
    for (const auto& row : invalid)
        EXPECT_EQ(document.createGrid(row.name, row.material, row.x, row.y, Ogre::Vector3::ZERO,
                                      row.edge),
                  Grid::InvalidInput)
            << row.name << " " << row.material;
    EXPECT_EQ(scene().getGrids().size(), 1u);
    EXPECT_EQ(document.undoStack().count(), 1);
}

TEST_F(EditingTest, vertexMovesAbsoluteRelativeAndWithNearPoints)
{
    // box1 at x=0 and box2 at x=1 share their edge at x=0.5.
    document.createGrid("row", "stone", 2, 1, Ogre::Vector3(0, 5, 0), 1.0f);
    CMapDocument::VertexFlags corner0{};
    corner0[0] = true; // box1's (+x, top, -z) corner lies on box2's vertex 1
    const Ogre::Vector3 shared(0.5f, 5.5f, -0.5f);

    select({"box1"});
    document.moveVertices(corner0, Ogre::Vector3(0, 2, 0), {false, true, false}, false);
    EXPECT_EQ(box("box1").getPosition() + box("box1").getVertices()[0],
              Ogre::Vector3(0.5f, 2, -0.5f)); // world height 2 whatever the box's height
    EXPECT_EQ(box("box2").getVertices(), CBox::cubeVertices(1.0f));
    document.undoStack().undo();

    document.moveVertices(corner0, Ogre::Vector3(0, 1, 0), {false, false, false}, true);
    EXPECT_EQ(box("box1").getPosition() + box("box1").getVertices()[0],
              shared + Ogre::Vector3(0, 1, 0));
    EXPECT_EQ(box("box2").getPosition() + box("box2").getVertices()[1],
              shared + Ogre::Vector3(0, 1, 0));
    document.undoStack().undo();

    // Both boxes selected with their shared corners chosen: each corner still rises once.
    CMapDocument::VertexFlags corners{};
    corners[0] = corners[1] = true;
    select({"box1", "box2"});
    document.moveVertices(corners, Ogre::Vector3(0, 1, 0), {false, false, false}, true);
    EXPECT_FLOAT_EQ(box("box1").getVertices()[0].y, 1.5f);
    EXPECT_FLOAT_EQ(box("box2").getVertices()[1].y, 1.5f);
    EXPECT_FLOAT_EQ(box("box2").getVertices()[0].y, 1.5f);
    EXPECT_EQ(document.undoStack().undoText(), "Move vertices");
}

TEST_F(EditingTest, selectionMovesAndNudgesFoldIntoOneStep)
{
    document.createGrid("g", "stone", 2, 1, Ogre::Vector3::ZERO, 1.0f);
    select({"box1", "box2"});
    document.moveSelection(Ogre::Vector3(7, 1, 2), {true, false, false});
    EXPECT_EQ(box("box1").getPosition(), Ogre::Vector3(7, 1, 2));
    EXPECT_EQ(box("box2").getPosition(), Ogre::Vector3(7, 1, 2));
    const int steps = document.undoStack().count();
    for (int i = 0; i < 3; ++i)
        document.nudgeSelection(Ogre::Vector3(0, 0, -3));
    EXPECT_EQ(box("box1").getPosition(), Ogre::Vector3(7, 1, -7));
    EXPECT_EQ(document.undoStack().count(), steps + 1);
    document.undoStack().undo();
    EXPECT_EQ(box("box1").getPosition(), Ogre::Vector3(7, 1, 2));
}

TEST_F(EditingTest, copySelectionMakesANewGridOfEqualBoxes)
{
    document.createGrid("g", "stone", 2, 1, Ogre::Vector3(0, 1, 0), 1.0f);
    select({"box2"});
    document.moveVertices({true}, Ogre::Vector3(0, 1, 0), {}, false);
    EXPECT_EQ(document.copySelection("g", "wood"), Grid::NameTaken);
    EXPECT_EQ(document.copySelection("a b", "wood"), Grid::InvalidInput);
    ASSERT_EQ(document.copySelection("copy", "wood"), Grid::Created);
    const auto& copies = scene().findGrid("copy")->getBoxes();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0]->getName(), "box3");
    EXPECT_EQ(copies[0]->getVertices(), box("box2").getVertices());
    EXPECT_EQ(copies[0]->getPosition(), box("box2").getPosition());
    EXPECT_EQ(copies[0]->getMaterialName(), "stone");
}

TEST_F(EditingTest, deletingABoxTakesItsPointsWaypointAndMonstersInOneUndoStep)
{
    ASSERT_TRUE(document.openMap(shippedMap("04_monster_mayhem.kivom")));
    ASSERT_FALSE(scene().getMonsters().empty());
    const std::string start = scene().getMonsters()[0]->getStartWaypoint()->getBox()->getName();
    const std::string before = document.mapText();
    document.clearSelection();
    document.toggleSelection(start);
    document.toggleSelection(scene().getStartBoxes()[0]->getName());
    const CMapDocument::SDeletion deletion = document.deleteSelection();
    EXPECT_EQ(deletion.boxes, 2);
    EXPECT_EQ(deletion.startPoints, 1);
    EXPECT_GE(deletion.waypoints, 1);
    EXPECT_GE(deletion.monsters, 1);
    const std::string after = document.mapText();
    EXPECT_EQ(after.find("=" + start + ","), std::string::npos);
    document.undoStack().undo();
    EXPECT_EQ(document.mapText(), before);
    EXPECT_EQ(document.selectedBoxNames().size(), 2u);
    document.undoStack().redo();
    EXPECT_EQ(document.mapText(), after);
}

TEST_F(EditingTest, materialMustExist)
{
    document.createGrid("g", "stone", 1, 1, Ogre::Vector3::ZERO, 1.0f);
    select({"box1"});
    EXPECT_FALSE(document.setMaterial("nosuchmaterial", true));
    EXPECT_TRUE(document.setMaterial("ice", true));
    EXPECT_EQ(box("box1").getMaterialName(), "ice");
    EXPECT_TRUE(box("box1").getFitTexture());
}

TEST_F(EditingTest, pickingFindsTheNearestFrontFace)
{
    document.createGrid("g", "stone", 3, 1, Ogre::Vector3::ZERO, 1.0f);
    const struct
    {
        Ogre::Ray ray;
        const char* box;
    } rows[] = {
        {Ogre::Ray(Ogre::Vector3(1, 10, 0.2f), Ogre::Vector3::NEGATIVE_UNIT_Y), "box2"},
        {Ogre::Ray(Ogre::Vector3(-10, 0, 0), Ogre::Vector3::UNIT_X), "box1"},
        {Ogre::Ray(Ogre::Vector3(10, 0, 0), Ogre::Vector3::NEGATIVE_UNIT_X), "box3"},
        // A ray beside the row meets nothing.
        {Ogre::Ray(Ogre::Vector3(1.5f, 10, 0.6f), Ogre::Vector3::NEGATIVE_UNIT_Y), nullptr},
        // From inside a box only the faces of the others are seen.
        {Ogre::Ray(Ogre::Vector3(0, 0, 0), Ogre::Vector3::UNIT_X), "box2"},
    };
    for (const auto& row : rows) {
        const SPick pick = pickBox(scene(), row.ray);
        EXPECT_EQ(pick.box ? pick.box->getName() : "", row.box ? row.box : "");
    }
    const SPick top = pickBox(scene(), rows[0].ray);
    EXPECT_NEAR(top.point.y, 0.5f, 1e-4f);
}

TEST_F(EditingTest, savingReplacesTheFileOnlyWhenTheWholeMapIsWritten)
{
    document.createGrid("g", "stone", 1, 1, Ogre::Vector3::ZERO, 1.0f);
    EXPECT_TRUE(document.isModified());
    const std::string path = folder.file("level.kivom");
    testenv::writeFile(path, "old contents\n");
    fs::create_directory(path + ".saving"); // the temporary file cannot be made
    EXPECT_FALSE(document.saveMap(path));
    EXPECT_EQ(testenv::readFile(path), "old contents\n");
    EXPECT_TRUE(document.isModified());
    EXPECT_FALSE(document.saveMap(folder.file("missing/level.kivom")));
    EXPECT_FALSE(document.saveMap(""));
    fs::remove(path + ".saving");
    ASSERT_TRUE(document.saveMap(path));
    EXPECT_EQ(testenv::readFile(path), document.mapText());
    EXPECT_FALSE(document.isModified());
    EXPECT_EQ(document.fileName(), path);

    // A failed open keeps the map that was open.
    EXPECT_FALSE(document.openMap(folder.file("nothere.kivom")));
    EXPECT_TRUE(scene().findBox("box1"));
    EXPECT_EQ(document.fileName(), path);
}

TEST_F(EditingTest, everyShippedMapReadsBackAsTheSameSceneAfterSaving)
{
    int maps = 0;
    for (const auto& entry : fs::directory_iterator(testenv::runDir() + "/data/maps")) {
        if (entry.path().extension() != ".kivom")
            continue;
        ++maps;
        ASSERT_TRUE(document.openMap(entry.path().string()));
        const std::string opened = document.mapText();
        EXPECT_GT(opened.size(), 100u);
        ASSERT_TRUE(document.saveMap(folder.file("copy.kivom")));
        ASSERT_TRUE(document.openMap(folder.file("copy.kivom")));
        EXPECT_EQ(document.mapText(), opened) << entry.path();
    }
    EXPECT_GE(maps, 5);
}

// A random designer: 200 operations of every kind on a shipped level, with selection changes
// between them. Undoing everything gives back the file as it was; redoing gives the end state.
TEST_F(EditingTest, undoAndRedoOfManyRandomOperationsGiveBackTheSameFile)
{
    ASSERT_TRUE(document.openMap(shippedMap("04_monster_mayhem.kivom")));
    const std::string before = document.mapText();
    std::mt19937 random(20261206);
    auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    auto number = [&random] { return std::uniform_real_distribution<float>(-3, 3)(random); };
    auto vector = [&] { return Ogre::Vector3(number(), number(), number()); };
    auto flags = [&] { return CMapDocument::AxisFlags{pick(2) == 1, pick(2) == 1, pick(2) == 1}; };
    const char* materials[] = {"stone", "wood", "grass", "ice", "metal"};
    int grids = 0;
    for (int op = 0; op < 200; ++op) {
        const std::vector<std::string> names = document.gridNames();
        document.clearSelection();
        if (!names.empty()) {
            const auto& boxes = scene().findGrid(names[pick(names.size())])->getBoxes();
            for (int i = 0; i < 3 && !boxes.empty(); ++i)
                document.toggleSelection(boxes[pick(boxes.size())]->getName());
        }
        switch (pick(10)) {
        case 0:
            document.createGrid("grid" + std::to_string(++grids), materials[pick(5)], 1 + pick(3),
                                1 + pick(3), vector(), 0.5f + pick(3));
            break;
        case 1:
            if (!names.empty())
                document.addBox(names[pick(names.size())], materials[pick(5)], vector(), 1.0f);
            break;
        case 2:
            document.copySelection("copy" + std::to_string(++grids), materials[pick(5)]);
            break;
        case 3:
            if (pick(4) == 0)
                document.deleteSelection();
            break;
        case 4:
            if (!names.empty() && pick(4) == 0)
                document.deleteGrids({names[pick(names.size())]});
            break;
        case 5:
            document.setMaterial(materials[pick(5)], pick(2) == 1);
            break;
        case 6:
            document.moveSelection(vector(), flags());
            break;
        case 7:
            document.nudgeSelection(Ogre::Vector3(0, 0, number()));
            break;
        default: {
            CMapDocument::VertexFlags vertices{};
            for (bool& flag : vertices)
                flag = pick(3) == 0;
            document.moveVertices(vertices, vector(), flags(), pick(2) == 1);
        }
        }
    }
    const std::string after = document.mapText();
    ASSERT_NE(after, before);
    EXPECT_GT(document.undoStack().count(), 100);
    while (document.undoStack().canUndo())
        document.undoStack().undo();
    EXPECT_EQ(document.mapText(), before);
    while (document.undoStack().canRedo())
        document.undoStack().redo();
    EXPECT_EQ(document.mapText(), after);
}

} // namespace
