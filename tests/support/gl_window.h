// A real Ogre window on RenderSystem_GL for tests that run under a display: the staged game's
// plug-ins and resource locations (read from the working folder), the "General" group loaded,
// and the scene manager "SceneManager" with camera "firstCamera" filling the window.
#pragma once

#include <memory>
#include <string>

namespace Ogre {
class Camera;
class PixelBox;
class LogManager;
class RenderWindow;
class Root;
class SceneManager;
} // namespace Ogre

namespace testenv {

struct GlWindow
{
    // Throws when the GL render system is missing. Call it inside a TempDir whose
    // linkGameFiles() made plugins.cfg, resources.cfg and data/ visible.
    GlWindow(const std::string& title, unsigned width, unsigned height);
    ~GlWindow();
    GlWindow(const GlWindow&) = delete;
    GlWindow& operator=(const GlWindow&) = delete;

    // Writes the window's picture to the file; with KIVO_KEEP_SCREENSHOT set, also to that path,
    // so a developer can look at it.
    void screenshot(const std::string& file) const;
    // Renders the current view again (no time passes) and reads it into the box.
    void renderAndRead(Ogre::PixelBox& box) const;

    std::unique_ptr<Ogre::LogManager> log;
    std::unique_ptr<Ogre::Root> root;
    Ogre::RenderWindow* window = nullptr;
    Ogre::SceneManager* sceneManager = nullptr;
    Ogre::Camera* camera = nullptr;
};

} // namespace testenv
