// Start-up sequence, frame loop, destroy list, pause forwarding and window events.
#include "game/core/application.h"

#include "game/core/gui_log.h"
#include "game/core/loading_screen.h"
#include "game/core/moving_in.h"
#include "game/core/profile.h"
#include "game/core/sound.h"
#include "game/core/video_options.h"
#include "game/core/viewport_clip.h"
#include "game/core/window_icon.h"
#include "game/input/input_manager.h"
#include "game/menu/game_menu.h"
#include "game/net/network.h"
#include "world/ball_shadow.h"
#include "world/paths.h"

#include <CEGUI/CEGUI.h>
#include <CEGUI/RendererModules/Ogre/Renderer.h>
#include <OISKeyboard.h>
#include <OISMouse.h>
#include <Ogre.h>

#include <X11/Xlib.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <stdexcept>

namespace {
const char* const kPluginsFile = "plugins.cfg";
const char* const kConfigFile = "ogre.cfg";
const char* const kLogFile = "Ogre.log";
const char* const kGuiLogFile = "CEGUI.log";
const char* const kResourcesFile = "resources.cfg";
const char* const kWindowTitle = "KIVO";
const char* const kIconFile = "gui/kivo_icon.png";
const int kDefaultMipmaps = 5;
const Ogre::Real kNearClip = 0.1f;

CApplication* gApplication = nullptr;
// Set from a signal handler, so only a lock-free flag.
volatile std::sig_atomic_t gStopRequested = 0;

// Ogre's GL support looks the window manager's close protocol up with "only if it exists", which
// on a bare X server (no window manager has run yet) finds nothing, and the window would then
// ignore close requests. Making sure the atom exists before Ogre starts avoids that. The
// connection stays open for the program's life: a bare server forgets its atoms when its last
// client leaves.
void makeCloseButtonWork()
{
    static Display* display = XOpenDisplay(nullptr);
    if (!display) {
        const char* name = std::getenv("DISPLAY");
        throw std::runtime_error(std::string("cannot open the X display \"") + (name ? name : "") +
                                 "\"; KIVO needs a display (without one, start it under xvfb-run)");
    }
    XInternAtom(display, "WM_DELETE_WINDOW", False);
    XInternAtom(display, "WM_PROTOCOLS", False);
    XFlush(display);
}

void warnAboutConfig(const std::string& text)
{
    Ogre::LogManager::getSingleton().logWarning(text);
    std::cerr << "KIVO: " << text << std::endl;
}

using OptionDefaults = std::map<std::string, Ogre::ConfigOptionMap>;

// Every render system's own option values, taken before "ogre.cfg" is applied to them.
OptionDefaults takeDefaults(Ogre::Root* root)
{
    OptionDefaults defaults;
    for (Ogre::RenderSystem* system : root->getAvailableRenderers())
        defaults[system->getName()] = system->getConfigOptions();
    return defaults;
}

// A hand-edited file may hold values the render system does not offer (a video mode "garbage"
// gives a 0x0 window that X refuses): such options go back to the system's own default, with a
// warning. Applied to the chosen system however it was chosen.
void checkOptions(Ogre::RenderSystem* system, OptionDefaults& defaults)
{
    const Ogre::ConfigOptionMap stored = system->getConfigOptions();
    for (const auto& [name, option] : stored) {
        const Ogre::StringVector& offered = option.possibleValues;
        if (offered.empty() ||
            std::find(offered.begin(), offered.end(), option.currentValue) != offered.end())
            continue;
        const std::string fallback = defaults[system->getName()][name].currentValue;
        warnAboutConfig(std::string(kConfigFile) + ": \"" + name + "=" + option.currentValue +
                        "\" is not offered by " + system->getName() + "; using \"" + fallback +
                        "\"");
        system->setConfigOption(name, fallback);
    }
}

// The render system "ogre.cfg" names, or "" when the file has none or cannot be read.
std::string storedRenderSystem()
{
    Ogre::ConfigFile file;
    try {
        file.load(paths::configFile(kConfigFile), "=", true);
    } catch (const Ogre::Exception&) {
        return std::string();
    }
    return file.getSetting("Render System");
}

enum class EStoredConfig
{
    USED,       // the file named an installed render system that took its settings
    ABSENT,     // no file, or one that names no render system
    NOT_USABLE, // a file the player wrote that cannot be used as it stands
};

// Restores "ogre.cfg". A file Ogre cannot read at all leaves every system at its defaults.
EStoredConfig restoreStoredConfig(Ogre::Root* root, OptionDefaults& defaults)
{
    try {
        if (root->restoreConfig()) {
            checkOptions(root->getRenderSystem(), defaults);
            return EStoredConfig::USED;
        }
    } catch (const Ogre::Exception& e) {
        warnAboutConfig(std::string(kConfigFile) + " cannot be used (" + e.getDescription() +
                        "); starting with the default video settings");
        for (Ogre::RenderSystem* system : root->getAvailableRenderers())
            for (const auto& option : defaults[system->getName()])
                system->setConfigOption(option.first, option.second.currentValue);
        return EStoredConfig::NOT_USABLE;
    }
    // Ogre has already applied the sections of the installed systems when it turns down the
    // file's choice; the caller checks those values like any others.
    const std::string named = storedRenderSystem();
    if (named.empty())
        return EStoredConfig::ABSENT;
    if (root->getRenderSystemByName(named))
        warnAboutConfig(std::string(kConfigFile) + ": " + named + " refused its settings");
    else
        warnAboutConfig(std::string(kConfigFile) + " names the render system \"" + named +
                        "\", which is not installed");
    return EStoredConfig::NOT_USABLE;
}

void requireFile(const std::string& path, const char* what)
{
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error("cannot read \"" + path + "\" (" + what + ")");
}

std::string baseFile(const char* name)
{
    return (std::filesystem::path(paths::baseDir()) / name).string();
}
} // namespace

CApplication* CApplication::getInstance()
{
    if (!gApplication)
        gApplication = new CApplication();
    return gApplication;
}

bool CApplication::hasInstance()
{
    return gApplication != nullptr;
}

void CApplication::destroyInstance()
{
    delete gApplication;
    gApplication = nullptr;
}

CApplication::CApplication()
{
    createSoundEngine();
}

CApplication::~CApplication()
{
    if (mWindow && mOwnsRoot) {
        OgreBites::WindowEventUtilities::removeWindowEventListener(mWindow, this);
        OgreBites::WindowEventUtilities::_removeRenderWindow(mWindow);
    }
    clearActiveListener();
    if (CNetwork::hasInstance())
        CNetwork::destroyInstance();
    flushDestroyList();
    destroySoundEngine();
    mMenu.reset();
    mLoadingScreen.reset();
    CInputManager::destroySingleton();
    if (mGuiStarted)
        CEGUI::OgreRenderer::destroySystem();
    if (mOwnsRoot)
        delete mRoot;
    mRoot = nullptr;
    mLogManager.reset();
    if (gApplication == this)
        gApplication = nullptr;
}

void CApplication::attachEngine(Ogre::Root* root, Ogre::RenderWindow* window, Ogre::Camera* camera)
{
    mRoot = root;
    mOwnsRoot = false;
    mWindow = window;
    mCamera = camera;
    mSceneManager = camera ? camera->getSceneManager() : nullptr;
}

int CApplication::run()
{
    if (!start())
        return 0;
    loop();
    return 0;
}

bool CApplication::start()
{
    // Files written by replaceFile: "input.cfg", "ogre.cfg" and the maps' best-times files.
    for (const std::string& folder : {paths::configDir(), paths::userMapDir()})
        removeStaleTemporaryFiles(folder);
    if (!startOgre())
        return false;
    createWindow();
    startGui();

    mLoadingScreen = std::make_unique<CLoadingScreen>();
    mLoadingScreen->create();

    mLoadingScreen->setProgress(16, "Loading resources...");
    Ogre::TextureManager::getSingleton().setDefaultNumMipmaps(kDefaultMipmaps);
    Ogre::ResourceGroupManager::getSingleton().initialiseAllResourceGroups();

    mLoadingScreen->setProgress(32, "Loading scene...");
    createSceneAndCamera();

    mLoadingScreen->setProgress(48, "Loading inputsystem...");
    CInputManager::getSingleton().initialise(mWindow);

    mLoadingScreen->setProgress(64, "Loading menu...");
    mMenu = std::make_unique<CGameMenu>();
    mMenu->initialise();

    mLoadingScreen->setProgress(80, "Loading gamesystem...");
    mRoot->addFrameListener(this);

    mLoadingScreen->setProgress(100, "Ready!");
    mLoadingScreen->hide();
    if (!mPlayTestMap.empty())
        mMenu->startPlayTest(mPlayTestMap, mPlayTestName);
    return true;
}

void CApplication::setPlayTest(const std::string& mapName, const std::string& playerName)
{
    mPlayTestMap = mapName;
    mPlayTestName = playerName;
}

void CApplication::loop()
{
    Ogre::LogManager::getSingleton().logMessage("Frame loop started");
    while (runFrame()) {
    }
}

bool CApplication::runFrame()
{
    if (!mRoot->renderOneFrame())
        return false;
    OgreBites::WindowEventUtilities::messagePump();
    flushDestroyList();
    return true;
}

bool CApplication::startOgre()
{
    const std::string plugins = baseFile(kPluginsFile);
    requireFile(plugins, "the list of Ogre plug-ins");
    requireFile(baseFile(kResourcesFile), "the list of resource locations");

    makeCloseButtonWork();
    std::string folderError;
    const bool haveFolders = paths::makeUserFolders(folderError);
    if (!haveFolders)
        std::cerr << "KIVO: " << folderError << "; what belongs there will not be kept"
                  << std::endl;
    const std::string log = paths::stateFile(kLogFile);
    mLogManager = std::make_unique<Ogre::LogManager>();
    mLogManager->createLog(log, true, false, false);
    if (haveFolders) {
        for (const std::string& line : moveIn(paths::baseDir(), paths::shippedMapDir()))
            mLogManager->logMessage(line);
    }
    try {
        mRoot = new Ogre::Root(plugins, paths::configFile(kConfigFile), log);
    } catch (const Ogre::Exception& e) {
        // The exception may point into a plug-in that was unloaded while the root unwound:
        // keep only its own text.
        throw std::runtime_error("Ogre could not start: " + e.getDescription());
    }
    mOwnsRoot = true;

    declareResources();
    CBallShadow::setEnabled(videooptions::readBallShadows(paths::configFile(kConfigFile)));
    return configureRenderSystem();
}

void CApplication::declareResources()
{
    Ogre::ConfigFile config;
    config.load(baseFile(kResourcesFile), "\t:=", true);
    auto& groups = Ogre::ResourceGroupManager::getSingleton();
    // A relative location lies below the folder of the file, wherever the game was started.
    const std::filesystem::path base = paths::baseDir();
    for (const auto& section : config.getSettingsBySection()) {
        for (const auto& setting : section.second)
            groups.addResourceLocation((base / setting.second).string(), setting.first,
                                       section.first, false);
    }
}

bool CApplication::configureRenderSystem()
{
    OptionDefaults defaults = takeDefaults(mRoot);
    const EStoredConfig stored = restoreStoredConfig(mRoot, defaults);
    if (stored == EStoredConfig::USED)
        return true;
    const Ogre::RenderSystemList& systems = mRoot->getAvailableRenderers();
    if (systems.empty()) {
        Ogre::LogManager::getSingleton().logMessage(
            "Sorry, I was unable to detect a rendersystem!");
        return false;
    }
    Ogre::RenderSystem* system = systems.front();
    mRoot->setRenderSystem(system);
    checkOptions(system, defaults);
    // A file Ogre could not use is left as it is for the player to look at; the video settings
    // page writes a good one.
    if (stored == EStoredConfig::ABSENT)
        mRoot->saveConfig();
    else
        warnAboutConfig("starting with " + system->getName());
    return true;
}

void CApplication::createWindow()
{
    mWindow = mRoot->initialise(true, kWindowTitle);
    mViewportClip = std::make_unique<CViewportClip>();
    mWindow->addListener(mViewportClip.get());
    setWindowIcon(mWindow, paths::dataFile(kIconFile));
    // The message pump only looks at windows it was told about.
    OgreBites::WindowEventUtilities::_addRenderWindow(mWindow);
    OgreBites::WindowEventUtilities::addWindowEventListener(mWindow, this);
}

void CApplication::startGui()
{
    mGuiLog = std::make_unique<CGuiLog>(paths::stateFile(kGuiLogFile));
    CEGUI::OgreRenderer::bootstrapSystem();
    mGuiStarted = true;
    CEGUI::ImageManager::setImagesetDefaultResourceGroup("Imagesets");
    CEGUI::Font::setDefaultResourceGroup("Fonts");
    CEGUI::Scheme::setDefaultResourceGroup("Schemes");
    CEGUI::WidgetLookManager::setDefaultResourceGroup("LookNFeel");
    CEGUI::WindowManager::setDefaultResourceGroup("Layouts");
}

void CApplication::createSceneAndCamera()
{
    mSceneManager = mRoot->createSceneManager(Ogre::DefaultSceneManagerFactory::FACTORY_TYPE_NAME,
                                              "SceneManager");
    mCamera = mSceneManager->createCamera("DefaultCamera");
    mCamera->setNearClipDistance(kNearClip);
    Ogre::Viewport* viewport = mWindow->addViewport(mCamera, -100, 0, 0, 1, 1);
    viewport->setBackgroundColour(Ogre::ColourValue(0, 0, 0, 1));
    // This view lies under the menu and under the players' views, which cover it whole: it only
    // clears the window, and drawing the level through it would be work nobody sees.
    viewport->setVisibilityMask(0);
    mCamera->setAspectRatio(Ogre::Real(viewport->getActualWidth()) /
                            Ogre::Real(viewport->getActualHeight()));
}

void CApplication::requestStop()
{
    gStopRequested = 1;
}

bool CApplication::frameStarted(const Ogre::FrameEvent& evt)
{
    if (gStopRequested)
        mRunning = false;
    updateSoundEngine();
    if (mWindow && mWindow->isActive()) {
        CInputManager& input = CInputManager::getSingleton();
        if (input.getMouse())
            input.getMouse()->capture();
        if (input.getKeyboard())
            input.getKeyboard()->capture();
    }
    if (mMenu && mMenu->getGuiSystem()) {
        CEGUI::System* gui = mMenu->getGuiSystem();
        gui->injectTimePulse(evt.timeSinceLastFrame);
        gui->getDefaultGUIContext().injectTimePulse(evt.timeSinceLastFrame);
        mMenu->addElapsedTime(evt.timeSinceLastFrame);
    }
    return mRunning;
}

void CApplication::setActiveListener(CExtFrameListener* listener)
{
    // A game still active when the next one starts must not run on, unowned.
    if (mActiveListener && mActiveListener != listener)
        clearActiveListener();
    mActiveListener = listener;
    mRoot->addFrameListener(listener);
}

void CApplication::clearActiveListener()
{
    if (!mActiveListener)
        return;
    if (mRoot)
        mRoot->removeFrameListener(mActiveListener);
    queueForDeletion(mActiveListener);
    mActiveListener = nullptr;
}

void CApplication::destroyLater(CExtFrameListener* listener)
{
    if (mRoot)
        mRoot->removeFrameListener(listener);
    queueForDeletion(listener);
}

void CApplication::queueForDeletion(CExtFrameListener* listener)
{
    // Handing the same listener over twice must not delete it twice.
    if (listener &&
        std::find(mDestroyList.begin(), mDestroyList.end(), listener) == mDestroyList.end())
        mDestroyList.push_back(listener);
}

void CApplication::flushDestroyList()
{
    // A destructor may hand further listeners over (a game state hands over its scene and
    // players), so keep going until the list stays empty.
    while (!mDestroyList.empty()) {
        std::vector<CExtFrameListener*> doomed;
        doomed.swap(mDestroyList);
        for (CExtFrameListener* listener : doomed)
            delete listener;
    }
}

void CApplication::onPause()
{
    if (mActiveListener && !mActiveListener->isPaused())
        mActiveListener->setPaused(true);
}

void CApplication::onResume()
{
    if (mActiveListener && mActiveListener->isPaused())
        mActiveListener->setPaused(false);
}

void CApplication::windowResized(Ogre::RenderWindow* rw)
{
    CInputManager::getSingleton().setMouseArea(rw->getWidth(), rw->getHeight());
    if (mCamera)
        mCamera->setAspectRatio(Ogre::Real(rw->getWidth()) / Ogre::Real(rw->getHeight()));
    // The players' views (split screen included) keep their proportions too; the views shrunk
    // away behind the menu have no size and are left alone.
    for (unsigned short i = 0; i < rw->getNumViewports(); ++i) {
        Ogre::Viewport* view = rw->getViewport(i);
        if (view->getCamera() != mCamera && view->getActualWidth() > 0 &&
            view->getActualHeight() > 0)
            view->getCamera()->setAspectRatio(Ogre::Real(view->getActualWidth()) /
                                              Ogre::Real(view->getActualHeight()));
    }
}

bool CApplication::windowClosing(Ogre::RenderWindow*)
{
    return true;
}

void CApplication::windowClosed(Ogre::RenderWindow*)
{
    mRunning = false;
}
