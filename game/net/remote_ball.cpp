// Showing the other ball a little in the past: the server's clock, the shown time and the path
// between received states.
#include "game/net/remote_ball.h"

#include <algorithm>
#include <cmath>

namespace {
// The shown time catches up with (or falls back to) its target at most this much faster or
// slower than real time, so the ball never visibly speeds up or stalls.
constexpr double kClockSlew = 0.1;
// Farther off than this, the shown time is set at once (the first state, a long pause).
constexpr double kClockReset = 0.5;
// States older than this behind the shown time are forgotten.
constexpr double kKeep = 1.0;
// Between states farther apart than this the ball moves in a straight line.
constexpr double kLongGap = 0.3;

Ogre::Vector3 hermite(const Ogre::Vector3& p0, const Ogre::Vector3& v0, const Ogre::Vector3& p1,
                      const Ogre::Vector3& v1, double h, double u)
{
    const double u2 = u * u;
    const double u3 = u2 * u;
    const float a = static_cast<float>(2 * u3 - 3 * u2 + 1);
    const float b = static_cast<float>((u3 - 2 * u2 + u) * h);
    const float c = static_cast<float>(-2 * u3 + 3 * u2);
    const float d = static_cast<float>((u3 - u2) * h);
    return a * p0 + b * v0 + c * p1 + d * v1;
}
} // namespace

double CRemoteBall::serverNow(double now) const
{
    double best = -1e300;
    for (const SArrival& arrival : mArrivals)
        best = std::max(best, arrival.stamp + (now - arrival.local));
    return mArrivals.empty() ? now : best;
}

double CRemoteBall::targetDelay(double now) const
{
    // The latest a state arrived behind the quickest one, plus the gap between two states.
    double late = 0.0;
    const double server = serverNow(now);
    for (const SArrival& arrival : mArrivals)
        late = std::max(late, server - (now - arrival.local) - arrival.stamp);
    return std::clamp(late + mInterval + 0.01, kMinDelay, kMaxDelay);
}

void CRemoteBall::add(double now, double stamp, const Ogre::Vector3& position,
                      const Ogre::Vector3& velocity)
{
    if (!mStates.empty() && stamp <= mStates.back().stamp)
        return;
    const bool showing = !mStates.empty() && mClockSet;
    const Ogre::Vector3 before = showing ? path(mShownTime) + mFade : Ogre::Vector3::ZERO;
    mStates.push_back({stamp, position, velocity});
    noteArrival(now, stamp);
    if (!showing)
        return;
    // What the ball was shown at stays where it is; the difference fades out.
    const Ogre::Vector3 difference = before - path(mShownTime);
    mFade = difference.length() > kTeleportDistance ? Ogre::Vector3::ZERO : difference;
}

void CRemoteBall::noteArrival(double now, double stamp)
{
    mArrivals.push_back({now, stamp});
    while (mArrivals.front().local < now - kClockWindow)
        mArrivals.pop_front();
}

Ogre::Vector3 CRemoteBall::shownPosition(double now)
{
    if (mStates.empty())
        return Ogre::Vector3::ZERO;
    const double dt = mClockSet ? std::max(0.0, now - mLastNow) : 0.0;
    mLastNow = now;
    mDelay = targetDelay(now);
    const double target = serverNow(now) - mDelay;
    if (!mClockSet || std::fabs(target - (mShownTime + dt)) > kClockReset) {
        mShownTime = target;
        mClockSet = true;
    } else {
        const double rate = std::clamp(1.0 + (target - mShownTime - dt) / std::max(dt, 1e-3) * 0.1,
                                       1.0 - kClockSlew, 1.0 + kClockSlew);
        mShownTime += dt * rate;
    }
    mFade *= static_cast<float>(std::exp(-dt / kFadeTime));
    while (mStates.size() > 2 && mStates[1].stamp < mShownTime - kKeep)
        mStates.pop_front();
    return path(mShownTime) + mFade;
}

Ogre::Vector3 CRemoteBall::path(double t) const
{
    const SState& newest = mStates.back();
    if (t >= newest.stamp)
        return newest.position +
               newest.velocity * static_cast<float>(std::min(t - newest.stamp, kMaxExtrapolation));
    if (t <= mStates.front().stamp)
        return mStates.front().position;
    std::size_t i = 1;
    while (mStates[i].stamp < t)
        ++i;
    const SState& a = mStates[i - 1];
    const SState& b = mStates[i];
    const double h = b.stamp - a.stamp;
    const double u = (t - a.stamp) / h;
    // A teleport between the two: the ball stays on its old path until the new state's time.
    const Ogre::Vector3 expected =
        a.position + a.velocity * static_cast<float>(std::min(h, kMaxExtrapolation));
    if (expected.distance(b.position) > kTeleportDistance)
        return a.position +
               a.velocity * static_cast<float>(std::min(t - a.stamp, kMaxExtrapolation));
    if (h > kLongGap)
        return a.position + (b.position - a.position) * static_cast<float>(u);
    return hermite(a.position, a.velocity, b.position, b.velocity, h, u);
}
