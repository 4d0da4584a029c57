// The waypoint graph: symmetric links and their refusals, ids, positions, links read from and
// written to maps, the editor's posts and link lines, and what the scene learns from contacts.
#include "monster_test_maps.h"

#include "world/map_io.h"

#include <OgreBillboardSet.h>
#include <OgreEntity.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreSceneNode.h>
#include <OgreSubEntity.h>
#include <OgreSubMesh.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using monstertest::Level;
using monstertest::MapText;

namespace {

MapText threeBoxes()
{
    return MapText().box("a", 0, 0, 0).box("b", 3, 0, 0).box("c", 0, 0, 4, "stone", 1.0f);
}

// The neighbour names of every "waypoint" line of a map text, by box name.
std::map<std::string, std::vector<std::string>> waypointLines(const std::string& text)
{
    std::map<std::string, std::vector<std::string>> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("waypoint=", 0) != 0)
            continue;
        std::vector<std::string> fields;
        std::istringstream values(line.substr(9));
        std::string field;
        while (std::getline(values, field, ','))
            fields.push_back(field);
        lines[fields[0]] = std::vector<std::string>(fields.begin() + 2, fields.end());
    }
    return lines;
}

} // namespace

TEST(WaypointGraph, linksAreSymmetricAndRefusedTwiceOrToItself)
{
    Level level(threeBoxes().waypoint("a", 1).waypoint("b", 1).waypoint("c", 1).str());
    CWaypoint* a = level.waypointOn("a");
    CWaypoint* b = level.waypointOn("b");
    CWaypoint* c = level.waypointOn("c");
    const unsigned long linksBefore = CWaypoint::getLinkCount();

    EXPECT_TRUE(a->link(b));
    const unsigned long linksAfterOne = CWaypoint::getLinkCount();
    EXPECT_GT(linksAfterOne, linksBefore);
    EXPECT_EQ(a->getNeighbours(), std::vector<CWaypoint*>{b});
    EXPECT_EQ(b->getNeighbours(), std::vector<CWaypoint*>{a});

    EXPECT_FALSE(a->link(b));
    EXPECT_FALSE(b->link(a));
    EXPECT_FALSE(a->link(a));
    EXPECT_FALSE(level.scene->linkWaypoints(level.scene->findBox("b"), level.scene->findBox("a")));
    EXPECT_EQ(CWaypoint::getLinkCount(), linksAfterOne);
    EXPECT_EQ(a->getNeighbours().size(), 1u);
    EXPECT_EQ(b->getNeighbours().size(), 1u);

    EXPECT_TRUE(level.scene->linkWaypoints(level.scene->findBox("c"), level.scene->findBox("a")));
    EXPECT_EQ(a->getNeighbours(), (std::vector<CWaypoint*>{b, c}));
    EXPECT_EQ(c->getNeighbours(), std::vector<CWaypoint*>{a});
    // A box without a waypoint links nothing.
    EXPECT_FALSE(level.scene->linkWaypoints(level.scene->findBox("a"), nullptr));
}

TEST(WaypointGraph, idsComeFromOneCounterAndTheTopIsTheBoxCentreTop)
{
    Level level(threeBoxes().waypoint("a", 1).waypoint("c", 7).str());
    CWaypoint* a = level.waypointOn("a");
    CWaypoint* c = level.waypointOn("c");

    EXPECT_EQ(std::stoul(c->getId()), std::stoul(a->getId()) + 1);
    EXPECT_EQ(std::to_string(CWaypoint::getCreatedCount()), c->getId());
    EXPECT_EQ(c->getWeight(), 7);
    EXPECT_EQ(a->getPosition(), Ogre::Vector3(0, 0.5f, 0));
    // c's top centre vertex is raised by 1.
    EXPECT_EQ(c->getPosition(), Ogre::Vector3(0, 1.5f, 4));
    EXPECT_FALSE(level.scene->addWaypoint(level.scene->findBox("a"), 3));
    EXPECT_EQ(a->getWeight(), 1);

    CWaypoint loose(1, level.ogre.sceneManager, nullptr, false);
    EXPECT_EQ(loose.getPosition(), Ogre::Vector3::ZERO);
}

TEST(WaypointGraph, mapListingLinksOnBothSidesLinksOnceAndIsSavedWithBothSidesAgain)
{
    Level level(threeBoxes()
                    .waypoint("a", 1, {"b", "c"})
                    .waypoint("b", 2, {"a"})
                    .waypoint("c", 3, {"a", "a", "c"})
                    .str());
    CWaypoint* a = level.waypointOn("a");
    CWaypoint* b = level.waypointOn("b");
    CWaypoint* c = level.waypointOn("c");
    EXPECT_EQ(a->getNeighbours(), (std::vector<CWaypoint*>{b, c}));
    EXPECT_EQ(b->getNeighbours(), std::vector<CWaypoint*>{a});
    EXPECT_EQ(c->getNeighbours(), std::vector<CWaypoint*>{a});

    const std::string saved = level.dir.file("saved.kivom");
    CIOMap writer;
    ASSERT_TRUE(writer.openForWriting(saved));
    writer.writeScene(*level.scene);
    ASSERT_TRUE(writer.closeAfterWriting());

    const auto lines = waypointLines(testenv::readFile(saved));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines.at("a"), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(lines.at("b"), std::vector<std::string>{"a"});
    EXPECT_EQ(lines.at("c"), std::vector<std::string>{"a"});
}

TEST(WaypointMarkers, editorModeDrawsAPostPerWaypointAndALineForEachLink)
{
    Level::Options options;
    options.editor = true;
    Level level(threeBoxes().waypoint("a", 1, {"b"}).waypoint("b", 1).waypoint("c", 1).str(),
                options);
    Ogre::SceneManager* sm = level.ogre.sceneManager;
    CWaypoint* a = level.waypointOn("a");
    CWaypoint* b = level.waypointOn("b");
    CWaypoint* c = level.waypointOn("c");

    for (CWaypoint* waypoint : {a, b, c}) {
        const std::string& id = waypoint->getId();
        ASSERT_TRUE(sm->hasBillboardSet("waypoint_billboardset" + id));
        Ogre::BillboardSet* post = sm->getBillboardSet("waypoint_billboardset" + id);
        EXPECT_EQ(post->getMaterialName(), "waypoint");
        EXPECT_EQ(post->getBillboardType(), Ogre::BBT_ORIENTED_COMMON);
        EXPECT_EQ(post->getCommonDirection(), Ogre::Vector3::UNIT_Y);
        EXPECT_EQ(post->getNumBillboards(), 1);
        ASSERT_TRUE(sm->hasSceneNode("waypoint_node" + id));
        Ogre::SceneNode* node = sm->getSceneNode("waypoint_node" + id);
        EXPECT_EQ(post->getParentSceneNode(), node);
        EXPECT_EQ(node->getPosition(), waypoint->getPosition());
        EXPECT_EQ(node->getScale(), Ogre::Vector3(0.002f, 0.02f, 0.002f));
        EXPECT_TRUE(sm->hasSceneNode("waypoint_line_node" + id));
    }

    // The link a-b is drawn as white lines from top to top.
    auto lineEntities = [sm](CWaypoint* waypoint) {
        std::vector<Ogre::Entity*> lines;
        Ogre::SceneNode* node = sm->getSceneNode("waypoint_line_node" + waypoint->getId());
        for (Ogre::MovableObject* object : node->getAttachedObjects())
            lines.push_back(static_cast<Ogre::Entity*>(object));
        return lines;
    };
    std::vector<Ogre::Entity*> lines = lineEntities(a);
    const std::vector<Ogre::Entity*> fromB = lineEntities(b);
    lines.insert(lines.end(), fromB.begin(), fromB.end());
    ASSERT_FALSE(lines.empty());
    for (Ogre::Entity* line : lines) {
        EXPECT_EQ(line->getName().rfind("waypoint_entity_", 0), 0u);
        const std::string number = line->getName().substr(16);
        EXPECT_EQ(line->getMesh()->getName(), "waypoint_mesh_" + number);
        EXPECT_EQ(line->getSubEntity(0)->getMaterialName(), "BaseWhiteNoLighting");
        EXPECT_EQ(line->getMesh()->getSubMesh(0)->operationType,
                  Ogre::RenderOperation::OT_LINE_LIST);
        // Mesh bounds carry a small padding; the line runs from a's top to b's top.
        const Ogre::AxisAlignedBox bounds = line->getMesh()->getBounds();
        EXPECT_LT(bounds.getCenter().distance((a->getPosition() + b->getPosition()) / 2), 1e-5f);
        EXPECT_NEAR(bounds.getSize().x, 3.0f, 0.1f);
        EXPECT_NEAR(bounds.getSize().y, 0.0f, 0.1f);
    }
    EXPECT_TRUE(lineEntities(c).empty());

    // Unlinking takes the lines and their meshes away; removing a waypoint takes its post.
    const std::string meshName = lines.front()->getMesh()->getName();
    EXPECT_TRUE(level.scene->unlinkWaypoints(level.scene->findBox("a"), level.scene->findBox("b")));
    EXPECT_TRUE(lineEntities(a).empty());
    EXPECT_TRUE(lineEntities(b).empty());
    EXPECT_FALSE(Ogre::MeshManager::getSingleton().resourceExists(meshName));
    const std::string cId = c->getId();
    EXPECT_TRUE(level.scene->removeWaypoint(level.scene->findBox("c")));
    EXPECT_FALSE(sm->hasBillboardSet("waypoint_billboardset" + cId));
    EXPECT_FALSE(sm->hasSceneNode("waypoint_node" + cId));
    EXPECT_FALSE(sm->hasSceneNode("waypoint_line_node" + cId));

    // Linking again draws again.
    EXPECT_TRUE(level.scene->linkWaypoints(level.scene->findBox("b"), level.scene->findBox("a")));
    EXPECT_FALSE(lineEntities(b).empty());
}

TEST(WaypointMarkers, gameModeDrawsNothing)
{
    Level level(threeBoxes().waypoint("a", 1, {"b"}).waypoint("b", 1).str());
    const std::string id = level.waypointOn("a")->getId();

    EXPECT_FALSE(level.ogre.sceneManager->hasBillboardSet("waypoint_billboardset" + id));
    EXPECT_FALSE(level.ogre.sceneManager->hasSceneNode("waypoint_node" + id));
    EXPECT_FALSE(level.ogre.sceneManager->hasSceneNode("waypoint_line_node" + id));
}

TEST(WaypointContacts, ballRemembersTheWaypointOfTheBoxItTouchesOrNone)
{
    Level level(MapText()
                    .row("f", 6, 0, 0, 0)
                    .start("f0")
                    .waypoint("f0", 1, {"f1"})
                    .waypoint("f1", 1)
                    .str());
    EXPECT_EQ(level.scene->getBallWaypoint(0), nullptr);

    level.run(1.2f);
    EXPECT_EQ(level.scene->getBallWaypoint(0), level.waypointOn("f0"));

    level.putBall(0, level.top("f4") + Ogre::Vector3(0, 0.45f, 0));
    level.run(0.5f);
    EXPECT_EQ(level.scene->getBallWaypoint(0), nullptr);

    level.putBall(0, level.top("f1") + Ogre::Vector3(0, 0.45f, 0));
    level.run(0.5f);
    EXPECT_EQ(level.scene->getBallWaypoint(0), level.waypointOn("f1"));
}

TEST(WaypointContacts, monsterRemembersTheLastWaypointBoxItTouched)
{
    Level level(MapText()
                    .row("f", 6, 0, 0, 0)
                    .waypoint("f1", 1)
                    .waypoint("f4", 1)
                    .monster(CMonster::KIND_THE_BALL, "big", "f1")
                    .str());
    CMonster* big = level.monster("big");
    level.run(1.0f);
    EXPECT_EQ(big->getLastWaypoint(), level.waypointOn("f1"));

    // A box without a waypoint changes nothing.
    big->getBody()->setPositionOrientation(level.top("f3") + Ogre::Vector3(0, 0.6f, 0),
                                           Ogre::Quaternion::IDENTITY);
    big->getBody()->setVelocity(Ogre::Vector3::ZERO);
    level.run(0.5f);
    EXPECT_EQ(big->getLastWaypoint(), level.waypointOn("f1"));

    big->getBody()->setPositionOrientation(level.top("f4") + Ogre::Vector3(0, 0.6f, 0),
                                           Ogre::Quaternion::IDENTITY);
    big->getBody()->setVelocity(Ogre::Vector3::ZERO);
    level.run(0.5f);
    EXPECT_EQ(big->getLastWaypoint(), level.waypointOn("f4"));
}

TEST(WaypointContacts, touchingAMonsterOrABallDoesNotMakeTheBallLoseItsWaypoint)
{
    Level::Options options;
    options.players = 2;
    Level level(MapText()
                    .row("f", 4, 0, 0, 0)
                    .start("f0")
                    .start("f3")
                    .waypoint("f0", 1, {"f1"})
                    .waypoint("f1", 1)
                    .monster(CMonster::KIND_THE_BALL, "big", "f1")
                    .str(),
                options);
    level.run(1.2f);
    ASSERT_EQ(level.scene->getBallWaypoint(0), level.waypointOn("f0"));
    CPhysicsBody& ball = *level.scene->getBallBody(0);

    level.scene->processContact(ball, *level.monster("big")->getBody());
    level.scene->processContact(*level.scene->getBallBody(1), ball);

    EXPECT_EQ(level.scene->getBallWaypoint(0), level.waypointOn("f0"));
    // A box without a waypoint does clear it.
    level.scene->processContact(*level.scene->findBox("f2")->getBody(), ball);
    EXPECT_EQ(level.scene->getBallWaypoint(0), nullptr);
}

TEST(WaypointMarkers, refreshingAfterTheBoxMovedRedrawsPostAndLinesAndMonsterMarker)
{
    Level::Options options;
    options.editor = true;
    Level level(threeBoxes()
                    .waypoint("a", 1, {"b"})
                    .waypoint("b", 1)
                    .monster(CMonster::KIND_SLIME, "slime", "b")
                    .str(),
                options);
    Ogre::SceneManager* sm = level.ogre.sceneManager;
    CWaypoint* a = level.waypointOn("a");
    CWaypoint* b = level.waypointOn("b");
    const unsigned long links = CWaypoint::getLinkCount();

    level.scene->findBox("b")->setPosition(Ogre::Vector3(3, 2, -4));
    b->refreshMarkers();
    level.monster("slime")->refreshMarker();

    EXPECT_EQ(sm->getSceneNode("waypoint_node" + b->getId())->getPosition(), b->getPosition());
    EXPECT_EQ(sm->getSceneNode("billboardNodeslime")->getPosition(),
              b->getPosition() + Ogre::Vector3(0, 1, 0));
    int lines = 0;
    for (CWaypoint* waypoint : {a, b}) {
        Ogre::SceneNode* node = sm->getSceneNode("waypoint_line_node" + waypoint->getId());
        for (Ogre::MovableObject* object : node->getAttachedObjects()) {
            ++lines;
            const Ogre::AxisAlignedBox bounds =
                static_cast<Ogre::Entity*>(object)->getMesh()->getBounds();
            EXPECT_LT(bounds.getCenter().distance((a->getPosition() + b->getPosition()) / 2),
                      1e-4f);
        }
    }
    EXPECT_GT(lines, 0);
    EXPECT_EQ(CWaypoint::getLinkCount(), links);
    // A second refresh finds free names again.
    b->refreshMarkers();
    a->refreshMarkers();
    EXPECT_EQ(a->getNeighbours(), std::vector<CWaypoint*>{b});
}
