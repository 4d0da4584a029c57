// A level built from a map on headless Ogre with real physics: engine objects and their names,
// unique box names, lights, balls and their start, the contact rules, falls, pause, restart,
// teardown, and editor mode.
#include "headless_ogre.h"
#include "map_text.h"
#include "test_env.h"
#include "world/box.h"
#include "world/box_grid.h"
#include "world/monster.h"
#include "world/scene.h"
#include "world/waypoint.h"

#include <OgreBillboardSet.h>
#include <OgreEntity.h>
#include <OgreHardwareBuffer.h>
#include <OgreLight.h>
#include <OgreManualObject.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreRoot.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr float kFrame = 1.0f / 60.0f;

// A straight course along -z: start box at the origin, `length` plain boxes, the finish box.
std::string straightCourse(int length, int starts = 1)
{
    std::string text;
    for (int s = 0; s < starts; ++s)
        text += maptext::box("start" + std::to_string(s), "startbox", "course",
                             Ogre::Vector3(2.0f * s, 0, 0));
    for (int i = 1; i <= length; ++i)
        text += maptext::box("b" + std::to_string(i), "stone", "course",
                             Ogre::Vector3(0, 0, -1.0f * i));
    text += maptext::box("goal", "finishbox", "course", Ogre::Vector3(0, 0, -1.0f * (length + 1)));
    text += maptext::light("lamp", Ogre::Vector3(0, 10, 0), 50.0f);
    text += "ambient=0.3,0.4,0.5\n";
    for (int s = 0; s < starts; ++s)
        text += "startpoint=start" + std::to_string(s) + "\n";
    text += "finishpoint=goal\n";
    return text;
}

class SceneTest : public ::testing::Test
{
protected:
    SceneTest() { std::filesystem::create_directories("data/maps"); }
    ~SceneTest() override { scene.reset(); }

    CScene& build(const std::string& mapText, int players = 1, bool editor = false)
    {
        scene.reset();
        testenv::writeFile("data/maps/test.kivom", mapText);
        scene = std::make_unique<CScene>(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName,
                                         "", "", "", editor, "test.kivom", players, 1, nullptr);
        return *scene;
    }

    // Runs rendered frames until the condition holds or the time is up; true when it held.
    template <typename Condition> bool runUntil(Condition condition, float seconds)
    {
        for (float t = 0; t < seconds; t += kFrame) {
            ogre.frame(kFrame);
            if (condition())
                return true;
        }
        return false;
    }

    void settle(float seconds = 1.0f)
    {
        runUntil([] { return false; }, seconds);
    }

    testenv::TempDir dir;
    HeadlessOgre ogre;
    std::unique_ptr<CScene> scene;
};

} // namespace

TEST_F(SceneTest, buildsNamedEngineObjectsForBoxesLightsCamerasAndBalls)
{
    CScene& s = build(straightCourse(2));
    Ogre::SceneManager* sm = ogre.sceneManager;
    EXPECT_EQ(CScene::current(), &s);
    EXPECT_TRUE(sm->hasSceneNode("SceneNode1"));
    EXPECT_TRUE(sm->hasSceneNode("camNodePoint"));
    EXPECT_TRUE(sm->hasSceneNode("camNode"));
    EXPECT_FALSE(sm->hasSceneNode("camNodePoint2"));
    EXPECT_EQ(ogre.camera->getParentSceneNode()->getName(), "camNode");
    EXPECT_EQ(sm->getSceneNode("camNode")->getPosition(), Ogre::Vector3(0, 10, 10));

    for (const char* name : {"start0", "b1", "b2", "goal"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(sm->hasManualObject(name));
        EXPECT_TRUE(sm->hasSceneNode(std::string("node") + name));
        EXPECT_TRUE(sm->hasEntity(std::string("entity") + name));
        EXPECT_TRUE(Ogre::MeshManager::getSingleton().resourceExists(std::string("mesh") + name));
        ASSERT_NE(s.findBox(name), nullptr);
        EXPECT_NE(s.findBox(name)->getBody(), nullptr);
    }
    EXPECT_EQ(sm->getSceneNode("nodeb2")->getPosition(), Ogre::Vector3(0, 0, -2));
    ASSERT_EQ(s.getGrids().size(), 1u);
    EXPECT_EQ(s.getGrids()[0]->getMaterialName(), "startbox"); // the first box's material

    ASSERT_TRUE(sm->hasLight("lightlamp"));
    const Ogre::Light* lamp = sm->getLight("lightlamp");
    EXPECT_EQ(lamp->getParentSceneNode()->getName(), "lightNodelamp");
    EXPECT_EQ(lamp->getParentSceneNode()->getParentSceneNode()->getName(), "SceneNode1");
    EXPECT_FLOAT_EQ(lamp->getAttenuationRange(), 50.0f);
    EXPECT_FLOAT_EQ(lamp->getAttenuationConstant(), 1.0f);
    EXPECT_FLOAT_EQ(lamp->getAttenuationLinear(), 4.5f / 50.0f);
    EXPECT_FLOAT_EQ(lamp->getAttenuationQuadric(), 75.0f / 2500.0f);
    EXPECT_EQ(sm->getAmbientLight(), Ogre::ColourValue(0.3f, 0.4f, 0.5f, 1.0f));
    EXPECT_EQ(sm->getFogMode(), Ogre::FOG_LINEAR);
    EXPECT_FLOAT_EQ(sm->getFogStart(), 25.0f);
    EXPECT_FLOAT_EQ(sm->getFogEnd(), 30.0f);

    ASSERT_EQ(s.getBallCount(), 1u);
    ASSERT_TRUE(sm->hasEntity("Ball0"));
    Ogre::SceneNode* ballNode = sm->getSceneNode("Ball0");
    EXPECT_EQ(ballNode->getScale(), Ogre::Vector3(0.8f));
    EXPECT_EQ(sm->getEntity("Ball0")->getMesh()->getName(), "ellipsoid.mesh");
    EXPECT_FLOAT_EQ(s.getBallBody(0)->getMass(), 7.5f);
    EXPECT_NEAR(s.getBallBody(0)->getInertia().x, 0.4f * 0.4f * 0.4f, 1e-5f); // unit mass
    bool redLight = false;
    for (Ogre::MovableObject* object : ballNode->getAttachedObjects()) {
        if (auto* light = dynamic_cast<Ogre::Light*>(object))
            redLight = light->getDiffuseColour() == Ogre::ColourValue(1, 0, 0);
    }
    EXPECT_TRUE(redLight);
}

namespace {

struct SDrawnVertex
{
    Ogre::Vector3 position;
    Ogre::Vector3 normal;
    Ogre::Vector2 uv;
};

// Reads back the vertices of a box's geometry (headless buffers live in memory).
std::vector<SDrawnVertex> drawnVertices(const CBox& box)
{
    Ogre::VertexData* data =
        box.getManualObject()->getSections()[0]->getRenderOperation()->vertexData;
    const Ogre::VertexDeclaration* declaration = data->vertexDeclaration;
    const Ogre::VertexElement* position = declaration->findElementBySemantic(Ogre::VES_POSITION);
    const Ogre::VertexElement* normal = declaration->findElementBySemantic(Ogre::VES_NORMAL);
    const Ogre::VertexElement* uv =
        declaration->findElementBySemantic(Ogre::VES_TEXTURE_COORDINATES);
    Ogre::HardwareVertexBufferSharedPtr buffer = data->vertexBufferBinding->getBuffer(0);
    Ogre::HardwareBufferLockGuard lock(buffer, Ogre::HardwareBuffer::HBL_READ_ONLY);
    std::vector<SDrawnVertex> vertices;
    for (size_t i = 0; i < data->vertexCount; ++i) {
        auto* base = static_cast<unsigned char*>(lock.pData) + i * buffer->getVertexSize();
        float* p = nullptr;
        float* n = nullptr;
        float* t = nullptr;
        position->baseVertexPointerToElement(base, &p);
        normal->baseVertexPointerToElement(base, &n);
        uv->baseVertexPointerToElement(base, &t);
        vertices.push_back({{p[0], p[1], p[2]}, {n[0], n[1], n[2]}, {t[0], t[1]}});
    }
    return vertices;
}

} // namespace

TEST_F(SceneTest, boxGeometryHas28VerticesWithFlatTopNormalsAndNoBottom)
{
    std::string text = maptext::box("peak", "stone", "g", Ogre::Vector3::ZERO, maptext::cube(0.5f));
    text += maptext::box("fitted", "stone", "g", Ogre::Vector3(3, 0, 0), maptext::cube(), true);
    CScene& s = build(text, 1, true);
    CBox* peak = s.findBox("peak");
    ASSERT_NE(peak, nullptr);
    Ogre::ManualObject* manual = peak->getManualObject();
    ASSERT_EQ(manual->getSections().size(), 1u);
    Ogre::RenderOperation* op = manual->getSections()[0]->getRenderOperation();
    EXPECT_EQ(op->vertexData->vertexCount, 28u);
    EXPECT_EQ(op->indexData->indexCount, 3u * (4 + 8)); // four top triangles, two per side
    // The bounding box reaches down to the bottom corners although no bottom face is drawn.
    EXPECT_FLOAT_EQ(manual->getBoundingBox().getMinimum().y, -0.5f);

    const std::vector<SDrawnVertex> top = drawnVertices(*peak);
    for (size_t triangle = 0; triangle < 4; ++triangle) {
        const SDrawnVertex* v = &top[triangle * 3];
        // One flat normal per top triangle, at right angles to its edges, pointing up and
        // outwards (the centre is raised into a pyramid).
        EXPECT_EQ(v[0].normal, v[1].normal);
        EXPECT_EQ(v[1].normal, v[2].normal);
        EXPECT_NEAR(v[0].normal.dotProduct(v[1].position - v[0].position), 0.0f, 1e-5f);
        EXPECT_NEAR(v[0].normal.dotProduct(v[2].position - v[0].position), 0.0f, 1e-5f);
        EXPECT_NEAR(v[0].normal.length(), 1.0f, 1e-5f);
        EXPECT_GT(v[0].normal.y, 0.5f);
        EXPECT_LT(v[0].normal.y, 0.99f);
        EXPECT_EQ(v[2].position, Ogre::Vector3(0, 1.0f, 0));
        EXPECT_EQ(v[2].uv, Ogre::Vector2(0.5f, 0.5f));
    }
    EXPECT_EQ(top[0].uv, Ogre::Vector2(0, 0)); // vertex 3
    EXPECT_EQ(top[1].uv, Ogre::Vector2(0, 1)); // vertex 0
    for (size_t i = 12; i < top.size(); ++i) {
        // Sides: fixed axis normals, never down; unfitted textures run with the height.
        EXPECT_FLOAT_EQ(top[i].normal.y, 0.0f);
        EXPECT_FLOAT_EQ(std::abs(top[i].normal.x) + std::abs(top[i].normal.z), 1.0f);
        EXPECT_FLOAT_EQ(top[i].uv.y, top[i].position.y + 0.5f);
    }
    const std::vector<SDrawnVertex> fitted = drawnVertices(*s.findBox("fitted"));
    for (size_t i = 12; i < fitted.size(); ++i) {
        // Fitted: the texture covers each side once; the table puts v = 1 at the top edge,
        // except on the -x side, where the top edge has v = 0.
        const bool topEdge = fitted[i].position.y > 0.0f;
        const bool minusX = fitted[i].normal.x < 0.0f;
        EXPECT_FLOAT_EQ(fitted[i].uv.y, topEdge != minusX ? 1.0f : 0.0f);
    }
}

TEST_F(SceneTest, secondBoxWithSameNameGetsNumberSuffixAndReferencesResolveToTheFirst)
{
    std::string text;
    text += maptext::box("twin", "stone", "g", Ogre::Vector3(0, 0, 0));
    text += maptext::box("twin", "wood", "g", Ogre::Vector3(5, 0, 0));
    text += maptext::box("twin", "ice", "h", Ogre::Vector3(9, 0, 0));
    text += "startpoint=twin\n";
    CScene& s = build(text);
    ASSERT_NE(s.findBox("twin0"), nullptr);
    ASSERT_NE(s.findBox("twin1"), nullptr);
    EXPECT_EQ(s.findBox("twin0")->getMaterialName(), "wood");
    EXPECT_EQ(s.findBox("twin1")->getMaterialName(), "ice");
    ASSERT_EQ(s.getStartBoxes().size(), 1u);
    EXPECT_EQ(s.getStartBoxes()[0]->getPosition(), Ogre::Vector3(0, 0, 0));
    EXPECT_EQ(s.getGrids().size(), 2u);
    EXPECT_EQ(CScene::getBoxCounter(), 3);
}

TEST_F(SceneTest, secondLightOfANameIsRefused)
{
    std::string text = maptext::light("lamp", Ogre::Vector3(0, 5, 0), 100.0f);
    text += maptext::light("lamp", Ogre::Vector3(7, 7, 7), 20.0f);
    CScene& s = build(text);
    ASSERT_EQ(s.getLights().size(), 1u);
    EXPECT_FLOAT_EQ(s.getLights()[0]->getAttenuationRange(), 100.0f);
    EXPECT_FALSE(s.addLight("lamp", Ogre::Vector3::ZERO, Ogre::ColourValue::White,
                            Ogre::ColourValue::White, 10.0f));
    EXPECT_TRUE(s.addLight("other", Ogre::Vector3::ZERO, Ogre::ColourValue::White,
                           Ogre::ColourValue::White, 10.0f));
    EXPECT_EQ(s.getLights().size(), 2u);
}

TEST_F(SceneTest, ballStartsTwoAboveTheStartBoxTopCentre)
{
    std::string text =
        maptext::box("raised", "startbox", "g", Ogre::Vector3(3, 1, -2), maptext::cube(0.5f));
    text += "startpoint=raised\n";
    CScene& s = build(text);
    // The top centre stands at 1.0 above the box position: the ball starts 3 above it.
    EXPECT_EQ(s.getStartPosition(1), Ogre::Vector3(3, 4, -2));
    EXPECT_EQ(s.getStartPosition(2), Ogre::Vector3::ZERO);
    Ogre::Vector3 position, velocity, omega;
    ASSERT_TRUE(s.getBallState(0, position, velocity, omega));
    EXPECT_EQ(position, Ogre::Vector3(3, 4, -2));
}

TEST_F(SceneTest, threePlayersOnATwoStartMapGetTwoBalls)
{
    CScene& s = build(straightCourse(1, 2), 3);
    EXPECT_EQ(s.getBallCount(), 2u);
    EXPECT_TRUE(ogre.sceneManager->hasEntity("Ball1"));
    EXPECT_FALSE(ogre.sceneManager->hasEntity("Ball2"));
    EXPECT_EQ(s.getBallBody(2), nullptr);
    EXPECT_FALSE(s.takeResetEvent(2));
    EXPECT_FALSE(s.takeCollisionEvent(-1));
    Ogre::Vector3 p, v, w;
    EXPECT_FALSE(s.getBallState(2, p, v, w));
    EXPECT_FALSE(s.setBallVelocity(2, Ogre::Vector3::ZERO, Ogre::Vector3::ZERO));
    EXPECT_FALSE(s.correctBall(2, Ogre::Vector3::ZERO, 0.5f));
}

TEST_F(SceneTest, emptyOrMissingMapGivesAnEmptyLevelWithoutBalls)
{
    scene = std::make_unique<CScene>(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName, "",
                                     "", "", false, "missing.kivom", 2, 1, nullptr);
    EXPECT_TRUE(scene->getGrids().empty());
    EXPECT_EQ(scene->getBallCount(), 0u);
    EXPECT_EQ(ogre.sceneManager->getAmbientLight(), Ogre::ColourValue(0.1f, 0.1f, 0.1f, 1.0f));
    ogre.frame(kFrame); // runs with nothing in it
}

TEST_F(SceneTest, constantBallForceRollsTheBallOntoTheFinishAndStopsAllBalls)
{
    CScene& s = build(straightCourse(6, 2), 2);
    ASSERT_EQ(s.getBallCount(), 2u);
    settle();
    const bool finished = runUntil(
        [&s] {
            if (s.getWinner() != 0)
                return true;
            s.getBallForces()[0] = Ogre::Vector3(0, 0, -40);
            return false;
        },
        15.0f);
    ASSERT_TRUE(finished);
    EXPECT_EQ(s.getWinner(), 1);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(s.getBallForces()[i], Ogre::Vector3::ZERO);
        EXPECT_LT(std::abs(s.getBallBody(i)->getVelocity().z), 0.05f);
        EXPECT_LT(s.getBallBody(i)->getOmega().length(), 0.05f);
    }
    EXPECT_LT(s.getBallBody(0)->getPosition().z, -6.0f);
    // The camera follows ball 1 (at most one frame behind).
    EXPECT_LT(s.getCameraPointNode(1)->getPosition().distance(s.getBallBody(0)->getPosition()),
              0.2f);

    // Restarting puts the ball back and clears the round.
    s.restartRound();
    EXPECT_EQ(s.getWinner(), 0);
    EXPECT_EQ(s.getBallBody(0)->getPosition(), s.getStartPosition(1));
    EXPECT_FALSE(s.takeResetEvent(0));
    EXPECT_FALSE(s.takeCollisionEvent(0));
}

TEST_F(SceneTest, hardLandingSetsTheCollisionFlagAndGentleRollingDoesNot)
{
    CScene& s = build(straightCourse(3));
    ASSERT_TRUE(runUntil([&s] { return s.getBallBody(0)->getPosition().y < 1.0f; }, 3.0f));
    settle(0.5f);
    EXPECT_TRUE(s.takeCollisionEvent(0));
    EXPECT_FALSE(s.takeCollisionEvent(0)); // read and cleared
    runUntil(
        [&s] {
            s.getBallForces()[0] = Ogre::Vector3(0, 0, -40);
            return false;
        },
        0.5f);
    EXPECT_FALSE(s.takeCollisionEvent(0));
}

TEST_F(SceneTest, ballBelowTheFallLimitGoesBackToItsStartWithItsResetFlag)
{
    CScene& s = build(straightCourse(2));
    settle(0.5f);
    EXPECT_FALSE(s.takeResetEvent(0));
    s.getBallForces()[0] = Ogre::Vector3(10, 0, 0);
    ASSERT_TRUE(s.correctBall(0, Ogre::Vector3(20, -9, 0), 0.5f));
    EXPECT_FALSE(s.correctBall(0, Ogre::Vector3(20, -9, 0.1f), 0.5f)); // within the threshold
    ASSERT_TRUE(runUntil([&s] { return s.getBallBody(0)->getPosition().y > 0.0f; }, 2.0f));
    EXPECT_TRUE(s.takeResetEvent(0));
    EXPECT_EQ(s.getBallForces()[0], Ogre::Vector3::ZERO);
    // The velocity of the fall is cleared by the next step: the ball starts still.
    ogre.frame(kFrame);
    EXPECT_LT(s.getBallBody(0)->getVelocity().length(), 0.2f);
    EXPECT_NEAR(s.getBallBody(0)->getPosition().x, 0.0f, 1e-3f);
}

TEST_F(SceneTest, pauseStopsTheWorldAndResumeRestartsIt)
{
    CScene& s = build(straightCourse(2));
    ogre.frame(0.1f);
    s.setPaused(true);
    const Ogre::Vector3 still = s.getBallBody(0)->getPosition();
    settle(0.5f);
    EXPECT_EQ(s.getBallBody(0)->getPosition(), still);
    EXPECT_EQ(s.getCameraPointNode(1)->getPosition(), still);
    s.setPaused(false);
    settle(0.2f);
    EXPECT_LT(s.getBallBody(0)->getPosition().y, still.y);
}

TEST_F(SceneTest, destroyingAndRebuildingRestartsBoxNames)
{
    build("", 1, true);
    CBoxGrid* grid = scene->createGrid("floor", "stone", 2, 2, Ogre::Vector3(0, 0, 0), 2.0f);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->getBoxes().front()->getName(), "box1");
    EXPECT_EQ(grid->getBoxes().back()->getName(), "box4");
    EXPECT_EQ(grid->getBoxes()[1]->getPosition(), Ogre::Vector3(0, 0, 2));
    EXPECT_EQ(scene->createGrid("floor", "stone", 1, 1, Ogre::Vector3::ZERO, 1.0f), nullptr);
    scene.reset();
    EXPECT_EQ(CScene::current(), nullptr);
    EXPECT_EQ(CScene::getBoxCounter(), 0);
    EXPECT_FALSE(ogre.sceneManager->hasSceneNode("SceneNode1"));

    build("", 1, true);
    grid = scene->createGrid("floor", "stone", 1, 1, Ogre::Vector3::ZERO, 1.0f);
    EXPECT_EQ(grid->getBoxes().front()->getName(), "box1");
}

TEST_F(SceneTest, gameSceneCanBeBuiltTwiceInARow)
{
    build(straightCourse(2));
    settle(0.2f);
    build(straightCourse(3)); // the old scene is destroyed first: its names are free again
    EXPECT_TRUE(ogre.sceneManager->hasEntity("entityb3"));
    EXPECT_EQ(scene->getBallCount(), 1u);
    settle(0.2f);
}

TEST_F(SceneTest, contactOutcomeDoesNotDependOnTheOrderOfTheTwoBodies)
{
    const std::string text = straightCourse(1) + "waypoint=b1,1\n";
    for (bool ballFirst : {true, false}) {
        SCOPED_TRACE(ballFirst ? "ball first" : "box first");
        CScene& s = build(text);
        CPhysicsBody& ball = *s.getBallBody(0);
        CPhysicsBody& waypointBox = *s.findBox("b1")->getBody();
        CPhysicsBody& goal = *s.findBox("goal")->getBody();

        // A sudden change of velocity seen in a contact: collision flag, and the ball's waypoint.
        ball.setVelocity(Ogre::Vector3(0, -6, 0));
        ballFirst ? s.processContact(ball, waypointBox) : s.processContact(waypointBox, ball);
        EXPECT_TRUE(s.takeCollisionEvent(0));
        EXPECT_EQ(s.getBallWaypoint(0), s.findWaypoint(s.findBox("b1")));

        ballFirst ? s.processContact(ball, goal) : s.processContact(goal, ball);
        EXPECT_EQ(s.getWinner(), 1);
        EXPECT_EQ(ball.getVelocity(), Ogre::Vector3::ZERO);
        EXPECT_EQ(s.getBallWaypoint(0), nullptr); // the goal has no waypoint
    }
}

TEST_F(SceneTest, editorModeDrawsMarkersAndBuildsNoPhysics)
{
    CScene& s = build(straightCourse(1), 1, true);
    Ogre::SceneManager* sm = ogre.sceneManager;
    EXPECT_EQ(s.getBallCount(), 0u);
    EXPECT_EQ(s.findBox("b1")->getBody(), nullptr);
    EXPECT_FALSE(sm->hasEntity("entityb1"));
    EXPECT_EQ(sm->getFogMode(), Ogre::FOG_NONE);
    EXPECT_TRUE(sm->hasBillboardSet("billboardlamp"));
    EXPECT_TRUE(sm->hasBillboardSet("startpointstart0"));
    EXPECT_TRUE(sm->hasBillboardSet("finishpointgoal"));
    // The finish marker floats 1 above the top centre of its box.
    EXPECT_EQ(sm->getSceneNode("finishPointNodegoal")->getPosition(), Ogre::Vector3(0, 1.5f, -2));
    EXPECT_EQ(sm->getSceneNode("finishPointNodegoal")->getScale(), Ogre::Vector3(0.005f));

    s.clearSelection();
    EXPECT_TRUE(s.addToSelection(s.findBox("goal")));
    EXPECT_FALSE(s.addToSelection(s.findBox("goal")));
    s.removeSelectedFromFinishPoints();
    EXPECT_TRUE(s.getFinishBoxes().empty());
    EXPECT_FALSE(sm->hasBillboardSet("finishpointgoal"));
    EXPECT_TRUE(sm->hasBillboardSet("startpointstart0"));
    ogre.frame(kFrame);
}

TEST_F(SceneTest, waypointsAreOnePerBoxAndLinkSymmetrically)
{
    CScene& s = build(straightCourse(2), 1, true);
    CBox* a = s.findBox("b1");
    CBox* b = s.findBox("b2");
    ASSERT_TRUE(s.addWaypoint(a, 3));
    EXPECT_FALSE(s.addWaypoint(a, 5));
    EXPECT_EQ(s.findWaypoint(a)->getWeight(), 3);
    EXPECT_FALSE(s.linkWaypoints(a, b)); // b has no waypoint
    ASSERT_TRUE(s.addWaypoint(b, 1));
    EXPECT_TRUE(s.linkWaypoints(a, b));
    EXPECT_FALSE(s.linkWaypoints(b, a));
    EXPECT_FALSE(s.linkWaypoints(a, a));
    ASSERT_EQ(s.findWaypoint(b)->getNeighbours().size(), 1u);
    EXPECT_EQ(s.findWaypoint(b)->getNeighbours()[0], s.findWaypoint(a));
    EXPECT_EQ(s.findWaypoint(a)->getPosition(), Ogre::Vector3(0, 0.5f, -1));
    EXPECT_NE(s.findWaypoint(a)->getId(), s.findWaypoint(b)->getId());

    EXPECT_TRUE(s.deleteBox(b));
    EXPECT_EQ(s.findBox("b2"), nullptr);
    EXPECT_TRUE(s.findWaypoint(a)->getNeighbours().empty());
}

TEST_F(SceneTest, monsterContactRulesHoldWhicheverBodyComesFirst)
{
    const std::string text = straightCourse(3) + "waypoint=b1,1,b3\nwaypoint=b3,1,b1\n" +
                             "monster=1,block,b1\nmonster=5,boulder,b3\n";
    for (bool monsterFirst : {true, false}) {
        SCOPED_TRACE(monsterFirst ? "monster first" : "monster second");
        CScene& s = build(text);
        ASSERT_EQ(s.getMonsters().size(), 2u);
        CMonster* block = s.getMonsters()[0];
        CMonster* boulder = s.getMonsters()[1];
        ASSERT_TRUE(block->hitsBall());
        ASSERT_FALSE(boulder->hitsBall());
        CPhysicsBody& ball = *s.getBallBody(0);
        auto touch = [&s, monsterFirst](CPhysicsBody& monster, CPhysicsBody& other) {
            monsterFirst ? s.processContact(monster, other) : s.processContact(other, monster);
        };

        // Touching a waypoint's box makes it the monster's last reached waypoint.
        touch(*block->getBody(), *s.findBox("b3")->getBody());
        EXPECT_EQ(block->getLastWaypoint(), s.findWaypoint(s.findBox("b3")));
        touch(*block->getBody(), *s.findBox("b2")->getBody()); // no waypoint there: unchanged
        EXPECT_EQ(block->getLastWaypoint(), s.findWaypoint(s.findBox("b3")));

        // A monster that only pushes leaves the ball where it is.
        s.takeResetEvent(0);
        ball.setPositionOrientation(Ogre::Vector3(0, 1.4f, -3), Ogre::Quaternion::IDENTITY);
        touch(*boulder->getBody(), ball);
        EXPECT_FALSE(s.takeResetEvent(0));
        // A monster that hits balls sends it back to its start.
        touch(*block->getBody(), ball);
        EXPECT_TRUE(s.takeResetEvent(0));
        EXPECT_EQ(ball.getPosition(), s.getStartPosition(1));
    }
}

TEST_F(SceneTest, firstBallOnTheFinishKeepsTheWinAndFireworksStartOnce)
{
    CScene& s = build(straightCourse(1, 2), 2);
    ASSERT_EQ(s.getBallCount(), 2u);
    CPhysicsBody& goal = *s.findBox("goal")->getBody();
    s.processContact(*s.getBallBody(1), goal);
    EXPECT_EQ(s.getWinner(), 2);
    const size_t effects = s.getParticleSystems().size();
    if (ogre.particlesAvailable) {
        EXPECT_EQ(effects, 1u); // "Firework" on the one finish box, named after it
    }
    s.processContact(goal, *s.getBallBody(1)); // resting on it: still the winner
    s.processContact(*s.getBallBody(0), goal); // arriving later does not take the win
    EXPECT_EQ(s.getWinner(), 2);
    EXPECT_EQ(s.getParticleSystems().size(), effects);

    s.restartRound();
    EXPECT_EQ(s.getWinner(), 0);
    EXPECT_TRUE(s.getParticleSystems().empty());
}

TEST_F(SceneTest, editorLightOperationsWorkByName)
{
    CScene& s = build("", 1, true);
    ASSERT_TRUE(s.addLight("lamp", Ogre::Vector3(1, 2, 3), Ogre::ColourValue(1, 0, 0),
                           Ogre::ColourValue(0, 1, 0), 100.0f));
    Ogre::Vector3 position;
    Ogre::ColourValue diffuse, specular;
    float range = 0.0f;
    ASSERT_TRUE(s.getLightValues("lamp", position, diffuse, specular, range));
    EXPECT_EQ(position, Ogre::Vector3(1, 2, 3));
    EXPECT_EQ(diffuse, Ogre::ColourValue(1, 0, 0));
    EXPECT_EQ(specular, Ogre::ColourValue(0, 1, 0));
    EXPECT_FLOAT_EQ(range, 100.0f);
    EXPECT_FALSE(s.getLightValues("nolamp", position, diffuse, specular, range));

    ASSERT_TRUE(s.setLightValues("lamp", Ogre::Vector3(4, 5, 6), Ogre::ColourValue(0, 0, 1),
                                 Ogre::ColourValue(1, 1, 1), 20.0f));
    const Ogre::Light* light = ogre.sceneManager->getLight("lightlamp");
    EXPECT_EQ(light->getParentSceneNode()->getPosition(), Ogre::Vector3(4, 5, 6));
    EXPECT_FLOAT_EQ(light->getAttenuationLinear(), 4.5f / 20.0f);
    EXPECT_FLOAT_EQ(light->getAttenuationQuadric(), 75.0f / 400.0f);
    EXPECT_FALSE(s.setLightColours("lamp", diffuse, specular, 0.0f)); // no division by zero

    EXPECT_TRUE(s.deleteLight("lamp"));
    EXPECT_FALSE(s.deleteLight("lamp"));
    EXPECT_TRUE(s.getLights().empty());
    EXPECT_FALSE(ogre.sceneManager->hasSceneNode("lightNodelamp"));
    EXPECT_FALSE(ogre.sceneManager->hasBillboardSet("billboardlamp"));
    // The name is free again.
    EXPECT_TRUE(s.addLight("lamp", Ogre::Vector3::ZERO, diffuse, specular, 10.0f));
}

TEST_F(SceneTest, removingAWaypointIsRefusedWhileAMonsterStartsOnIt)
{
    const std::string text =
        straightCourse(2) + "waypoint=b1,1,b2\nwaypoint=b2,1,b1\n" + "monster=5,boulder,b1\n";
    CScene& s = build(text, 1, true);
    ASSERT_EQ(s.getMonsters().size(), 1u);
    EXPECT_FALSE(s.removeWaypoint(s.findBox("b1")));
    EXPECT_FALSE(s.deleteBox(s.findBox("b1"))); // its waypoint carries the monster
    EXPECT_NE(s.findBox("b1"), nullptr);

    EXPECT_TRUE(s.removeWaypoint(s.findBox("b2")));
    EXPECT_EQ(s.findWaypoint(s.findBox("b2")), nullptr);
    EXPECT_TRUE(s.findWaypoint(s.findBox("b1"))->getNeighbours().empty());

    EXPECT_TRUE(s.deleteMonster("boulder"));
    EXPECT_FALSE(s.deleteMonster("boulder"));
    EXPECT_TRUE(s.deleteBox(s.findBox("b1")));
    EXPECT_TRUE(s.getWaypoints().empty());
    EXPECT_TRUE(s.deleteGrid("course"));
    EXPECT_TRUE(s.getGrids().empty());
    EXPECT_TRUE(s.getStartBoxes().empty());
    EXPECT_TRUE(s.getFinishBoxes().empty());
}

TEST_F(SceneTest, namesThatCollideWithOtherEngineObjectsNeverBreakTheLevel)
{
    // A monster and a light of one name both have a "billboard" marker in the editor.
    const std::string monsterFirst = maptext::box("a", "stone", "g", Ogre::Vector3::ZERO) +
                                     "waypoint=a,1\nmonster=0,lamp,a\n" +
                                     maptext::light("lamp", Ogre::Vector3(0, 5, 0), 20.0f);
    CScene* s = nullptr;
    ASSERT_NO_THROW(s = &build(monsterFirst, 0, true));
    ASSERT_EQ(s->getLights().size(), 1u);
    ASSERT_EQ(s->getMonsters().size(), 1u);
    ASSERT_TRUE(s->deleteLight("lamp"));
    EXPECT_TRUE(ogre.sceneManager->hasBillboardSet("billboardlamp")) << "the monster's marker";
    EXPECT_TRUE(s->addLight("lamp", Ogre::Vector3(1, 5, 0), Ogre::ColourValue::White,
                            Ogre::ColourValue::White, 20.0f));

    // Box geometry carries the plain box name, which a waypoint link line may also want.
    const unsigned long first = CWaypoint::getCreatedCount() + 1;
    const std::string a = std::to_string(first);
    const std::string b = std::to_string(first + 1);
    const std::string lines = maptext::box("waypoint_" + a + "_line_" + b, "stone", "g",
                                           Ogre::Vector3::ZERO) +
                              maptext::box("waypoint_" + b + "_line_" + a, "stone", "g",
                                           Ogre::Vector3(1, 0, 0)) +
                              "waypoint=waypoint_" + a + "_line_" + b + ",1,waypoint_" + b +
                              "_line_" + a + "\nwaypoint=waypoint_" + b + "_line_" + a + ",1\n";
    ASSERT_NO_THROW(s = &build(lines, 0, true));
    ASSERT_EQ(s->getWaypoints().size(), 2u);
    EXPECT_EQ(s->getWaypoints()[0]->getNeighbours().size(), 1u);
}

TEST_F(SceneTest, restartStopsOnlyTheFireworksThatReallyStarted)
{
    if (!ogre.particlesAvailable)
        GTEST_SKIP() << "no particle plug-in";
    CScene& s = build(straightCourse(3));
    // An effect that already carries the finish box's name: the fireworks cannot take it.
    const std::string fire = s.startParticleEffect(CScene::EFFECT_FIRE, Ogre::Vector3::ZERO,
                                                   Ogre::Vector3::UNIT_SCALE, "goal");
    ASSERT_EQ(fire, "goal");
    settle();
    ASSERT_TRUE(runUntil(
        [&s] {
            s.getBallForces()[0] = Ogre::Vector3(0, 0, -40);
            return s.getWinner() != 0;
        },
        15.0f));
    s.restartRound();
    EXPECT_TRUE(ogre.sceneManager->hasParticleSystem("goal")) << "someone else's effect stopped";
}

TEST_F(SceneTest, aLevelThatFailsToBuildLeavesNothingPointingAtIt)
{
    // Something already holds a name the scene needs, so building throws half way.
    ogre.sceneManager->getRootSceneNode()->createChildSceneNode("camNodePoint");
    testenv::writeFile("data/maps/test.kivom", straightCourse(2));
    EXPECT_ANY_THROW(CScene(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName, "", "",
                            "", false, "test.kivom", 1, 1, nullptr));
    EXPECT_EQ(CScene::current(), nullptr);
    ogre.frame(kFrame); // no frame listener of the failed scene is left registered
    EXPECT_NO_THROW(build(straightCourse(2)));
}
