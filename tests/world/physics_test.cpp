// The physics layer's guarantees: fixed sub-steps with a cap, forces that act during one step only,
// a frame listener that steps the world, and bodies that outlive their world. Resting, rolling and
// contacts show in the level tests.
#include "headless_ogre.h"
#include "world/physics.h"

#include <OgreRoot.h>
#include <OgreSceneManager.h>

#include <gtest/gtest.h>

namespace {

constexpr float kStep = 0.01f;
constexpr float kBallRadius = 0.4f;

std::unique_ptr<CPhysicsBody> makeBall(CPhysicsWorld& world, const Ogre::Vector3& position,
                                       float mass = 1.0f, bool falls = true)
{
    auto body = std::make_unique<CPhysicsBody>(
        world, CCollisionShape::createEllipsoid(Ogre::Vector3(kBallRadius)));
    Ogre::Vector3 inertia, centre;
    body->getCollision()->calculateInertialMatrix(inertia, centre);
    body->setMassMatrix(mass, inertia);
    body->setPositionOrientation(position, Ogre::Quaternion::IDENTITY);
    if (falls)
        body->setForceCallback([](CPhysicsBody& b, float) {
            b.addForce(Ogre::Vector3(0.0f, -9.81f * b.getMass(), 0.0f));
        });
    return body;
}

} // namespace

TEST(PhysicsWorld, runsFixedSubStepsCarriesRemainderAndCapsEachCall)
{
    CPhysicsWorld world(100.0f, 5, "main");
    EXPECT_EQ(world.step(0.025f), 2);
    EXPECT_EQ(world.step(0.006f), 1); // 0.005 carried over + 0.006
    EXPECT_EQ(world.step(1.0f), 5);
    EXPECT_EQ(world.getTickCount(), 8u);
    // Time beyond the cap is not replayed later, but it is accounted for.
    EXPECT_NEAR(world.getDroppedTime(), 0.95, 0.011);
    EXPECT_EQ(world.step(0.0f), 0) << "only the sub-step remainder is carried past the cap";
}

TEST(PhysicsWorld, forcesActDuringTheirStepOnlyAndCallbacksRunOncePerSubStep)
{
    CPhysicsWorld world;
    auto ball = makeBall(world, Ogre::Vector3::ZERO, 2.0f, false);
    ball->addForce(Ogre::Vector3(20.0f, 0.0f,
                                 0.0f)); // before the step: acts in the next one
    world.step(kStep);
    world.step(kStep);
    EXPECT_NEAR(ball->getVelocity().x, 20.0f / 2.0f * kStep,
                1e-5f); // not in the second step

    // A callback adding the same force every step accelerates uniformly: v = n * F/m * dt.
    ball->setVelocity(Ogre::Vector3::ZERO);
    std::vector<float> steps;
    ball->setForceCallback([&steps](CPhysicsBody& b, float step) {
        steps.push_back(step);
        b.addForce(Ogre::Vector3(2.0f, 0, 0));
    });
    world.step(0.055f);
    EXPECT_EQ(steps, std::vector<float>(5, kStep));
    EXPECT_NEAR(ball->getVelocity().x, 5 * 1.0f * kStep, 1e-5f);
}

TEST(PhysicsFrameListener, stepsWhileRegisteredAndPausesWhenRemoved)
{
    HeadlessOgre ogre;
    CPhysicsWorld world;
    CPhysicsFrameListener listener(nullptr, world, 100.0f);
    auto ball = makeBall(world, Ogre::Vector3(0, 50, 0));
    ogre.root->addFrameListener(&listener);
    ogre.frame(1.0f / 60.0f);
    ogre.frame(1.0f / 60.0f);
    EXPECT_EQ(world.getTickCount(), 3u);
    const float fallen = ball->getPosition().y;
    ogre.root->removeFrameListener(&listener);
    ogre.frame(0.1f);
    EXPECT_EQ(world.getTickCount(), 3u);
    EXPECT_EQ(ball->getPosition().y, fallen);

    // Bodies outliving their world are inert.
    std::unique_ptr<CPhysicsWorld> gone = std::make_unique<CPhysicsWorld>();
    auto orphan = makeBall(*gone, Ogre::Vector3::ZERO);
    gone.reset();
    EXPECT_EQ(orphan->getWorld(), nullptr);
    orphan->setPositionOrientation(Ogre::Vector3(1, 2, 3), Ogre::Quaternion::IDENTITY);
    EXPECT_EQ(orphan->getPosition(), Ogre::Vector3(1, 2, 3));
}
