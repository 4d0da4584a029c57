// CTheBall: a big heavy ball that never steers; it only rolls where gravity and the players
// push it.
#pragma once

#include "world/monster.h"

class CTheBall : public CMonster
{
public:
    CTheBall(const std::string& name, CWaypoint* start, CScene& scene);

    bool update(const Ogre::FrameEvent& evt) override;
};
