// CMovingObstacle: a stamper. It stays in the column above its start waypoint, slams down onto
// the box and rises slowly again between two turning heights; touching it sends a ball back to
// its start.
#pragma once

#include "world/monster.h"

class CMovingObstacle : public CMonster
{
public:
    // Turning heights above the start waypoint's top.
    static constexpr float kLowerHeight = 1.0f;
    static constexpr float kUpperHeight = 3.0f;
    // Pushed this far sideways (in x or z) it jumps back to its column.
    static constexpr float kMaxDrift = 0.2f;
    static const Ogre::Vector3 kDownDirection;
    static const Ogre::Vector3 kUpDirection;

    CMovingObstacle(const std::string& name, CWaypoint* start, CScene& scene);

    bool update(const Ogre::FrameEvent& evt) override;
    void steer(Ogre::Vector3& direction) override;
    void reset() override;

    bool isGoingDown() const { return mGoingDown; }

private:
    float mUpperHeight;
    float mLowerHeight;
    bool mGoingDown = true;
};
