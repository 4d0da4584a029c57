// Building a level, running it every frame, its contact rules and its teardown.
#include "world/scene.h"

#include "world/ball_look.h"
#include "world/ball_shadow.h"

#include "world/box.h"
#include "world/box_grid.h"
#include "world/map_io.h"
#include "world/monster.h"
#include "world/paths.h"
#include "world/waypoint.h"

#include <OgreBillboard.h>
#include <OgreBillboardSet.h>
#include <OgreCamera.h>
#include <OgreEntity.h>
#include <OgreLight.h>
#include <OgreLogManager.h>
#include <OgreMaterialManager.h>
#include <OgreMeshManager.h>
#include <OgreRoot.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>
#include <iterator>

namespace {

CScene* sCurrentScene = nullptr;
int sBoxCounter = 0;
// Every scene alive, oldest first.
std::vector<CScene*> sLiveScenes;

const char* const kBaseNodeName = "SceneNode1";
const char* const kPhysicsWorldName = "main";
const char* const kLightPrefix = "light";
const char* const kLightNodePrefix = "lightNode";
const char* const kBallPrefix = "Ball";
const char* const kBallMesh = "ellipsoid.mesh";
const char* const kBallFallbackMaterial = "sphere";
const char* const kCameraPointNodeNames[CScene::kMaxCameras] = {"camNodePoint", "camNodePoint2",
                                                                "camNodePoint3", "camNodePoint4"};
const char* const kCameraNodeNames[CScene::kMaxCameras] = {"camNode", "camNode2", "camNode3",
                                                           "camNode4"};

const Ogre::ColourValue kStartAmbient(0.1f, 0.1f, 0.1f, 1.0f);
const Ogre::ColourValue kFogColour = Ogre::ColourValue::Black;
constexpr float kFogDensity = 1.0f;
constexpr float kFogStart = 25.0f;
constexpr float kFogEnd = 30.0f;
// Past the fog's end a level is black: the cameras of a round draw nothing beyond it, which
// spares every view the boxes it could not show anyway.
constexpr float kGameFarClip = kFogEnd + 1.0f;
const Ogre::Vector3 kCameraOffset(0.0f, 10.0f, 10.0f);
constexpr int kMaxUpdatesPerFrame = 5;
constexpr float kUpdateRate = 100.0f;

constexpr float kMarkerScale = 0.005f;
constexpr float kMarkerHeight = 1.0f;
constexpr size_t kMarkerPoolSize = 20;
const char* const kLightMarkerPrefix = "billboard";
const char* const kLightMarkerMaterial = "light";
const char* const kStartMarkerPrefix = "startpoint";
const char* const kStartMarkerNodePrefix = "startPointNode";
const char* const kFinishMarkerPrefix = "finishpoint";
const char* const kFinishMarkerNodePrefix = "finishPointNode";

// Light attenuation: range r, constant 1, linear 4.5 / r, quadratic 75 / r^2.
constexpr float kAttenuationConstant = 1.0f;
constexpr float kAttenuationLinear = 4.5f;
constexpr float kAttenuationQuadratic = 75.0f;

// The small light every ball carries, in the colour of the player whose ball it is.
constexpr float kBallLightRange = 4.0f;
constexpr float kBallLightConstant = 1.0f;
constexpr float kBallLightLinear = 1.125f;
constexpr float kBallLightQuadratic = 4.6875f;

constexpr std::intptr_t kResetRequested = 1;

bool materialExists(const std::string& name)
{
    return Ogre::MaterialManager::getSingleton().resourceExists(name);
}

const float kMinLightRange = kMapMinLightRange;

void setLightAttenuation(Ogre::Light* light, float range)
{
    // The linear and quadratic terms divide by the range: a vanishing range would make them
    // infinite.
    range = std::max(range, kMinLightRange);
    light->setAttenuation(range, kAttenuationConstant, kAttenuationLinear / range,
                          kAttenuationQuadratic / (range * range));
}

// Destroys a node with its children; what hangs on them is destroyed too, or only detached
// (cameras belong to whoever made them).
void destroyNodeTree(Ogre::SceneManager* manager, Ogre::SceneNode* node, bool destroyObjects)
{
    while (node->numChildren() > 0)
        destroyNodeTree(manager, static_cast<Ogre::SceneNode*>(node->getChild(0)), destroyObjects);
    while (node->numAttachedObjects() > 0) {
        Ogre::MovableObject* object = node->detachObject(static_cast<unsigned short>(0));
        if (destroyObjects)
            manager->destroyMovableObject(object);
    }
    manager->destroySceneNode(node);
}

} // namespace

CScene* CScene::current()
{
    return sCurrentScene;
}

int CScene::getBoxCounter()
{
    return sBoxCounter;
}

CScene::CScene(const std::string& sceneManagerName, const std::string& camera1,
               const std::string& camera2, const std::string& camera3, const std::string& camera4,
               bool editorMode, const std::string& mapName, int playerCount, int localPlayer,
               Ogre::RenderWindow* window)
    : mWindow(window), mEditorMode(editorMode), mPlayerCount(playerCount),
      mLocalPlayer(localPlayer), mMapName(mapName)
{
    mRoot = Ogre::Root::getSingletonPtr();
    mSceneManager = mRoot->getSceneManager(sceneManagerName);
    // A build that fails half way must not leave the current-scene pointer or frame listeners
    // behind pointing at this object.
    try {
        build(camera1, camera2, camera3, camera4);
    } catch (...) {
        tearDown();
        throw;
    }
}

void CScene::build(const std::string& camera1, const std::string& camera2,
                   const std::string& camera3, const std::string& camera4)
{
    sLiveScenes.push_back(this);
    sCurrentScene = this;
    mWinner = 0;

    mSceneManager->setAmbientLight(kStartAmbient);
    if (!mEditorMode)
        mSceneManager->setFog(Ogre::FOG_LINEAR, kFogColour, kFogDensity, kFogStart, kFogEnd);

    setUpCameras({camera1, camera2, camera3, camera4});
    mBaseNode = mSceneManager->getRootSceneNode()->createChildSceneNode(kBaseNodeName);
    setUpPhysics();

    if (!mMapName.empty()) {
        CIOMap map;
        if (map.openForReading(paths::mapFile(mMapName)))
            map.readIntoScene(*this);
    }
    if (!mEditorMode) {
        createBoxPhysics();
        createBalls();
    }
    mBuilt = true;
    mRoot->addFrameListener(this);
}

CScene::~CScene()
{
    tearDown();
}

void CScene::tearDown()
{
    sLiveScenes.erase(std::remove(sLiveScenes.begin(), sLiveScenes.end(), this), sLiveScenes.end());
    // Another scene on the same scene manager (one built while this one still lived, or the
    // one whose place this failed build was to take) keeps everything that is its own.
    const bool shared = std::any_of(sLiveScenes.begin(), sLiveScenes.end(), [this](CScene* other) {
        return other->mSceneManager == mSceneManager;
    });
    stopAllParticleEffects();

    for (CWaypoint* waypoint : mWaypoints)
        delete waypoint;
    mWaypoints.clear();
    mWaypointsByBox.clear();
    mBoxesByName.clear();
    mBoxesByBody.clear();
    mSelection.clear();
    mStartBoxes.clear();
    mFinishBoxes.clear();
    mGrids.clear();
    mBallForces.clear();
    for (CMonster* monster : mMonsters)
        delete monster;
    mMonsters.clear();
    for (SBall& ball : mBalls) {
        ball.body.reset();
        ball.shadow.reset();
    }

    if (shared) {
        if (mBaseNode)
            destroyNodeTree(mSceneManager, mBaseNode, true);
        for (Ogre::SceneNode* point : mCameraPointNodes)
            if (point)
                destroyNodeTree(mSceneManager, point, false);
    } else {
        sBoxCounter = 0;
        mSceneManager->clearScene();
    }
    mBaseNode = nullptr;
    mCameraPointNodes.fill(nullptr);
    mCameraNodes.fill(nullptr);

    if (mPhysicsListenerRegistered)
        mRoot->removeFrameListener(mPhysicsListener.get());
    mPhysicsListener.reset();
    mRoot->removeFrameListener(this);
    mWorld.reset();
    mBalls.clear();
    mLights.clear();
    if (sCurrentScene == this)
        sCurrentScene = sLiveScenes.empty() ? nullptr : sLiveScenes.back();
}

void CScene::setUpCameras(const std::array<std::string, kMaxCameras>& cameraNames)
{
    for (int i = 0; i < kMaxCameras; ++i) {
        if (cameraNames[i].empty() || !mSceneManager->hasCamera(cameraNames[i]))
            continue;
        Ogre::Camera* camera = mSceneManager->getCamera(cameraNames[i]);
        if (camera->isAttached())
            camera->detachFromParent();
        Ogre::SceneNode* point =
            mSceneManager->getRootSceneNode()->createChildSceneNode(kCameraPointNodeNames[i]);
        Ogre::SceneNode* node = point->createChildSceneNode(kCameraNodeNames[i]);
        node->attachObject(camera);
        node->setPosition(kCameraOffset);
        node->lookAt(point->_getDerivedPosition(), Ogre::Node::TS_WORLD,
                     Ogre::Vector3::NEGATIVE_UNIT_Z);
        // A camera whose near plane lies beyond that (Ogre's default is 100) keeps its own far one.
        if (!mEditorMode && camera->getNearClipDistance() < kGameFarClip)
            camera->setFarClipDistance(kGameFarClip);
        mCameras[i] = camera;
        mCameraPointNodes[i] = point;
        mCameraNodes[i] = node;
    }
}

void CScene::setUpPhysics()
{
    mWorld = std::make_unique<CPhysicsWorld>(kUpdateRate, kMaxUpdatesPerFrame, kPhysicsWorldName);
    mPhysicsListener = std::make_unique<CPhysicsFrameListener>(mWindow, *mWorld, kUpdateRate);
    mRoot->addFrameListener(mPhysicsListener.get());
    mPhysicsListenerRegistered = true;
    mMaterialGroup = mWorld->createMaterialGroupID();
    mWorld->setContactListener(mMaterialGroup, this);
}

void CScene::createBoxPhysics()
{
    for (const auto& grid : mGrids) {
        for (const auto& box : grid->getBoxes()) {
            box->createPhysics(mMaterialGroup);
            mBoxesByBody[box->getBody()] = box.get();
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Boxes and grids

bool CScene::findBox(const std::string& name, CBox*& box) const
{
    box = findBox(name);
    return box != nullptr;
}

CBox* CScene::findBox(const std::string& name) const
{
    const auto known = mBoxesByName.find(name);
    if (known != mBoxesByName.end())
        return known->second;
    // Boxes put into a grid directly (not through the scene) are still found.
    for (const auto& grid : mGrids) {
        for (const auto& box : grid->getBoxes()) {
            if (box->getName() == name)
                return box.get();
        }
    }
    return nullptr;
}

CBoxGrid* CScene::findGrid(const std::string& name) const
{
    for (const auto& grid : mGrids) {
        if (grid->getName() == name)
            return grid.get();
    }
    return nullptr;
}

CBox* CScene::addBox(const std::string& name, const std::string& material,
                     const std::string& gridName, const Ogre::Vector3& position,
                     const Vertices* vertices, bool fitTexture)
{
    CBoxGrid* grid = findGrid(gridName);
    if (!grid) {
        mGrids.push_back(
            std::make_unique<CBoxGrid>(gridName, material, mSceneManager, mWorld.get()));
        grid = mGrids.back().get();
    }
    ++sBoxCounter;
    CBox* box = grid->addBox(name, material, 1.0f, fitTexture, vertices);
    box->setPosition(position);
    mBoxesByName[box->getName()] = box;
    // Boxes added to a running game (not from its map) get their body at once.
    if (!mEditorMode && mBuilt) {
        box->createPhysics(mMaterialGroup);
        mBoxesByBody[box->getBody()] = box;
    }
    return box;
}

CBoxGrid* CScene::createGrid(const std::string& name, const std::string& material, int countX,
                             int countY, const Ogre::Vector3& origin, float edge)
{
    if (findGrid(name))
        return nullptr;
    mGrids.push_back(std::make_unique<CBoxGrid>(name, material, mSceneManager, mWorld.get()));
    CBoxGrid* grid = mGrids.back().get();
    for (int i = 0; i < countX; ++i) {
        for (int j = 0; j < countY; ++j) {
            ++sBoxCounter;
            CBox* box =
                grid->addBox("box" + std::to_string(sBoxCounter), material, edge, false, nullptr);
            box->setPosition(origin + Ogre::Vector3(edge * i, 0.0f, edge * j));
            mBoxesByName[box->getName()] = box;
        }
    }
    return grid;
}

bool CScene::deleteBox(CBox* box)
{
    if (!box)
        return false;
    CWaypoint* waypoint = findWaypoint(box);
    if (waypoint && !removeWaypoint(box))
        return false;
    mSelection.erase(std::remove(mSelection.begin(), mSelection.end(), box), mSelection.end());
    if (std::find(mStartBoxes.begin(), mStartBoxes.end(), box) != mStartBoxes.end()) {
        removeMarker(box, kStartMarkerPrefix, kStartMarkerNodePrefix);
        mStartBoxes.erase(std::remove(mStartBoxes.begin(), mStartBoxes.end(), box),
                          mStartBoxes.end());
    }
    if (std::find(mFinishBoxes.begin(), mFinishBoxes.end(), box) != mFinishBoxes.end()) {
        removeMarker(box, kFinishMarkerPrefix, kFinishMarkerNodePrefix);
        mFinishBoxes.erase(std::remove(mFinishBoxes.begin(), mFinishBoxes.end(), box),
                           mFinishBoxes.end());
    }
    mBoxesByName.erase(box->getName());
    mBoxesByBody.erase(box->getBody());
    for (const auto& grid : mGrids) {
        if (grid->removeBox(box))
            return true;
    }
    return false;
}

bool CScene::deleteGrid(const std::string& name)
{
    CBoxGrid* grid = findGrid(name);
    if (!grid)
        return false;
    std::vector<CBox*> boxes;
    for (const auto& box : grid->getBoxes())
        boxes.push_back(box.get());
    bool all = true;
    for (CBox* box : boxes)
        all = deleteBox(box) && all;
    if (grid->getBoxes().empty()) {
        mGrids.erase(std::find_if(mGrids.begin(), mGrids.end(),
                                  [grid](const auto& g) { return g.get() == grid; }));
    }
    return all;
}

// ---------------------------------------------------------------------------------------------
// Lights

bool CScene::addLight(const std::string& name, const Ogre::Vector3& position,
                      const Ogre::ColourValue& diffuse, const Ogre::ColourValue& specular,
                      float range, size_t place)
{
    const std::string lightName = kLightPrefix + name;
    const std::string nodeName = kLightNodePrefix + name;
    if (mSceneManager->hasLight(lightName) || mSceneManager->hasSceneNode(nodeName) ||
        range <= 0.0f)
        return false;
    Ogre::SceneNode* node = mBaseNode->createChildSceneNode(nodeName);
    if (mEditorMode) {
        // A monster's marker shares the "billboard" prefix: a name already taken gets "_" added.
        std::string markerName = kLightMarkerPrefix + name;
        while (mSceneManager->hasBillboardSet(markerName))
            markerName += "_";
        Ogre::BillboardSet* set = mSceneManager->createBillboardSet(markerName, kMarkerPoolSize);
        if (materialExists(kLightMarkerMaterial))
            set->setMaterialName(kLightMarkerMaterial);
        node->setScale(Ogre::Vector3(kMarkerScale));
        node->attachObject(set);
        set->createBillboard(Ogre::Vector3::ZERO, Ogre::ColourValue::White);
    }
    node->setPosition(position);
    Ogre::Light* light = mSceneManager->createLight(lightName);
    light->setType(Ogre::Light::LT_POINT);
    light->setDiffuseColour(diffuse);
    light->setSpecularColour(specular);
    setLightAttenuation(light, range);
    node->attachObject(light);
    mLights.insert(mLights.begin() + static_cast<std::ptrdiff_t>(std::min(place, mLights.size())),
                   light);
    return true;
}

bool CScene::getLightValues(const std::string& name, Ogre::Vector3& position,
                            Ogre::ColourValue& diffuse, Ogre::ColourValue& specular,
                            float& range) const
{
    const std::string lightName = kLightPrefix + name;
    if (!mSceneManager->hasLight(lightName))
        return false;
    Ogre::Light* light = mSceneManager->getLight(lightName);
    position = light->getParentSceneNode() ? light->getParentSceneNode()->getPosition()
                                           : Ogre::Vector3::ZERO;
    diffuse = light->getDiffuseColour();
    specular = light->getSpecularColour();
    range = light->getAttenuationRange();
    return true;
}

bool CScene::setLightValues(const std::string& name, const Ogre::Vector3& position,
                            const Ogre::ColourValue& diffuse, const Ogre::ColourValue& specular,
                            float range)
{
    if (!setLightColours(name, diffuse, specular, range))
        return false;
    Ogre::Light* light = mSceneManager->getLight(kLightPrefix + name);
    if (light->getParentSceneNode())
        light->getParentSceneNode()->setPosition(position);
    return true;
}

bool CScene::setLightColours(const std::string& name, const Ogre::ColourValue& diffuse,
                             const Ogre::ColourValue& specular, float range)
{
    const std::string lightName = kLightPrefix + name;
    if (!mSceneManager->hasLight(lightName) || range <= 0.0f)
        return false;
    Ogre::Light* light = mSceneManager->getLight(lightName);
    light->setDiffuseColour(diffuse);
    light->setSpecularColour(specular);
    setLightAttenuation(light, range);
    return true;
}

bool CScene::deleteLight(const std::string& name)
{
    const std::string lightName = kLightPrefix + name;
    auto it = std::find_if(mLights.begin(), mLights.end(),
                           [&lightName](Ogre::Light* l) { return l->getName() == lightName; });
    if (it == mLights.end())
        return false;
    Ogre::SceneNode* node = (*it)->getParentSceneNode();
    mSceneManager->destroyLight(*it);
    mLights.erase(it);
    // The marker is whatever billboard set hangs on the light's node (its name may carry "_").
    if (node) {
        while (node->numAttachedObjects() > 0) {
            Ogre::MovableObject* marker = node->detachObject(static_cast<unsigned short>(0));
            mSceneManager->destroyMovableObject(marker);
        }
        mSceneManager->destroySceneNode(node);
    }
    return true;
}

void CScene::setAmbientLight(const Ogre::ColourValue& colour)
{
    mSceneManager->setAmbientLight(colour);
}

Ogre::ColourValue CScene::getAmbientLight() const
{
    return mSceneManager->getAmbientLight();
}

// ---------------------------------------------------------------------------------------------
// Selection, start and finish points

void CScene::clearSelection()
{
    for (CBox* box : mSelection) {
        if (box->getNode())
            box->getNode()->showBoundingBox(false);
    }
    mSelection.clear();
}

bool CScene::addToSelection(CBox* box)
{
    if (!box || std::find(mSelection.begin(), mSelection.end(), box) != mSelection.end())
        return false;
    mSelection.push_back(box);
    if (mEditorMode && box->getNode())
        box->getNode()->showBoundingBox(true);
    return true;
}

void CScene::addMarker(CBox* box, const std::string& setPrefix, const std::string& nodePrefix)
{
    const std::string setName = setPrefix + box->getName();
    const std::string nodeName = nodePrefix + box->getName();
    if (mSceneManager->hasBillboardSet(setName) || mSceneManager->hasSceneNode(nodeName))
        return;
    Ogre::BillboardSet* set = mSceneManager->createBillboardSet(setName, kMarkerPoolSize);
    if (materialExists(setPrefix))
        set->setMaterialName(setPrefix);
    Ogre::SceneNode* node = mBaseNode->createChildSceneNode(nodeName);
    node->setScale(Ogre::Vector3(kMarkerScale));
    node->setPosition(
        box->getPosition() +
        Ogre::Vector3(0.0f, box->getVertices()[CBox::kTopCentre].y + kMarkerHeight, 0.0f));
    node->attachObject(set);
    set->createBillboard(Ogre::Vector3::ZERO, Ogre::ColourValue::White);
}

void CScene::removeMarker(CBox* box, const std::string& setPrefix, const std::string& nodePrefix)
{
    const std::string setName = setPrefix + box->getName();
    const std::string nodeName = nodePrefix + box->getName();
    if (mSceneManager->hasBillboardSet(setName))
        mSceneManager->destroyBillboardSet(setName);
    if (mSceneManager->hasSceneNode(nodeName))
        mSceneManager->destroySceneNode(nodeName);
}

bool CScene::addPoint(CBox* box, bool start)
{
    std::vector<CBox*>& points = start ? mStartBoxes : mFinishBoxes;
    if (!box || std::find(points.begin(), points.end(), box) != points.end())
        return false;
    if (mEditorMode) {
        if (start)
            addMarker(box, kStartMarkerPrefix, kStartMarkerNodePrefix);
        else
            addMarker(box, kFinishMarkerPrefix, kFinishMarkerNodePrefix);
    }
    points.push_back(box);
    return true;
}

void CScene::setPoints(const std::vector<CBox*>& boxes, bool start)
{
    std::vector<CBox*>& points = start ? mStartBoxes : mFinishBoxes;
    for (CBox* box : points) {
        if (std::find(boxes.begin(), boxes.end(), box) != boxes.end())
            continue;
        if (start)
            removeMarker(box, kStartMarkerPrefix, kStartMarkerNodePrefix);
        else
            removeMarker(box, kFinishMarkerPrefix, kFinishMarkerNodePrefix);
    }
    points.clear();
    for (CBox* box : boxes)
        addPoint(box, start);
}

void CScene::addSelectedAsStartPoints()
{
    for (CBox* box : mSelection)
        addPoint(box, true);
}

void CScene::addSelectedAsFinishPoints()
{
    for (CBox* box : mSelection)
        addPoint(box, false);
}

void CScene::removeSelectedFromStartPoints()
{
    for (CBox* box : mSelection) {
        auto it = std::find(mStartBoxes.begin(), mStartBoxes.end(), box);
        if (it == mStartBoxes.end())
            continue;
        removeMarker(box, kStartMarkerPrefix, kStartMarkerNodePrefix);
        mStartBoxes.erase(it);
    }
}

void CScene::removeSelectedFromFinishPoints()
{
    for (CBox* box : mSelection) {
        auto it = std::find(mFinishBoxes.begin(), mFinishBoxes.end(), box);
        if (it == mFinishBoxes.end())
            continue;
        removeMarker(box, kFinishMarkerPrefix, kFinishMarkerNodePrefix);
        mFinishBoxes.erase(it);
    }
}

// ---------------------------------------------------------------------------------------------
// Waypoints and monsters

bool CScene::addWaypoint(CBox* box, int weight)
{
    if (!box || findWaypoint(box))
        return false;
    mWaypoints.push_back(new CWaypoint(weight, mSceneManager, box, mEditorMode));
    mWaypointsByBox[box] = mWaypoints.back();
    return true;
}

CWaypoint* CScene::findWaypoint(const CBox* box) const
{
    const auto it = mWaypointsByBox.find(box);
    return it != mWaypointsByBox.end() ? it->second : nullptr;
}

bool CScene::linkWaypoints(CBox* a, CBox* b)
{
    CWaypoint* first = findWaypoint(a);
    CWaypoint* second = findWaypoint(b);
    return first && second && first->link(second);
}

bool CScene::unlinkWaypoints(CBox* a, CBox* b)
{
    CWaypoint* first = findWaypoint(a);
    CWaypoint* second = findWaypoint(b);
    return first && second && first->unlink(second);
}

void CScene::addWaypointsOnSelection(int weight)
{
    for (CBox* box : mSelection)
        addWaypoint(box, weight);
}

void CScene::setWeightOnSelection(int weight)
{
    for (CBox* box : mSelection) {
        if (CWaypoint* waypoint = findWaypoint(box))
            waypoint->setWeight(weight);
    }
}

bool CScene::removeWaypoint(CBox* box)
{
    CWaypoint* waypoint = findWaypoint(box);
    if (!waypoint)
        return false;
    for (CMonster* monster : mMonsters) {
        if (monster->getStartWaypoint() == waypoint)
            return false;
    }
    for (CMonster* monster : mMonsters) {
        if (monster->getLastWaypoint() == waypoint)
            monster->setLastWaypoint(monster->getStartWaypoint());
    }
    for (SBall& ball : mBalls) {
        if (ball.waypoint == waypoint)
            ball.waypoint = nullptr;
    }
    mWaypoints.erase(std::find(mWaypoints.begin(), mWaypoints.end(), waypoint));
    mWaypointsByBox.erase(box);
    delete waypoint;
    return true;
}

bool CScene::addMonster(int kind, const std::string& name, CWaypoint* start)
{
    if (!start || kind < 0 || kind >= CMonster::kKindCount)
        return false;
    for (CMonster* monster : mMonsters) {
        if (monster->getName() == name || monster->getStartWaypoint() == start)
            return false;
    }
    CMonster* monster = createMonster(kind, name, start, *this);
    if (!monster)
        return false;
    mMonsters.push_back(monster);
    return true;
}

bool CScene::deleteMonster(const std::string& name)
{
    auto it = std::find_if(mMonsters.begin(), mMonsters.end(),
                           [&name](CMonster* m) { return m->getName() == name; });
    if (it == mMonsters.end())
        return false;
    delete *it;
    mMonsters.erase(it);
    return true;
}

Ogre::SceneNode* CScene::getCameraPointNode(int camera) const
{
    if (camera < 1 || camera > kMaxCameras)
        return nullptr;
    return mCameraPointNodes[camera - 1];
}

// ---------------------------------------------------------------------------------------------
// Balls

void CScene::createBalls()
{
    for (int i = 0; i < mPlayerCount; ++i) {
        if (mStartBoxes.size() <= mBalls.size())
            break;
        createBall(i);
    }
}

void CScene::createBall(int index)
{
    SBall ball;
    const std::string name = kBallPrefix + std::to_string(index);
    ball.node = mBaseNode->createChildSceneNode(name);
    ball.node->setScale(Ogre::Vector3(kBallSize));
    if (Ogre::MeshManager::getSingleton().resourceExists(kBallMesh) ||
        Ogre::ResourceGroupManager::getSingleton().resourceExistsInAnyGroup(kBallMesh)) {
        ball.entity = mSceneManager->createEntity(name, kBallMesh);
        // Each player's ball in its player's colour; the shared marble only when that is missing.
        std::string material = balllook::playerBallMaterial(index + 1);
        if (material.empty() && materialExists(kBallFallbackMaterial))
            material = kBallFallbackMaterial;
        if (!material.empty())
            ball.entity->setMaterialName(material);
        ball.node->attachObject(ball.entity);
    } else {
        Ogre::LogManager::getSingleton().logError(std::string("CScene: no mesh ") + kBallMesh +
                                                  ": the ball is not drawn");
    }

    ball.body = std::make_unique<CPhysicsBody>(
        *mWorld, CCollisionShape::createEllipsoid(Ogre::Vector3(kBallSize * 0.5f)));
    CPhysicsBody& body = *ball.body;
    body.setPositionOrientation(getStartPosition(index + 1), Ogre::Quaternion::IDENTITY);
    Ogre::Vector3 inertia;
    Ogre::Vector3 centre;
    body.getCollision()->calculateInertialMatrix(inertia, centre);
    body.setMassMatrix(kBallMass, inertia);
    body.setCentreOfMass(centre);
    body.attachNode(ball.node);

    mBallForces.push_back(Ogre::Vector3::ZERO);
    body.setForceCallback([this](CPhysicsBody& b, float step) { applyBallForce(b, step); });
    body.setMaterialGroupID(mMaterialGroup);
    body.setLinearDamping(0.0f);
    body.setAngularDamping(0.0f);
    ball.lastVelocity = body.getVelocity();

    const int count = static_cast<int>(mBalls.size()) + 1;
    if (count <= balllook::kColouredPlayers) {
        ball.light = mSceneManager->createLight();
        ball.light->setType(Ogre::Light::LT_POINT);
        ball.light->setAttenuation(kBallLightRange, kBallLightConstant, kBallLightLinear,
                                   kBallLightQuadratic);
        ball.light->setDiffuseColour(balllook::playerColour(count));
        ball.node->attachObject(ball.light);
    }
    ball.shadow = std::make_unique<CBallShadow>(mSceneManager, name, kBallSize * 0.5f);
    mBalls.push_back(std::move(ball));
}

void CScene::applyBallForce(CPhysicsBody& body, float step)
{
    if (body.getUserData()) {
        body.setOmega(Ogre::Vector3::ZERO);
        body.setVelocity(Ogre::Vector3::ZERO);
        body.setUserData(0);
    }
    const int index = findBall(body);
    Ogre::Vector3 force = Ogre::Vector3::ZERO;
    if (index >= 0 && static_cast<size_t>(index) < mBallForces.size())
        force = mBallForces[index];
    const Ogre::Vector3 gravity(0.0f, -kGravity * body.getMass(), 0.0f);
    body.addForce(kForceScale * step * (force + gravity));
}

int CScene::findBall(const CPhysicsBody& body) const
{
    for (size_t i = 0; i < mBalls.size(); ++i) {
        if (mBalls[i].body.get() == &body)
            return static_cast<int>(i);
    }
    return -1;
}

bool CScene::validBall(int index) const
{
    return index >= 0 && static_cast<size_t>(index) < mBalls.size() && mBalls[index].body;
}

const CBallShadow* CScene::getBallShadow(int index) const
{
    return validBall(index) ? mBalls[index].shadow.get() : nullptr;
}

CPhysicsBody* CScene::getBallBody(int index) const
{
    return validBall(index) ? mBalls[index].body.get() : nullptr;
}

bool CScene::takeCollisionEvent(int index)
{
    if (!validBall(index))
        return false;
    const bool event = mBalls[index].collisionEvent;
    mBalls[index].collisionEvent = false;
    return event;
}

bool CScene::takeResetEvent(int index)
{
    if (!validBall(index))
        return false;
    const bool event = mBalls[index].resetEvent;
    mBalls[index].resetEvent = false;
    return event;
}

bool CScene::getBallState(int index, Ogre::Vector3& position, Ogre::Vector3& velocity,
                          Ogre::Vector3& omega) const
{
    if (!validBall(index))
        return false;
    const CPhysicsBody& body = *mBalls[index].body;
    position = body.getPosition();
    velocity = body.getVelocity();
    omega = body.getOmega();
    return true;
}

bool CScene::correctBall(int index, const Ogre::Vector3& position, float threshold)
{
    if (!validBall(index))
        return false;
    CPhysicsBody& body = *mBalls[index].body;
    if (body.getPosition().distance(position) <= threshold)
        return false;
    body.setPositionOrientation(position, Ogre::Quaternion::IDENTITY);
    return true;
}

bool CScene::setBallVelocity(int index, const Ogre::Vector3& velocity, const Ogre::Vector3& omega)
{
    if (!validBall(index))
        return false;
    mBalls[index].body->setVelocity(velocity);
    mBalls[index].body->setOmega(omega);
    return true;
}

Ogre::Vector3 CScene::getStartPosition(int ballNumber) const
{
    if (ballNumber < 1 || static_cast<size_t>(ballNumber) > mStartBoxes.size())
        return Ogre::Vector3::ZERO;
    const CBox* box = mStartBoxes[ballNumber - 1];
    return box->getPosition() +
           Ogre::Vector3(0.0f, box->getVertices()[CBox::kTopCentre].y + kBallStartHeight, 0.0f);
}

void CScene::resetBall(int index)
{
    if (!validBall(index))
        return;
    SBall& ball = mBalls[index];
    ball.body->setPositionOrientation(getStartPosition(index + 1), Ogre::Quaternion::IDENTITY);
    ball.body->setUserData(kResetRequested);
    ball.resetEvent = true;
    if (static_cast<size_t>(index) < mBallForces.size())
        mBallForces[index] = Ogre::Vector3::ZERO;
}

void CScene::showBallAt(int index, const Ogre::Vector3& position)
{
    if (!validBall(index))
        return;
    SBall& ball = mBalls[index];
    if (ball.body->getNode())
        ball.body->attachNode(nullptr);
    ball.node->setPosition(position);
    ball.node->setOrientation(ball.body->getOrientation());
}

void CScene::restartRound()
{
    for (CMonster* monster : mMonsters)
        monster->reset();
    for (const std::string& name : mFireworkNames)
        stopParticleEffect(name);
    mFireworkNames.clear();
    for (size_t i = 0; i < mBalls.size(); ++i) {
        resetBall(static_cast<int>(i));
        mBalls[i].resetEvent = false;
        mBalls[i].collisionEvent = false;
    }
    followBalls(); // the next frame already looks at the balls on their start boxes
    mWinner = 0;
}

CWaypoint* CScene::getBallWaypoint(int index) const
{
    return validBall(index) ? mBalls[index].waypoint : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Frame work and pause

bool CScene::updateRunning(const Ogre::FrameEvent& evt)
{
    mSeeThroughTimer += evt.timeSinceLastFrame;
    if (!mEditorMode) {
        for (CMonster* monster : mMonsters)
            monster->update(evt);
    }
    followBalls();
    const int ballCount = static_cast<int>(mBalls.size());
    if (!mEditorMode)
        updateSeeThrough();
    for (int i = 0; i < ballCount && static_cast<size_t>(i) < mStartBoxes.size(); ++i) {
        if (mBalls[i].body->getPosition().y < kFallLimit)
            resetBall(i);
    }
    for (SBall& ball : mBalls) {
        if (ball.shadow)
            ball.shadow->update(*mWorld, ball.node->getPosition());
    }
    return true;
}

void CScene::followBalls()
{
    const int ballCount = static_cast<int>(mBalls.size());
    if (ballCount == 0 || mLocalPlayer < 1 || mLocalPlayer > ballCount)
        return;
    if (mCameraPointNodes[0])
        mCameraPointNodes[0]->setPosition(mBalls[mLocalPlayer - 1].body->getPosition());
    for (int camera = 1; camera < kMaxCameras; ++camera) {
        if (mCameraPointNodes[camera] && camera < ballCount)
            mCameraPointNodes[camera]->setPosition(mBalls[camera].body->getPosition());
    }
}

bool CScene::updateAlways(const Ogre::FrameEvent&)
{
    // While paused the cameras keep following the (now still) balls.
    if (isPaused())
        followBalls();
    return true;
}

bool CScene::frameRenderingQueued(const Ogre::FrameEvent& evt)
{
    if (mEditorMode)
        updateRunning(evt);
    return true;
}

void CScene::onPause()
{
    if (mPhysicsListenerRegistered) {
        mRoot->removeFrameListener(mPhysicsListener.get());
        mPhysicsListenerRegistered = false;
    }
}

void CScene::onResume()
{
    if (!mPhysicsListenerRegistered) {
        mRoot->addFrameListener(mPhysicsListener.get());
        mPhysicsListenerRegistered = true;
    }
}

// ---------------------------------------------------------------------------------------------
// Contacts

void CScene::processContact(CPhysicsBody& a, CPhysicsBody& b)
{
    // The engine names the two bodies in no fixed order, while the rules below are written
    // for one order (a ball as the first body, a monster as the first body). Applying them to
    // the pair both ways round makes the outcome independent of the engine's order.
    applyContactRules(a, b);
    applyContactRules(b, a);
}

CWaypoint* CScene::findWaypointOfBody(const CPhysicsBody& body) const
{
    const auto it = mBoxesByBody.find(&body);
    return it != mBoxesByBody.end() ? findWaypoint(it->second) : nullptr;
}

void CScene::applyContactRules(CPhysicsBody& a, CPhysicsBody& b)
{
    // Only moving bodies can be monsters, and only boxes carry waypoints.
    CWaypoint* waypointOfB = b.getMass() == 0.0f ? findWaypointOfBody(b) : nullptr;
    if (waypointOfB && a.getMass() > 0.0f) {
        for (CMonster* monster : mMonsters) {
            if (monster->getBody() == &a)
                monster->setLastWaypoint(waypointOfB);
        }
    }

    const int ballA = findBall(a);
    const int ballB = findBall(b);
    if (ballA >= 0) {
        SBall& ball = mBalls[ballA];
        const Ogre::Vector3 velocity = a.getVelocity();
        if ((ball.lastVelocity - velocity).length() > kCollisionSpeedChange)
            ball.collisionEvent = true;
        ball.lastVelocity = velocity;
        // Only boxes (the level's static bodies) tell where the ball is: touching a monster or
        // another ball must not make the slimes lose it.
        if (b.getMass() == 0.0f)
            ball.waypoint = waypointOfB;
    }
    if (ballA < 0 && ballB < 0)
        return;

    const bool finish = std::any_of(mFinishBoxes.begin(), mFinishBoxes.end(), [&](CBox* box) {
        return box->getBody() && (box->getBody() == &a || box->getBody() == &b);
    });
    if (finish)
        finishReached(ballA >= 0 ? ballA : ballB);

    if (ballB >= 0) {
        for (CMonster* monster : mMonsters) {
            if (monster->getBody() == &a && monster->hitsBall())
                resetBall(ballB);
        }
    }
}

void CScene::finishReached(int ballIndex)
{
    if (mWinner == 0) {
        for (CBox* box : mFinishBoxes) {
            const std::string name = startParticleEffect(EFFECT_FIREWORK, box->getTopCentre(),
                                                         Ogre::Vector3::UNIT_SCALE, box->getName());
            if (!name.empty())
                mFireworkNames.push_back(name);
        }
    }
    // The first ball to arrive wins. A later finish contact of another ball (the others are
    // stopped, but may still be rolling onto a finish box) must not take the win from it.
    if (mWinner == 0)
        mWinner = ballIndex + 1;
    for (size_t i = 0; i < mBalls.size(); ++i) {
        if (i < mBallForces.size())
            mBallForces[i] = Ogre::Vector3::ZERO;
        mBalls[i].body->clearForce();
        mBalls[i].body->setOmega(Ogre::Vector3::ZERO);
        mBalls[i].body->setVelocity(Ogre::Vector3::ZERO);
    }
}
