// Start-up of a real GL window for rendering tests.
#include "gl_window.h"

#include <Ogre.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace testenv {

GlWindow::GlWindow(const std::string& title, unsigned width, unsigned height)
{
    log = std::make_unique<Ogre::LogManager>();
    log->createLog("Ogre.log", true, false, false);
    root = std::make_unique<Ogre::Root>("plugins.cfg", "", "");
    Ogre::RenderSystem* gl = root->getRenderSystemByName("OpenGL Rendering Subsystem");
    if (!gl)
        throw std::runtime_error("RenderSystem_GL is not available");
    root->setRenderSystem(gl);
    root->initialise(false);
    window = root->createRenderWindow(title, width, height, false);

    Ogre::ConfigFile resources;
    resources.load("resources.cfg");
    for (const auto& section : resources.getSettingsBySection()) {
        for (const auto& setting : section.second)
            Ogre::ResourceGroupManager::getSingleton().addResourceLocation(
                setting.second, setting.first, section.first);
    }
    Ogre::ResourceGroupManager::getSingleton().initialiseResourceGroup("General");

    sceneManager = root->createSceneManager("DefaultSceneManager", "SceneManager");
    camera = sceneManager->createCamera("firstCamera");
    camera->setNearClipDistance(0.1f);
    camera->setAutoAspectRatio(true);
    window->addViewport(camera)->setBackgroundColour(Ogre::ColourValue::Black);
}

void GlWindow::screenshot(const std::string& file) const
{
    window->writeContentsToFile(file);
    if (const char* keep = std::getenv("KIVO_KEEP_SCREENSHOT"))
        std::filesystem::copy_file(file, keep, std::filesystem::copy_options::overwrite_existing);
}

void GlWindow::renderAndRead(Ogre::PixelBox& box) const
{
    root->renderOneFrame(0.0f);
    window->copyContentsToMemory(box, box);
}

GlWindow::~GlWindow()
{
    root.reset();
    log.reset();
}

} // namespace testenv
