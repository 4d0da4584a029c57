// The scene's lights and the ambient light.
#include "world/scene.h"

#include "world/level/map_format.h"

#include <OgreLight.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>

namespace {

const char* const kLightPrefix = "light";
const char* const kLightNodePrefix = "lightNode";

// Light attenuation: range r, constant 1, linear 4.5 / r, quadratic 75 / r^2.
constexpr float kAttenuationConstant = 1.0f;
constexpr float kAttenuationLinear = 4.5f;
constexpr float kAttenuationQuadratic = 75.0f;
const float kMinLightRange = kMapMinLightRange;

void setLightAttenuation(Ogre::Light* light, float range)
{
    // The linear and quadratic terms divide by the range: a vanishing range would make them
    // infinite.
    range = std::max(range, kMinLightRange);
    light->setAttenuation(range, kAttenuationConstant, kAttenuationLinear / range,
                          kAttenuationQuadratic / (range * range));
}

} // namespace

bool CScene::addLight(const std::string& name, const Ogre::Vector3& position,
                      const Ogre::ColourValue& diffuse, const Ogre::ColourValue& specular,
                      float range, size_t place)
{
    const std::string lightName = kLightPrefix + name;
    const std::string nodeName = kLightNodePrefix + name;
    if (mSceneManager->hasLight(lightName) || mSceneManager->hasSceneNode(nodeName) ||
        range <= 0.0f)
        return false;
    Ogre::SceneNode* node = mBaseNode->createChildSceneNode(nodeName);
    node->setPosition(position);
    Ogre::Light* light = mSceneManager->createLight(lightName);
    light->setType(Ogre::Light::LT_POINT);
    light->setDiffuseColour(diffuse);
    light->setSpecularColour(specular);
    setLightAttenuation(light, range);
    node->attachObject(light);
    mLights.insert(mLights.begin() + static_cast<std::ptrdiff_t>(std::min(place, mLights.size())),
                   light);
    return true;
}

bool CScene::setLightValues(const std::string& name, const Ogre::Vector3& position,
                            const Ogre::ColourValue& diffuse, const Ogre::ColourValue& specular,
                            float range)
{
    if (!setLightColours(name, diffuse, specular, range))
        return false;
    Ogre::Light* light = mSceneManager->getLight(kLightPrefix + name);
    if (light->getParentSceneNode())
        light->getParentSceneNode()->setPosition(position);
    return true;
}

bool CScene::setLightColours(const std::string& name, const Ogre::ColourValue& diffuse,
                             const Ogre::ColourValue& specular, float range)
{
    const std::string lightName = kLightPrefix + name;
    if (!mSceneManager->hasLight(lightName) || range <= 0.0f)
        return false;
    Ogre::Light* light = mSceneManager->getLight(lightName);
    light->setDiffuseColour(diffuse);
    light->setSpecularColour(specular);
    setLightAttenuation(light, range);
    return true;
}

bool CScene::deleteLight(const std::string& name)
{
    const std::string lightName = kLightPrefix + name;
    auto it = std::find_if(mLights.begin(), mLights.end(),
                           [&lightName](Ogre::Light* l) { return l->getName() == lightName; });
    if (it == mLights.end())
        return false;
    Ogre::SceneNode* node = (*it)->getParentSceneNode();
    mSceneManager->destroyLight(*it);
    mLights.erase(it);
    if (node)
        mSceneManager->destroySceneNode(node);
    return true;
}

void CScene::setAmbientLight(const Ogre::ColourValue& colour)
{
    mSceneManager->setAmbientLight(colour);
}

Ogre::ColourValue CScene::getAmbientLight() const
{
    return mSceneManager->getAmbientLight();
}
