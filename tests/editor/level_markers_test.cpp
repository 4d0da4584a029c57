// The editor's markers on headless Ogre: where each kind stands, show() changing only the
// markers of what changed, missing materials, nothing left behind, and the map document keeping
// them in line with its undo steps.
#include "editor/level_markers.h"
#include "editor/map_document.h"
#include "headless_ogre.h"
#include "test_env.h"
#include "world/level/level.h"

#include <OgreBillboardSet.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <tuple>

namespace {

using Places = std::vector<Ogre::Vector3>;

// A marker below the parent node: its kind (the material of a billboard, "line" for a link),
// where it stands, and whether an earlier look saw this very node and object.
struct SSeen
{
    std::string kind;
    Ogre::Vector3 position;
    Ogre::AxisAlignedBox bounds;
    bool old;
};

std::map<std::string, SSeen> look(Ogre::SceneNode* parent)
{
    std::map<std::string, SSeen> seen;
    for (Ogre::Node* child : parent->getChildren()) {
        auto* node = static_cast<Ogre::SceneNode*>(child);
        if (node->numAttachedObjects() == 0)
            continue;
        Ogre::MovableObject* object = node->getAttachedObject(0);
        auto* set = dynamic_cast<Ogre::BillboardSet*>(object);
        const Ogre::Any tag = node->getUserObjectBindings().getUserAny("seen");
        node->getUserObjectBindings().setUserAny("seen", Ogre::Any(object));
        seen[node->getName()] = {
            set ? set->getMaterialName() : "line", node->getPosition(), object->getBoundingBox(),
            tag.has_value() && Ogre::any_cast<Ogre::MovableObject*>(tag) == object};
    }
    return seen;
}

// The places of each kind, sorted; a line gives the two corners of its bounds.
std::map<std::string, Places> places(Ogre::SceneNode* parent)
{
    std::map<std::string, Places> places;
    for (const auto& [name, marker] : look(parent)) {
        Places& list = places[marker.kind];
        if (marker.kind != "line")
            list.push_back(marker.position);
        else
            list.insert(list.end(), {marker.bounds.getMinimum(), marker.bounds.getMaximum()});
    }
    for (auto& [kind, list] : places)
        std::sort(list.begin(), list.end(), [](const Ogre::Vector3& a, const Ogre::Vector3& b) {
            return std::tie(a.x, a.y, a.z) < std::tie(b.x, b.y, b.z);
        });
    return places;
}

// Boxes a, b, d of edge 1 and c of edge 2; start a, finish d; a light, a box and a monster all
// named "a"; waypoints a, b, c linked in a ring and d alone; the monster starts on b.
CLevel sampleLevel()
{
    CLevel level;
    using Box = std::tuple<const char*, float, float, float>;
    for (const auto& [name, x, z, edge] :
         std::vector<Box>{{"a", 0, 0, 1}, {"b", 3, 0, 1}, {"c", 0, 4, 2}, {"d", 6, 0, 1}}) {
        level.addBox("g", {name, "stone", {x, 0, z}, CLevel::cubeVertices(edge)});
        level.addWaypoint(name, 1);
    }
    level.addPoint("a", true);
    level.addPoint("d", false);
    level.addLight({"a", {1, 5, 1}, {1, 1, 1}, {1, 1, 1}, 50});
    level.link("a", "b");
    level.link("b", "c");
    level.link("c", "a");
    level.addMonster({0, "a", "b"});
    return level;
}

} // namespace

TEST(Markers, eachStandsWhereItsObjectIsAndAChangeTouchesOnlyTheMarkersOfWhatChanged)
{
    HeadlessOgre ogre;
    Ogre::SceneNode* parent = ogre.sceneManager->getRootSceneNode()->createChildSceneNode();
    CLevelMarkers markers(ogre.sceneManager, parent);
    markers.show(sampleLevel());
    // Point and monster markers float 1 over the top of their box; posts and lines stand on it.
    const std::map<std::string, Places> expected = {
        {"startpoint", {{0, 1.5f, 0}}},
        {"finishpoint", {{6, 1.5f, 0}}},
        {"light", {{1, 5, 1}}},
        {"ogrehead", {{3, 1.5f, 0}}},
        {"waypoint", {{0, 0.5f, 0}, {0, 1, 4}, {3, 0.5f, 0}, {6, 0.5f, 0}}},
        {"line", {{0, 0.5f, 0}, {0, 0.5f, 0}, {0, 0.5f, 0}, {0, 1, 4}, {3, 0.5f, 0}, {3, 1, 4}}}};
    EXPECT_EQ(places(parent), expected);

    const auto moveBox = [](CLevel& l, const char* name) {
        SLevelBox box = *l.findBox(name);
        box.position.z += 1;
        l.setBox(box);
    };
    using Change = std::function<void(CLevel&)>;
    // The markers made (+), removed (-) and moved (~), by kind.
    const std::vector<std::tuple<const char*, Change, std::string>> rows = {
        {"nothing", [](CLevel&) {}, ""},
        {"a light moved",
         [](CLevel& l) {
             l.setLight({"a", {1, 7, 1}, {}, {}, 9});
         },
         "~light"},
        {"a link made", [](CLevel& l) { l.link("d", "a"); }, "+line"},
        {"a link removed", [](CLevel& l) { l.unlink("b", "a"); }, "-line"},
        {"a waypoint gone", [](CLevel& l) { l.removeWaypoint("c"); }, "-line -line -waypoint"},
        {"a start added", [](CLevel& l) { l.addPoint("b", true); }, "+startpoint"},
        {"the monster's box moved", [&](CLevel& l) { moveBox(l, "b"); },
         "~line ~line ~ogrehead ~waypoint"},
        {"the start's box moved", [&](CLevel& l) { moveBox(l, "a"); },
         "~line ~line ~startpoint ~waypoint"},
        {"a monster removed", [](CLevel& l) { l.removeMonster("a"); }, "-ogrehead"},
        {"all gone", [](CLevel& l) { l = CLevel(); },
         "-finishpoint -light -line -line -line -ogrehead -startpoint -waypoint -waypoint "
         "-waypoint -waypoint"},
    };
    for (const auto& [change, apply, expected] : rows) {
        SCOPED_TRACE(change);
        CLevel level = sampleLevel();
        markers.show(level);
        const std::map<std::string, SSeen> before = look(parent);
        apply(level);
        markers.show(level);
        std::vector<std::string> changes;
        const std::map<std::string, SSeen> after = look(parent);
        for (const auto& [name, marker] : after) {
            const SSeen* old = marker.old ? &before.at(name) : nullptr;
            if (!old || marker.position != old->position || marker.bounds != old->bounds)
                changes.push_back((old ? "~" : "+") + marker.kind);
        }
        for (const auto& [name, marker] : before) {
            if (!after.count(name))
                changes.push_back("-" + marker.kind);
        }
        std::sort(changes.begin(), changes.end());
        std::string text;
        for (const std::string& one : changes)
            text += (text.empty() ? "" : " ") + one;
        EXPECT_EQ(text, expected);
        // And they stand as if made for the changed level.
        const std::map<std::string, Places> kept = places(parent);
        markers.show(CLevel());
        markers.show(level);
        EXPECT_EQ(kept, places(parent));
    }
}

TEST(Markers, withoutTheirMaterialsTheyAreDrawnPlainAndTheirEndLeavesNothing)
{
    testenv::TempDir noData;
    HeadlessOgre ogre(noData.path());
    Ogre::SceneNode* root = ogre.sceneManager->getRootSceneNode();
    {
        CLevelMarkers markers(ogre.sceneManager, root);
        for (const CLevel& level : {sampleLevel(), CLevel(), sampleLevel()})
            ASSERT_NO_THROW(markers.show(level));
        EXPECT_EQ(places(root).at("BaseWhite").size(), 8u);
    }
    EXPECT_EQ(root->numChildren() + ogre.sceneManager->getMovableObjects("BillboardSet").size() +
                  ogre.sceneManager->getMovableObjects("ManualObject").size(),
              0u);
}

TEST(MarkersOfADocument, followEveryStepAndItsUndoEvenWhenStepsFold)
{
    HeadlessOgre ogre;
    CMapDocument document{HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName};
    document.newMap();
    const auto posts = [&] { return places(ogre.sceneManager->getRootSceneNode())["waypoint"]; };
    document.createGrid("g", "stone", 1, 1, Ogre::Vector3::ZERO, 1.0f);
    document.selectGrids({"g"});
    ASSERT_TRUE(document.createWaypoints(1));
    document.nudgeSelection(Ogre::Vector3(1, 0, 0));
    document.nudgeSelection(Ogre::Vector3(1, 0, 0)); // folds into the step before
    EXPECT_EQ(document.undoStack().count(), 3);
    EXPECT_EQ(posts(), Places{Ogre::Vector3(2, 0.5f, 0)});
    document.undoStack().undo();
    EXPECT_EQ(posts(), Places{Ogre::Vector3(0, 0.5f, 0)});
    document.undoStack().undo();
    EXPECT_EQ(posts(), Places());
}
