// The scene's named particle effects: started at a position (on a node of their own) or on a
// given node, stopped by name or all at once.
#include "world/scene.h"

#include <OgreLogManager.h>
#include <OgreParticleSystem.h>
#include <OgreParticleSystemManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>

namespace {

const char* const kParticleNodePrefix = "ParticleSceneNode";
// Shared by every scene, so that automatic names never repeat while the program runs.
unsigned long sEffectCounter = 0;

std::string templateName(int effect)
{
    switch (effect) {
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

void logProblem(const std::string& text)
{
    if (Ogre::LogManager::getSingletonPtr())
        Ogre::LogManager::getSingleton().logMessage("CScene: " + text, Ogre::LML_CRITICAL);
}

// Creates the system of an effect number, or returns nullptr (with a log line) when the
// template is unknown (no such number, no particle script or no ParticleFX plug-in) or the
// wanted name is taken.
Ogre::ParticleSystem* createSystem(Ogre::SceneManager* sceneManager, int effect,
                                   const std::string& wanted, std::string& name)
{
    const std::string templ = templateName(effect);
    if (templ.empty()) {
        logProblem("no particle effect number " + std::to_string(effect));
        return nullptr;
    }
    Ogre::ParticleSystemManager* manager = Ogre::ParticleSystemManager::getSingletonPtr();
    if (!manager || !manager->getTemplate(templ)) {
        logProblem("particle template " + templ + " is not loaded");
        return nullptr;
    }

    name = wanted;
    if (name.empty()) {
        name = std::to_string(sEffectCounter);
        while (sceneManager->hasParticleSystem(name) ||
               sceneManager->hasSceneNode(kParticleNodePrefix + name))
            name = std::to_string(++sEffectCounter);
    } else if (sceneManager->hasParticleSystem(name) ||
               sceneManager->hasSceneNode(kParticleNodePrefix + name)) {
        logProblem("particle effect " + name + " is already running");
        return nullptr;
    }

    Ogre::ParticleSystem* system = nullptr;
    try {
        system = sceneManager->createParticleSystem(name, templ);
    } catch (const Ogre::Exception& e) {
        logProblem("particle effect " + name + " not started: " + e.getDescription());
        return nullptr;
    }
    // Particles already emitted stay where they are when the system moves (flames trail
    // behind a rolling marble).
    system->setKeepParticlesInLocalSpace(false);
    ++sEffectCounter;
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
    if (!node) {
        logProblem("particle effect without a node");
        return "";
    }
    std::string finalName;
    Ogre::ParticleSystem* system = createSystem(mSceneManager, effect, name, finalName);
    if (!system)
        return "";
    mParticleSystems.push_back(system);
    node->attachObject(system);
    return finalName;
}

void CScene::stopParticleEffect(const std::string& name)
{
    auto it =
        std::find_if(mParticleSystems.begin(), mParticleSystems.end(),
                     [&name](Ogre::ParticleSystem* system) { return system->getName() == name; });
    if (it == mParticleSystems.end())
        return;
    const std::string nodeName = kParticleNodePrefix + name;
    if (mSceneManager->hasSceneNode(nodeName)) {
        Ogre::SceneNode* node = mSceneManager->getSceneNode(nodeName);
        if (node->getParentSceneNode())
            node->getParentSceneNode()->removeChild(node);
        mSceneManager->destroySceneNode(node);
    }
    mSceneManager->destroyParticleSystem(*it);
    mParticleSystems.erase(it);
}

void CScene::stopAllParticleEffects()
{
    while (!mParticleSystems.empty())
        stopParticleEffect(mParticleSystems.front()->getName());
}
