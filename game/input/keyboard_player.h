// CKeyboardPlayer: a player steered with four keys of the keyboard, with keys for the pause,
// the in-game menu and a new try. The keys of player N are the OIS key codes in section
// "PlayerN" of "./input.cfg".
#pragma once

#include "game/input/player.h"

namespace OIS {
class Keyboard;
}

class CKeyboardPlayer : public CPlayer
{
public:
    CKeyboardPlayer() = default;

    // Takes the input manager's keyboard and reads the keys; false when there is no keyboard.
    bool initInput() override;
    bool updateRunning(const Ogre::FrameEvent& evt) override;
    bool updateAlways(const Ogre::FrameEvent& evt) override;

    int getForwardKey() const { return mForwardKey; }
    int getBackKey() const { return mBackKey; }
    int getLeftKey() const { return mLeftKey; }
    int getRightKey() const { return mRightKey; }
    int getPauseKey() const { return mPauseKey; }
    int getMenuKey() const { return mMenuKey; }
    int getRetryKey() const { return mRetryKey; }

private:
    bool isDown(int keyCode) const;

    OIS::Keyboard* mKeyboard = nullptr; // the input manager's
    int mForwardKey = 0;
    int mBackKey = 0;
    int mLeftKey = 0;
    int mRightKey = 0;
    int mPauseKey = 0;
    int mMenuKey = 0;
    int mRetryKey = 0;
    bool mPauseHeld = false;
    bool mMenuHeld = false;
    bool mRetryHeld = false;
};

// The key code of a "./input.cfg" value: its leading decimal digits ("12abc" gives 12), 0 when it
// does not start with a digit or names no key code OIS knows.
int keyCodeFromText(const std::string& text);
