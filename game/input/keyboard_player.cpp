// Keyboard steering and the pause and menu keys.
#include "game/input/keyboard_player.h"

#include "game/core/application.h"
#include "game/core/profile.h"
#include "game/input/input_manager.h"
#include "game/input/menu_hooks.h"
#include "world/paths.h"

#include <OISKeyboard.h>

#include <cctype>

namespace {
const char* const kInputFile = "input.cfg";
const char* const kMissingKey = "NULL";
const std::size_t kKeyBufferSize = 100;
const Ogre::Real kPush = 40.0f;
// OIS key codes are one byte.
const int kHighestKeyCode = 0xFF;
} // namespace

int keyCodeFromText(const std::string& text)
{
    int code = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            break;
        code = code * 10 + (c - '0');
        if (code > kHighestKeyCode)
            return 0;
    }
    return code;
}

bool CKeyboardPlayer::initInput()
{
    mKeyboard = CInputManager::getSingleton().getKeyboard();
    if (!mKeyboard)
        return false;
    const std::string section = "Player" + std::to_string(mPlayerNumber);
    const auto readKey = [&section](const char* key) {
        return keyCodeFromText(getProfileString(section, key, kMissingKey,
                                                paths::configFile(kInputFile), kKeyBufferSize));
    };
    mForwardKey = readKey("Forward");
    mBackKey = readKey("Back");
    mLeftKey = readKey("Left");
    mRightKey = readKey("Right");
    mPauseKey = readKey("Pause");
    mMenuKey = readKey("Menu");
    mRetryKey = readKey("Retry");
    return true;
}

bool CKeyboardPlayer::isDown(int keyCode) const
{
    // Code 0 is "no key": a function without a binding never fires.
    return mKeyboard && keyCode != 0 && mKeyboard->isKeyDown(static_cast<OIS::KeyCode>(keyCode));
}

bool CKeyboardPlayer::updateRunning(const Ogre::FrameEvent&)
{
    // Later checks overwrite earlier ones: back wins over forward, right over left.
    mDirection = Ogre::Vector3::ZERO;
    if (isDown(mForwardKey))
        mDirection.z = -kPush;
    if (isDown(mLeftKey))
        mDirection.x = -kPush;
    if (isDown(mBackKey))
        mDirection.z = kPush;
    if (isDown(mRightKey))
        mDirection.x = kPush;
    return true;
}

bool CKeyboardPlayer::updateAlways(const Ogre::FrameEvent&)
{
    if (isDown(mPauseKey)) {
        // While the in-game menu is open the game stays paused until the menu closes.
        if (!mPauseHeld && !isIngameMenuOpen()) {
            CApplication* application = CApplication::getInstance();
            application->setPaused(!application->isPaused());
            mPauseHeld = true;
        }
    } else {
        mPauseHeld = false;
    }

    // Held keys do not repeat: one press, one new try.
    if (isDown(mRetryKey)) {
        if (!mRetryHeld && !isIngameMenuOpen())
            requestRetry();
        mRetryHeld = true;
    } else {
        mRetryHeld = false;
    }

    if (isDown(mMenuKey)) {
        if (!mMenuHeld) {
            mMenuHeld = true;
            requestIngameMenuToggle();
            return true;
        }
    } else {
        mMenuHeld = false;
    }
    return true;
}
