// CStateDelta: which bodies the server's next "/state" tells. A body is told when it is no
// longer where its last told state, carried on along its velocity, puts it; the balls are told
// at every chance while they move, so that the other screen can show them smoothly; and every
// body is told again at least once a refresh interval, so that nothing stays wrong for long.
#pragma once

#include "game/net/protocol.h"

#include <unordered_map>
#include <vector>

class CStateDelta
{
public:
    // A body this far off its last told path is told again (units).
    static constexpr float kPathTolerance = 0.1f;
    // A ball faster than this counts as moving (units per second).
    static constexpr float kMovingSpeed = 0.02f;
    // Every body is told again after this long without (seconds).
    static constexpr double kRefreshInterval = 1.0;

    // The bodies among `bodies` worth telling at server time `now`; those returned count as
    // told. Bodies with an index below `ballCount` are balls.
    std::vector<protocol::SBodyState>
    select(double now, const std::vector<protocol::SBodyState>& bodies, int ballCount);
    // Everything counts as never told (a new round, a new client).
    void clear() { mTold.clear(); }

private:
    struct STold
    {
        double time;
        Ogre::Vector3 position;
        Ogre::Vector3 velocity;
    };
    std::unordered_map<int, STold> mTold;
};
