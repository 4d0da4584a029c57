// Reading the game's own video options from "ogre.cfg".
#include "game/core/video_options.h"

#include <OgreConfigFile.h>
#include <OgreException.h>

namespace videooptions {

const char* const kSection = "KIVO";
const char* const kBallShadows = "Ball shadows";
const char* const kYes = "Yes";
const char* const kNo = "No";

bool readBallShadows(const std::string& configFile)
{
    Ogre::ConfigFile file;
    try {
        file.load(configFile, "=", true);
    } catch (const Ogre::Exception&) {
        return true;
    }
    return file.getSetting(kBallShadows, kSection) != kNo;
}

} // namespace videooptions
