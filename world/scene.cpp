// Building a level and tearing it down, its cameras and physics world, and the work of every
// frame.
#include "world/scene.h"

#include "world/ball_shadow.h"
#include "world/box.h"
#include "world/box_grid.h"
#include "world/map_io.h"
#include "world/monster.h"
#include "world/paths.h"
#include "world/scene_parts.h"
#include "world/waypoint.h"

#include <OgreCamera.h>
#include <OgreMaterialManager.h>
#include <OgreRoot.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>

namespace {

CScene* sCurrentScene = nullptr;
int sBoxCounter = 0;
// Every scene alive, oldest first.
std::vector<CScene*> sLiveScenes;

const char* const kBaseNodeName = "SceneNode1";
const char* const kPhysicsWorldName = "main";
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

bool scenepart::materialExists(const std::string& name)
{
    return Ogre::MaterialManager::getSingleton().resourceExists(name);
}

int& scenepart::boxCounter()
{
    return sBoxCounter;
}

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
            realise(readMap(map.getLines()));
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

Ogre::SceneNode* CScene::getCameraPointNode(int camera) const
{
    if (camera < 1 || camera > kMaxCameras)
        return nullptr;
    return mCameraPointNodes[camera - 1];
}

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
