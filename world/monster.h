// CMonster: the base of the level's monsters and obstacles. Each stands on a start waypoint,
// has a look and a physics body in game mode (none of them in editor mode) and is updated by
// the scene every frame in game mode. The shared rules of the kinds live here: falling out of the
// level, the steering timer, hunting the nearest ball and the force callbacks.
#pragma once

#include "world/physics.h"

#include <OgreFrameListener.h>
#include <OgreVector.h>

#include <memory>
#include <string>
#include <vector>

namespace Ogre {
class Entity;
class SceneNode;
} // namespace Ogre

class CScene;
class CWaypoint;

class CMonster
{
public:
    static constexpr int kKindCount = 6;
    enum EKind
    {
        KIND_EVIL_MARBLE = 0,
        KIND_OBSTACLE = 1,
        KIND_VENOM_MARBLE = 2,
        KIND_MOVING_OBSTACLE = 3,
        KIND_SLIME = 4,
        KIND_THE_BALL = 5
    };

    // A monster below this height is put back on its start waypoint.
    static constexpr float kFallLimit = -10.0f;
    // Height above the start waypoint's top at which a monster is put back.
    static constexpr float kRespawnHeight = 2.0f;
    // Seconds between two steerings.
    static constexpr double kSteeringInterval = 0.1;

    // What a kind looks like and how its body behaves (the kinds' table).
    struct SKindLook
    {
        const char* mesh;
        const char* material; // nullptr: the mesh's own
        float scale;
    };
    enum class ECollision
    {
        BOX,
        ELLIPSOID
    };
    struct SKindBody
    {
        ECollision collision;
        float mass;
        float startHeight;
    };

    virtual ~CMonster();
    CMonster(const CMonster&) = delete;
    CMonster& operator=(const CMonster&) = delete;

    // Called every frame by the scene in game mode; always true.
    virtual bool update(const Ogre::FrameEvent& evt) = 0;
    // Computes and stores the direction the monster wants to go; the base wants nothing.
    virtual void steer(Ogre::Vector3& direction);
    // Puts the monster back on its start waypoint, standing still.
    virtual void reset();

    int getKind() const { return mKind; }
    const std::string& getName() const { return mName; }
    CWaypoint* getStartWaypoint() const { return mStartWaypoint; }
    CWaypoint* getLastWaypoint() const { return mLastWaypoint; }
    void setLastWaypoint(CWaypoint* waypoint) { mLastWaypoint = waypoint; }
    const Ogre::Vector3& getDirection() const { return mDirection; }
    bool isHunting() const { return mHunting; }
    // The ball chosen while hunting (0-based); -1 before any ball was measured.
    int getNearestBall() const { return mNearestBall; }
    const std::vector<float>& getBallDistances() const { return mBallDistances; }
    double getSteeringTimer() const { return mSteeringTimer; }
    Ogre::Entity* getEntity() const { return mEntity; }
    Ogre::SceneNode* getNode() const { return mNode; }
    CPhysicsBody* getBody() const { return mBody.get(); }
    bool hitsBall() const { return mHitsBall; }
    bool isEditorMode() const { return mEditorMode; }
    // The running particle effect of the monster (empty when it has none).
    const std::string& getEffectName() const { return mEffectName; }

protected:
    CMonster(const std::string& name, int kind, CWaypoint* start, CScene& scene);

    // Game mode: entity "Monster" + name on a node of that name; editor mode: nothing. Kinds
    // call this from their constructor, then createBody() in game mode.
    void createLook(const SKindLook& look);
    void createBody(const SKindBody& body, CPhysicsBody::ForceCallback callback);
    // Starts the kind's particle effect on the monster's node or at its start position.
    void startEffectOnNode(int effect);
    void startEffectAtStart(int effect);

    // The start waypoint's top (the origin when there is none).
    Ogre::Vector3 getStartTop() const;
    // Teleports the body to a place with identity orientation and no velocity.
    void placeBody(const Ogre::Vector3& position);
    // Step 1 of the rolling kinds' update: below the fall limit, stop hunting and go back.
    void returnIfFallen();
    // Hunting off, no direction, back to the start waypoint's top + kRespawnHeight.
    void returnToStart();
    void returnToStartHeight(float height);
    // Counts the steering interval; true when it is time to steer (the timer then restarts).
    bool steeringDue(double frameTime);
    // Rolling kinds: fall check, then steer every interval.
    bool updateRolling(const Ogre::FrameEvent& evt);
    // Evil and venom marbles: pick the nearest ball (a later ball wins a tie) until one is
    // within range, then roll at it with the given strength for good.
    void steerAtNearestBall(float range, float strength, Ogre::Vector3& direction);

    // Force callbacks of the kinds.
    void applyHuntingForce(CPhysicsBody& body, float step) const;
    static void applyGravityOnly(CPhysicsBody& body, float step);
    static void holdStill(CPhysicsBody& body, float step);
    void applyLiftForce(CPhysicsBody& body, float step) const;

    double mSteeringTimer = 0.0;
    Ogre::Vector3 mDirection = Ogre::Vector3::ZERO;
    std::string mName;
    CWaypoint* mStartWaypoint;
    CWaypoint* mLastWaypoint;
    int mKind;
    bool mHunting = false;
    std::vector<float> mBallDistances;
    int mNearestBall = -1;
    Ogre::Entity* mEntity = nullptr;
    Ogre::SceneNode* mNode = nullptr;
    std::unique_ptr<CPhysicsBody> mBody;
    bool mHitsBall = false;
    bool mEditorMode;

    CScene& mScene;
    std::string mEffectName;
};

// Creates the monster of a kind (0..5) in the scene; nullptr for an unknown kind.
CMonster* createMonster(int kind, const std::string& name, CWaypoint* start, CScene& scene);
