// Wii Remote tilt and Balance Board lean, and the buttons of both.
#include "game/input/wii_player.h"

#include "game/core/application.h"
#include "game/input/menu_hooks.h"
#include "game/wiimote/wiimote.h"

#include <algorithm>
#include <cmath>
#include <iostream>

namespace {
const float kPush = 40.0f;
const float kTiltDeadZone = 10.0f; // degrees
const float kTiltLimit = 90.0f;
const float kTiltGain = 0.5f;
const float kBoardMinimumKg = 10.0f; // less is nobody standing on the board
const float kBoardSideGain = 2.0f;
const float kBoardFrontShare = 0.666f;
const float kBoardBackShare = 0.333f;
const float kBoardBackGain = 10.0f;
const float kBoardFrontGain = 4.0f;
const float kBoardDirectionY = 0.54f;
const unsigned kGreetingRumbleMs = 500;

float clampPush(float value)
{
    return std::clamp(value, -kPush, kPush);
}

float tiltAngle(float degrees)
{
    if (!std::isfinite(degrees) || std::fabs(degrees) < kTiltDeadZone)
        return 0.0f;
    return std::clamp(degrees, -kTiltLimit, kTiltLimit);
}

// The forward-back part of a lean for the four weight shares: the front sensors count twice as
// much as the back ones.
float boardForwardBack(const float share[4])
{
    const float y = kBoardDirectionY / std::sqrt(1.0f + kBoardDirectionY * kBoardDirectionY);
    return kBoardFrontShare * (share[0] * -y + share[1] * -y) +
           kBoardBackShare * (share[2] * y + share[3] * y);
}
} // namespace

Ogre::Vector3 tiltSteering(float pitch, float roll)
{
    return {clampPush(tiltAngle(pitch) * kTiltGain), 0.0f, clampPush(-tiltAngle(roll) * kTiltGain)};
}

Ogre::Vector3 boardSteering(const float kilograms[5])
{
    const float total = kilograms[4];
    if (!(total > kBoardMinimumKg) || !std::isfinite(total))
        return Ogre::Vector3::ZERO;
    float share[4];
    for (int i = 0; i < 4; ++i)
        share[i] = std::isfinite(kilograms[i]) ? kilograms[i] / total : 0.0f;
    const float x = 1.0f / std::sqrt(1.0f + kBoardDirectionY * kBoardDirectionY);
    const float sideways = -x * share[0] + x * share[1] - x * share[2] + x * share[3];
    // Standing evenly is no lean: the front-back weighting is measured from that stance.
    const float even[4] = {0.25f, 0.25f, 0.25f, 0.25f};
    const float forwardBack = boardForwardBack(share) - boardForwardBack(even);
    float y = forwardBack * kPush;
    y *= y >= 0 ? kBoardBackGain : kBoardFrontGain;
    return {clampPush(sideways * kPush * kBoardSideGain), 0.0f, clampPush(y)};
}

CWiiPlayer::CWiiPlayer(IHidTransport& transport) : mWiimote(std::make_unique<wiimote>(transport))
{
}

CWiiPlayer::~CWiiPlayer() = default; // the driver disconnects as it goes

bool CWiiPlayer::initInput()
{
    std::cout << "Init Spieler" << mPlayerNumber << std::endl;
    if (!mWiimote->connectFirst()) {
        std::cout << "Es konnte keine neue Verbindung aufgebaut werden." << std::endl;
        return false;
    }
    if (mPlayerNumber >= 1 && mPlayerNumber <= 4)
        mWiimote->setLeds(static_cast<uint8_t>(1 << (mPlayerNumber - 1)));
    mWiimote->rumbleFor(kGreetingRumbleMs);
    if (!mWiimote->isBalanceBoard())
        mWiimote->setReportMode(wiimote::kButtonsAccelExt);
    std::cout << "Verbindung mit " << mWiimote->uniqueId() << " hergestellt.\n" << std::endl;
    return true;
}

void CWiiPlayer::rumble(int milliseconds)
{
    if (milliseconds > 0)
        mWiimote->rumbleFor(static_cast<unsigned>(milliseconds));
}

bool CWiiPlayer::updateAlways(const Ogre::FrameEvent&)
{
    if (!mWiimote->isConnected())
        return true;
    mWiimote->takeState();
    const bool board = mWiimote->isBalanceBoard();
    const bool menu = mWiimote->buttons & (board ? wiimote::kA : wiimote::kHome);
    const bool pause = !board && (mWiimote->buttons & wiimote::kA);

    if (pause && !mPauseHeld && !isIngameMenuOpen()) {
        CApplication* application = CApplication::getInstance();
        application->setPaused(!application->isPaused());
    }
    mPauseHeld = pause;
    if (menu && !mMenuHeld)
        requestIngameMenuToggle();
    mMenuHeld = menu;
    return true;
}

bool CWiiPlayer::updateRunning(const Ogre::FrameEvent&)
{
    if (!mWiimote->isConnected())
        return true;
    mWiimote->takeState();
    if (mWiimote->isBalanceBoard())
        mDirection = boardSteering(mWiimote->balanceBoard.kg);
    else
        mDirection = tiltSteering(mWiimote->acceleration.orientation.pitch,
                                  mWiimote->acceleration.orientation.roll);
    return true;
}
