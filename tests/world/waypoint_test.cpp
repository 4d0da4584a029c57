// The waypoint graph: symmetric links and their refusals, ids and positions, and the editor's
// posts and link lines.
#include "level_fixture.h"

#include <OgreBillboardSet.h>
#include <OgreEntity.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreSceneNode.h>

#include <gtest/gtest.h>

using leveltest::Level;
using leveltest::LevelOptions;
using leveltest::MapText;

namespace {

MapText threeBoxes()
{
    return MapText().box("a", 0, 0, 0).box("b", 3, 0, 0).box("c", 0, 0, 4, "stone", 1.0f);
}

LevelOptions editor()
{
    LevelOptions options;
    options.editor = true;
    return options;
}

// The link lines drawn from a waypoint's line node.
std::vector<Ogre::Entity*> linesOf(Ogre::SceneManager* sm, const CWaypoint* waypoint)
{
    std::vector<Ogre::Entity*> lines;
    for (Ogre::MovableObject* object :
         sm->getSceneNode("waypoint_line_node" + waypoint->getId())->getAttachedObjects())
        lines.push_back(static_cast<Ogre::Entity*>(object));
    return lines;
}

} // namespace

TEST(WaypointGraph, linksAreSymmetricAndRefusedTwiceOrToItself)
{
    Level level(threeBoxes().waypoint("a", 1).waypoint("b", 1).waypoint("c", 7).str());
    CWaypoint* a = level.waypointOn("a");
    CWaypoint* b = level.waypointOn("b");
    CWaypoint* c = level.waypointOn("c");
    EXPECT_TRUE(a->link(b));
    const unsigned long links = CWaypoint::getLinkCount();
    EXPECT_EQ(b->getNeighbours(), std::vector<CWaypoint*>{a});
    EXPECT_FALSE(a->link(b));
    EXPECT_FALSE(b->link(a));
    EXPECT_FALSE(a->link(a));
    EXPECT_FALSE(level.scene->linkWaypoints(level.scene->findBox("a"), nullptr));
    EXPECT_EQ(CWaypoint::getLinkCount(), links) << "refused links are not counted";
    EXPECT_TRUE(level.scene->linkWaypoints(level.scene->findBox("c"), level.scene->findBox("a")));
    EXPECT_EQ(a->getNeighbours(), (std::vector<CWaypoint*>{b, c}));
    EXPECT_EQ(c->getNeighbours(), std::vector<CWaypoint*>{a});

    // Ids come from one counter; the position is the top centre of the box.
    EXPECT_EQ(std::stoul(c->getId()), std::stoul(b->getId()) + 1);
    EXPECT_EQ(std::to_string(CWaypoint::getCreatedCount()), c->getId());
    EXPECT_EQ(c->getWeight(), 7);
    EXPECT_EQ(a->getPosition(), Ogre::Vector3(0, 0.5f, 0));
    EXPECT_EQ(c->getPosition(), Ogre::Vector3(0, 1.5f, 4));
}

TEST(WaypointMarkers, editorDrawsAPostPerWaypointAndLinesForEachLinkAndGameModeNothing)
{
    Level level(threeBoxes().waypoint("a", 1, {"b"}).waypoint("b", 1).waypoint("c", 1).str(),
                editor());
    Ogre::SceneManager* sm = level.ogre.sceneManager;
    CWaypoint* a = level.waypointOn("a");
    CWaypoint* b = level.waypointOn("b");
    CWaypoint* c = level.waypointOn("c");
    for (CWaypoint* waypoint : {a, b, c}) {
        Ogre::BillboardSet* post = sm->getBillboardSet("waypoint_billboardset" + waypoint->getId());
        EXPECT_EQ(post->getMaterialName(), "waypoint");
        EXPECT_EQ(post->getParentSceneNode()->getPosition(), waypoint->getPosition());
    }

    // The link a-b is drawn as white lines from top to top.
    std::vector<Ogre::Entity*> lines = linesOf(sm, a);
    const std::vector<Ogre::Entity*> fromB = linesOf(sm, b);
    lines.insert(lines.end(), fromB.begin(), fromB.end());
    ASSERT_FALSE(lines.empty());
    for (Ogre::Entity* line : lines) {
        const Ogre::AxisAlignedBox bounds = line->getMesh()->getBounds();
        EXPECT_LT(bounds.getCenter().distance((a->getPosition() + b->getPosition()) / 2), 1e-5f);
        EXPECT_NEAR(bounds.getSize().x, 3.0f, 0.1f);
    }
    EXPECT_TRUE(linesOf(sm, c).empty());

    // Unlinking takes the lines and their meshes away; removing a waypoint takes its post.
    const std::string meshName = lines.front()->getMesh()->getName();
    EXPECT_TRUE(level.scene->unlinkWaypoints(level.scene->findBox("a"), level.scene->findBox("b")));
    EXPECT_TRUE(linesOf(sm, a).empty());
    EXPECT_TRUE(linesOf(sm, b).empty());
    EXPECT_FALSE(Ogre::MeshManager::getSingleton().resourceExists(meshName));
    const std::string cId = c->getId();
    EXPECT_TRUE(level.scene->removeWaypoint(level.scene->findBox("c")));
    EXPECT_FALSE(sm->hasBillboardSet("waypoint_billboardset" + cId));
    EXPECT_FALSE(sm->hasSceneNode("waypoint_line_node" + cId));
    EXPECT_TRUE(level.scene->linkWaypoints(level.scene->findBox("b"), level.scene->findBox("a")));
    EXPECT_FALSE(linesOf(sm, b).empty());

    level.build(threeBoxes().waypoint("a", 1, {"b"}).waypoint("b", 1).str());
    const std::string id = level.waypointOn("a")->getId();
    EXPECT_FALSE(sm->hasBillboardSet("waypoint_billboardset" + id));
    EXPECT_FALSE(sm->hasSceneNode("waypoint_line_node" + id));
}
