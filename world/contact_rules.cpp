// The contact rules of a round: which waypoint a ball or monster is on, bumps, monster hits, and
// the finish that decides the winner.
#include "world/scene.h"

#include "world/box.h"
#include "world/monster.h"

#include <algorithm>

void CScene::processContact(CPhysicsBody& a, CPhysicsBody& b)
{
    // The engine names the two bodies in no fixed order, while the rules below are written
    // for one order (a ball as the first body, a monster as the first body). Applying them to
    // the pair both ways round makes the outcome independent of the engine's order.
    applyContactRules(a, b);
    applyContactRules(b, a);
}

CWaypoint* CScene::findWaypointOfBody(const CPhysicsBody& body) const
{
    const auto it = mBoxesByBody.find(&body);
    return it != mBoxesByBody.end() ? findWaypoint(it->second) : nullptr;
}

void CScene::applyContactRules(CPhysicsBody& a, CPhysicsBody& b)
{
    // Only moving bodies can be monsters, and only boxes carry waypoints.
    CWaypoint* waypointOfB = b.getMass() == 0.0f ? findWaypointOfBody(b) : nullptr;
    if (waypointOfB && a.getMass() > 0.0f) {
        for (CMonster* monster : mMonsters) {
            if (monster->getBody() == &a)
                monster->setLastWaypoint(waypointOfB);
        }
    }

    const int ballA = findBall(a);
    const int ballB = findBall(b);
    if (ballA >= 0) {
        SBall& ball = mBalls[ballA];
        const Ogre::Vector3 velocity = a.getVelocity();
        if ((ball.lastVelocity - velocity).length() > kCollisionSpeedChange)
            ball.collisionEvent = true;
        ball.lastVelocity = velocity;
        // Only boxes (the level's static bodies) tell where the ball is: touching a monster or
        // another ball must not make the slimes lose it.
        if (b.getMass() == 0.0f)
            ball.waypoint = waypointOfB;
    }
    if (ballA < 0 && ballB < 0)
        return;

    const bool finish = std::any_of(mFinishBoxes.begin(), mFinishBoxes.end(), [&](CBox* box) {
        return box->getBody() && (box->getBody() == &a || box->getBody() == &b);
    });
    if (finish)
        finishReached(ballA >= 0 ? ballA : ballB);

    if (ballB >= 0) {
        for (CMonster* monster : mMonsters) {
            if (monster->getBody() == &a && monster->hitsBall())
                resetBall(ballB);
        }
    }
}

void CScene::finishReached(int ballIndex)
{
    if (mWinner == 0) {
        for (CBox* box : mFinishBoxes) {
            const std::string name = startParticleEffect(EFFECT_FIREWORK, box->getTopCentre(),
                                                         Ogre::Vector3::UNIT_SCALE, box->getName());
            if (!name.empty())
                mFireworkNames.push_back(name);
        }
    }
    // The first ball to arrive wins. A later finish contact of another ball (the others are
    // stopped, but may still be rolling onto a finish box) must not take the win from it.
    if (mWinner == 0)
        mWinner = ballIndex + 1;
    for (size_t i = 0; i < mBalls.size(); ++i) {
        if (i < mBallForces.size())
            mBallForces[i] = Ogre::Vector3::ZERO;
        mBalls[i].body->clearForce();
        mBalls[i].body->setOmega(Ogre::Vector3::ZERO);
        mBalls[i].body->setVelocity(Ogre::Vector3::ZERO);
    }
}
