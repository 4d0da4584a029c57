// Joystick steering through SDL's joystick subsystem, polled once a frame.
#include "game/input/joystick_player.h"

#include "game/input/menu_hooks.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <vector>

namespace {
const float kPush = 40.0f;
// Button 0 opens the menu only when it was not pressed during the second before.
const float kMenuButtonPause = 1.0f;
// Button 1 starts a new try, once per press.
const int kRetryButton = 1;

// The SDL joystick indices held by joystick players.
std::vector<int>& heldIndices()
{
    static std::vector<int> indices;
    return indices;
}
} // namespace

int CJoystickPlayer::openedJoysticks()
{
    return static_cast<int>(heldIndices().size());
}

bool CJoystickPlayer::initInput()
{
    if (mJoystick)
        return true;
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0)
        return false;
    std::vector<int>& held = heldIndices();
    int index = 0;
    while (std::find(held.begin(), held.end(), index) != held.end())
        ++index;
    if (index < SDL_NumJoysticks())
        mJoystick = SDL_JoystickOpen(index);
    if (!mJoystick) {
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        return false;
    }
    SDL_JoystickEventState(SDL_IGNORE); // the state is polled
    mJoystickIndex = index;
    const char* name = SDL_JoystickName(mJoystick);
    mJoystickName = name ? name : "";
    held.push_back(index);
    return true;
}

CJoystickPlayer::~CJoystickPlayer()
{
    if (!mJoystick)
        return;
    SDL_JoystickClose(mJoystick);
    std::vector<int>& held = heldIndices();
    held.erase(std::remove(held.begin(), held.end(), mJoystickIndex), held.end());
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

bool CJoystickPlayer::updateAlways(const Ogre::FrameEvent& evt)
{
    if (!mJoystick)
        return true;
    SDL_JoystickUpdate();
    const Uint8 hat = SDL_JoystickGetHat(mJoystick, 0);
    mDirection = Ogre::Vector3::ZERO;
    if (hat & SDL_HAT_UP)
        mDirection.z -= kPush;
    if (hat & SDL_HAT_RIGHT)
        mDirection.x += kPush;
    if (hat & SDL_HAT_DOWN)
        mDirection.z += kPush;
    if (hat & SDL_HAT_LEFT)
        mDirection.x -= kPush;

    mMenuButtonTimer += evt.timeSinceLastFrame;
    if (SDL_JoystickGetButton(mJoystick, 0)) {
        if (mMenuButtonTimer > kMenuButtonPause)
            requestIngameMenuToggle();
        mMenuButtonTimer = 0.0f;
    }
    const bool retry = SDL_JoystickGetButton(mJoystick, kRetryButton) != 0;
    if (retry && !mRetryHeld && !isIngameMenuOpen())
        requestRetry();
    mRetryHeld = retry;
    return true;
}
