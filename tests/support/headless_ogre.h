// HeadlessOgre: a real Ogre root with a scene manager "SceneManager" and a camera
// "firstCamera", made without a display or render system. Scenes, entities, lights, billboards,
// ray queries and particle systems work; rendering does not. The staged data folder's
// materials, textures, meshes and particle scripts are declared and parsed.
#pragma once

#include <memory>
#include <string>

namespace Ogre {
class Camera;
class DefaultHardwareBufferManager;
class LogListener;
class LogManager;
class Root;
class SceneManager;
class TextureManager;
} // namespace Ogre

struct HeadlessOgre
{
    static constexpr const char* kSceneManagerName = "SceneManager";
    static constexpr const char* kCameraName = "firstCamera";

    // dataFolder: the folder holding materials/, textures/, meshes/, particles/
    // (default: the staged game's data folder); the listener hears the log from the start.
    explicit HeadlessOgre(const std::string& dataFolder = std::string(),
                          Ogre::LogListener* listener = nullptr);
    ~HeadlessOgre();
    HeadlessOgre(const HeadlessOgre&) = delete;
    HeadlessOgre& operator=(const HeadlessOgre&) = delete;

    // Runs every registered frame listener once with the given frame time, as a rendered
    // frame would (frameStarted, frameRenderingQueued, frameEnded).
    void frame(float seconds);

    Ogre::Root* root = nullptr;
    Ogre::SceneManager* sceneManager = nullptr;
    Ogre::Camera* camera = nullptr;
    bool particlesAvailable = false;

private:
    std::unique_ptr<Ogre::LogManager> mLogManager;
    Ogre::DefaultHardwareBufferManager* mBufferManager = nullptr;
    Ogre::TextureManager* mTextureManager = nullptr;
};
