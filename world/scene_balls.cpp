// The balls of a round: making them, their steering force, their state and their resets.
#include "world/scene.h"

#include "world/ball_look.h"
#include "world/ball_shadow.h"
#include "world/box.h"
#include "world/monster.h"
#include "world/scene_parts.h"

#include <OgreEntity.h>
#include <OgreLight.h>
#include <OgreLogManager.h>
#include <OgreMeshManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

using namespace scenepart;

namespace {

const char* const kBallPrefix = "Ball";
const char* const kBallMesh = "ellipsoid.mesh";
const char* const kBallFallbackMaterial = "sphere";

// The small light every ball carries, in the colour of the player whose ball it is.
constexpr float kBallLightRange = 4.0f;
constexpr float kBallLightConstant = 1.0f;
constexpr float kBallLightLinear = 1.125f;
constexpr float kBallLightQuadratic = 4.6875f;

constexpr std::intptr_t kResetRequested = 1;

} // namespace

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
    // The ball is symmetric about its origin: it turns about its shape's origin.
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
