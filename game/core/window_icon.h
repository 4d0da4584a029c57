// Gives the game window its icon: the window manager's icon property, from an image file.
#pragma once

#include <string>

namespace Ogre {
class RenderWindow;
}

// Returns false (and logs why) when the image cannot be read or the window has no X handle.
bool setWindowIcon(Ogre::RenderWindow* window, const std::string& imageFile);
