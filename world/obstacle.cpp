// The obstacle: "obstacle.mesh" on a box body that is held still every physics step, with a
// fire burning at its start position.
#include "world/obstacle.h"

#include "world/scene.h"

namespace {

// The kind: mesh, material (nullptr: the mesh's own), scale; collision, mass, start height.
const CMonster::SKindLook kLook{"obstacle.mesh", nullptr, 0.8f};
const CMonster::SKindBody kBody{CMonster::ECollision::BOX, 10.0f, 0.0f};

} // namespace

CObstacle::CObstacle(const std::string& name, CWaypoint* start, CScene& scene)
    : CMonster(name, KIND_OBSTACLE, start, scene)
{
    mHitsBall = true;
    createLook(kLook);
    if (mEditorMode)
        return;
    startEffectAtStart(CScene::EFFECT_FIRE);
    createBody(kBody, &CMonster::holdStill);
}

bool CObstacle::update(const Ogre::FrameEvent& evt)
{
    if (steeringDue(evt.timeSinceLastFrame)) {
        Ogre::Vector3 direction;
        steer(direction);
    }
    return true;
}

void CObstacle::reset()
{
    mLastWaypoint = mStartWaypoint;
    returnToStartHeight(0.0f);
}
