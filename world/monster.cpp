// The monsters' shared rules: their look, their bodies, the steering timer,
// falling out of the level, hunting the nearest ball and the force callbacks of the kinds.
#include "world/monster.h"

#include "world/scene.h"
#include "world/waypoint.h"

#include <OgreEntity.h>
#include <OgreLogManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

namespace {

const char* const kObjectPrefix = "Monster";

// Collision extents shared by all kinds: a cube of edge 0.5 or a sphere of radius 0.5.
constexpr float kCollisionBoxEdge = 0.5f;
constexpr float kCollisionRadius = 0.5f;

// Force = direction x 250 x step (+ gravity x mass x 3 x step x 50 for the rolling kinds).
constexpr float kSteeringForceScale = 250.0f;
constexpr float kGravityFactor = 3.0f;
constexpr float kGravityStepScale = 50.0f;
const Ogre::Vector3 kGravity(0.0f, -9.81f, 0.0f);

void logProblem(const std::string& text)
{
    if (Ogre::LogManager::getSingletonPtr())
        Ogre::LogManager::getSingleton().logMessage("CMonster: " + text, Ogre::LML_CRITICAL);
}

} // namespace

CMonster::CMonster(const std::string& name, int kind, CWaypoint* start, CScene& scene)
    : mName(name), mStartWaypoint(start), mLastWaypoint(start), mKind(kind),
      mEditorMode(scene.isEditorMode()), mScene(scene)
{
}

CMonster::~CMonster()
{
    if (!mEffectName.empty())
        mScene.stopParticleEffect(mEffectName);
    mBody.reset();
    Ogre::SceneManager* sceneManager = mScene.getSceneManager();
    if (mNode) {
        mNode->detachAllObjects();
        sceneManager->destroySceneNode(mNode);
    }
    if (mEntity)
        sceneManager->destroyEntity(mEntity);
}

void CMonster::steer(Ogre::Vector3& direction)
{
    mDirection = Ogre::Vector3::ZERO;
    direction = mDirection;
}

void CMonster::reset()
{
    mLastWaypoint = mStartWaypoint;
    returnToStartHeight(kRespawnHeight);
}

void CMonster::createLook(const SKindLook& look)
{
    if (mEditorMode)
        return;
    Ogre::SceneManager* sceneManager = mScene.getSceneManager();
    Ogre::SceneNode* root = sceneManager->getRootSceneNode();
    const std::string objectName = kObjectPrefix + mName;
    mNode = root->createChildSceneNode(objectName);
    mNode->setScale(Ogre::Vector3(look.scale));
    try {
        mEntity = sceneManager->createEntity(objectName, look.mesh);
    } catch (const Ogre::Exception& e) {
        // Without its mesh the monster still plays (its body is there); it is only unseen.
        logProblem("no mesh for " + mName + ": " + e.getDescription());
        return;
    }
    mNode->attachObject(mEntity);
    if (look.material)
        mEntity->setMaterialName(look.material);
}

void CMonster::createBody(const SKindBody& kindBody, CPhysicsBody::ForceCallback callback)
{
    CPhysicsWorld* world = mScene.getPhysicsWorld();
    if (mEditorMode || !world)
        return;
    const CCollisionShapePtr shape =
        kindBody.collision == ECollision::BOX
            ? CCollisionShape::createBox(Ogre::Vector3(kCollisionBoxEdge))
            : CCollisionShape::createEllipsoid(Ogre::Vector3(kCollisionRadius));
    mBody = std::make_unique<CPhysicsBody>(*world, shape);
    mBody->setPositionOrientation(getStartTop() + Ogre::Vector3(0.0f, kindBody.startHeight, 0.0f),
                                  Ogre::Quaternion::IDENTITY);
    // The unit-mass inertia is used as it comes: the kinds' bodies turn as easily as that.
    Ogre::Vector3 inertia;
    Ogre::Vector3 centreOfMass;
    shape->calculateInertialMatrix(inertia, centreOfMass);
    mBody->setMassMatrix(kindBody.mass, inertia);
    mBody->attachNode(mNode);
    mBody->setForceCallback(std::move(callback));
    mBody->setMaterialGroupID(mScene.getMaterialGroupID());
}

void CMonster::startEffectOnNode(int effect)
{
    if (!mEditorMode && mNode)
        mEffectName = mScene.startParticleEffect(effect, mNode, "");
}

void CMonster::startEffectAtStart(int effect)
{
    if (!mEditorMode)
        mEffectName =
            mScene.startParticleEffect(effect, getStartTop(), Ogre::Vector3::UNIT_SCALE, "");
}

Ogre::Vector3 CMonster::getStartTop() const
{
    return mStartWaypoint ? mStartWaypoint->getPosition() : Ogre::Vector3::ZERO;
}

void CMonster::placeBody(const Ogre::Vector3& position)
{
    if (!mBody)
        return;
    mBody->setPositionOrientation(position, Ogre::Quaternion::IDENTITY);
    mBody->setVelocity(Ogre::Vector3::ZERO);
    mBody->setOmega(Ogre::Vector3::ZERO);
}

void CMonster::returnToStartHeight(float height)
{
    placeBody(getStartTop() + Ogre::Vector3(0.0f, height, 0.0f));
}

void CMonster::returnToStart()
{
    mHunting = false;
    mDirection = Ogre::Vector3::ZERO;
    returnToStartHeight(kRespawnHeight);
}

void CMonster::returnIfFallen()
{
    if (mBody && mBody->getPosition().y < kFallLimit)
        returnToStart();
}

bool CMonster::steeringDue(double frameTime)
{
    if (mSteeringTimer <= kSteeringInterval) {
        mSteeringTimer += frameTime;
        return false;
    }
    mSteeringTimer = 0.0;
    return true;
}

bool CMonster::updateRolling(const Ogre::FrameEvent& evt)
{
    returnIfFallen();
    if (steeringDue(evt.timeSinceLastFrame)) {
        Ogre::Vector3 direction;
        steer(direction);
    }
    return true;
}

void CMonster::steerAtNearestBall(float range, float strength, Ogre::Vector3& direction)
{
    direction = mDirection;
    if (!mBody)
        return;
    const Ogre::Vector3 own = mBody->getPosition();
    const int ballCount = static_cast<int>(mScene.getBallCount());
    if (!mHunting) {
        mBallDistances.assign(ballCount, 0.0f);
        int nearestBall = -1;
        for (int i = 0; i < ballCount; ++i) {
            mBallDistances[i] = own.distance(mScene.getBallBody(i)->getPosition());
            // "<=": of two balls at the same distance the later one is chosen.
            if (nearestBall < 0 || mBallDistances[i] <= mBallDistances[nearestBall])
                nearestBall = i;
        }
        if (nearestBall >= 0) {
            mNearestBall = nearestBall;
            mHunting = mBallDistances[nearestBall] <= range;
        }
    }
    if (mHunting && mNearestBall >= 0 && mNearestBall < ballCount) {
        const Ogre::Vector3 target = mScene.getBallBody(mNearestBall)->getPosition();
        mDirection = (target - own).normalisedCopy() * strength;
    }
    direction = mDirection;
}

void CMonster::applyHuntingForce(CPhysicsBody& body, float step) const
{
    body.addForce(mDirection * kSteeringForceScale * step +
                  kGravity * body.getMass() * kGravityFactor * step * kGravityStepScale);
}

void CMonster::applyGravityOnly(CPhysicsBody& body, float step)
{
    body.addForce(kGravity * body.getMass() * kGravityFactor * step * kGravityStepScale);
}

void CMonster::holdStill(CPhysicsBody& body, float)
{
    body.setVelocity(Ogre::Vector3::ZERO);
    body.setOmega(Ogre::Vector3::ZERO);
}

void CMonster::applyLiftForce(CPhysicsBody& body, float step) const
{
    body.setOmega(Ogre::Vector3::ZERO);
    body.addForce(mDirection * kSteeringForceScale * step);
}
