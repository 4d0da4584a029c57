// CBallView: how a client shows a round whose server tells "/state": its own ball moves with
// its keys and takes the server's corrections blended in (COwnBall), the other ball is shown
// from the server's states a little in the past (CRemoteBall), and monsters far off the
// server's place are put there. Runs on the game thread.
#pragma once

#include "game/net/own_ball.h"
#include "game/net/protocol.h"
#include "game/net/remote_ball.h"

#include <vector>

class CScene;

class CBallView
{
public:
    // A monster farther than this from the server's place is put there.
    static constexpr float kMonsterThreshold = 0.5f;
    // After this game's own reset of its ball, the server's word of the ball from before it
    // heard of the reset is not believed; this long covers the jitter of that word.
    static constexpr double kResetQuiet = 0.1;

    explicit CBallView(double interval) : mRemote(interval), mInterval(interval) {}

    // A "/state" of server time `stamp`, received at local time `now`; `roundTrip` is the
    // measured round trip in seconds.
    void onState(CScene& scene, double now, double roundTrip, double stamp,
                 const std::vector<protocol::SBodyState>& bodies);
    // Once per frame after the physics: blends, remembers and shows.
    void update(CScene& scene, double now);

private:
    // A new scene (a new round) starts from nothing.
    void follow(CScene& scene);

    CRemoteBall mRemote;
    COwnBall mOwn;
    double mInterval;
    const CScene* mScene = nullptr;
    double mLastNow = 0.0;
    Ogre::Vector3 mLastOwn = Ogre::Vector3::ZERO;
    bool mHasLast = false;
};
