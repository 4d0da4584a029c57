// The loading screen: four windows on one sheet and the loading sound.
#include "game/core/loading_screen.h"

#include "game/core/sound.h"
#include "world/paths.h"

#include <CEGUI/CEGUI.h>
#include <OgreLogManager.h>
#include <OgreRenderWindow.h>
#include <OgreRoot.h>
#include <OgreStringConverter.h>

namespace {
const float kBarLeft = 0.1f;
const float kBarWidth = 0.8f;
const float kBarTop = 0.7f;
const float kBarHeight = 50.0f;
const char* const kFont = "DejaVuSans-14";
const char* const kFontFile = "DejaVuSans-14.font";

CEGUI::Window* makeChild(CEGUI::Window* parent, const char* type, const char* name,
                         const CEGUI::UVector2& position, const CEGUI::USize& size)
{
    CEGUI::Window* w = CEGUI::WindowManager::getSingleton().createWindow(type, name);
    w->setPosition(position);
    w->setSize(size);
    parent->addChild(w);
    return w;
}
} // namespace

CLoadingScreen::CLoadingScreen() = default;

CLoadingScreen::~CLoadingScreen()
{
    if (mSound)
        mSound->drop();
    mSound.reset();
    if (mSheet && CEGUI::WindowManager::getSingletonPtr())
        CEGUI::WindowManager::getSingleton().destroyWindow(mSheet);
}

void CLoadingScreen::create()
{
    CEGUI::SchemeManager::getSingleton().createFromFile("WindowsLook.scheme");
    CEGUI::ImageManager::getSingleton().loadImageset("LoadingScreen.imageset");
    CEGUI::FontManager& fonts = CEGUI::FontManager::getSingleton();
    if (!fonts.isDefined(kFont))
        fonts.createFromFile(kFontFile);

    using CEGUI::UDim;
    using CEGUI::USize;
    using CEGUI::UVector2;
    mSheet = CEGUI::WindowManager::getSingleton().createWindow("DefaultWindow", "myWindow");

    CEGUI::Window* empty =
        makeChild(mSheet, "WindowsLook/StaticImage", "ProgressBarEmpty",
                  UVector2(UDim(kBarLeft, 0), UDim(kBarTop, 0)),
                  USize(UDim(kBarWidth, 0), UDim(0, kBarHeight)));
    empty->setProperty("FrameEnabled", "false");
    empty->setProperty("Image", "LoadingScreen/LSProgressBarEmpty");
    // The images bring their own transparency; the look's grey backdrop would box them in.
    empty->setProperty("BackgroundEnabled", "false");

    mBar = makeChild(mSheet, "WindowsLook/StaticImage", "ProgressBar",
                     UVector2(UDim(kBarLeft, 0), UDim(kBarTop, 0)),
                     USize(UDim(mProgress / 100.0f * kBarWidth, 0), UDim(0, kBarHeight)));
    mBar->setProperty("FrameEnabled", "false");
    mBar->setProperty("HorzFormatting", "LeftAligned");
    mBar->setProperty("Image", "LoadingScreen/LSProgressBar");
    mBar->setProperty("BackgroundEnabled", "false");

    CEGUI::Window* logo = makeChild(mSheet, "WindowsLook/StaticImage", "KIVOLogoLoadingScreen",
                                    UVector2(UDim(0.5f, -189), UDim(0.05f, 0)),
                                    USize(UDim(0, 377), UDim(0, 196)));
    logo->setProperty("FrameEnabled", "false");
    logo->setProperty("Image", "LoadingScreen/KIVOLogo");
    logo->setProperty("BackgroundEnabled", "false");

    mLabel = makeChild(mSheet, "WindowsLook/StaticText", "ProgressBarText",
                       UVector2(UDim(kBarLeft, 0), UDim(0.8f, 0)),
                       USize(UDim(kBarWidth, 0), UDim(0, kBarHeight)));
    mLabel->setProperty("TextColours", "tl:FFFFFFFF tr:FFFFFFFF bl:FFFFFFFF br:FFFFFFFF");
    // CEGUI 0.8 spells centred text formatting "CentreAligned".
    mLabel->setProperty("VertFormatting", "CentreAligned");
    mLabel->setProperty("HorzFormatting", "CentreAligned");
    mLabel->setProperty("FrameEnabled", "false");
    mLabel->setProperty("BackgroundEnabled", "false");
    mLabel->setText(mText);

    CEGUI::GUIContext& context = CEGUI::System::getSingleton().getDefaultGUIContext();
    mLabel->setFont(kFont);
    context.setRootWindow(mSheet);

    mSound = playSound3D(paths::dataFile("sounds/loading.wav"), Ogre::Vector3::ZERO, false);
    mSound->setIsPaused(false);
}

void CLoadingScreen::setProgress(float percent, const CEGUI::String& text)
{
    mProgress = percent;
    mText = text;
    mSteps.emplace_back(percent, text.c_str());
    if (Ogre::LogManager* log = Ogre::LogManager::getSingletonPtr())
        log->logMessage("Loading screen: " + Ogre::StringConverter::toString(percent) + "% " +
                        text.c_str());
    if (mBar)
        mBar->setSize(CEGUI::USize(CEGUI::UDim(percent / 100.0f * kBarWidth, 0),
                                   CEGUI::UDim(0, kBarHeight)));
    if (mLabel)
        mLabel->setText(text);
    // The GUI renderer draws inside Ogre's frame, so rendering one frame shows the new state.
    // The GUI can only draw once the window has a viewport (Ogre refuses to begin a frame
    // without one); steps before the scene's camera exists are therefore not drawn.
    Ogre::Root* root = Ogre::Root::getSingletonPtr();
    Ogre::RenderWindow* window = root ? root->getAutoCreatedWindow() : nullptr;
    if (root && window && window->getNumViewports() > 0)
        root->renderOneFrame();
    mStepTimes.push_back(std::chrono::steady_clock::now());
}

void CLoadingScreen::hide()
{
    if (mSound)
        mSound->stop();
    if (mSheet)
        mSheet->setProperty("Visible", "false");
}

bool CLoadingScreen::isVisible() const
{
    return mSheet && mSheet->isVisible();
}
