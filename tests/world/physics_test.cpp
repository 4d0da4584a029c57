// The physics layer's guarantees: fixed sub-steps with a cap, nodes following bodies, forces
// that act during one step only, teleports, contact reports, shapes without extra margin.
#include "headless_ogre.h"
#include "world/physics.h"

#include <OgreRoot.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <gtest/gtest.h>

#include <set>

namespace {

constexpr float kStep = 0.01f;
constexpr float kBallRadius = 0.4f;

std::unique_ptr<CPhysicsBody> makeBall(CPhysicsWorld& world, const Ogre::Vector3& position,
                                       float mass = 1.0f)
{
    auto body = std::make_unique<CPhysicsBody>(
        world, CCollisionShape::createEllipsoid(Ogre::Vector3(kBallRadius)));
    Ogre::Vector3 inertia;
    Ogre::Vector3 centre;
    body->getCollision()->calculateInertialMatrix(inertia, centre);
    body->setMassMatrix(mass, inertia);
    body->setPositionOrientation(position, Ogre::Quaternion::IDENTITY);
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

void addGravity(CPhysicsBody& body, float)
{
    body.addForce(Ogre::Vector3(0.0f, -9.81f * body.getMass(), 0.0f));
}

struct SRecorder : CContactListener
{
    void processContact(CPhysicsBody& a, CPhysicsBody& b) override
    {
        pairs.insert(std::minmax<const CPhysicsBody*>(&a, &b));
        ++calls;
    }
    std::set<std::pair<const CPhysicsBody*, const CPhysicsBody*>> pairs;
    int calls = 0;
};

} // namespace

TEST(PhysicsWorld, runsFixedSubStepsCarriesRemainderAndCapsEachCall)
{
    CPhysicsWorld world(100.0f, 5, "main");
    EXPECT_EQ(world.getName(), "main");
    EXPECT_EQ(world.step(0.025f), 2);
    EXPECT_EQ(world.step(0.006f), 1); // 0.005 carried over + 0.006
    EXPECT_EQ(world.getTickCount(), 3u);
    EXPECT_EQ(world.step(1.0f), 5);
    EXPECT_EQ(world.getTickCount(), 8u);
    // Time beyond the cap is not replayed later, but it is accounted for.
    EXPECT_NEAR(world.getDroppedTime(), 0.95, 0.011);
    EXPECT_EQ(world.step(0.0f), 0) << "only the sub-step remainder is carried past the cap";
}

TEST(PhysicsWorld, forceCallbackRunsOncePerBodyPerSubStepWithTheStepTime)
{
    CPhysicsWorld world;
    auto ball = makeBall(world, Ogre::Vector3::ZERO);
    std::vector<float> steps;
    ball->setForceCallback([&steps](CPhysicsBody&, float step) { steps.push_back(step); });
    world.step(0.035f);
    ASSERT_EQ(steps.size(), 3u);
    for (float step : steps)
        EXPECT_FLOAT_EQ(step, kStep);
}

TEST(PhysicsWorld, forcesActDuringTheirStepOnlyAndDoNotAccumulate)
{
    CPhysicsWorld world;
    auto ball = makeBall(world, Ogre::Vector3::ZERO, 2.0f);
    ball->addForce(Ogre::Vector3(20.0f, 0.0f, 0.0f)); // before the step: acts in the next one
    world.step(kStep);
    EXPECT_NEAR(ball->getVelocity().x, 20.0f / 2.0f * kStep, 1e-5f);
    world.step(kStep);
    EXPECT_NEAR(ball->getVelocity().x, 0.1f, 1e-5f); // no force in the second step

    // A callback adding the same force every step accelerates uniformly: v = n * F/m * dt.
    ball->setVelocity(Ogre::Vector3::ZERO);
    ball->setForceCallback([](CPhysicsBody& b, float) { b.addForce(Ogre::Vector3(2.0f, 0, 0)); });
    world.step(5 * kStep);
    EXPECT_NEAR(ball->getVelocity().x, 5 * 1.0f * kStep, 1e-5f);
}

TEST(PhysicsWorld, attachedNodeFollowsTheBodyAfterEveryStepAndAfterTeleports)
{
    HeadlessOgre ogre;
    CPhysicsWorld world;
    auto ball = makeBall(world, Ogre::Vector3(0, 10, 0));
    ball->setForceCallback(addGravity);
    Ogre::SceneNode* node = ogre.sceneManager->getRootSceneNode()->createChildSceneNode("n");
    ball->attachNode(node);
    world.step(0.1f);
    EXPECT_LT(ball->getPosition().y, 10.0f);
    EXPECT_EQ(node->getPosition(), ball->getPosition());

    const Ogre::Vector3 velocityBefore = ball->getVelocity();
    ball->setPositionOrientation(Ogre::Vector3(5, 3, 1), Ogre::Quaternion::IDENTITY);
    EXPECT_EQ(node->getPosition(), Ogre::Vector3(5, 3, 1)); // at once, with no step between
    EXPECT_EQ(ball->getVelocity(), velocityBefore);
    world.step(kStep);
    // The next step starts from the new place.
    EXPECT_NEAR(ball->getPosition().x, 5.0f, 1e-4f);
    EXPECT_NEAR(ball->getPosition().y, 3.0f + ball->getVelocity().y * kStep, 1e-3f);
    EXPECT_EQ(node->getPosition(), ball->getPosition());
}

TEST(PhysicsWorld, ballRestsOnAHullBoxWithoutAGapAndNeverFallsAsleep)
{
    CPhysicsWorld world;
    auto box = makeUnitBox(world, Ogre::Vector3::ZERO);
    auto ball = makeBall(world, Ogre::Vector3(0, 1.2f, 0));
    ball->setForceCallback(addGravity);
    world.step(3.0f);
    for (int i = 0; i < 300; ++i)
        world.step(kStep);
    EXPECT_NEAR(ball->getPosition().y, 0.5f + kBallRadius, 0.01f);

    // After seconds of rest a force still moves it.
    ball->setForceCallback([](CPhysicsBody& b, float s) {
        addGravity(b, s);
        b.addForce(Ogre::Vector3(5, 0, 0));
    });
    world.step(0.05f);
    EXPECT_GT(ball->getVelocity().x, 0.1f);
}

TEST(PhysicsWorld, ballRollsAcrossFlushBoxesWithoutBumping)
{
    CPhysicsWorld world;
    std::vector<std::unique_ptr<CPhysicsBody>> boxes;
    for (int i = 0; i < 10; ++i)
        boxes.push_back(makeUnitBox(world, Ogre::Vector3(static_cast<float>(i), 0, 0)));
    auto ball = makeBall(world, Ogre::Vector3(0, 0.5f + kBallRadius, 0));
    ball->setVelocity(Ogre::Vector3(4, 0, 0));
    ball->setForceCallback(addGravity);
    float highest = 0.0f;
    for (int i = 0; i < 200 && ball->getPosition().x < 8.5f; ++i) {
        world.step(kStep);
        highest = std::max(highest, ball->getPosition().y);
    }
    EXPECT_GT(ball->getPosition().x, 5.0f);
    EXPECT_LT(highest, 0.5f + kBallRadius + 0.02f);
}

TEST(PhysicsWorld, unitMassInertiaComesFromTheShape)
{
    Ogre::Vector3 inertia;
    Ogre::Vector3 centre;
    CCollisionShape::createEllipsoid(Ogre::Vector3(kBallRadius))
        ->calculateInertialMatrix(inertia, centre);
    EXPECT_NEAR(inertia.x, 0.4f * kBallRadius * kBallRadius, 1e-5f);
    EXPECT_EQ(centre, Ogre::Vector3::ZERO);
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
    std::vector<std::unique_ptr<CPhysicsBody>> balls;
    for (int i = 0; i < 3; ++i) {
        const Ogre::Vector3 corners[3] = {
            {-0.45f, 0, -0.45f}, {0.45f, 0, -0.45f}, {-0.45f, 0, 0.45f}};
        balls.push_back(makeBall(world, corners[i] + Ogre::Vector3(0, 0.5f + kBallRadius, 0)));
        balls.back()->setMaterialGroupID(group);
        balls.back()->setForceCallback(addGravity);
    }
    // A ball of another group touches the box too: not reported.
    auto stranger = makeBall(world, Ogre::Vector3(0.45f, 0.5f + kBallRadius, 0.45f));
    stranger->setForceCallback(addGravity);
    // A ball of the group high above touches nothing.
    auto flying = makeBall(world, Ogre::Vector3(0, 20, 0));
    flying->setMaterialGroupID(group);

    world.step(kStep);
    recorder.pairs.clear();
    recorder.calls = 0;
    world.step(kStep);
    EXPECT_EQ(recorder.calls, static_cast<int>(recorder.pairs.size()));
    std::set<std::pair<const CPhysicsBody*, const CPhysicsBody*>> expected;
    for (const auto& ball : balls)
        expected.insert(std::minmax<const CPhysicsBody*>(box.get(), ball.get()));
    // The balls stand 0.9 apart on the box's corners: they touch the box, not each other.
    EXPECT_EQ(recorder.pairs, expected);
}

TEST(PhysicsFrameListener, stepsWhileRegisteredAndPausesWhenRemoved)
{
    HeadlessOgre ogre;
    CPhysicsWorld world;
    CPhysicsFrameListener listener(nullptr, world, 100.0f);
    auto ball = makeBall(world, Ogre::Vector3(0, 50, 0));
    ball->setForceCallback(addGravity);

    ogre.root->addFrameListener(&listener);
    ogre.frame(1.0f / 60.0f);
    ogre.frame(1.0f / 60.0f);
    EXPECT_EQ(world.getTickCount(), 3u);
    const float fallen = ball->getPosition().y;
    EXPECT_LT(fallen, 50.0f);

    ogre.root->removeFrameListener(&listener);
    ogre.frame(0.1f);
    ogre.frame(0.1f);
    EXPECT_EQ(world.getTickCount(), 3u);
    EXPECT_EQ(ball->getPosition().y, fallen);

    ogre.root->addFrameListener(&listener);
    ogre.frame(0.02f);
    EXPECT_LT(ball->getPosition().y, fallen);
    ogre.root->removeFrameListener(&listener);
}

TEST(PhysicsWorld, bodiesOutlivingTheirWorldAreInert)
{
    auto world = std::make_unique<CPhysicsWorld>();
    auto ball = makeBall(*world, Ogre::Vector3::ZERO);
    EXPECT_EQ(world->getBodyCount(), 1u);
    world.reset();
    EXPECT_EQ(ball->getWorld(), nullptr);
    ball->setPositionOrientation(Ogre::Vector3(1, 2, 3), Ogre::Quaternion::IDENTITY);
    EXPECT_EQ(ball->getPosition(), Ogre::Vector3(1, 2, 3));
}
