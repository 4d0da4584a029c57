// CEvilMarbleMonster: a burning marble that rolls at the nearest ball once one comes within
// range, and keeps chasing it until it falls out of the level. It only pushes balls.
#pragma once

#include "world/monster.h"

class CEvilMarbleMonster : public CMonster
{
public:
    static constexpr float kHuntingRange = 12.0f;
    static constexpr float kStrength = 7.0f;

    CEvilMarbleMonster(const std::string& name, CWaypoint* start, CScene& scene);

    bool update(const Ogre::FrameEvent& evt) override;
    void steer(Ogre::Vector3& direction) override;
};
