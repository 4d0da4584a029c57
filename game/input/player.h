// CPlayer: the source of steering for one ball. Every frame a player produces a steering vector
// in world axes (-z forward, +z back, -x left, +x right, y always 0; a full push on one axis is
// 40) that the game state hands to the scene.
#pragma once

#include "world/ext_frame_listener.h"

#include <OgreVector.h>

#include <string>

class CPlayer : public CExtFrameListener
{
public:
    CPlayer() = default;
    ~CPlayer() override = default;

    virtual void getDirection(Ogre::Vector3& direction) { direction = mDirection; }
    // Another player's steering vector; only players that report to a peer use it.
    virtual bool otherPlayerDirection(const Ogre::Vector3& direction);
    virtual void rumble(int milliseconds);
    // Connects the player to its input device; false when the device is missing.
    virtual bool initInput() = 0;

    const std::string& getName() const { return mName; }
    void setName(const std::string& name) { mName = name; }
    // 1 to 4: selects the "./input.cfg" section, the HUD slots and the scene's per-player entries.
    int getPlayerNumber() const { return mPlayerNumber; }
    void setPlayerNumber(int number) { mPlayerNumber = number; }

protected:
    std::string mName;
    Ogre::Vector3 mDirection = Ogre::Vector3::ZERO;
    int mPlayerNumber = 1;
};
