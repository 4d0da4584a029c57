// The big ball: "ellipsoid.mesh" in "sphere", three times as heavy as the marbles.
#include "world/the_ball.h"

namespace {

const CMonster::SKindLook kLook{"ellipsoid.mesh", "sphere", 1.0f};

} // namespace

CTheBall::CTheBall(const std::string& name, CWaypoint* start, CScene& scene)
    : CMonster(name, KIND_THE_BALL, start, scene)
{
    createLook(kLook);
    createBody({ECollision::ELLIPSOID, 30.0f, kRespawnHeight}, &CMonster::applyGravityOnly);
}

bool CTheBall::update(const Ogre::FrameEvent& evt)
{
    return updateRolling(evt);
}
