// Menu diagnostics into the Ogre log, when there is one.
#include "game/menu/menu_log.h"

#include <OgreLogManager.h>

void logMenuEvent(const std::string& line)
{
    if (Ogre::LogManager* log = Ogre::LogManager::getSingletonPtr())
        log->logMessage("Menu: " + line);
}
