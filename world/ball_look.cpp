// Player colours and the per-player ball materials.
#include "world/ball_look.h"

#include <OgreMaterialManager.h>
#include <OgrePass.h>
#include <OgreTechnique.h>

namespace balllook {
namespace {

const char* const kBaseMaterial = "ball";
const char* const kMaterialPrefix = "ball/player";
// Part of the colour the ball gives off by itself, so that it shows its colour in the dark
// stretches between the level's lights and far from its own light.
constexpr float kGlow = 0.55f;

// Crimson, lime, blue and pink: every pair stays far apart (CIEDE2000 above 35) also for eyes
// without red, green or blue cones.
const Ogre::ColourValue kPlayerColours[kColouredPlayers] = {
    Ogre::ColourValue(0.75f, 0, 0), Ogre::ColourValue(0.75f, 1, 0),
    Ogre::ColourValue(0, 0.25f, 0.75f), Ogre::ColourValue(1, 0.75f, 1)};

} // namespace

Ogre::ColourValue playerColour(int playerNumber)
{
    if (playerNumber < 1 || playerNumber > kColouredPlayers)
        return Ogre::ColourValue::White;
    return kPlayerColours[playerNumber - 1];
}

std::string playerBallMaterial(int playerNumber)
{
    Ogre::MaterialManager& materials = Ogre::MaterialManager::getSingleton();
    const std::string name = kMaterialPrefix + std::to_string(playerNumber);
    if (materials.resourceExists(name))
        return name;
    const Ogre::MaterialPtr base = materials.getByName(kBaseMaterial);
    if (!base)
        return std::string();
    const Ogre::MaterialPtr tinted = base->clone(name);
    const Ogre::ColourValue colour = playerColour(playerNumber);
    for (Ogre::Technique* technique : tinted->getTechniques()) {
        for (Ogre::Pass* pass : technique->getPasses()) {
            pass->setAmbient(colour);
            pass->setDiffuse(colour);
            Ogre::ColourValue glow = colour * kGlow;
            glow.a = 1.0f;
            pass->setSelfIllumination(glow);
        }
    }
    return name;
}

} // namespace balllook
