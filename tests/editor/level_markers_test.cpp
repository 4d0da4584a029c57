// The editor's markers on headless Ogre: where each kind stands, show() changing only the
// markers of what changed, nothing left behind, missing materials, and the map document keeping
// them in line with its undo steps.
#include "editor/level_markers.h"
#include "editor/map_document.h"
#include "headless_ogre.h"
#include "test_env.h"
#include "world/level/level.h"

#include <OgreBillboardSet.h>
#include <OgreLog.h>
#include <OgreManualObject.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <tuple>

namespace {

using Materials = std::vector<std::string>;
const char* const kLine = "BaseWhiteNoLighting";
const char* const kSeen = "seen";

// A marker as found below the parent node.
struct SSeen
{
    Ogre::SceneNode* node;
    Ogre::MovableObject* object;
    std::string material;
    Ogre::Vector3 position;
    Ogre::AxisAlignedBox bounds;
    bool old; // tagged by an earlier look: the same node as then
};

bool before(const Ogre::Vector3& a, const Ogre::Vector3& b)
{
    return std::make_tuple(a.x, a.y, a.z) < std::make_tuple(b.x, b.y, b.z);
}

std::map<std::string, SSeen> look(Ogre::SceneNode* parent)
{
    std::map<std::string, SSeen> seen;
    for (Ogre::Node* child : parent->getChildren()) {
        auto* node = static_cast<Ogre::SceneNode*>(child);
        if (node->numAttachedObjects() != 1)
            continue;
        Ogre::MovableObject* object = node->getAttachedObject(0);
        std::string material;
        if (auto* set = dynamic_cast<Ogre::BillboardSet*>(object))
            material = set->getMaterialName();
        else if (auto* line = dynamic_cast<Ogre::ManualObject*>(object))
            material = line->getSections().front()->getMaterialName();
        Ogre::UserObjectBindings& tag = node->getUserObjectBindings();
        const bool old = tag.getUserAny(kSeen).has_value() &&
                         Ogre::any_cast<Ogre::MovableObject*>(tag.getUserAny(kSeen)) == object;
        tag.setUserAny(kSeen, Ogre::Any(object));
        seen[node->getName()] = {
            node, object, material, node->getPosition(), object->getBoundingBox(), old};
    }
    return seen;
}

std::vector<Ogre::Vector3> placesOf(Ogre::SceneNode* parent, const std::string& material)
{
    std::vector<Ogre::Vector3> places;
    for (const auto& [name, marker] : look(parent)) {
        if (marker.material == material)
            places.push_back(marker.position);
    }
    std::sort(places.begin(), places.end(), before);
    return places;
}

// Boxes a, b, d of edge 1 and c of edge 2; start a, finish d; a light, a box and a monster all
// named "a"; waypoints a, b, c linked in a ring and d alone; the monster starts on b.
CLevel sampleLevel()
{
    CLevel level;
    const auto box = [&](const char* name, float x, float z, float edge) {
        level.addBox("g", {name, "stone", {x, 0, z}, CLevel::cubeVertices(edge), false});
    };
    box("a", 0, 0, 1);
    box("b", 3, 0, 1);
    box("c", 0, 4, 2);
    box("d", 6, 0, 1);
    level.addPoint("a", true);
    level.addPoint("d", false);
    level.addLight({"a", {1, 5, 1}, {1, 1, 1}, {1, 1, 1}, 50});
    for (const char* name : {"a", "b", "c", "d"})
        level.addWaypoint(name, 1);
    level.link("a", "b");
    level.link("b", "c");
    level.link("c", "a");
    level.addMonster({0, "a", "b"});
    return level;
}

struct MarkersTest : ::testing::Test
{
    HeadlessOgre ogre;
    Ogre::SceneNode* parent = ogre.sceneManager->getRootSceneNode()->createChildSceneNode();
    CLevelMarkers markers{ogre.sceneManager, parent};
};

} // namespace

TEST_F(MarkersTest, eachMarkerStandsWhereItsObjectIs)
{
    markers.show(sampleLevel());
    using Places = std::vector<Ogre::Vector3>;
    // Point and monster markers float 1 over the top of their box, waypoint posts stand on it.
    EXPECT_EQ(placesOf(parent, "startpoint"), Places{Ogre::Vector3(0, 1.5f, 0)});
    EXPECT_EQ(placesOf(parent, "finishpoint"), Places{Ogre::Vector3(6, 1.5f, 0)});
    EXPECT_EQ(placesOf(parent, "light"), Places{Ogre::Vector3(1, 5, 1)});
    EXPECT_EQ(placesOf(parent, "ogrehead"), Places{Ogre::Vector3(3, 1.5f, 0)});
    EXPECT_EQ(placesOf(parent, "waypoint"),
              (Places{{0, 0.5f, 0}, {0, 1, 4}, {3, 0.5f, 0}, {6, 0.5f, 0}}));
    // One line per link, from box top to box top.
    std::vector<std::pair<Ogre::Vector3, Ogre::Vector3>> lines;
    for (const auto& [name, marker] : look(parent)) {
        if (marker.material == kLine)
            lines.emplace_back(marker.bounds.getMinimum(), marker.bounds.getMaximum());
    }
    std::sort(lines.begin(), lines.end(),
              [](const auto& a, const auto& b) { return before(a.second, b.second); });
    EXPECT_EQ(lines, (decltype(lines){{{0, 0.5f, 0}, {0, 1, 4}},
                                      {{0, 0.5f, 0}, {3, 0.5f, 0}},
                                      {{0, 0.5f, 0}, {3, 1, 4}}}));
}

TEST_F(MarkersTest, aChangeRemakesMovesOrRemovesOnlyTheMarkersOfWhatChanged)
{
    struct Row
    {
        const char* change;
        std::function<void(CLevel&)> apply;
        Materials added, removed, moved;
    };
    const auto moveBox = [](CLevel& level, const std::string& name) {
        SLevelBox box = *level.findBox(name);
        box.position.z += 1;
        level.setBox(box);
    };
    const std::vector<Row> rows = {
        {"nothing", [](CLevel&) {}, {}, {}, {}},
        {"a light moved",
         [](CLevel& l) {
             SLevelLight light = *l.findLight("a");
             light.position.y = 7;
             l.setLight(light);
         },
         {},
         {},
         {"light"}},
        {"a light removed", [](CLevel& l) { l.removeLight("a"); }, {}, {"light"}, {}},
        {"a link made", [](CLevel& l) { l.link("d", "a"); }, {kLine}, {}, {}},
        {"a link removed", [](CLevel& l) { l.unlink("b", "a"); }, {}, {kLine}, {}},
        {"a waypoint removed with its links",
         [](CLevel& l) { l.removeWaypoint("c"); },
         {},
         {kLine, kLine, "waypoint"},
         {}},
        {"a start point added", [](CLevel& l) { l.addPoint("b", true); }, {"startpoint"}, {}, {}},
        {"a finish point removed",
         [](CLevel& l) { l.removePoint("d", false); },
         {},
         {"finishpoint"},
         {}},
        {"a box with a waypoint moved",
         [&](CLevel& l) { moveBox(l, "b"); },
         {},
         {},
         {kLine, kLine, "ogrehead", "waypoint"}},
        {"a box with a start point moved",
         [&](CLevel& l) { moveBox(l, "a"); },
         {},
         {},
         {kLine, kLine, "startpoint", "waypoint"}},
        {"a monster removed", [](CLevel& l) { l.removeMonster("a"); }, {}, {"ogrehead"}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.change);
        CLevel level = sampleLevel();
        markers.show(level);
        const std::map<std::string, SSeen> earlier = look(parent);
        ASSERT_EQ(earlier.size(), 11u);
        row.apply(level);
        markers.show(level);
        Materials added, removed, moved;
        const std::map<std::string, SSeen> after = look(parent);
        for (const auto& [name, marker] : after) {
            if (!marker.old)
                added.push_back(marker.material);
            else if (marker.position != earlier.at(name).position ||
                     marker.bounds != earlier.at(name).bounds)
                moved.push_back(marker.material);
        }
        for (const auto& [name, marker] : earlier) {
            if (!after.count(name))
                removed.push_back(marker.material);
        }
        for (Materials* list : {&added, &removed, &moved})
            std::sort(list->begin(), list->end());
        EXPECT_EQ(added, row.added);
        EXPECT_EQ(removed, row.removed);
        EXPECT_EQ(moved, row.moved);
        // And they look as if made for the changed level.
        markers.show(CLevel());
        markers.show(level);
        const std::map<std::string, SSeen> made = look(parent);
        ASSERT_EQ(made.size(), after.size());
        for (const auto& [name, marker] : made) {
            ASSERT_TRUE(after.count(name)) << name;
            EXPECT_EQ(after.at(name).material, marker.material) << name;
            EXPECT_EQ(after.at(name).position, marker.position) << name;
            EXPECT_EQ(after.at(name).bounds, marker.bounds) << name;
        }
    }
}

TEST_F(MarkersTest, anEmptyLevelAndTheEndOfTheMarkersLeaveNothingBehind)
{
    const auto left = [this] {
        return parent->numChildren() + ogre.sceneManager->getMovableObjects("BillboardSet").size() +
               ogre.sceneManager->getMovableObjects("ManualObject").size();
    };
    markers.show(sampleLevel());
    EXPECT_EQ(parent->numChildren(), 11u);
    markers.show(CLevel());
    EXPECT_EQ(left(), 0u);
    {
        CLevelMarkers other(ogre.sceneManager, parent);
        other.show(sampleLevel());
        EXPECT_EQ(parent->numChildren(), 11u);
    }
    EXPECT_EQ(left(), 0u);
}

TEST(Markers, aMissingMaterialIsToldOnceAndTheMarkersAreDrawnPlain)
{
    struct Listener : Ogre::LogListener
    {
        std::vector<std::string> lines;
        void messageLogged(const Ogre::String& message, Ogre::LogMessageLevel, bool,
                           const Ogre::String&, bool&) override
        {
            if (message.find("CLevelMarkers") != std::string::npos)
                lines.push_back(message);
        }
    } listener;
    testenv::TempDir noData;
    HeadlessOgre ogre(noData.path(), &listener);
    CLevelMarkers markers(ogre.sceneManager, ogre.sceneManager->getRootSceneNode());
    ASSERT_NO_THROW(markers.show(sampleLevel()));
    ASSERT_NO_THROW(markers.show(CLevel()));
    ASSERT_NO_THROW(markers.show(sampleLevel()));
    EXPECT_EQ(listener.lines.size(), 5u) << "one line for each of the five materials";
}

TEST(MarkersOfADocument, followEveryStepAndItsUndoEvenWhenStepsFold)
{
    HeadlessOgre ogre;
    CMapDocument document{HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName};
    document.newMap();
    Ogre::SceneNode* root = ogre.sceneManager->getRootSceneNode();
    document.createGrid("g", "stone", 1, 1, Ogre::Vector3::ZERO, 1.0f);
    document.selectGrids({"g"});
    ASSERT_TRUE(document.createWaypoints(1));
    using Places = std::vector<Ogre::Vector3>;
    EXPECT_EQ(placesOf(root, "waypoint"), Places{Ogre::Vector3(0, 0.5f, 0)});
    document.nudgeSelection(Ogre::Vector3(1, 0, 0));
    document.nudgeSelection(Ogre::Vector3(1, 0, 0)); // folds into the step before
    EXPECT_EQ(document.undoStack().count(), 3);
    EXPECT_EQ(placesOf(root, "waypoint"), Places{Ogre::Vector3(2, 0.5f, 0)});
    document.undoStack().undo();
    EXPECT_EQ(placesOf(root, "waypoint"), Places{Ogre::Vector3(0, 0.5f, 0)});
    document.undoStack().undo();
    EXPECT_TRUE(placesOf(root, "waypoint").empty());
}
