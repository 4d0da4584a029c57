// CVenomMarble: a small poisonous marble that rolls at the nearest ball once one comes within
// range; touching it sends the ball back to its start.
#pragma once

#include "world/monster.h"

class CVenomMarble : public CMonster
{
public:
    static constexpr float kHuntingRange = 12.0f;
    static constexpr float kStrength = 4.0f;

    CVenomMarble(const std::string& name, CWaypoint* start, CScene& scene);

    bool update(const Ogre::FrameEvent& evt) override;
    void steer(Ogre::Vector3& direction) override;
};
