// The physics layer's guarantees: fixed sub-steps with a cap, forces that act during one step
// only, nodes following bodies, contact reports, shapes without extra margin.
#include "headless_ogre.h"
#include "world/physics.h"

#include <OgreRoot.h>
#include <OgreSceneManager.h>

#include <gtest/gtest.h>

#include <set>

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

std::unique_ptr<CPhysicsBody> makeUnitBox(CPhysicsWorld& world, const Ogre::Vector3& position)
{
    const float h = 0.5f;
    const std::vector<Ogre::Vector3> corners = {{h, h, -h},   {-h, h, -h}, {-h, h, h},
                                                {h, h, h},    {0, h, 0},   {h, -h, -h},
                                                {-h, -h, -h}, {-h, -h, h}, {h, -h, h}};
    auto body = std::make_unique<CPhysicsBody>(world, CCollisionShape::createConvexHull(corners));
    body->setPositionOrientation(position, Ogre::Quaternion::IDENTITY);
    return body;
}

using BodyPair = std::pair<const CPhysicsBody*, const CPhysicsBody*>;

struct SRecorder : CContactListener
{
    void processContact(CPhysicsBody& a, CPhysicsBody& b) override
    {
        pairs.insert(std::minmax<const CPhysicsBody*>(&a, &b));
        ++calls;
    }
    std::set<BodyPair> pairs;
    int calls = 0;
};

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
    ball->addForce(Ogre::Vector3(20.0f, 0.0f, 0.0f)); // before the step: acts in the next one
    world.step(kStep);
    world.step(kStep);
    EXPECT_NEAR(ball->getVelocity().x, 20.0f / 2.0f * kStep, 1e-5f); // not in the second step

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

TEST(PhysicsWorld, ballRestsOnHullBoxesWithoutAGapRollsAcrossWithoutBumpingAndNeverSleeps)
{
    CPhysicsWorld world;
    std::vector<std::unique_ptr<CPhysicsBody>> boxes;
    for (int i = 0; i < 10; ++i)
        boxes.push_back(makeUnitBox(world, Ogre::Vector3(static_cast<float>(i), 0, 0)));
    auto ball = makeBall(world, Ogre::Vector3(0, 1.2f, 0));
    world.step(3.0f);
    for (int i = 0; i < 300; ++i)
        world.step(kStep);
    EXPECT_NEAR(ball->getPosition().y, 0.5f + kBallRadius, 0.01f);

    // After seconds of rest a push still moves it, over the joints at an even height.
    ball->setVelocity(Ogre::Vector3(4, 0, 0));
    float highest = 0.0f;
    for (int i = 0; i < 200 && ball->getPosition().x < 8.5f; ++i) {
        world.step(kStep);
        highest = std::max(highest, ball->getPosition().y);
    }
    EXPECT_GT(ball->getPosition().x, 5.0f);
    EXPECT_LT(highest, 0.5f + kBallRadius + 0.02f);

    Ogre::Vector3 inertia, centre; // unit-mass inertia comes from the shape
    CCollisionShape::createBox(Ogre::Vector3(0.5f))->calculateInertialMatrix(inertia, centre);
    EXPECT_NEAR(inertia.y, (0.25f + 0.25f) / 12.0f, 1e-4f);
}

TEST(PhysicsWorld, reportsEveryTouchingPairOfTheGroupOncePerSubStep)
{
    CPhysicsWorld world;
    SRecorder recorder;
    const int group = world.createMaterialGroupID();
    world.setContactListener(group, &recorder);
    auto box = makeUnitBox(world, Ogre::Vector3::ZERO);
    box->setMaterialGroupID(group);
    // Balls 0.9 apart on the box's corners touch the box, not each other.
    std::vector<std::unique_ptr<CPhysicsBody>> balls;
    std::set<BodyPair> expected;
    for (const Ogre::Vector3& corner :
         {Ogre::Vector3(-0.45f, 0, -0.45f), Ogre::Vector3(0.45f, 0, -0.45f),
          Ogre::Vector3(-0.45f, 0, 0.45f)}) {
        balls.push_back(makeBall(world, corner + Ogre::Vector3(0, 0.5f + kBallRadius, 0)));
        balls.back()->setMaterialGroupID(group);
        expected.insert(std::minmax<const CPhysicsBody*>(box.get(), balls.back().get()));
    }
    // A ball of another group touches the box too, one of the group flies high above.
    auto stranger = makeBall(world, Ogre::Vector3(0.45f, 0.5f + kBallRadius, 0.45f));
    auto flying = makeBall(world, Ogre::Vector3(0, 20, 0), 1.0f, false);
    flying->setMaterialGroupID(group);
    world.step(kStep);
    recorder.pairs.clear();
    recorder.calls = 0;
    world.step(kStep);
    EXPECT_EQ(recorder.calls, static_cast<int>(recorder.pairs.size()));
    EXPECT_EQ(recorder.pairs, expected);
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
