// The staged visual assets as the game loads them: materials, meshes, particle templates and the
// textures behind them parse and load through a display-less Ogre with the game's plugins, and
// the generators write the same bytes on every run.
#include "test_env.h"

#include <OgreControllerManager.h>
#include <OgreDefaultHardwareBufferManager.h>
#include <OgreLogManager.h>
#include <OgreMaterialManager.h>
#include <OgreMeshManager.h>
#include <OgreParticleSystem.h>
#include <OgreParticleSystemManager.h>
#include <OgrePass.h>
#include <OgreResourceGroupManager.h>
#include <OgreRoot.h>
#include <OgreTechnique.h>
#include <OgreTextureManager.h>
#include <OgreTextureUnitState.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

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

class AssetsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        sLog = new Ogre::LogManager();
        sLog->createLog("assets_test.log", true, false, true);
        sLog->getDefaultLog()->addListener(&sErrors);
        sRoot = new Ogre::Root("", "", "");
        sRoot->loadPlugin(std::string(KIVO_OGRE_PLUGIN_DIR) + "/Codec_STBI");
        sRoot->loadPlugin(std::string(KIVO_OGRE_PLUGIN_DIR) + "/Plugin_ParticleFX");
        sBuffers = new Ogre::DefaultHardwareBufferManager();
        sTextures = new Ogre::DefaultTextureManager();
        Ogre::MaterialManager::getSingleton().initialise();
        Ogre::ParticleSystemManager::getSingleton()._initialise();
        auto& groups = Ogre::ResourceGroupManager::getSingleton();
        for (const char* folder : {"materials", "textures", "meshes", "particles"})
            groups.addResourceLocation(testenv::runDir() + "/data/" + folder, "FileSystem",
                                       Ogre::RGN_DEFAULT);
        groups.initialiseResourceGroup(Ogre::RGN_DEFAULT);
    }
    static void TearDownTestSuite()
    {
        Ogre::MeshManager::getSingleton().removeAll();
        Ogre::MaterialManager::getSingleton().removeAll();
        sLog->getDefaultLog()->removeListener(&sErrors);
        delete sTextures;
        delete sRoot;
        delete sBuffers;
        delete sLog;
    }

    static Ogre::LogManager* sLog;
    static ErrorCollector sErrors;
    static Ogre::Root* sRoot;
    static Ogre::DefaultHardwareBufferManager* sBuffers;
    static Ogre::DefaultTextureManager* sTextures;
};

Ogre::LogManager* AssetsTest::sLog = nullptr;
ErrorCollector AssetsTest::sErrors;
Ogre::Root* AssetsTest::sRoot = nullptr;
Ogre::DefaultHardwareBufferManager* AssetsTest::sBuffers = nullptr;
Ogre::DefaultTextureManager* AssetsTest::sTextures = nullptr;

TEST_F(AssetsTest, scriptsParseAndEveryMaterialCompilesWithItsTexture)
{
    for (const std::string& e : sErrors.errors)
        ADD_FAILURE() << "Ogre reported: " << e;
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
        EXPECT_TRUE(fs::exists(file)) << file;
    }
}

TEST(AssetGenerators, writeTheSameBytesOnEveryRun)
{
    // The generators live in tools/ beside the staged folder run/ of the same build tree.
    const fs::path tools = fs::path(testenv::runDir()).parent_path() / "tools";
    testenv::TempDir dir;
    for (const char* tool : {"gen_textures", "gen_meshes"}) {
        for (const char* run : {"a", "b"}) {
            const std::string command =
                (tools / tool).string() + " " + dir.file(run) + " > /dev/null 2>&1";
            ASSERT_EQ(std::system(command.c_str()), 0) << command;
        }
    }
    size_t compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.file("a"))) {
        if (!entry.is_regular_file())
            continue;
        const fs::path rel = fs::relative(entry.path(), dir.file("a"));
        EXPECT_EQ(testenv::readFile(entry.path().string()),
                  testenv::readFile((fs::path(dir.file("b")) / rel).string()))
            << rel;
        ++compared;
    }
    EXPECT_GE(compared, 20u);
}

} // namespace
