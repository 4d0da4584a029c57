// Starting Ogre inside a Qt widget and rendering it from a timer.
#include "editor/ogre_widget.h"

#include "world/paths.h"

#include <Ogre.h>

#include <QCoreApplication>
#include <QMessageBox>
#include <QResizeEvent>

#include <filesystem>
#include <iostream>
#include <stdexcept>

namespace {

const char* const kPluginsFile = "plugins.cfg";
const char* const kConfigFile = "ogre.cfg";
// Its own log: the game started for a play-test writes Ogre.log in the same folder.
const char* const kLogFile = "OgreEditor.log";
const char* const kResourcesFile = "resources.cfg";
const char* const kWindowTitle = "OGRE Render Window";
const char* const kRenderWindowName = "QOgreWidget_RenderWindow";
const Ogre::Vector3 kCameraStart(0.0f, 20.0f, 100.0f);
const float kNearClip = 1.0f;

void declareResources()
{
    Ogre::ConfigFile config;
    const std::filesystem::path base = paths::baseDir();
    config.load((base / kResourcesFile).string(), "\t:=", true);
    auto& groups = Ogre::ResourceGroupManager::getSingleton();
    // Relative locations lie below the folder of the file.
    for (const auto& [group, settings] : config.getSettingsBySection()) {
        for (const auto& [type, location] : settings)
            groups.addResourceLocation((base / location).string(), type, group);
    }
}

} // namespace

OgreWidget::OgreWidget(QWidget* parent) : QWidget(parent)
{
    std::cout << "init" << std::endl;
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(320, 240);

    mLogManager = std::make_unique<Ogre::LogManager>();
    mLogManager->createLog(paths::stateFile(kLogFile), true, false, false);
    mRoot = std::make_unique<Ogre::Root>(
        (std::filesystem::path(paths::baseDir()) / kPluginsFile).string(),
        paths::configFile(kConfigFile), "");
    declareResources();
    bool configured = false;
    try {
        configured = mRoot->restoreConfig() && mRoot->getRenderSystem();
    } catch (const Ogre::Exception& e) {
        std::cerr << "KIVO Editor: " << kConfigFile << " cannot be used: " << e.getDescription()
                  << std::endl;
    }
    // Ogre's dialog waits for the user; it is only reached when no render system is stored.
    if (!configured && !mRoot->showConfigDialog(nullptr))
        throw std::runtime_error("no render system was chosen");
    connect(&mTimer, &QTimer::timeout, this, [this] { update(); });
}

OgreWidget::~OgreWidget()
{
    mTimer.stop();
    if (mRoot)
        mRoot->shutdown();
    mRoot.reset();
}

void OgreWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (mWindow || mFailed)
        return;
    try {
        startRendering();
    } catch (const std::exception& e) {
        // Without a view the editor cannot be used: say why and end.
        mFailed = true;
        std::cerr << "KIVO Editor: cannot open the 3D view: " << e.what() << std::endl;
        QMessageBox::critical(this, QStringLiteral("KIVO Editor"),
                              QStringLiteral("Can't open the 3D view:\n") + e.what());
        QCoreApplication::exit(1);
    }
}

void OgreWidget::startRendering()
{
    mRoot->initialise(false, kWindowTitle);
    Ogre::NameValuePairList parameters;
    parameters["parentWindowHandle"] =
        Ogre::StringConverter::toString(static_cast<unsigned long>(winId()));
    mWindow = mRoot->createRenderWindow(kRenderWindowName, std::max(width(), 1),
                                        std::max(height(), 1), false, &parameters);
    mWindow->setActive(true);
    mWindow->setVisible(true);
    Ogre::ResourceGroupManager::getSingleton().initialiseAllResourceGroups();

    mSceneManager = mRoot->createSceneManager(Ogre::DefaultSceneManagerFactory::FACTORY_TYPE_NAME,
                                              kSceneManagerName);
    mCamera = mSceneManager->createCamera(kCameraName);
    mCamera->setNearClipDistance(kNearClip);
    mCamera->setAutoAspectRatio(true);
    Ogre::SceneNode* node = mSceneManager->getRootSceneNode()->createChildSceneNode();
    node->setPosition(kCameraStart);
    node->lookAt(Ogre::Vector3::ZERO, Ogre::Node::TS_WORLD);
    node->attachObject(mCamera);
    Ogre::Viewport* viewport = mWindow->addViewport(mCamera, 0);
    viewport->setBackgroundColour(Ogre::ColourValue(0, 0, 0, 1));

    mTimer.start(kFramePeriodMs);
    emit ready();
}

void OgreWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (mWindow) {
        mWindow->resize(std::max(width(), 1), std::max(height(), 1));
        mWindow->windowMovedOrResized();
    }
}

void OgreWidget::paintEvent(QPaintEvent*)
{
    if (mWindow)
        mRoot->renderOneFrame();
}
