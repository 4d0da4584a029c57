// The stamper: "obstacle.mesh" on a box body lifted and slammed by the lift force callback,
// with a fire riding on it.
#include "world/moving_obstacle.h"

#include "world/scene.h"

#include <cmath>

namespace {

// The kind: mesh, material (nullptr: the mesh's own), scale; collision, mass, start height.
const CMonster::SKindLook kLook{"obstacle.mesh", nullptr, 0.8f};
const CMonster::SKindBody kBody{CMonster::ECollision::BOX, 10.0f, CMonster::kRespawnHeight};

} // namespace

const Ogre::Vector3 CMovingObstacle::kDownDirection(0.0f, -43.0f, 0.0f);
const Ogre::Vector3 CMovingObstacle::kUpDirection(0.0f, 9.81f, 0.0f);

CMovingObstacle::CMovingObstacle(const std::string& name, CWaypoint* start, CScene& scene)
    : CMonster(name, KIND_MOVING_OBSTACLE, start, scene)
{
    mHitsBall = true;
    const float top = getStartTop().y;
    mLowerHeight = top + kLowerHeight;
    mUpperHeight = top + kUpperHeight;
    createLook(kLook);
    if (mEditorMode)
        return;
    startEffectOnNode(CScene::EFFECT_FIRE);
    createBody(kBody, [this](CPhysicsBody& body, float step) { applyLiftForce(body, step); });
}

bool CMovingObstacle::update(const Ogre::FrameEvent& evt)
{
    if (mBody) {
        const Ogre::Vector3 drift = mBody->getPosition() - getStartTop();
        if (std::fabs(drift.x) >= kMaxDrift || std::fabs(drift.z) >= kMaxDrift)
            returnToStart();
    }
    if (steeringDue(evt.timeSinceLastFrame)) {
        Ogre::Vector3 direction;
        steer(direction);
    }
    return true;
}

void CMovingObstacle::steer(Ogre::Vector3& direction)
{
    if (mBody) {
        const float y = mBody->getPosition().y;
        if (y >= mUpperHeight)
            mGoingDown = true;
        else if (y <= mLowerHeight)
            mGoingDown = false;
    }
    mDirection = mGoingDown ? kDownDirection : kUpDirection;
    direction = mDirection;
}

void CMovingObstacle::reset()
{
    mLastWaypoint = mStartWaypoint;
    mDirection = Ogre::Vector3::ZERO;
    mGoingDown = true;
    returnToStartHeight(kRespawnHeight);
    if (mBody)
        mBody->clearForce();
}
