// The editing layer's lights, waypoints, points and monsters on a headless scene: each change is
// one undo step, refusals change nothing, and nothing that is removed stays referred to.
#include "editor/map_document.h"
#include "headless_ogre.h"
#include "test_env.h"
#include "world/box.h"
#include "world/box_grid.h"
#include "world/map_io.h"
#include "world/scene.h"

#include <OgreSceneManager.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <sstream>

namespace {

class ObjectsTest : public ::testing::Test
{
protected:
    // A 4 x 4 grid "floor" of boxes box1..box16.
    ObjectsTest()
    {
        document.newMap();
        document.createGrid("floor", "stone", 4, 4, Ogre::Vector3::ZERO, 1.0f);
        document.undoStack().clear();
    }

    CScene& scene() { return *document.scene(); }
    void select(std::initializer_list<const char*> names)
    {
        document.clearSelection();
        for (const char* name : names)
            document.toggleSelection(name);
    }
    // A change refused: the map and the undo stack stay as they were.
    template <typename Change> void expectNoChange(Change&& change)
    {
        const std::string before = document.mapText();
        const int steps = document.undoStack().count();
        change();
        EXPECT_EQ(document.mapText(), before);
        EXPECT_EQ(document.undoStack().count(), steps);
    }

    HeadlessOgre ogre;
    CMapDocument document{HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName};
};

using Light = CMapDocument::SLight;
using LightResult = CMapDocument::ELightResult;

TEST_F(ObjectsTest, lightsAreCreatedEditedRecolouredAndDeletedAsUndoSteps)
{
    const std::string empty = document.mapText();
    Light light{Ogre::Vector3(1, 2, 3), Ogre::ColourValue(0.5f, 0.5f, 0.5f),
                Ogre::ColourValue::White, 50.0f};
    EXPECT_EQ(document.addLight("lamp", light), LightResult::Created);
    EXPECT_EQ(document.addLight("lamp2", light), LightResult::Created);
    expectNoChange([&] { EXPECT_EQ(document.addLight("lamp", light), LightResult::NameTaken); });
    expectNoChange([&] { EXPECT_EQ(document.addLight("a,b", light), LightResult::InvalidInput); });
    expectNoChange([&] { EXPECT_EQ(document.addLight("", light), LightResult::InvalidInput); });
    EXPECT_EQ(document.lightNames(), (std::vector<std::string>{"lamp", "lamp2"}));

    // Both selected lights move to the one position.
    light.position = Ogre::Vector3(7, 8, 9);
    EXPECT_TRUE(document.editLights({"lamp", "lamp2"}, light));
    for (const char* name : {"lamp", "lamp2"}) {
        Light read;
        ASSERT_TRUE(document.findLight(name, read));
        EXPECT_EQ(read.position, light.position);
    }
    // A slider dragged through many values is one step.
    const int steps = document.undoStack().count();
    for (int i = 1; i <= 5; ++i)
        document.setLightColours({"lamp"}, Ogre::ColourValue(i / 10.0f, 0, 0), light.specular,
                                 10.0f * i);
    for (int i = 1; i <= 5; ++i)
        document.setAmbientLight(Ogre::ColourValue(i / 10.0f, i / 10.0f, i / 10.0f));
    EXPECT_EQ(document.undoStack().count(), steps + 2);
    Light read;
    ASSERT_TRUE(document.findLight("lamp", read));
    EXPECT_FLOAT_EQ(read.range, 50.0f);
    EXPECT_FLOAT_EQ(read.diffuse.r, 0.5f);
    EXPECT_FLOAT_EQ(scene().getAmbientLight().r, 0.5f);

    EXPECT_EQ(document.deleteLights({"lamp", "nothere", "lamp2"}), 2);
    EXPECT_TRUE(document.lightNames().empty());
    expectNoChange([&] { EXPECT_EQ(document.deleteLights({"lamp"}), 0); });
    while (document.undoStack().canUndo())
        document.undoStack().undo();
    EXPECT_EQ(document.mapText(), empty);
}

TEST_F(ObjectsTest, waypointsAreCreatedLinkedWeightedAndRemovedWithTheirMonsters)
{
    document.clearSelection();
    expectNoChange([&] { EXPECT_FALSE(document.createWaypoints(3)); });
    select({"box1", "box2", "box3"});
    EXPECT_TRUE(document.createWaypoints(3));
    select({"box1", "box4"});
    EXPECT_TRUE(document.createWaypoints(9)); // box1 keeps its waypoint and weight
    int weight = 0;
    ASSERT_TRUE(document.waypointWeight("box1", weight));
    EXPECT_EQ(weight, 3);
    EXPECT_EQ(document.waypointNames(), (std::vector<std::string>{"box1", "box2", "box3", "box4"}));

    select({"box1", "box2", "box3", "box5"}); // itself and a box without waypoint: no links
    EXPECT_TRUE(document.linkWaypoints({"box1"}));
    EXPECT_EQ(document.neighbourNames("box1"), (std::vector<std::string>{"box2", "box3"}));
    EXPECT_EQ(document.neighbourNames("box2"), (std::vector<std::string>{"box1"}));
    expectNoChange([&] { EXPECT_FALSE(document.linkWaypoints({"box1"})); });
    EXPECT_TRUE(document.unlinkWaypoints("box3", "box1"));
    EXPECT_EQ(document.neighbourNames("box1"), (std::vector<std::string>{"box2"}));
    expectNoChange([&] { EXPECT_FALSE(document.unlinkWaypoints("box3", "box1")); });
    select({"box2", "box5"});
    EXPECT_TRUE(document.setWaypointWeight(7));
    ASSERT_TRUE(document.waypointWeight("box2", weight));
    EXPECT_EQ(weight, 7);

    select({"box2"});
    ASSERT_TRUE(document.createMonster(4, "slime"));
    const std::string before = document.mapText();
    select({"box2", "box3"});
    const CMapDocument::SDeletion removed = document.removeWaypoints();
    EXPECT_EQ(removed.waypoints, 2);
    EXPECT_EQ(removed.monsters, 1);
    EXPECT_TRUE(document.monsterNames().empty());
    EXPECT_TRUE(document.neighbourNames("box1").empty());
    document.undoStack().undo();
    EXPECT_EQ(document.mapText(), before);
    EXPECT_EQ(document.monsterNames(), (std::vector<std::string>{"slime"}));
}

TEST_F(ObjectsTest, startAndFinishPointsKeepTheirMarkersApart)
{
    Ogre::SceneManager* manager = scene().getSceneManager();
    select({"box1", "box2"});
    EXPECT_TRUE(document.createPoints(true));
    expectNoChange([&] { EXPECT_FALSE(document.createPoints(true)); }); // never twice
    select({"box2"});
    EXPECT_TRUE(document.createPoints(false));
    EXPECT_TRUE(manager->hasBillboardSet("finishpointbox2"));
    EXPECT_TRUE(document.deletePoints(false));
    EXPECT_FALSE(manager->hasBillboardSet("finishpointbox2"));
    EXPECT_TRUE(manager->hasBillboardSet("startpointbox2"));
    EXPECT_EQ(scene().getStartBoxes().size(), 2u);
    EXPECT_TRUE(scene().getFinishBoxes().empty());
    document.undoStack().undo();
    EXPECT_TRUE(scene().getSceneManager()->hasBillboardSet("finishpointbox2"));
}

TEST_F(ObjectsTest, monstersNeedAWaypointBoxAndAFreeNameAndShowWhereTheyStart)
{
    select({"box1", "box2"});
    expectNoChange([&] { EXPECT_FALSE(document.createMonster(0, "evil")); }); // no waypoint
    select({"box2", "box3"});
    document.createWaypoints(1);
    select({"box1", "box2", "box3"}); // only the first waypoint box gets it
    EXPECT_TRUE(document.createMonster(0, "evil"));
    expectNoChange([&] { EXPECT_FALSE(document.createMonster(1, "evil")); });
    expectNoChange([&] { EXPECT_FALSE(document.createMonster(6, "other")); });
    select({"box3"});
    EXPECT_TRUE(document.createMonster(3, "stamper"));
    document.selectMonsterStarts({"evil"});
    EXPECT_EQ(document.selectedBoxNames(), (std::vector<std::string>{"box2"}));
    EXPECT_EQ(document.deleteMonsters({"evil", "stamper"}), 2);
    EXPECT_TRUE(document.monsterNames().empty());
}

// Every name the map text refers to (points, waypoint links, monster starts) must be written
// as a box or waypoint; and reading the text back must give the very same text.
void expectNoDanglingReference(const std::string& text, const std::string& context)
{
    std::set<std::string> boxes, waypoints;
    std::vector<std::pair<std::string, std::string>> references; // what, name
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::istringstream parts(line.substr(line.find('=') + 1));
        for (std::string field; std::getline(parts, field, ',');)
            fields.push_back(field);
        const std::string key = line.substr(0, line.find('='));
        if (key == "box")
            boxes.insert(fields[0]);
        else if (key == "startpoint" || key == "finishpoint")
            references.emplace_back("box", fields[0]);
        else if (key == "waypoint") {
            waypoints.insert(fields[0]);
            references.emplace_back("box", fields[0]);
            for (size_t i = 2; i < fields.size(); ++i)
                references.emplace_back("waypoint", fields[i]);
        } else if (key == "monster")
            references.emplace_back("waypoint", fields.at(2));
    }
    for (const auto& [what, name] : references)
        EXPECT_TRUE((what == "box" ? boxes : waypoints).count(name))
            << what << " " << name << " is gone; " << context;
}

// The map text with each waypoint's neighbours in name order: reading a map links waypoints in
// the order their lines come, so the order of a neighbour list may change on the way.
std::string withSortedNeighbours(const std::string& text)
{
    std::istringstream in(text);
    std::string result;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("waypoint=", 0) == 0) {
            std::vector<std::string> fields;
            std::istringstream parts(line);
            for (std::string field; std::getline(parts, field, ',');)
                fields.push_back(field);
            if (fields.size() > 2)
                std::sort(fields.begin() + 2, fields.end());
            line.clear();
            for (const std::string& field : fields)
                line += (line.empty() ? "" : ",") + field;
        }
        result += line + "\n";
    }
    return result;
}

// A random designer mixing every operation of these tools with box and grid deletions, undo and
// redo, over a few hundred short sequences; after each sequence the map is checked.
TEST_F(ObjectsTest, noSequenceOfOperationsLeavesADanglingReference)
{
    const std::string start = document.mapText();
    std::mt19937 random(1106);
    auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    int created = 0;
    for (int sequence = 0; sequence < 300; ++sequence) {
        for (int op = 0; op < 6; ++op) {
            std::vector<std::string> boxes;
            for (const auto& name : document.gridNames())
                for (const auto& box : scene().findGrid(name)->getBoxes())
                    boxes.push_back(box->getName());
            document.clearSelection();
            for (int i = pick(4); i > 0 && !boxes.empty(); --i)
                document.toggleSelection(boxes[pick(boxes.size())]);
            const std::vector<std::string> waypoints = document.waypointNames();
            const std::vector<std::string> monsters = document.monsterNames();
            switch (pick(12)) {
            case 0:
                document.createWaypoints(pick(5));
                break;
            case 1:
                document.removeWaypoints();
                break;
            case 2:
                if (!waypoints.empty())
                    document.linkWaypoints({waypoints[pick(waypoints.size())]});
                break;
            case 3:
                document.createPoints(pick(2) == 0);
                break;
            case 4:
                document.deletePoints(pick(2) == 0);
                break;
            case 5:
                document.createMonster(pick(6), "m" + std::to_string(pick(6)));
                break;
            case 6:
                if (!monsters.empty())
                    document.deleteMonsters({monsters[pick(monsters.size())]});
                break;
            case 7:
                if (pick(3) == 0)
                    document.deleteSelection();
                break;
            case 8:
                if (pick(6) == 0 && document.gridNames().size() > 1)
                    document.deleteGrids({document.gridNames()[pick(2)]});
                else
                    document.createGrid("g" + std::to_string(++created), "wood", 2, 2,
                                        Ogre::Vector3(pick(6), 1, pick(6)), 1.0f);
                break;
            case 9:
                document.addLight("l" + std::to_string(pick(3)), {});
                break;
            case 10:
                document.undoStack().undo();
                break;
            default:
                document.undoStack().redo();
            }
        }
        const std::string text = document.mapText();
        expectNoDanglingReference(text, "sequence " + std::to_string(sequence));
        document.restoreFromText(text); // read back from the text alone
        ASSERT_EQ(withSortedNeighbours(document.mapText()), withSortedNeighbours(text))
            << "sequence " << sequence;
    }
    EXPECT_GT(document.undoStack().count(), 100);
    while (document.undoStack().canUndo())
        document.undoStack().undo();
    EXPECT_EQ(document.mapText(), start);
}

} // namespace
