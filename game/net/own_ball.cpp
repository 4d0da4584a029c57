// Comparing the server's state of the own ball with the ball's past, and blending the
// difference in.
#include "game/net/own_ball.h"

#include <algorithm>

void COwnBall::record(double now, const Ogre::Vector3& position, const Ogre::Vector3& velocity)
{
    if (!mPast.empty() && now <= mPast.back().time)
        return;
    mPast.push_back({now, position, velocity});
    while (mPast.size() > 2 && mPast.front().time < now - kHistory)
        mPast.pop_front();
}

bool COwnBall::pastAt(double time, SSample& sample) const
{
    if (mPast.empty() || time < mPast.front().time)
        return false;
    if (time >= mPast.back().time) {
        sample = mPast.back();
        return true;
    }
    std::size_t i = 1;
    while (mPast[i].time < time)
        ++i;
    const SSample& a = mPast[i - 1];
    const SSample& b = mPast[i];
    const float u = static_cast<float>((time - a.time) / (b.time - a.time));
    sample = {time, a.position + (b.position - a.position) * u,
              a.velocity + (b.velocity - a.velocity) * u};
    return true;
}

COwnBall::EAction COwnBall::correct(double then, const Ogre::Vector3& position,
                                    const Ogre::Vector3& velocity)
{
    SSample past;
    if (!pastAt(then, past))
        return EAction::None;
    const Ogre::Vector3 error = position - past.position;
    const float distance = error.length();
    if (distance > kPlaceDistance) {
        if (then < mQuietUntil)
            return EAction::None; // the server has not yet heard of our own reset
        return EAction::Place;
    }
    // A newer state replaces what is left of an older one: the past it was measured against
    // already holds the part applied so far.
    if (distance < kDeadBand) {
        mRemaining = 0.0;
        return EAction::None;
    }
    mPendingPosition = error;
    mPendingVelocity = velocity - past.velocity;
    mRemaining = kBlendTime;
    return EAction::Blend;
}

void COwnBall::step(double dt, Ogre::Vector3& position, Ogre::Vector3& velocity)
{
    position = velocity = Ogre::Vector3::ZERO;
    if (mRemaining <= 0.0 || dt <= 0.0)
        return;
    const float share = static_cast<float>(std::min(1.0, dt / mRemaining));
    position = mPendingPosition * share;
    velocity = mPendingVelocity * share;
    mPendingPosition -= position;
    mPendingVelocity -= velocity;
    mRemaining -= dt;
    for (SSample& sample : mPast) {
        sample.position += position;
        sample.velocity += velocity;
    }
}

void COwnBall::restart(double quietUntil)
{
    mPast.clear();
    mRemaining = 0.0;
    mPendingPosition = mPendingVelocity = Ogre::Vector3::ZERO;
    mQuietUntil = quietUntil;
}
