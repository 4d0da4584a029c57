// The staged visual assets as the game loads them: materials, meshes, particle templates and the
// textures behind them parse and load through a display-less Ogre with the game's plugins.
#include "headless_ogre.h"
#include "test_env.h"

#include <OgreLog.h>
#include <OgreMaterialManager.h>
#include <OgreParticleSystem.h>
#include <OgreParticleSystemManager.h>
#include <OgrePass.h>
#include <OgreTechnique.h>
#include <OgreTextureUnitState.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const char* const kMaterials[] = {"stone",    "wood",      "grass",      "ice",         "metal",
                                  "startbox", "finishbox", "sphere",     "evilsphere",  "obstacle",
                                  "ogrehead", "light",     "startpoint", "finishpoint", "waypoint"};
const char* const kParticleTemplates[] = {"Firework", "Fire", "Flames", "Stampers"};

// Collects what Ogre reports as errors while scripts are parsed and resources load.
class ErrorCollector : public Ogre::LogListener
{
public:
    void messageLogged(const Ogre::String& message, Ogre::LogMessageLevel level, bool,
                       const Ogre::String&, bool&) override
    {
        if (level >= Ogre::LML_CRITICAL || message.find("rror") != std::string::npos ||
            message.find("nrecognised") != std::string::npos)
            errors.push_back(message);
    }
    std::vector<std::string> errors;
};

TEST(Assets, scriptsParseAndEveryMaterialCompilesWithItsTexture)
{
    testenv::TempDir dir;
    ErrorCollector log;
    HeadlessOgre ogre("", &log);
    ASSERT_TRUE(ogre.particlesAvailable);
    std::vector<std::string> materials(std::begin(kMaterials), std::end(kMaterials));
    for (const char* name : kParticleTemplates) {
        Ogre::ParticleSystem* t = Ogre::ParticleSystemManager::getSingleton().getTemplate(name);
        ASSERT_NE(t, nullptr) << "missing particle template " << name;
        EXPECT_LE(t->getParticleQuota(), 300u) << name;
        materials.push_back(t->getMaterialName());
    }
    for (const std::string& name : materials) {
        SCOPED_TRACE(name);
        Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().getByName(name);
        ASSERT_TRUE(material) << "missing material";
        material->compile();
        const Ogre::Pass* pass = material->getTechnique(0)->getPass(0);
        ASSERT_GT(pass->getNumTextureUnitStates(), 0u);
        const std::string file =
            testenv::runDir() + "/data/textures/" + pass->getTextureUnitState(0)->getTextureName();
        EXPECT_TRUE(std::filesystem::exists(file)) << file;
    }
    for (const std::string& e : log.errors)
        ADD_FAILURE() << "Ogre reported: " << e;
}

} // namespace
