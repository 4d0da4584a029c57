// The big ball: "ellipsoid.mesh" in "sphere", three times as heavy as the marbles.
#include "world/the_ball.h"

namespace {

// The kind: mesh, material (nullptr: the mesh's own), scale; collision, mass, start height.
const CMonster::SKindLook kLook{"ellipsoid.mesh", "sphere", 1.0f};
const CMonster::SKindBody kBody{CMonster::ECollision::ELLIPSOID, 30.0f, CMonster::kRespawnHeight};

} // namespace

CTheBall::CTheBall(const std::string& name, CWaypoint* start, CScene& scene)
    : CMonster(name, KIND_THE_BALL, start, scene)
{
    createLook(kLook);
    createBody(kBody, &CMonster::applyGravityOnly);
}

bool CTheBall::update(const Ogre::FrameEvent& evt)
{
    return updateRolling(evt);
}
