// Headless Ogre for scene-level tests.
#include "headless_ogre.h"

#include "test_env.h"

#include <Ogre.h>
#include <OgreDefaultHardwareBufferManager.h>
#include <OgreParticleSystemManager.h>

#include <sys/stat.h>

namespace {

const char* const kBallMesh = "ellipsoid.mesh";
constexpr float kSphereRadius = 0.5f; // a unit-diameter sphere, like the generated mesh
constexpr int kSphereRings = 12;
constexpr int kSphereSegments = 16;

bool isFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void buildFallbackSphere(Ogre::SceneManager* sceneManager)
{
    Ogre::ManualObject* manual = sceneManager->createManualObject("headlessSphere");
    manual->begin("BaseWhite", Ogre::RenderOperation::OT_TRIANGLE_LIST);
    for (int ring = 0; ring <= kSphereRings; ++ring) {
        const float theta = Ogre::Math::PI * ring / kSphereRings;
        for (int segment = 0; segment <= kSphereSegments; ++segment) {
            const float phi = Ogre::Math::TWO_PI * segment / kSphereSegments;
            const Ogre::Vector3 normal(std::sin(theta) * std::cos(phi), std::cos(theta),
                                       std::sin(theta) * std::sin(phi));
            manual->position(normal * kSphereRadius);
            manual->normal(normal);
            manual->textureCoord(static_cast<float>(segment) / kSphereSegments,
                                 static_cast<float>(ring) / kSphereRings);
        }
    }
    const int row = kSphereSegments + 1;
    for (int ring = 0; ring < kSphereRings; ++ring) {
        for (int segment = 0; segment < kSphereSegments; ++segment) {
            const int a = ring * row + segment;
            manual->triangle(a, a + row, a + 1);
            manual->triangle(a + 1, a + row, a + row + 1);
        }
    }
    manual->end();
    manual->convertToMesh(kBallMesh, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
    sceneManager->destroyManualObject(manual);
}

} // namespace

HeadlessOgre::HeadlessOgre(const std::string& dataFolder)
{
    mLogManager = std::make_unique<Ogre::LogManager>();
    mLogManager->createLog("Ogre.log", true, false, true);
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

    if (!resources.resourceExistsInAnyGroup(kBallMesh))
        buildFallbackSphere(sceneManager);
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
