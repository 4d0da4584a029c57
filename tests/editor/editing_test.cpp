// The editing layer on a headless scene: refusals that change nothing, vertex moves, steps that
// fold into one, copies, dependants removed with what they hang on, picking, safe saving, long
// random sessions whose undo gives back the very same map file, and the design check of a level
// (no shipped map has an error).
#include "editor/box_picker.h"
#include "editor/map_document.h"
#include "headless_ogre.h"
#include "test_env.h"
#include "world/box.h"
#include "world/box_grid.h"
#include "world/level/map_format.h"
#include "world/map_check.h"
#include "world/map_io.h"
#include "world/monster.h"
#include "world/scene.h"
#include "world/waypoint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Grid = CMapDocument::EGridResult;
using LightResult = CMapDocument::ELightResult;
const Ogre::Vector3 kOrigin = Ogre::Vector3::ZERO;
using Kinds = std::vector<EMapProblem>;

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
    Kinds kinds()
    {
        Kinds found;
        for (const SMapProblem& problem : checkMapDesign(document.level()))
            found.push_back(problem.kind);
        return found;
    }
    bool openShipped(const std::string& name)
    {
        return document.openMap(testenv::runDir() + "/data/maps/" + name);
    }

    HeadlessOgre ogre;
    testenv::TempDir folder;
    CMapDocument document{HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName};
};

TEST_F(EditingTest, refusedChangesLeaveTheMapAndTheUndoStackAsTheyWere)
{
    // box1..box4; a waypoint with the monster "slime" on box2, a start point on box1, a lamp.
    document.createGrid("g", "stone", 2, 2, kOrigin, 1.0f);
    select({"box2"});
    document.createWaypoints(1);
    document.createMonster(4, "slime");
    select({"box1"});
    document.createPoints(true);
    document.addLight("lamp", {});
    auto grid = [&](const char* name, const char* material, int count, float edge) {
        return document.createGrid(name, material, count, 1, kOrigin, edge);
    };
    const std::function<bool()> refused[] = {
        [&] { return grid("", "stone", 1, 1) == Grid::InvalidInput; },
        [&] { return grid("a_b", "stone", 1, 1) == Grid::InvalidInput; },
        [&] { return grid("h", "choose material...", 1, 1) == Grid::InvalidInput; },
        [&] { return grid("h", "stone", 0, 1) == Grid::InvalidInput; },
        [&] { return grid("h", "stone", 1, 0) == Grid::InvalidInput; },
        [&] { return document.addLight("a,b", {}) == LightResult::InvalidInput; },
        [&] { return !document.createPoints(true); }, // box1 is a start point already
        [&] {
            select({"box2"});
            return !document.linkWaypoints({"box2"}) && !document.unlinkWaypoints("box2", "box1") &&
                   !document.createMonster(0, "slime") && !document.createMonster(6, "other");
        },
        [&] {
            document.clearSelection(); // nothing to put waypoints on, nor to copy
            return !document.createWaypoints(3) &&
                   document.copySelection("h", "stone") == Grid::InvalidInput;
        },
    };
    for (size_t row = 0; row < std::size(refused); ++row) {
        select({"box1"});
        const std::string before = document.mapText();
        const int steps = document.undoStack().count();
        EXPECT_TRUE(refused[row]()) << "row " << row;
        EXPECT_EQ(document.mapText(), before) << "row " << row;
        EXPECT_EQ(document.undoStack().count(), steps) << "row " << row;
    }
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

// Arrow nudges of one selection, a dragged colour slider and a dragged ambient slider are one
// step each; undone, they give back the map before their first changes, and redone the map after
// their last (a merge that kept the wrong half shows in either).
TEST_F(EditingTest, changesInARowFoldIntoOneStepThatUndoesAndRedoesWhole)
{
    document.createGrid("g", "stone", 2, 1, Ogre::Vector3(0, 1, 0), 1.0f);
    document.addLight("lamp", {});
    select({"box2"});
    const int steps = document.undoStack().count();
    const std::string before = document.mapText();
    for (int i = 1; i <= 3; ++i)
        document.nudgeSelection(Ogre::Vector3(0, 0, -1));
    for (int i = 1; i <= 3; ++i)
        document.setLightColours({"lamp"}, Ogre::ColourValue(i / 10.0f, 0, 0),
                                 Ogre::ColourValue::White, 10.0f * i);
    for (int i = 1; i <= 3; ++i)
        document.setAmbientLight(Ogre::ColourValue(i / 10.0f, i / 10.0f, i / 10.0f));
    EXPECT_EQ(document.undoStack().count(), steps + 3);
    EXPECT_EQ(box("box2").getPosition(), Ogre::Vector3(1, 1, -3));
    const std::string after = document.mapText();
    for (int i = 0; i < 3; ++i)
        document.undoStack().undo();
    EXPECT_EQ(document.mapText(), before);
    for (int i = 0; i < 3; ++i)
        document.undoStack().redo();
    EXPECT_EQ(document.mapText(), after);
    EXPECT_NE(after.find("ambient=0.3,0.3,0.3"), std::string::npos);
}

// Points, waypoints with their links, and the monsters starting there go with their boxes; the
// random sessions below check that undo and redo give back the very same text. Undo makes
// anew just what went, not the rest of the level.
TEST_F(EditingTest, deletingBoxesOrWaypointsTakesWhatDependsOnThemInOneUndoStep)
{
    ASSERT_TRUE(openShipped("04_monster_mayhem.kivom"));
    const std::string opened = document.mapText();
    const std::string start = scene().getMonsters()[0]->getStartWaypoint()->getBox()->getName();
    select({start.c_str(), scene().getStartBoxes()[0]->getName().c_str()});
    const CMapDocument::SDeletion deletion = document.deleteSelection();
    const int boxesMade = CScene::getBoxCounter();
    const unsigned long waypointsMade = CWaypoint::getCreatedCount();
    EXPECT_EQ(deletion.boxes, 2);
    EXPECT_EQ(deletion.startPoints, 1);
    EXPECT_GE(deletion.waypoints, 1);
    EXPECT_GE(deletion.monsters, 1);
    document.undoStack().undo();
    EXPECT_EQ(document.selectedBoxNames().size(), 2u);
    EXPECT_EQ(document.mapText(), opened);
    EXPECT_EQ(CScene::getBoxCounter(), boxesMade + 2);
    EXPECT_EQ(CWaypoint::getCreatedCount(), waypointsMade + deletion.waypoints);

    select({start.c_str()});
    const CMapDocument::SDeletion removed = document.removeWaypoints();
    EXPECT_EQ(removed.waypoints, 1);
    EXPECT_EQ(removed.monsters, deletion.monsters);
    EXPECT_EQ(document.mapText().find("waypoint=" + start + ","), std::string::npos);
    const unsigned long made = CWaypoint::getCreatedCount();
    document.undoStack().undo();
    EXPECT_EQ(document.mapText(), opened);
    EXPECT_EQ(CWaypoint::getCreatedCount(), made + 1);
}

TEST_F(EditingTest, pickingFindsTheNearestFrontFace)
{
    document.createGrid("g", "stone", 3, 1, kOrigin, 1.0f);
    const struct
    {
        Ogre::Ray ray;
        const char* box;
    } rows[] = {
        {Ogre::Ray(Ogre::Vector3(1, 10, 0.2f), Ogre::Vector3::NEGATIVE_UNIT_Y), "box2"},
        {Ogre::Ray(Ogre::Vector3(1.5f, 10, 0.6f), Ogre::Vector3::NEGATIVE_UNIT_Y), nullptr},
        // From inside a box only the faces of the others are seen.
        {Ogre::Ray(Ogre::Vector3(0, 0, 0), Ogre::Vector3::UNIT_X), "box2"},
    };
    for (const auto& row : rows) {
        const SPick pick = pickBox(scene(), row.ray);
        EXPECT_EQ(pick.box ? pick.box->getName() : "", row.box ? row.box : "");
    }
    EXPECT_NEAR(pickBox(scene(), rows[0].ray).point.y, 0.5f, 1e-4f);
}

// Runs the save as an ordinary user (root writes into read-only folders), in a child process;
// true when it was refused with a message naming the folder.
bool refusedAsUser(CMapDocument& document, const std::string& path)
{
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && setuid(65534) != 0)
            _exit(2);
        const bool refused =
            !document.saveMap(path) && document.saveError().find("Can't write in the folder") == 0;
        _exit(refused ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(EditingTest, savingReplacesTheFileOnlyWhenTheWholeMapIsWritten)
{
    document.createGrid("g", "stone", 1, 1, kOrigin, 1.0f);
    fs::permissions(folder.path(), fs::perms(0755));
    const std::string maps = folder.file("maps");
    const std::string elsewhere = folder.file("elsewhere");
    fs::create_directories(maps);
    fs::create_directories(elsewhere);
    const std::string path = maps + "/level.kivom";
    testenv::writeFile(path, "old contents\n");
    fs::permissions(path, fs::perms(0640));

    // Read-only folder: refused with a reason, the old file untouched, nothing left behind.
    fs::permissions(maps, fs::perms(0555));
    EXPECT_TRUE(refusedAsUser(document, path));
    fs::permissions(maps, fs::perms(0755));
    EXPECT_EQ(testenv::readFile(path), "old contents\n");
    EXPECT_EQ(filesIn(maps), std::vector<std::string>{"level.kivom"});
    EXPECT_FALSE(document.saveMap(""));
    EXPECT_TRUE(document.isModified());

    // Two saves in a row: the map, with its permissions, and no temporary file.
    ASSERT_TRUE(document.saveMap(path)) << document.saveError();
    document.moveSelection(Ogre::Vector3(1, 0, 0), {false, false, false});
    ASSERT_TRUE(document.saveMap(path)) << document.saveError();
    EXPECT_EQ(testenv::readFile(path), document.mapText());
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
    EXPECT_EQ(filesIn(maps), std::vector<std::string>{"level.kivom"});
    EXPECT_FALSE(document.isModified());

    // A link at the map's path: its target gets the map, the link stays.
    const std::string linked = maps + "/linked.kivom";
    testenv::writeFile(elsewhere + "/real.kivom", "old contents\n");
    fs::create_symlink(elsewhere + "/real.kivom", linked);
    ASSERT_TRUE(document.saveMap(linked)) << document.saveError();
    EXPECT_TRUE(fs::is_symlink(linked));
    EXPECT_EQ(testenv::readFile(elsewhere + "/real.kivom"), document.mapText());
    EXPECT_EQ(filesIn(elsewhere), std::vector<std::string>{"real.kivom"});

    // A link that leads nowhere is refused, and left as it is.
    const std::string dangling = maps + "/dangling.kivom";
    fs::create_symlink(elsewhere + "/gone.kivom", dangling);
    EXPECT_FALSE(document.saveMap(dangling));
    EXPECT_NE(document.saveError().find("which does not exist"), std::string::npos)
        << document.saveError();
    EXPECT_EQ(fs::read_symlink(dangling), fs::path(elsewhere + "/gone.kivom"));
    EXPECT_FALSE(fs::exists(elsewhere + "/gone.kivom"));

    // A map the file cannot hold is refused with the reason; the old file stays.
    select({"box1"});
    document.moveSelection(Ogre::Vector3(2.0e6f, 0, 0), {true, false, false});
    EXPECT_FALSE(document.saveMap(path));
    EXPECT_EQ(document.saveError().find("The box box1 lies beyond"), 0u) << document.saveError();
    EXPECT_EQ(filesIn(maps),
              (std::vector<std::string>{"dangling.kivom", "level.kivom", "linked.kivom"}));

    // A failed open keeps the map that was open.
    EXPECT_FALSE(document.openMap(folder.file("nothere.kivom")));
    EXPECT_TRUE(scene().findBox("box1"));
    EXPECT_EQ(document.fileName(), linked);
}

// A random designer: every operation on boxes, grids, lights, waypoints, points and monsters,
// undo and redo, on a shipped level, in 300 short sequences with selection changes between. After
// each sequence the map read back from its own text loses nothing: the reader drops any point,
// link or monster whose box or waypoint is gone, so a dangling reference shows there.
// Undoing everything gives back the opened file; redoing gives the end state.
TEST_F(EditingTest, randomSessionsLeaveNoDanglingReferenceAndUndoToTheSameFile)
{
    ASSERT_TRUE(openShipped("04_monster_mayhem.kivom"));
    const std::string opened = document.mapText();
    std::mt19937 random(20261207);
    auto pick = [&random](size_t n) {
        return std::uniform_int_distribution<size_t>(0, n - 1)(random);
    };
    auto number = [&random] { return std::uniform_real_distribution<float>(-3, 3)(random); };
    auto vector = [&] { return Ogre::Vector3(number(), number(), number()); };
    auto flags = [&] { return CMapDocument::AxisFlags{pick(2) == 1, pick(2) == 1, pick(2) == 1}; };
    const char* materials[] = {"stone", "wood", "grass", "ice", "metal"};
    std::vector<std::string> grids, waypoints, monsters;
    std::string name;
    auto any = [&](const std::vector<std::string>& names) {
        return names.empty() ? std::string() : names[pick(names.size())];
    };
    const std::function<void()> operations[] = {
        [&] { document.createGrid(name, materials[pick(5)], 1 + pick(3), 2, vector(), 1); },
        [&] { document.addBox(any(grids), materials[pick(5)], vector(), 1.0f); },
        [&] { document.copySelection(name, materials[pick(5)]); },
        [&] { document.deleteSelection(); },
        [&] {
            const std::string grid = any(grids);
            if (pick(3) == 0 && document.deleteGrids({grid}).boxes > 0) {
                EXPECT_FALSE(document.level().findGrid(grid)) << grid; // with its monsters' boxes
            }
        },
        [&] { document.setMaterial(materials[pick(5)], pick(2) == 1); },
        [&] { document.moveSelection(vector(), flags()); },
        [&] { document.nudgeSelection(Ogre::Vector3(0, 0, number())); },
        [&] {
            CMapDocument::VertexFlags vertices{};
            for (bool& flag : vertices)
                flag = pick(3) == 0;
            document.moveVertices(vertices, vector(), flags(), pick(2) == 1);
        },
        [&] { document.createWaypoints(static_cast<int>(pick(5))); },
        [&] { document.removeWaypoints(); },
        [&] { document.linkWaypoints({any(waypoints)}); },
        [&] { document.createPoints(pick(2) == 0) || document.deletePoints(pick(2) == 0); },
        [&] { document.createMonster(static_cast<int>(pick(6)), name); },
        [&] { document.deleteMonsters({any(monsters)}); },
        [&] { document.addLight("l" + std::to_string(pick(3)), {}); },
        [&] {
            const Ogre::ColourValue colour(pick(11) / 10.0f, pick(11) / 10.0f, 0.5f);
            const std::string light = "l" + std::to_string(pick(3));
            if (pick(2) == 0)
                document.editLights({light}, {vector(), colour, colour, 1.0f + pick(50)});
            else
                document.setLightColours({light}, colour, colour, 1.0f + pick(50));
        },
        [&] { document.deleteLights({"l" + std::to_string(pick(3))}); },
        [&] { document.setAmbientLight(Ogre::ColourValue(pick(11) / 10.0f, 0.2f, 0.3f)); },
        [&] { document.unlinkWaypoints(any(waypoints), any(waypoints)); },
        [&] { document.setWaypointWeight(static_cast<int>(pick(5))); },
        [&] { document.undoStack().undo(); },
        [&] { document.undoStack().redo(); },
    };
    for (int sequence = 0; sequence < 300; ++sequence) {
        for (int op = 0; op < 5; ++op) {
            grids = document.gridNames();
            waypoints = document.waypointNames();
            monsters = document.monsterNames();
            document.clearSelection();
            if (!grids.empty()) {
                const auto& boxes = document.level().findGrid(any(grids))->boxes;
                for (size_t i = pick(4); i > 0 && !boxes.empty(); --i)
                    document.toggleSelection(boxes[pick(boxes.size())].name);
            }
            name = "n" + std::to_string(sequence * 5 + op);
            operations[pick(std::size(operations))]();
        }
        // Every reference in the map resolves: read back, it is the same map. The scene shows
        // exactly the document's level.
        const std::string text = document.mapText();
        std::istringstream in(text);
        ASSERT_EQ(writeMap(readMap(splitMapLines(in))), text) << "sequence " << sequence;
        ASSERT_EQ(writeMap(scene().shownLevel()), text) << "sequence " << sequence;
    }
    const std::string last = document.mapText();
    const int index = document.undoStack().index();
    EXPECT_GT(index, 150);
    document.undoStack().setIndex(0);
    EXPECT_EQ(document.mapText(), opened);
    document.undoStack().setIndex(index);
    EXPECT_EQ(document.mapText(), last);
}

// A row of four boxes box1..box4 along z with starts on box1 and box2, finish on box4.
void makeRow(CMapDocument& document)
{
    document.createGrid("row", "stone", 1, 4, Ogre::Vector3::ZERO, 1.0f);
    for (const char* box : {"box1", "box2", "box4"}) {
        document.clearSelection();
        document.toggleSelection(box);
        document.createPoints(box[3] != '4');
    }
}

TEST_F(EditingTest, eachProblemIsFoundOnAMapMadeForIt)
{
    EXPECT_EQ(kinds(), (Kinds{EMapProblem::NO_START_POINT, EMapProblem::NO_FINISH_POINT}));
    makeRow(document);
    const std::vector<SMapProblem> problems = checkMapDesign(document.level());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_TRUE(problems[0].warning);
    EXPECT_EQ(problems[0].text, "The map has 2 start points; a round of 4 players needs 4.");

    // A slime on a waypoint without neighbours; linked, it is fine.
    select({"box2", "box3"});
    document.createWaypoints(1);
    select({"box2"});
    document.createMonster(4, "slime");
    ASSERT_EQ(kinds().back(), EMapProblem::LONELY_SLIME_WAYPOINT);
    EXPECT_EQ(checkMapDesign(document.level()).back().boxes, (std::vector<std::string>{"box2"}));
    select({"box3"});
    document.linkWaypoints({"box2"});
    EXPECT_EQ(kinds(), (Kinds{EMapProblem::FEW_START_POINTS}));

    CLevel unstorable = document.level();
    unstorable.addBox("row", {"bad,name", "stone", {9, 0, 0}, CLevel::cubeVertices(1.0f), false});
    EXPECT_EQ(checkMapDesign(unstorable).back().kind, EMapProblem::UNSTORABLE_NAME);
    const std::vector<SMapProblem> references = checkMapReferences(
        {"box=a,stone,g,0,0,0", "waypoint=a,1", "monster=4,fine,a", "monster=0,lost,b"});
    ASSERT_EQ(references.size(), 1u);
    EXPECT_EQ(references[0].kind, EMapProblem::MONSTER_WITHOUT_START);
    EXPECT_NE(references[0].text.find("lost"), std::string::npos);
}

TEST_F(EditingTest, aFinishBeyondAGapOrAWallIsUnreachable)
{
    makeRow(document);
    // Raised by 1 the step can still be climbed; by 1.5 it cannot. The gap of 1 can be crossed,
    // of 1.5 not.
    const struct
    {
        Ogre::Vector3 offset;
        bool reachable;
    } moves[] = {{{0, 1, 0}, true},
                 {{0, 1.5f, 0}, false},
                 {{0, 0, 1}, true},
                 {{0, 0, 1.5f}, false},
                 {{0, -5, 0}, true}};
    for (const auto& move : moves) {
        select({"box4"});
        document.moveSelection(move.offset, {false, false, false});
        const Kinds found = kinds();
        const bool stranded =
            std::count(found.begin(), found.end(), EMapProblem::FINISH_UNREACHABLE) == 2;
        EXPECT_EQ(stranded, !move.reachable) << move.offset;
        document.undoStack().undo();
    }
}

// Every shipped map: no error in the check, saved it is the same file, byte for byte, and
// opened again the same map.
TEST_F(EditingTest, everyShippedMapHasNoErrorAndReadsBackTheSameAfterSaving)
{
    namespace fs = std::filesystem;
    int maps = 0;
    for (const auto& entry : fs::directory_iterator(testenv::runDir() + "/data/maps")) {
        if (entry.path().extension() != ".kivom")
            continue;
        ++maps;
        ASSERT_TRUE(document.openMap(entry.path().string()));
        CIOMap file;
        ASSERT_TRUE(file.openForReading(entry.path().string()));
        std::vector<SMapProblem> problems = checkMapDesign(document.level());
        const std::vector<SMapProblem> references = checkMapReferences(file.getLines());
        problems.insert(problems.end(), references.begin(), references.end());
        for (const SMapProblem& problem : problems)
            EXPECT_TRUE(problem.warning) << entry.path().filename() << ": " << problem.text;
        const std::string opened = document.mapText();
        ASSERT_TRUE(document.saveMap(folder.file("copy.kivom")));
        EXPECT_EQ(testenv::readFile(folder.file("copy.kivom")),
                  testenv::readFile(entry.path().string()))
            << entry.path().filename() << " saves to other bytes";
        ASSERT_TRUE(document.openMap(folder.file("copy.kivom")));
        EXPECT_EQ(document.mapText(), opened) << entry.path().filename();
    }
    EXPECT_GE(maps, 6);
}

} // namespace
