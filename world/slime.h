// CSlime: follows the waypoint graph towards the balls. Every steering it plans the shortest
// path from the waypoint it reached last to the waypoint of the nearest ball and heads for the
// first waypoint on that path. It only pushes balls.
#pragma once

#include "world/monster.h"

#include <memory>

class CSlimeGraph;

class CSlime : public CMonster
{
public:
    static constexpr float kStrength = 7.0f;
    // Velocity set at each steering = direction x this x frame time.
    static constexpr float kVelocityScale = 4.0f;

    CSlime(const std::string& name, CWaypoint* start, CScene& scene);
    ~CSlime() override;

    bool update(const Ogre::FrameEvent& evt) override;
    void steer(Ogre::Vector3& direction) override;

    // The waypoint the last plan headed for (nullptr when it stood still for want of a goal).
    CWaypoint* getNextWaypoint() const { return mNextWaypoint; }

private:
    CWaypoint* mNextWaypoint = nullptr;
    // In a game: the scene's graph, shared with its other slimes (the editor plans afresh).
    std::shared_ptr<CSlimeGraph> mGraph;
};
