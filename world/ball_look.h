// The players' colours and the ball materials made from them. Each player's colour is the
// colour of the light the ball carries, of its own ball material and of its HUD band.
#pragma once

#include <OgreColourValue.h>

#include <string>

namespace balllook {

constexpr int kColouredPlayers = 4;

// Crimson, lime, blue and pink for players 1 to 4; white for any other number.
Ogre::ColourValue playerColour(int playerNumber);

// The material of the player's ball, "ball/player" + number, copied from the material "ball" and
// tinted with the player's colour the first time it is asked for. Empty when there is no "ball"
// material to copy (the caller keeps its fallback).
std::string playerBallMaterial(int playerNumber);

} // namespace balllook
