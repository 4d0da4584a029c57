// The venom marble: "obstacle.mesh" at half size on a sphere, hunting more slowly than the evil
// marble, and deadly to the balls it touches.
#include "world/venom_marble.h"

namespace {

const CMonster::SKindLook kLook{"obstacle.mesh", nullptr, 0.5f};

} // namespace

CVenomMarble::CVenomMarble(const std::string& name, CWaypoint* start, CScene& scene)
    : CMonster(name, KIND_VENOM_MARBLE, start, scene)
{
    mHitsBall = true;
    createLook(kLook);
    createBody({ECollision::ELLIPSOID, 10.0f, 0.0f},
               [this](CPhysicsBody& body, float step) { applyHuntingForce(body, step); });
}

bool CVenomMarble::update(const Ogre::FrameEvent& evt)
{
    return updateRolling(evt);
}

void CVenomMarble::steer(Ogre::Vector3& direction)
{
    steerAtNearestBall(kHuntingRange, kStrength, direction);
}
