// CWiiPlayer: a player steered by tilting a Wii Remote, or by leaning on a Wii Balance Board.
// On the remote, A pauses and Home opens the in-game menu; the board's button opens the menu.
#pragma once

#include "game/input/player.h"
#include "game/wiimote/hid_transport.h"

#include <memory>

class wiimote;

class CWiiPlayer : public CPlayer
{
public:
    explicit CWiiPlayer(IHidTransport& transport = defaultHidTransport());
    ~CWiiPlayer() override;

    // Connects the first Wii Remote or Balance Board, lights the player's LED and rumbles.
    bool initInput() override;
    bool updateRunning(const Ogre::FrameEvent& evt) override;
    bool updateAlways(const Ogre::FrameEvent& evt) override;
    void rumble(int milliseconds) override;

    wiimote& getWiimote() { return *mWiimote; }

private:
    std::unique_ptr<wiimote> mWiimote;
    bool mMenuHeld = false;
    bool mPauseHeld = false;
};

// The steering vector of a remote held at that pitch and roll (degrees).
Ogre::Vector3 tiltSteering(float pitch, float roll);
// The steering vector of a board with these kilograms on the sensors top left, top right,
// bottom left, bottom right, and their total.
Ogre::Vector3 boardSteering(const float kilograms[5]);
