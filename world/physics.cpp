// The physics layer on Bullet. The world is stepped one fixed tick at a time by our own loop,
// so that force callbacks, contact reports and node updates happen once per tick in a known
// order, and no time is dropped inside Bullet.
#include "world/physics.h"

#include <OgreSceneNode.h>

#include <btBulletDynamicsCommon.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace {

// Static hulls get a tiny margin: Bullet's default (0.04) would make every box that much
// larger, so a ball would hover above its top.
constexpr float kHullMargin = 0.001f;
constexpr double kTimeEpsilon = 1e-6;

btVector3 toBt(const Ogre::Vector3& v)
{
    return btVector3(v.x, v.y, v.z);
}

Ogre::Vector3 toOgre(const btVector3& v)
{
    return Ogre::Vector3(v.x(), v.y(), v.z());
}

btQuaternion toBt(const Ogre::Quaternion& q)
{
    return btQuaternion(q.x, q.y, q.z, q.w);
}

Ogre::Quaternion toOgre(const btQuaternion& q)
{
    return Ogre::Quaternion(q.w(), q.x(), q.y(), q.z());
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Collision shapes

CCollisionShape::CCollisionShape(std::unique_ptr<btCollisionShape> shape,
                                 const Ogre::Vector3& centreOfMass)
    : mShape(std::move(shape)), mCentreOfMass(centreOfMass)
{
}

CCollisionShape::~CCollisionShape() = default;

std::shared_ptr<CCollisionShape> CCollisionShape::createBox(const Ogre::Vector3& size)
{
    // btBoxShape keeps its margin inside the half extents: the box is exactly this size.
    auto shape = std::make_unique<btBoxShape>(toBt(size * 0.5f));
    return std::shared_ptr<CCollisionShape>(
        new CCollisionShape(std::move(shape), Ogre::Vector3::ZERO));
}

std::shared_ptr<CCollisionShape> CCollisionShape::createEllipsoid(const Ogre::Vector3& radii)
{
    std::unique_ptr<btCollisionShape> shape;
    if (radii.x == radii.y && radii.y == radii.z) {
        // A sphere's whole radius is its margin: exact, and the cheapest shape to collide.
        shape = std::make_unique<btSphereShape>(radii.x);
    } else {
        const btVector3 centre(0, 0, 0);
        const btScalar unitRadius = 1.0f;
        auto ellipsoid = std::make_unique<btMultiSphereShape>(&centre, &unitRadius, 1);
        ellipsoid->setLocalScaling(toBt(radii));
        shape = std::move(ellipsoid);
    }
    return std::shared_ptr<CCollisionShape>(
        new CCollisionShape(std::move(shape), Ogre::Vector3::ZERO));
}

std::shared_ptr<CCollisionShape>
CCollisionShape::createConvexHull(const std::vector<Ogre::Vector3>& points, float tolerance)
{
    std::vector<Ogre::Vector3> unique;
    const float toleranceSquared = tolerance * tolerance;
    for (const Ogre::Vector3& p : points) {
        const bool known = std::any_of(unique.begin(), unique.end(), [&](const Ogre::Vector3& q) {
            return p.squaredDistance(q) <= toleranceSquared;
        });
        if (!known)
            unique.push_back(p);
    }
    auto hull = std::make_unique<btConvexHullShape>();
    Ogre::Vector3 centre = Ogre::Vector3::ZERO;
    for (size_t i = 0; i < unique.size(); ++i) {
        hull->addPoint(toBt(unique[i]), i + 1 == unique.size());
        centre += unique[i];
    }
    if (!unique.empty())
        centre /= static_cast<float>(unique.size());
    hull->setMargin(kHullMargin);
    return std::shared_ptr<CCollisionShape>(new CCollisionShape(std::move(hull), centre));
}

void CCollisionShape::calculateInertialMatrix(Ogre::Vector3& inertia,
                                              Ogre::Vector3& centreOfMass) const
{
    btVector3 local(0, 0, 0);
    mShape->calculateLocalInertia(1.0f, local);
    inertia = toOgre(local);
    centreOfMass = mCentreOfMass;
}

// ---------------------------------------------------------------------------------------------
// World

namespace {
// Bullet's default pools hold 4096 contact manifolds and 4096 collision algorithms: megabytes
// that are allocated and written on every level load. A round has a few dozen moving bodies
// (balls and monsters) touching a few boxes each; should a pool run out, Bullet takes the rest
// from the heap.
btDefaultCollisionConstructionInfo poolSizes()
{
    btDefaultCollisionConstructionInfo info;
    info.m_defaultMaxPersistentManifoldPoolSize = 1024;
    info.m_defaultMaxCollisionAlgorithmPoolSize = 1024;
    return info;
}
} // namespace

struct CPhysicsWorld::Engine
{
    btDefaultCollisionConfiguration configuration{poolSizes()};
    btCollisionDispatcher dispatcher{&configuration};
    btDbvtBroadphase broadphase;
    btSequentialImpulseConstraintSolver solver;
    btDiscreteDynamicsWorld world{&dispatcher, &broadphase, &solver, &configuration};
};

CPhysicsWorld::CPhysicsWorld(float desiredUpdateRate, int maxUpdatesPerFrame,
                             const std::string& name)
    : mName(name), mStepTime(1.0f / desiredUpdateRate),
      mMaxUpdates(std::max(1, maxUpdatesPerFrame)), mEngine(std::make_unique<Engine>())
{
    // Gravity comes from the force callbacks of the bodies that feel it.
    mEngine->world.setGravity(btVector3(0, 0, 0));
    // Static boxes never move: only bodies that moved need new bounds each step.
    mEngine->world.setForceUpdateAllAabbs(false);
}

namespace {
// A ray callback of Bullet's that looks through moving bodies (balls, monsters).
template <typename Callback> struct StaticOnly : Callback
{
    using Callback::Callback;
    bool needsCollision(btBroadphaseProxy* proxy) const override
    {
        const auto* object = static_cast<const btCollisionObject*>(proxy->m_clientObject);
        return object->isStaticObject() && Callback::needsCollision(proxy);
    }
};
} // namespace

bool CPhysicsWorld::castRayAtStatic(const Ogre::Vector3& from, const Ogre::Vector3& to,
                                    Ogre::Vector3& point, Ogre::Vector3& normal) const
{
    const btVector3 start = toBt(from), end = toBt(to);
    StaticOnly<btCollisionWorld::ClosestRayResultCallback> result(start, end);
    mEngine->world.rayTest(start, end, result);
    if (!result.hasHit())
        return false;
    point = toOgre(result.m_hitPointWorld);
    normal = toOgre(result.m_hitNormalWorld.normalized());
    return true;
}

std::vector<CPhysicsBody*> CPhysicsWorld::staticBodiesOnSegment(const Ogre::Vector3& from,
                                                                const Ogre::Vector3& to) const
{
    const btVector3 start = toBt(from), end = toBt(to);
    StaticOnly<btCollisionWorld::AllHitsRayResultCallback> result(start, end);
    mEngine->world.rayTest(start, end, result);
    std::vector<CPhysicsBody*> bodies;
    for (int i = 0; i < result.m_collisionObjects.size(); ++i)
        bodies.push_back(
            static_cast<CPhysicsBody*>(result.m_collisionObjects[i]->getUserPointer()));
    return bodies;
}

CPhysicsWorld::~CPhysicsWorld()
{
    // Bodies that outlive the world become inert shells.
    for (CPhysicsBody* body : mBodies) {
        mEngine->world.removeRigidBody(body->mBody.get());
        body->mWorld = nullptr;
    }
}

void CPhysicsWorld::setUpdateRate(float updatesPerSecond)
{
    if (updatesPerSecond > 0.0f)
        mStepTime = 1.0f / updatesPerSecond;
}

int CPhysicsWorld::step(float seconds)
{
    if (seconds > 0.0f)
        mAccumulated += seconds;
    int steps = 0;
    // Frame times that add up to whole steps only up to rounding still make those steps.
    const double due = mStepTime - kTimeEpsilon;
    while (mAccumulated >= due && steps < mMaxUpdates) {
        mAccumulated -= mStepTime;
        runSubStep();
        ++steps;
    }
    if (mAccumulated >= due) {
        const double whole = mStepTime * std::floor(mAccumulated / mStepTime + kTimeEpsilon);
        mDroppedTime += whole;
        mAccumulated = std::max(0.0, mAccumulated - whole);
    }
    return steps;
}

void CPhysicsWorld::runSubStep()
{
    // Walk a copy: a callback may give another body a mass.
    const std::vector<CPhysicsBody*> moving = mMovingBodies;
    for (CPhysicsBody* body : moving)
        body->runForceCallback(mStepTime);
    // One fixed tick: with maxSubSteps 0 Bullet runs exactly one step of the given length and
    // clears the forces afterwards, so forces never carry over into the next sub-step.
    mEngine->world.stepSimulation(mStepTime, 0, mStepTime);
    ++mTicks;
    for (CPhysicsBody* body : mMovingBodies)
        body->updateNode();
    reportContacts();
}

void CPhysicsWorld::reportContacts()
{
    if (mListeners.empty())
        return;
    btDispatcher* dispatcher = mEngine->world.getDispatcher();
    std::set<std::pair<const CPhysicsBody*, const CPhysicsBody*>> reported;
    std::vector<std::pair<CPhysicsBody*, CPhysicsBody*>> pairs;
    const int count = dispatcher->getNumManifolds();
    for (int i = 0; i < count; ++i) {
        btPersistentManifold* manifold = dispatcher->getManifoldByIndexInternal(i);
        auto* a = static_cast<CPhysicsBody*>(manifold->getBody0()->getUserPointer());
        auto* b = static_cast<CPhysicsBody*>(manifold->getBody1()->getUserPointer());
        if (!a || !b || a->mMaterialGroup != b->mMaterialGroup)
            continue;
        bool touching = false;
        for (int p = 0; p < manifold->getNumContacts() && !touching; ++p)
            touching = manifold->getContactPoint(p).getDistance() <= kContactTolerance;
        if (!touching)
            continue;
        const auto key = std::minmax<const CPhysicsBody*>(a, b);
        if (reported.insert(key).second)
            pairs.emplace_back(a, b);
    }
    for (auto& [a, b] : pairs) {
        for (auto& [group, listener] : mListeners) {
            if (group == a->mMaterialGroup && listener)
                listener->processContact(*a, *b);
        }
    }
}

int CPhysicsWorld::createMaterialGroupID()
{
    return mNextGroup++;
}

void CPhysicsWorld::setContactListener(int group, CContactListener* listener)
{
    for (auto& entry : mListeners) {
        if (entry.first == group) {
            entry.second = listener;
            return;
        }
    }
    mListeners.emplace_back(group, listener);
}

void CPhysicsWorld::addBody(CPhysicsBody* body)
{
    body->mWorldIndex = mBodies.size();
    mBodies.push_back(body);
    mEngine->world.addRigidBody(body->mBody.get());
}

void CPhysicsWorld::removeBody(CPhysicsBody* body)
{
    mEngine->world.removeRigidBody(body->mBody.get());
    // Swap-remove: a level tears down thousands of boxes.
    CPhysicsBody* last = mBodies.back();
    mBodies[body->mWorldIndex] = last;
    last->mWorldIndex = body->mWorldIndex;
    mBodies.pop_back();
    mMovingBodies.erase(std::remove(mMovingBodies.begin(), mMovingBodies.end(), body),
                        mMovingBodies.end());
}

void CPhysicsWorld::reinsertBody(CPhysicsBody* body)
{
    // Bullet sorts bodies into static and dynamic when they are added.
    mEngine->world.removeRigidBody(body->mBody.get());
    mEngine->world.addRigidBody(body->mBody.get());
    const auto it = std::find(mMovingBodies.begin(), mMovingBodies.end(), body);
    if (body->mMass > 0.0f && it == mMovingBodies.end())
        mMovingBodies.push_back(body);
    else if (body->mMass <= 0.0f && it != mMovingBodies.end())
        mMovingBodies.erase(it);
}

// ---------------------------------------------------------------------------------------------
// Bodies

CPhysicsBody::CPhysicsBody(CPhysicsWorld& world, CCollisionShapePtr shape)
    : mWorld(&world), mShape(std::move(shape))
{
    btRigidBody::btRigidBodyConstructionInfo info(0.0f, nullptr, mShape->native());
    mBody = std::make_unique<btRigidBody>(info);
    mBody->setUserPointer(this);
    // Flush boxes must not bump a rolling ball at their seams.
    mBody->setContactProcessingThreshold(0.0f);
    mWorld->addBody(this);
}

CPhysicsBody::~CPhysicsBody()
{
    if (mWorld)
        mWorld->removeBody(this);
}

void CPhysicsBody::setMassMatrix(float mass, const Ogre::Vector3& inertia)
{
    mMass = std::max(0.0f, mass);
    mBody->setMassProps(mMass, toBt(mMass > 0.0f ? inertia : Ogre::Vector3::ZERO));
    if (mMass > 0.0f) {
        mBody->setCollisionFlags(mBody->getCollisionFlags() & ~btCollisionObject::CF_STATIC_OBJECT);
        // A sleeping body ignores forces; balls and monsters must always feel theirs.
        mBody->setActivationState(DISABLE_DEACTIVATION);
        mBody->setContactProcessingThreshold(BT_LARGE_FLOAT);
    } else {
        mBody->setCollisionFlags(mBody->getCollisionFlags() | btCollisionObject::CF_STATIC_OBJECT);
        mBody->setContactProcessingThreshold(0.0f);
    }
    mBody->updateInertiaTensor();
    if (mWorld)
        mWorld->reinsertBody(this);
}

void CPhysicsBody::attachNode(Ogre::SceneNode* node)
{
    mNode = node;
    updateNode();
}

void CPhysicsBody::updateNode()
{
    if (!mNode)
        return;
    const btTransform& transform = mBody->getWorldTransform();
    mNode->setPosition(toOgre(transform.getOrigin()));
    mNode->setOrientation(toOgre(transform.getRotation()));
}

void CPhysicsBody::setPositionOrientation(const Ogre::Vector3& position,
                                          const Ogre::Quaternion& orientation)
{
    btTransform transform(toBt(orientation), toBt(position));
    mBody->setWorldTransform(transform);
    mBody->setCenterOfMassTransform(transform);
    mBody->setInterpolationWorldTransform(transform);
    mBody->setInterpolationLinearVelocity(mBody->getLinearVelocity());
    mBody->setInterpolationAngularVelocity(mBody->getAngularVelocity());
    if (mWorld) {
        // Static bodies' bounds are not refreshed by the step (setForceUpdateAllAabbs off).
        mWorld->mEngine->world.updateSingleAabb(mBody.get());
    }
    if (mMass > 0.0f)
        mBody->activate(true);
    updateNode();
}

Ogre::Vector3 CPhysicsBody::getPosition() const
{
    return toOgre(mBody->getWorldTransform().getOrigin());
}

Ogre::Quaternion CPhysicsBody::getOrientation() const
{
    return toOgre(mBody->getWorldTransform().getRotation());
}

Ogre::Vector3 CPhysicsBody::getVelocity() const
{
    return toOgre(mBody->getLinearVelocity());
}

void CPhysicsBody::setVelocity(const Ogre::Vector3& velocity)
{
    mBody->setLinearVelocity(toBt(velocity));
    mBody->setInterpolationLinearVelocity(toBt(velocity));
}

Ogre::Vector3 CPhysicsBody::getOmega() const
{
    return toOgre(mBody->getAngularVelocity());
}

void CPhysicsBody::setOmega(const Ogre::Vector3& omega)
{
    mBody->setAngularVelocity(toBt(omega));
    mBody->setInterpolationAngularVelocity(toBt(omega));
}

void CPhysicsBody::addForce(const Ogre::Vector3& force)
{
    mBody->applyCentralForce(toBt(force));
}

void CPhysicsBody::clearForce()
{
    mBody->clearForces();
}

void CPhysicsBody::setLinearDamping(float damping)
{
    mBody->setDamping(damping, mBody->getAngularDamping());
}

void CPhysicsBody::setAngularDamping(float damping)
{
    mBody->setDamping(mBody->getLinearDamping(), damping);
}

void CPhysicsBody::runForceCallback(float step)
{
    if (mForceCallback)
        mForceCallback(*this, step);
}

// ---------------------------------------------------------------------------------------------
// Frame listener

CPhysicsFrameListener::CPhysicsFrameListener(Ogre::RenderWindow* window, CPhysicsWorld& world,
                                             float updateRate)
    : mWindow(window), mWorld(world)
{
    mWorld.setUpdateRate(updateRate);
}

bool CPhysicsFrameListener::frameStarted(const Ogre::FrameEvent& evt)
{
    mWorld.step(evt.timeSinceLastFrame);
    return true;
}
