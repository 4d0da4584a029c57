// CReplay: watching a stored run. The level is built as for a round and stays paused (no
// physics, no monsters moving); the ball is put where the recording says at the replay's clock,
// which runs at 0.5x to 4x and can be stopped. It owns the level and hands it to the destroy
// list when it goes.
#pragma once

#include "game/core/recording.h"
#include "world/ext_frame_listener.h"

#include <array>
#include <functional>
#include <string>

class CScene;

class CReplay : public CExtFrameListener
{
public:
    static constexpr std::array<double, 4> kSpeeds = {0.5, 1.0, 2.0, 4.0};

    CReplay(CScene* scene, SRecording run);
    ~CReplay() override;
    CReplay(const CReplay&) = delete;
    CReplay& operator=(const CReplay&) = delete;

    // Advances the clock and places the ball.
    bool updateRunning(const Ogre::FrameEvent& evt) override;
    // The replay's keys: Space stops and goes on, Up and Down change the speed, Escape leaves.
    bool updateAlways(const Ogre::FrameEvent& evt) override;

    void togglePause();
    void faster();
    void slower();
    // Called when Escape is pressed (the menu goes back to its pages).
    void setLeaveAction(std::function<void()> action) { mLeave = std::move(action); }
    // Called with the keys and the state line whenever the state changes.
    void setStatusAction(std::function<void(const std::string&)> action);

    double getClock() const { return mClock; }
    double getSpeed() const { return kSpeeds[mSpeed]; }
    bool isStopped() const { return mStopped; }
    const SRecording& getRun() const { return mRun; }
    CScene* getScene() const { return mScene; }
    std::string statusText() const;

private:
    void placeBall();
    void reportStatus();

    CScene* mScene;
    SRecording mRun;
    double mClock = 0.0;
    std::size_t mSpeed = 1;
    bool mStopped = false;
    std::array<bool, 4> mHeld{}; // Space, Up, Down, Escape
    std::function<void()> mLeave;
    std::function<void(const std::string&)> mStatus;
};
