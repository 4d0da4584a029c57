// Minimal particle effects and see-through hooks: particle systems are made only when their
// template exists (no ParticleFX plugin: nothing happens); boxes never fade.
#include "world/box.h"
#include "world/scene.h"

#include <OgreParticleSystem.h>
#include <OgreParticleSystemManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>

namespace {

const char* const kParticleNodePrefix = "ParticleSceneNode";
unsigned long sParticleCounter = 0;

const char* templateName(int effect)
{
    switch (effect)
    {
    case CScene::EFFECT_FIREWORK:
        return "Firework";
    case CScene::EFFECT_FIRE:
        return "Fire";
    case CScene::EFFECT_FLAMES:
        return "Flames";
    case CScene::EFFECT_STAMPERS:
        return "Stampers";
    default:
        return "";
    }
}

Ogre::ParticleSystem* createSystem(Ogre::SceneManager* sceneManager, int effect,
                                   const std::string& wanted, std::string& name)
{
    const std::string templ = templateName(effect);
    if (templ.empty() || !Ogre::ParticleSystemManager::getSingletonPtr() ||
        !Ogre::ParticleSystemManager::getSingleton().getTemplate(templ))
        return nullptr;
    name = wanted;
    if (name.empty())
    {
        do
            name = std::to_string(sParticleCounter++);
        while (sceneManager->hasParticleSystem(name));
    }
    if (sceneManager->hasParticleSystem(name))
        return nullptr;
    Ogre::ParticleSystem* system = sceneManager->createParticleSystem(name, templ);
    system->setKeepParticlesInLocalSpace(false);
    ++sParticleCounter;
    return system;
}

} // namespace

std::string CScene::startParticleEffect(int effect, const Ogre::Vector3& position,
                                        const Ogre::Vector3& scale, const std::string& name)
{
    std::string finalName;
    Ogre::ParticleSystem* system = createSystem(mSceneManager, effect, name, finalName);
    if (!system)
        return "";
    mParticleSystems.push_back(system);
    Ogre::SceneNode* node =
        mSceneManager->getRootSceneNode()->createChildSceneNode(kParticleNodePrefix + finalName);
    node->setPosition(position);
    node->attachObject(system);
    node->setScale(scale);
    return finalName;
}

std::string CScene::startParticleEffect(int effect, Ogre::SceneNode* node, const std::string& name)
{
    std::string finalName;
    Ogre::ParticleSystem* system = createSystem(mSceneManager, effect, name, finalName);
    if (!system)
        return "";
    mParticleSystems.push_back(system);
    if (node)
        node->attachObject(system);
    return finalName;
}

void CScene::stopParticleEffect(const std::string& name)
{
    auto it = std::find_if(mParticleSystems.begin(), mParticleSystems.end(),
                           [&name](Ogre::ParticleSystem* s) { return s->getName() == name; });
    if (it == mParticleSystems.end())
        return;
    const std::string nodeName = kParticleNodePrefix + name;
    if (mSceneManager->hasSceneNode(nodeName))
        mSceneManager->destroySceneNode(nodeName);
    mSceneManager->destroyParticleSystem(*it);
    mParticleSystems.erase(it);
}

void CScene::stopAllParticleEffects()
{
    while (!mParticleSystems.empty())
        stopParticleEffect(mParticleSystems.front()->getName());
}

void CScene::updateSeeThrough()
{
}

void CBox::setSeeThrough(float)
{
}

void CBox::destroySeeThrough()
{
}
