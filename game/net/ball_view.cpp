// Applying the server's "/state" on a client: the own ball's corrections, the other ball's
// shown place, and the monsters.
#include "game/net/ball_view.h"

#include "world/monster.h"
#include "world/physics.h"
#include "world/scene.h"

#include <algorithm>

namespace {
// The server's states are carried on to now along their velocity for at most this long.
constexpr double kMaxCarry = 0.5;

int ownIndex(const CScene& scene)
{
    return scene.getLocalPlayer() - 1;
}

int remoteIndex(const CScene& scene)
{
    return scene.getLocalPlayer() == protocol::kServerPlayer ? protocol::kClientPlayer - 1
                                                             : protocol::kServerPlayer - 1;
}

void place(CPhysicsBody& body, const protocol::SBodyState& state, float carry)
{
    body.setPositionOrientation(state.position + state.velocity * carry, body.getOrientation());
    body.setVelocity(state.velocity);
    body.setOmega(state.omega);
}
} // namespace

void CBallView::follow(CScene& scene)
{
    if (mScene == &scene)
        return;
    mScene = &scene;
    mRemote = CRemoteBall(mInterval);
    mOwn = COwnBall();
    mHasLast = false;
}

void CBallView::onState(CScene& scene, double now, double roundTrip, double stamp,
                        const std::vector<protocol::SBodyState>& bodies)
{
    follow(scene);
    mRemote.noteArrival(now, stamp);
    // How old the state is on the server's clock, and when this game was where it tells.
    const double age = std::clamp(mRemote.serverNow(now) - stamp, 0.0, kMaxCarry);
    const double then = now - age - roundTrip;
    const std::vector<CMonster*>& monsters = scene.getMonsters();
    for (const protocol::SBodyState& state : bodies) {
        if (state.index == remoteIndex(scene)) {
            mRemote.add(now, stamp, state.position, state.velocity);
            // The body stays where the server has it now, for the contacts of this game.
            if (CPhysicsBody* body = scene.getBallBody(state.index))
                place(*body, state, static_cast<float>(age));
        } else if (state.index == ownIndex(scene)) {
            CPhysicsBody* body = scene.getBallBody(state.index);
            if (body &&
                mOwn.correct(then, state.position, state.velocity) == COwnBall::EAction::Place) {
                place(*body, state, static_cast<float>(std::min(now - then, kMaxCarry)));
                mOwn.restart(now);
                mLastOwn = body->getPosition();
            }
        } else if (state.index >= protocol::kPlayerCount &&
                   static_cast<std::size_t>(state.index - protocol::kPlayerCount) <
                       monsters.size()) {
            CPhysicsBody* body = monsters[state.index - protocol::kPlayerCount]->getBody();
            // Bodies without mass stand still on both sides and are never corrected.
            if (!body || body->getMass() <= 0.0f)
                continue;
            const Ogre::Vector3 carried = state.position + state.velocity * static_cast<float>(age);
            if (body->getPosition().distance(carried) > kMonsterThreshold)
                place(*body, state, static_cast<float>(age));
            else
                body->setVelocity(state.velocity);
        }
    }
}

void CBallView::update(CScene& scene, double now)
{
    follow(scene);
    const double dt = mHasLast ? now - mLastNow : 0.0;
    mLastNow = now;
    if (CPhysicsBody* body = scene.getBallBody(ownIndex(scene))) {
        Ogre::Vector3 position = body->getPosition();
        Ogre::Vector3 velocity = body->getVelocity();
        // This game sent its ball back (a fall, a monster): its past no longer compares.
        if (mHasLast && position.distance(mLastOwn) > COwnBall::kPlaceDistance)
            mOwn.restart(now + kResetQuiet);
        Ogre::Vector3 shift, push;
        mOwn.step(dt, shift, push);
        if (shift != Ogre::Vector3::ZERO || push != Ogre::Vector3::ZERO) {
            position += shift;
            velocity += push;
            body->setPositionOrientation(position, body->getOrientation());
            body->setVelocity(velocity);
        }
        mOwn.record(now, position, velocity);
        mLastOwn = position;
        mHasLast = true;
    }
    if (mRemote.hasState())
        scene.showBallAt(remoteIndex(scene), mRemote.shownPosition(now));
}
