// Watching a stored run.
#include "game/core/replay.h"

#include "game/core/application.h"
#include "game/core/hud_view.h"
#include "game/core/time_text.h"
#include "game/input/input_manager.h"
#include "world/scene.h"

#include <OISKeyboard.h>
#include <OgreRoot.h>

#include <algorithm>
#include <cstdio>

CReplay::CReplay(CScene* scene, SRecording run) : mScene(scene), mRun(std::move(run))
{
    // A paused level steps no physics and moves no monster; its camera still follows the ball.
    mScene->setPaused(true);
    placeBall();
}

CReplay::~CReplay()
{
    if (Ogre::Root* root = Ogre::Root::getSingletonPtr())
        root->removeFrameListener(mScene);
    CApplication::getInstance()->destroyLater(mScene);
}

void CReplay::setStatusAction(std::function<void(const std::string&)> action)
{
    mStatus = std::move(action);
    reportStatus();
}

std::string CReplay::statusText() const
{
    char speed[16];
    std::snprintf(speed, sizeof(speed), "%gx", getSpeed());
    return std::string(mStopped ? "Stopped" : "Playing") + " at " + speed +
           "   [Space] pause   [Up]/[Down] speed   [Esc] back to the menu";
}

void CReplay::reportStatus()
{
    if (mStatus)
        mStatus(statusText());
}

void CReplay::togglePause()
{
    mStopped = !mStopped;
    reportStatus();
}

void CReplay::faster()
{
    mSpeed = std::min(mSpeed + 1, kSpeeds.size() - 1);
    reportStatus();
}

void CReplay::slower()
{
    mSpeed = mSpeed > 0 ? mSpeed - 1 : 0;
    reportStatus();
}

bool CReplay::updateRunning(const Ogre::FrameEvent& evt)
{
    if (!mStopped)
        mClock = std::min(mRun.time, mClock + evt.timeSinceLastFrame * getSpeed());
    placeBall();
    if (IHudView* hud = getHudView())
        hud->setPlayerTime(1, formatRaceTime(mClock));
    return true;
}

bool CReplay::updateAlways(const Ogre::FrameEvent&)
{
    const OIS::Keyboard* keyboard =
        CInputManager::hasSingleton() ? CInputManager::getSingleton().getKeyboard() : nullptr;
    if (!keyboard)
        return true;
    const OIS::KeyCode keys[] = {OIS::KC_SPACE, OIS::KC_UP, OIS::KC_DOWN, OIS::KC_ESCAPE};
    const std::function<void()> actions[] = {[this] { togglePause(); }, [this] { faster(); },
                                             [this] { slower(); },
                                             [this] {
                                                 if (mLeave)
                                                     mLeave();
                                             }};
    for (std::size_t i = 0; i < mHeld.size(); ++i) {
        const bool down = keyboard->isKeyDown(keys[i]);
        if (down && !mHeld[i]) {
            mHeld[i] = true;
            actions[i](); // leaving ends this replay: nothing may follow it
            return true;
        }
        mHeld[i] = down;
    }
    return true;
}

void CReplay::placeBall()
{
    SRunSample pose;
    CPhysicsBody* ball = mScene->getBallBody(0);
    if (!ball || !poseAt(mRun, mClock, pose))
        return;
    ball->setPositionOrientation(pose.position, pose.orientation);
    ball->setVelocity(Ogre::Vector3::ZERO);
    ball->setOmega(Ogre::Vector3::ZERO);
}
