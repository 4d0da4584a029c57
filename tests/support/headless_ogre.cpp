// Headless Ogre for scene-level tests.
#include "headless_ogre.h"

#include "test_env.h"

#include <Ogre.h>
#include <OgreDefaultHardwareBufferManager.h>
#include <OgreParticleSystemManager.h>

#include <sys/stat.h>

namespace {

bool isFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

HeadlessOgre::HeadlessOgre(const std::string& dataFolder, Ogre::LogListener* listener)
{
    mLogManager = std::make_unique<Ogre::LogManager>();
    Ogre::Log* log = mLogManager->createLog("Ogre.log", true, false, true);
    if (listener)
        log->addListener(listener);
    root = new Ogre::Root("", "", "");
    mBufferManager = new Ogre::DefaultHardwareBufferManager();
    mTextureManager = new Ogre::DefaultTextureManager();
    Ogre::MaterialManager::getSingleton().initialise();

    try {
        root->loadPlugin(std::string(KIVO_OGRE_PLUGIN_DIR) + "/Plugin_ParticleFX");
        particlesAvailable = true;
    } catch (const Ogre::Exception&) {
        particlesAvailable = false;
    }
    if (!Ogre::ControllerManager::getSingletonPtr())
        new Ogre::ControllerManager();
    Ogre::ParticleSystemManager::getSingleton()._initialise();

    const std::string data = dataFolder.empty() ? testenv::runDir() + "/data" : dataFolder;
    Ogre::ResourceGroupManager& resources = Ogre::ResourceGroupManager::getSingleton();
    for (const char* folder : {"materials", "textures", "meshes", "particles"}) {
        const std::string path = data + "/" + folder;
        if (isFolder(path))
            resources.addResourceLocation(path, "FileSystem",
                                          Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
    }
    resources.initialiseAllResourceGroups();

    sceneManager = root->createSceneManager(Ogre::DefaultSceneManagerFactory::FACTORY_TYPE_NAME,
                                            kSceneManagerName);
    camera = sceneManager->createCamera(kCameraName);
}

HeadlessOgre::~HeadlessOgre()
{
    root->destroySceneManager(sceneManager);
    Ogre::MeshManager::getSingleton().removeAll();
    Ogre::MaterialManager::getSingleton().removeAll();
    delete mTextureManager;
    delete root;
    delete mBufferManager;
    mLogManager.reset();
}

void HeadlessOgre::frame(float seconds)
{
    Ogre::FrameEvent evt;
    evt.timeSinceLastFrame = seconds;
    evt.timeSinceLastEvent = seconds;
    root->_fireFrameStarted(evt);
    root->_fireFrameRenderingQueued(evt);
    root->_fireFrameEnded(evt);
}
