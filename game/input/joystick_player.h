// CJoystickPlayer: a player steered with the first hat (the direction pad) of a joystick read
// through SDL; button 0 opens or closes the in-game menu. Each joystick player holds its own
// joystick: the first one made gets joystick 0, the next joystick 1, and a player that goes
// gives its joystick back.
#pragma once

#include "game/input/player.h"

#include <string>

struct _SDL_Joystick;

class CJoystickPlayer : public CPlayer
{
public:
    CJoystickPlayer() = default;
    ~CJoystickPlayer() override;
    CJoystickPlayer(const CJoystickPlayer&) = delete;
    CJoystickPlayer& operator=(const CJoystickPlayer&) = delete;

    // Opens the lowest joystick no other joystick player holds; false when there is none.
    bool initInput() override;
    // Hat steering, the menu button (0) and the retry button (1), also while the game is paused.
    bool updateAlways(const Ogre::FrameEvent& evt) override;

    const std::string& getJoystickName() const { return mJoystickName; }
    int getJoystickIndex() const { return mJoystickIndex; }
    // The number of joysticks that joystick players hold.
    static int openedJoysticks();

private:
    _SDL_Joystick* mJoystick = nullptr;
    std::string mJoystickName;
    int mJoystickIndex = -1;
    // Seconds since button 0 was last seen pressed; starts high so that the first press counts.
    float mMenuButtonTimer = 2.0f;
    bool mRetryHeld = false;
};
