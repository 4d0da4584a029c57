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

const Ogre::ColourValue kPlayerColours[kColouredPlayers] = {
    Ogre::ColourValue(1, 0, 0), Ogre::ColourValue(0, 1, 0), Ogre::ColourValue(0, 0, 1),
    Ogre::ColourValue(0, 1, 1)};

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
