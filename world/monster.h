// CMonster: the base of the level's monsters and obstacles. Each stands on a start waypoint,
// has a physics body in game mode and is updated by the scene every frame.
#pragma once

#include "world/physics.h"

#include <OgreFrameListener.h>

#include <memory>
#include <string>

class CScene;
class CWaypoint;

class CMonster
{
public:
    static constexpr int kKindCount = 6;

    CMonster(const std::string& name, int kind, CWaypoint* start, bool editorMode)
        : mName(name), mStartWaypoint(start), mLastWaypoint(start), mKind(kind),
          mEditorMode(editorMode)
    {
    }
    virtual ~CMonster() = default;
    CMonster(const CMonster&) = delete;
    CMonster& operator=(const CMonster&) = delete;

    virtual bool update(const Ogre::FrameEvent& evt) = 0;
    virtual void reset() = 0;

    int getKind() const { return mKind; }
    const std::string& getName() const { return mName; }
    CWaypoint* getStartWaypoint() const { return mStartWaypoint; }
    CWaypoint* getLastWaypoint() const { return mLastWaypoint; }
    void setLastWaypoint(CWaypoint* waypoint) { mLastWaypoint = waypoint; }
    CPhysicsBody* getBody() const { return mBody.get(); }
    bool hitsBall() const { return mHitsBall; }
    bool isEditorMode() const { return mEditorMode; }

protected:
    std::string mName;
    CWaypoint* mStartWaypoint;
    CWaypoint* mLastWaypoint;
    int mKind;
    std::unique_ptr<CPhysicsBody> mBody;
    bool mHitsBall = false;
    bool mEditorMode;
};

// Creates the monster of a kind (0..5) in the scene; nullptr when it cannot be made.
CMonster* createMonster(int kind, const std::string& name, CWaypoint* start, CScene& scene);
