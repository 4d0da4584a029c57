// The evil marble: "ellipsoid.mesh" in "evilsphere" with flames, hunting the nearest ball.
#include "world/evil_marble_monster.h"

#include "world/scene.h"

namespace {

const CMonster::SKindLook kLook{"ellipsoid.mesh", "evilsphere", 1.0f};

} // namespace

CEvilMarbleMonster::CEvilMarbleMonster(const std::string& name, CWaypoint* start, CScene& scene)
    : CMonster(name, KIND_EVIL_MARBLE, start, scene)
{
    createLook(kLook);
    if (mEditorMode)
        return;
    startEffectOnNode(CScene::EFFECT_FLAMES);
    createBody({ECollision::ELLIPSOID, 10.0f, kRespawnHeight},
               [this](CPhysicsBody& body, float step) { applyHuntingForce(body, step); });
}

bool CEvilMarbleMonster::update(const Ogre::FrameEvent& evt)
{
    return updateRolling(evt);
}

void CEvilMarbleMonster::steer(Ogre::Vector3& direction)
{
    steerAtNearestBall(kHuntingRange, kStrength, direction);
}
