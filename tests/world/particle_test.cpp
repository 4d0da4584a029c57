// The scene's named particle effects: stopping by name and all at once, refusals, missing
// templates, and the finish fireworks of a round.
#include "level_fixture.h"

#include <OgreParticleSystem.h>
#include <OgreParticleSystemManager.h>
#include <OgreSceneNode.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

using leveltest::Level;
using leveltest::MapText;

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
           system->getParticleQuota() == source->getParticleQuota();
}

class ParticleEffects : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!level.ogre.particlesAvailable)
            GTEST_SKIP() << "no ParticleFX plug-in";
    }
    std::string start(int effect, const std::string& name)
    {
        return level.scene->startParticleEffect(effect, Ogre::Vector3::ZERO,
                                                Ogre::Vector3::UNIT_SCALE, name);
    }
    Ogre::ParticleSystem* system(const std::string& name) const
    {
        return level.ogre.sceneManager->getParticleSystem(name);
    }

    Level level{plainFloor().finish("f4").finish("f5").str()};
};

} // namespace

TEST_F(ParticleEffects, stoppingByNameOrAllRemovesSystemsAndNodesAndRefusalsStartNothing)
{
    ASSERT_EQ(start(CScene::EFFECT_FIRE, "keep"), "keep");
    ASSERT_EQ(start(CScene::EFFECT_FIRE, "gone"), "gone");
    EXPECT_EQ(start(CScene::EFFECT_FIRE, "gone"), ""); // taken
    EXPECT_EQ(start(4, ""), "");                       // no such effect
    EXPECT_EQ(start(-1, "x"), "");
    level.scene->stopParticleEffect("gone");
    level.scene->stopParticleEffect("gone");
    EXPECT_EQ(level.scene->getParticleSystems().size(), 1u);
    EXPECT_FALSE(level.ogre.sceneManager->hasSceneNode("ParticleSceneNodegone"));
    EXPECT_TRUE(level.ogre.sceneManager->hasParticleSystem("keep"));
    // An effect on a node rides on it; stopping it leaves the node.
    Ogre::SceneNode* node = level.ogre.sceneManager->getRootSceneNode()->createChildSceneNode();
    const std::string riding = level.scene->startParticleEffect(CScene::EFFECT_FLAMES, node, "");
    EXPECT_EQ(system(riding)->getParentSceneNode(), node);
    EXPECT_TRUE(level.scene->startParticleEffect(CScene::EFFECT_FLAMES, nullptr, "").empty());
    level.scene->stopAllParticleEffects();
    EXPECT_TRUE(level.scene->getParticleSystems().empty());
    EXPECT_FALSE(level.ogre.sceneManager->hasSceneNode("ParticleSceneNodekeep"));
    EXPECT_EQ(node->numAttachedObjects(), 0u);
}

// The fireworks of a round: rows differ in the finish boxes and in whether another effect
// already carries a finish box's name.
TEST(FinishFireworks, firstFinishLightsEveryFinishBoxOnceAndRestartPutsOutOnlyThose)
{
    struct SCase
    {
        const char* what;
        std::vector<std::string> finishes;
        std::string takenName;
    };
    const SCase cases[] = {{"one finish box", {"f5"}, ""},
                           {"two finish boxes", {"f4", "f5"}, ""},
                           {"a finish box name taken by a fire", {"f4", "f5"}, "f4"}};
    leveltest::LevelOptions two;
    two.players = 2;
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        MapText map = plainFloor().start("f1");
        for (const std::string& box : c.finishes)
            map.finish(box);
        Level level(map.str(), two);
        if (!level.ogre.particlesAvailable)
            GTEST_SKIP() << "no ParticleFX plug-in";
        CScene& s = *level.scene;
        Ogre::SceneManager* sm = level.ogre.sceneManager;
        if (!c.takenName.empty()) {
            ASSERT_EQ(s.startParticleEffect(CScene::EFFECT_FIRE, Ogre::Vector3::ZERO,
                                            Ogre::Vector3::UNIT_SCALE, c.takenName),
                      c.takenName);
        }
        const size_t before = s.getParticleSystems().size();

        s.processContact(*s.getBallBody(1), level.body(c.finishes.back()));
        const size_t lit = s.getParticleSystems().size();
        EXPECT_EQ(lit, before + c.finishes.size() - (c.takenName.empty() ? 0 : 1));
        for (const std::string& box : c.finishes) {
            ASSERT_TRUE(sm->hasParticleSystem(box)) << box;
            if (box != c.takenName) {
                EXPECT_TRUE(madeFrom(sm->getParticleSystem(box), "Firework")) << box;
                EXPECT_EQ(sm->getParticleSystem(box)->getParentSceneNode()->getPosition(),
                          level.top(box));
            }
        }
        // Resting on the finish or arriving later starts nothing more.
        s.processContact(level.body(c.finishes.front()), *s.getBallBody(1));
        s.processContact(*s.getBallBody(0), level.body(c.finishes.front()));
        EXPECT_EQ(s.getParticleSystems().size(), lit);

        s.restartRound();
        EXPECT_EQ(s.getWinner(), 0);
        EXPECT_EQ(s.getParticleSystems().size(), before);
        for (const std::string& box : c.finishes)
            EXPECT_EQ(sm->hasParticleSystem(box), box == c.takenName) << box;
    }
}

TEST(ParticleScripts, withoutParticleScriptsNothingStartsAndNothingBreaks)
{
    testenv::TempDir dir;
    mkdir(dir.file("empty").c_str(), 0755); // a data folder with no particle scripts at all
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
