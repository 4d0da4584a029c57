// Reading the game's own video options from "ogre.cfg".
#include "game/core/video_options.h"

#include <OgreConfigFile.h>
#include <OgreException.h>

namespace videooptions {

const char* const kSection = "KIVO";
const char* const kBallShadows = "Ball shadows";
const char* const kGhost = "Ghost of the best run";
const char* const kYes = "Yes";
const char* const kNo = "No";

namespace {
// An option that is on unless the file says "No".
bool readSwitch(const std::string& configFile, const char* name)
{
    Ogre::ConfigFile file;
    try {
        file.load(configFile, "=", true);
    } catch (const Ogre::Exception&) {
        return true;
    }
    return file.getSetting(name, kSection) != kNo;
}
} // namespace

bool readBallShadows(const std::string& configFile)
{
    return readSwitch(configFile, kBallShadows);
}

bool readGhost(const std::string& configFile)
{
    return readSwitch(configFile, kGhost);
}

} // namespace videooptions
