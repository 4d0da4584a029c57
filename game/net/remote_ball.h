// CRemoteBall: where to show the other player's ball, from the states the server sends about it.
// It is shown a little in the past, between two received states, so that a late state still
// arrives in time; over a short gap it goes on along the last velocity. When a new state
// contradicts what was being shown, the difference is faded out over a tenth of a second
// instead of being jumped over; only a jump of several units (a reset, a fall) is shown at once.
#pragma once

#include <OgreVector.h>

#include <deque>

class CRemoteBall
{
public:
    // How far in the past the ball is shown, at least and at most (seconds).
    static constexpr double kMinDelay = 0.06;
    static constexpr double kMaxDelay = 0.3;
    // The longest the ball goes on beyond the newest state before it waits there.
    static constexpr double kMaxExtrapolation = 0.25;
    // A difference between what was shown and what is known fades by e every this long.
    static constexpr double kFadeTime = 0.1;
    // A jump longer than this is a teleport (reset, fall) and is shown as one.
    static constexpr float kTeleportDistance = 3.0f;
    // Arrivals older than this no longer count for the estimate of the server's clock.
    static constexpr double kClockWindow = 2.0;

    // `interval`: the time between two states the server sends while the ball moves.
    explicit CRemoteBall(double interval = 0.05) : mInterval(interval) {}

    // A state of the server's time `stamp`, received at local time `now`. A stamp that is
    // not newer than the last one is ignored.
    void add(double now, double stamp, const Ogre::Vector3& position,
             const Ogre::Vector3& velocity);
    // Any word of the server with its clock, received at local time `now`: it tells the clock
    // even when it holds no state of this ball.
    void noteArrival(double now, double stamp);
    // Advances the shown time to local time `now` and returns the place to show.
    Ogre::Vector3 shownPosition(double now);
    bool hasState() const { return !mStates.empty(); }

    // The server's clock now, as the quickest recent state tells it (the stamp plus the time
    // since it arrived); `now` when nothing arrived yet.
    double serverNow(double now) const;
    // How far behind the server's clock the ball is shown now.
    double delay() const { return mDelay; }

private:
    struct SState
    {
        double stamp;
        Ogre::Vector3 position;
        Ogre::Vector3 velocity;
    };
    struct SArrival
    {
        double local;
        double stamp;
    };

    // The known path at server time t, without the fading difference.
    Ogre::Vector3 path(double t) const;
    double targetDelay(double now) const;

    double mInterval;
    std::deque<SState> mStates;
    std::deque<SArrival> mArrivals;
    double mShownTime = 0.0; // server time being shown
    double mLastNow = 0.0;
    bool mClockSet = false;
    double mDelay = kMinDelay;
    Ogre::Vector3 mFade = Ogre::Vector3::ZERO;
};
