// CObstacle: a burning block that never moves; touching it sends a ball back to its start.
#pragma once

#include "world/monster.h"

class CObstacle : public CMonster
{
public:
    CObstacle(const std::string& name, CWaypoint* start, CScene& scene);

    bool update(const Ogre::FrameEvent& evt) override;
    // Back onto the start waypoint's top itself (an obstacle stands, it does not drop in).
    void reset() override;
};
