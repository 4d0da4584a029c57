// The level's physics layer: a world stepped in fixed sub-steps, shared collision shapes, rigid
// bodies that move Ogre scene nodes, per-body force callbacks and one contact listener per
// material group. The engine underneath (Bullet) stays inside physics.cpp.
#pragma once

#include <OgreFrameListener.h>
#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Ogre {
class RenderWindow;
class SceneNode;
} // namespace Ogre

class btCollisionShape;
class btRigidBody;
class CPhysicsWorld;

// A collision shape, shared (std::shared_ptr) by every body built on it.
class CCollisionShape
{
public:
    // A box of the given edge lengths, centred on the body's origin.
    static std::shared_ptr<CCollisionShape> createBox(const Ogre::Vector3& size);
    // An ellipsoid with the given radii along x, y and z.
    static std::shared_ptr<CCollisionShape> createEllipsoid(const Ogre::Vector3& radii);
    // The convex hull of a point cloud (a box's vertex list). Points closer than the tolerance
    // are merged. The hull is exactly the points' hull: no collision margin is added around it.
    static std::shared_ptr<CCollisionShape>
    createConvexHull(const std::vector<Ogre::Vector3>& points, float tolerance = 0.001f);

    ~CCollisionShape();
    CCollisionShape(const CCollisionShape&) = delete;
    CCollisionShape& operator=(const CCollisionShape&) = delete;

    // Inertia (principal moments) of the shape for a mass of 1, and its centre of mass.
    void calculateInertialMatrix(Ogre::Vector3& inertia, Ogre::Vector3& centreOfMass) const;

    btCollisionShape* native() const { return mShape.get(); }

private:
    explicit CCollisionShape(std::unique_ptr<btCollisionShape> shape,
                             const Ogre::Vector3& centreOfMass);

    std::unique_ptr<btCollisionShape> mShape;
    Ogre::Vector3 mCentreOfMass;
};

using CCollisionShapePtr = std::shared_ptr<CCollisionShape>;

class CPhysicsBody;

// Receives the touching pairs of bodies of one material group, once per pair and sub-step.
// The two bodies come in no fixed order. Neither this nor a force callback may destroy a body:
// the step still holds the bodies it is working on.
class CContactListener
{
public:
    virtual ~CContactListener() = default;
    virtual void processContact(CPhysicsBody& a, CPhysicsBody& b) = 0;
};

// A rigid body in a world. Without a mass it is static (never moves, e.g. a level box). Balls
// and monsters (bodies with a mass) never fall asleep, so forces always reach them.
class CPhysicsBody
{
public:
    // Called once per body per physics sub-step, before the step, with the step time in
    // seconds. Forces added here act during that sub-step only.
    using ForceCallback = std::function<void(CPhysicsBody& body, float step)>;

    CPhysicsBody(CPhysicsWorld& world, CCollisionShapePtr shape);
    ~CPhysicsBody();
    CPhysicsBody(const CPhysicsBody&) = delete;
    CPhysicsBody& operator=(const CPhysicsBody&) = delete;

    // A mass > 0 makes the body dynamic; 0 makes it static again.
    void setMassMatrix(float mass, const Ogre::Vector3& inertia);
    float getMass() const { return mMass; }

    // The node follows the body after every sub-step and on every teleport.
    void attachNode(Ogre::SceneNode* node);
    Ogre::SceneNode* getNode() const { return mNode; }

    // Teleport: works between steps; the next step starts there and the attached node shows
    // the new place at once. Velocities stay as they are.
    void setPositionOrientation(const Ogre::Vector3& position, const Ogre::Quaternion& orientation);
    Ogre::Vector3 getPosition() const;
    Ogre::Quaternion getOrientation() const;

    Ogre::Vector3 getVelocity() const;
    void setVelocity(const Ogre::Vector3& velocity);
    Ogre::Vector3 getOmega() const;
    void setOmega(const Ogre::Vector3& omega);

    // Adds to the force of the current (or, outside a step, the next) sub-step.
    void addForce(const Ogre::Vector3& force);
    void clearForce();

    void setLinearDamping(float damping);
    void setAngularDamping(float damping);

    void setUserData(std::intptr_t data) { mUserData = data; }
    std::intptr_t getUserData() const { return mUserData; }

    // Bodies of the same group with a contact listener report their touching pairs.
    void setMaterialGroupID(int group) { mMaterialGroup = group; }
    int getMaterialGroupID() const { return mMaterialGroup; }

    void setForceCallback(ForceCallback callback) { mForceCallback = std::move(callback); }

    const CCollisionShapePtr& getCollision() const { return mShape; }
    CPhysicsWorld* getWorld() const { return mWorld; }

private:
    friend class CPhysicsWorld;
    void runForceCallback(float step);
    void updateNode();

    CPhysicsWorld* mWorld;
    size_t mWorldIndex = 0;
    CCollisionShapePtr mShape;
    std::unique_ptr<btRigidBody> mBody;
    Ogre::SceneNode* mNode = nullptr;
    float mMass = 0.0f;
    std::intptr_t mUserData = 0;
    int mMaterialGroup = 0;
    ForceCallback mForceCallback;
};

// The physics world. step() runs fixed sub-steps of 1 / updateRate seconds, counting the time
// itself, at most maxUpdatesPerFrame of them per call. Time beyond that cap is not carried over
// (a slow frame slows the game down instead of making the next frames catch up in a burst);
// it is added to getDroppedTime() so that it is never lost unseen.
class CPhysicsWorld
{
public:
    static constexpr float kDefaultUpdateRate = 100.0f;
    static constexpr int kDefaultMaxUpdatesPerFrame = 5;
    // Contact points closer than this count as touching.
    static constexpr float kContactTolerance = 0.01f;

    CPhysicsWorld(float desiredUpdateRate = kDefaultUpdateRate,
                  int maxUpdatesPerFrame = kDefaultMaxUpdatesPerFrame,
                  const std::string& name = "main");
    ~CPhysicsWorld();
    CPhysicsWorld(const CPhysicsWorld&) = delete;
    CPhysicsWorld& operator=(const CPhysicsWorld&) = delete;

    // Advances the world by the given time; returns the number of sub-steps run.
    int step(float seconds);
    void setUpdateRate(float updatesPerSecond);
    unsigned long getTickCount() const { return mTicks; }
    double getDroppedTime() const { return mDroppedTime; }
    const std::string& getName() const { return mName; }

    // A new material group id (group 0 is the default group that reports no contacts).
    int createMaterialGroupID();
    // The listener receives the touching pairs of two bodies both in that group; nullptr
    // removes it. Not owned.
    void setContactListener(int group, CContactListener* listener);

    // The nearest point where the segment from -> to meets a static body (a level box), with
    // that surface's normal. Moving bodies (balls, monsters) are looked through.
    bool castRayAtStatic(const Ogre::Vector3& from, const Ogre::Vector3& to, Ogre::Vector3& point,
                         Ogre::Vector3& normal) const;
    // Every static body the segment from -> to meets, in no fixed order. Found through the
    // broadphase's tree, so the cost grows with the bodies near the segment, not with all.
    std::vector<CPhysicsBody*> staticBodiesOnSegment(const Ogre::Vector3& from,
                                                     const Ogre::Vector3& to) const;

private:
    friend class CPhysicsBody;
    struct Engine;

    void addBody(CPhysicsBody* body);
    void removeBody(CPhysicsBody* body);
    void reinsertBody(CPhysicsBody* body);
    void runSubStep();
    void reportContacts();

    std::string mName;
    float mStepTime;
    int mMaxUpdates;
    double mAccumulated = 0.0;
    double mDroppedTime = 0.0;
    unsigned long mTicks = 0;
    int mNextGroup = 1;
    std::unique_ptr<Engine> mEngine;
    std::vector<CPhysicsBody*> mBodies;       // every body; each knows its index here
    std::vector<CPhysicsBody*> mMovingBodies; // bodies with a mass, in the order they got it
    std::vector<std::pair<int, CContactListener*>> mListeners;
};

// Steps a physics world once per rendered frame. Registering it with the Ogre root starts the
// simulation; removing it pauses it.
class CPhysicsFrameListener : public Ogre::FrameListener
{
public:
    // The window is kept for a debug display; it may be nullptr.
    CPhysicsFrameListener(Ogre::RenderWindow* window, CPhysicsWorld& world,
                          float updateRate = CPhysicsWorld::kDefaultUpdateRate);
    bool frameStarted(const Ogre::FrameEvent& evt) override;

    CPhysicsWorld& getWorld() const { return mWorld; }

private:
    Ogre::RenderWindow* mWindow;
    CPhysicsWorld& mWorld;
};
