// The evil marble: "ellipsoid.mesh" in "evilsphere" with flames, hunting the nearest ball.
#include "world/evil_marble_monster.h"

#include "world/scene.h"

namespace {

// The kind: mesh, material (nullptr: the mesh's own), scale; collision, mass, start height.
const CMonster::SKindLook kLook{"ellipsoid.mesh", "evilsphere", 1.0f};
const CMonster::SKindBody kBody{CMonster::ECollision::ELLIPSOID, 10.0f, CMonster::kRespawnHeight};

} // namespace

CEvilMarbleMonster::CEvilMarbleMonster(const std::string& name, CWaypoint* start, CScene& scene)
    : CMonster(name, KIND_EVIL_MARBLE, start, scene)
{
    createLook(kLook);
    if (mEditorMode)
        return;
    startEffectOnNode(CScene::EFFECT_FLAMES);
    createBody(kBody, [this](CPhysicsBody& body, float step) { applyHuntingForce(body, step); });
}

bool CEvilMarbleMonster::update(const Ogre::FrameEvent& evt)
{
    return updateRolling(evt);
}

void CEvilMarbleMonster::steer(Ogre::Vector3& direction)
{
    steerAtNearestBall(kHuntingRange, kStrength, direction);
}
