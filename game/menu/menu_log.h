// Diagnostics of the menu: one line per notable GUI event in the Ogre log ("Menu: ..."), so that
// a run of the game can be followed from its log.
#pragma once

#include <string>

void logMenuEvent(const std::string& line);
