// The venom marble: "obstacle.mesh" at half size on a sphere, hunting more slowly than the evil
// marble, and deadly to the balls it touches.
#include "world/venom_marble.h"

namespace {

// The kind: mesh, material (nullptr: the mesh's own), scale; collision, mass, start height.
const CMonster::SKindLook kLook{"obstacle.mesh", nullptr, 0.5f};
const CMonster::SKindBody kBody{CMonster::ECollision::ELLIPSOID, 10.0f, 0.0f};

} // namespace

CVenomMarble::CVenomMarble(const std::string& name, CWaypoint* start, CScene& scene)
    : CMonster(name, KIND_VENOM_MARBLE, start, scene)
{
    mHitsBall = true;
    createLook(kLook);
    createBody(kBody, [this](CPhysicsBody& body, float step) { applyHuntingForce(body, step); });
}

bool CVenomMarble::update(const Ogre::FrameEvent& evt)
{
    return updateRolling(evt);
}

void CVenomMarble::steer(Ogre::Vector3& direction)
{
    steerAtNearestBall(kHuntingRange, kStrength, direction);
}
