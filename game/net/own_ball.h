// COwnBall: the server's corrections of the player's own ball on the client. The ball moves at
// once with the player's keys; the server's state of it reaches the client a round trip after
// the keys that made it, so it is compared with where the ball was then, not now. A difference
// is blended in over a few frames, moving the ball and its past alike (so it is not corrected
// twice); a difference of several units (a reset, a fall) places the ball at once.
#pragma once

#include <OgreVector.h>

#include <deque>

class COwnBall
{
public:
    // Differences smaller than this are left alone: the two simulations never agree exactly.
    static constexpr float kDeadBand = 0.03f;
    // Beyond this the server's state is taken at once.
    static constexpr float kPlaceDistance = 3.0f;
    // A correction is blended in over this long (seconds).
    static constexpr double kBlendTime = 0.15;
    // How much of the ball's past is kept (seconds): more than any round trip worth blending.
    static constexpr double kHistory = 2.0;

    enum class EAction
    {
        None,  // nothing to do (too small, or no past to compare with)
        Blend, // step() moves the ball from now on
        Place  // the caller puts the ball at the server's state now
    };

    // Where the ball is after this frame's physics (local time `now`).
    void record(double now, const Ogre::Vector3& position, const Ogre::Vector3& velocity);
    // The server's state of the ball for local time `then` (now minus the round trip).
    EAction correct(double then, const Ogre::Vector3& position, const Ogre::Vector3& velocity);
    // This frame's share of the correction under way: add it to the ball's position and
    // velocity. Its past moves with it.
    void step(double dt, Ogre::Vector3& position, Ogre::Vector3& velocity);
    // The ball was put somewhere new (by the server's state or this game's own reset): its
    // past no longer compares. Large differences are not believed until `quietUntil`, while
    // the server's word of the same reset is still on its way.
    void restart(double quietUntil);
    bool blending() const { return mRemaining > 0.0; }

private:
    struct SSample
    {
        double time;
        Ogre::Vector3 position;
        Ogre::Vector3 velocity;
    };
    bool pastAt(double time, SSample& sample) const;

    std::deque<SSample> mPast;
    Ogre::Vector3 mPendingPosition = Ogre::Vector3::ZERO;
    Ogre::Vector3 mPendingVelocity = Ogre::Vector3::ZERO;
    double mRemaining = 0.0;
    double mQuietUntil = -1.0;
};
