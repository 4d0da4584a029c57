// The defaults of the player operations that only some kinds of player need.
#include "game/input/player.h"

bool CPlayer::otherPlayerDirection(const Ogre::Vector3&)
{
    return true;
}

void CPlayer::rumble(int)
{
}
