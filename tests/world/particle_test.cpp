// The scene's named particle effects: automatic and given names, positions and nodes, stopping
// by name and all at once, missing templates, and the finish fireworks of a round.
#include "monster_test_maps.h"

#include <OgreParticleSystem.h>
#include <OgreParticleSystemManager.h>
#include <OgreSceneNode.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

using monstertest::Level;
using monstertest::MapText;

namespace {

MapText plainFloor()
{
    return MapText().row("f", 6, 0, 0, 0).start("f0");
}

// Particle systems do not remember their template; its material and quota tell them apart.
bool madeFrom(const Ogre::ParticleSystem* system, const std::string& templ)
{
    const Ogre::ParticleSystem* source =
        Ogre::ParticleSystemManager::getSingleton().getTemplate(templ);
    return source && system->getMaterialName() == source->getMaterialName() &&
           system->getParticleQuota() == source->getParticleQuota() &&
           system->getNumEmitters() == source->getNumEmitters();
}

Ogre::SceneNode* parentOf(Level& level, const std::string& effect)
{
    return level.ogre.sceneManager->getParticleSystem(effect)->getParentSceneNode();
}

} // namespace

TEST(ParticleEffects, effectsWithEmptyNamesGetDifferentNamesAndTheirOwnNodes)
{
    Level level(plainFloor().str());
    if (!level.ogre.particlesAvailable)
        GTEST_SKIP() << "no ParticleFX plug-in";
    const Ogre::Vector3 where(1, 2, 3);

    const std::string first =
        level.scene->startParticleEffect(CScene::EFFECT_FIRE, where, Ogre::Vector3(2, 2, 2), "");
    const std::string second = level.scene->startParticleEffect(
        CScene::EFFECT_STAMPERS, Ogre::Vector3::ZERO, Ogre::Vector3::UNIT_SCALE, "");

    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(level.scene->getParticleSystems().size(), 2u);
    Ogre::SceneNode* node = parentOf(level, first);
    EXPECT_EQ(node->getName(), "ParticleSceneNode" + first);
    EXPECT_EQ(node->getParentSceneNode(), level.ogre.sceneManager->getRootSceneNode());
    EXPECT_EQ(node->getPosition(), where);
    EXPECT_EQ(node->getScale(), Ogre::Vector3(2, 2, 2));
    Ogre::ParticleSystem* system = level.ogre.sceneManager->getParticleSystem(first);
    EXPECT_FALSE(system->getKeepParticlesInLocalSpace());
    EXPECT_TRUE(madeFrom(system, "Fire"));
    EXPECT_TRUE(madeFrom(level.ogre.sceneManager->getParticleSystem(second), "Stampers"));
}

TEST(ParticleEffects, automaticNamesSkipNamesAlreadyTaken)
{
    Level level(plainFloor().str());
    if (!level.ogre.particlesAvailable)
        GTEST_SKIP() << "no ParticleFX plug-in";
    const std::string first = level.scene->startParticleEffect(
        CScene::EFFECT_FIRE, Ogre::Vector3::ZERO, Ogre::Vector3::UNIT_SCALE, "");
    const std::string following = std::to_string(std::stoul(first) + 1);
    level.ogre.sceneManager->createParticleSystem(following, "Fire");

    const std::string next = level.scene->startParticleEffect(
        CScene::EFFECT_FIRE, Ogre::Vector3::ZERO, Ogre::Vector3::UNIT_SCALE, "");

    EXPECT_NE(next, following);
    EXPECT_NE(next, first);
    EXPECT_TRUE(level.ogre.sceneManager->hasParticleSystem(next));
}

TEST(ParticleEffects, effectOnANodeRidesOnThatNode)
{
    Level level(plainFloor().str());
    if (!level.ogre.particlesAvailable)
        GTEST_SKIP() << "no ParticleFX plug-in";
    Ogre::SceneNode* node =
        level.ogre.sceneManager->getRootSceneNode()->createChildSceneNode("carrier");

    const std::string name = level.scene->startParticleEffect(CScene::EFFECT_FLAMES, node, "");

    ASSERT_FALSE(name.empty());
    EXPECT_EQ(parentOf(level, name), node);
    EXPECT_FALSE(level.ogre.sceneManager->hasSceneNode("ParticleSceneNode" + name));
    EXPECT_TRUE(level.scene->startParticleEffect(CScene::EFFECT_FLAMES, nullptr, "").empty());

    level.scene->stopParticleEffect(name);
    EXPECT_FALSE(level.ogre.sceneManager->hasParticleSystem(name));
    EXPECT_EQ(node->numAttachedObjects(), 0u);
    EXPECT_TRUE(level.ogre.sceneManager->hasSceneNode("carrier"));
}

TEST(ParticleEffects, stoppingByNameRemovesSystemAndNodeAndUnknownNamesDoNothing)
{
    Level level(plainFloor().str());
    if (!level.ogre.particlesAvailable)
        GTEST_SKIP() << "no ParticleFX plug-in";
    const std::string kept = level.scene->startParticleEffect(
        CScene::EFFECT_FIRE, Ogre::Vector3::ZERO, Ogre::Vector3::UNIT_SCALE, "keep");
    const std::string gone = level.scene->startParticleEffect(
        CScene::EFFECT_FIREWORK, Ogre::Vector3::ZERO, Ogre::Vector3::UNIT_SCALE, "gone");
    ASSERT_EQ(kept, "keep");
    ASSERT_EQ(gone, "gone");

    level.scene->stopParticleEffect("nothing like it");
    EXPECT_EQ(level.scene->getParticleSystems().size(), 2u);

    level.scene->stopParticleEffect("gone");
    EXPECT_EQ(level.scene->getParticleSystems().size(), 1u);
    EXPECT_FALSE(level.ogre.sceneManager->hasParticleSystem("gone"));
    EXPECT_FALSE(level.ogre.sceneManager->hasSceneNode("ParticleSceneNodegone"));
    EXPECT_TRUE(level.ogre.sceneManager->hasParticleSystem("keep"));

    level.scene->stopParticleEffect("gone");
    EXPECT_EQ(level.scene->getParticleSystems().size(), 1u);

    level.scene->stopAllParticleEffects();
    EXPECT_TRUE(level.scene->getParticleSystems().empty());
    EXPECT_FALSE(level.ogre.sceneManager->hasSceneNode("ParticleSceneNodekeep"));
}

TEST(ParticleEffects, takenNamesAndUnknownNumbersStartNothing)
{
    Level level(plainFloor().str());
    if (!level.ogre.particlesAvailable)
        GTEST_SKIP() << "no ParticleFX plug-in";
    ASSERT_EQ(level.scene->startParticleEffect(CScene::EFFECT_FIRE, Ogre::Vector3::ZERO,
                                               Ogre::Vector3::UNIT_SCALE, "twice"),
              "twice");

    EXPECT_EQ(level.scene->startParticleEffect(CScene::EFFECT_FIRE, Ogre::Vector3::ZERO,
                                               Ogre::Vector3::UNIT_SCALE, "twice"),
              "");
    EXPECT_EQ(
        level.scene->startParticleEffect(4, Ogre::Vector3::ZERO, Ogre::Vector3::UNIT_SCALE, ""),
        "");
    EXPECT_EQ(
        level.scene->startParticleEffect(-1, Ogre::Vector3::ZERO, Ogre::Vector3::UNIT_SCALE, "x"),
        "");
    EXPECT_EQ(level.scene->getParticleSystems().size(), 1u);
}

TEST(ParticleEffects, withoutParticleScriptsNothingStartsAndNothingBreaks)
{
    testenv::TempDir dir;
    // A data folder of our own with no particle scripts at all.
    mkdir(dir.file("empty").c_str(), 0755);
    HeadlessOgre ogre(dir.file("empty"));
    CScene scene(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName, "", "", "", false, "",
                 1, 1);

    EXPECT_EQ(scene.startParticleEffect(CScene::EFFECT_FIRE, Ogre::Vector3::ZERO,
                                        Ogre::Vector3::UNIT_SCALE, ""),
              "");
    EXPECT_EQ(
        scene.startParticleEffect(CScene::EFFECT_FLAMES, ogre.sceneManager->getRootSceneNode(), ""),
        "");
    EXPECT_TRUE(scene.getParticleSystems().empty());
    scene.stopParticleEffect("0");
}

TEST(FinishFireworks, firstFinishStartsFireworksOnEveryFinishBoxAndRestartStopsThem)
{
    Level level(plainFloor().finish("f4").finish("f5").str());
    if (!level.ogre.particlesAvailable)
        GTEST_SKIP() << "no ParticleFX plug-in";
    level.run(1.0f);

    for (float t = 0.0f; t < 6.0f && level.scene->getWinner() == 0; t += monstertest::kFrameTime) {
        level.scene->getBallForces()[0] = Ogre::Vector3(40, 0, 0);
        level.ogre.frame(monstertest::kFrameTime);
    }
    ASSERT_EQ(level.scene->getWinner(), 1);
    level.run(0.5f);

    Ogre::SceneManager* sm = level.ogre.sceneManager;
    EXPECT_EQ(level.scene->getParticleSystems().size(), 2u);
    for (const char* box : {"f4", "f5"}) {
        ASSERT_TRUE(sm->hasParticleSystem(box)) << box;
        EXPECT_TRUE(madeFrom(sm->getParticleSystem(box), "Firework"));
        EXPECT_EQ(parentOf(level, box)->getPosition(), level.top(box));
    }

    level.scene->restartRound();

    EXPECT_TRUE(level.scene->getParticleSystems().empty());
    EXPECT_FALSE(sm->hasParticleSystem("f4"));
    EXPECT_FALSE(sm->hasSceneNode("ParticleSceneNodef5"));
    EXPECT_EQ(level.scene->getWinner(), 0);
}
