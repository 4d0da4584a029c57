// CApplication: the one application object of the game. It starts Ogre, CEGUI, the input system
// and the menu behind a loading screen, runs the frame loop, forwards pause and resume to the
// running game, and deletes the listeners handed to its destroy list after each frame.
#pragma once

#include "world/ext_frame_listener.h"

#include <OgreWindowEventUtilities.h>

#include <memory>
#include <string>
#include <vector>

namespace Ogre {
class Camera;
class LogManager;
class RenderWindow;
class Root;
class SceneManager;
} // namespace Ogre

class CGameMenu;
class CGuiLog;
class CLoadingScreen;
class CViewportClip;

class CApplication : public CExtFrameListener, public OgreBites::WindowEventListener
{
public:
    static CApplication* getInstance(); // creates the application on first use
    static bool hasInstance();
    static void destroyInstance();

    ~CApplication() override;

    // Start-up and the frame loop; returns the program's exit code when the loop ends.
    int run();
    // The start-up sequence alone; false when no render system could be found.
    bool start();
    // The frame loop alone; returns when the window was closed or the game quit.
    void loop();
    // Ends the loop after the current frame; safe to call from a signal handler.
    static void requestStop();
    // One turn of the frame loop: render, pump window messages, delete the destroy list.
    // Returns false when the loop should end.
    bool runFrame();

    void setActiveListener(CExtFrameListener* listener);
    void clearActiveListener();
    void destroyLater(CExtFrameListener* listener);
    void flushDestroyList();

    // For tests and tools that started Ogre themselves: use that root, window and camera
    // (not owned; the camera's scene manager becomes the game's) instead of starting them in
    // run().
    void attachEngine(Ogre::Root* root, Ogre::RenderWindow* window, Ogre::Camera* camera);
    // Goes straight into a single-player round on the map (a name below data/maps/) once the
    // menu is up, instead of waiting on the main page.
    void setPlayTest(const std::string& mapName, const std::string& playerName);

    bool frameStarted(const Ogre::FrameEvent& evt) override;
    void onPause() override;
    void onResume() override;

    void windowResized(Ogre::RenderWindow* rw) override;
    bool windowClosing(Ogre::RenderWindow* rw) override;
    void windowClosed(Ogre::RenderWindow* rw) override;

    Ogre::Root* getRoot() const { return mRoot; }
    Ogre::SceneManager* getSceneManager() const { return mSceneManager; }
    Ogre::Camera* getCamera() const { return mCamera; }
    Ogre::RenderWindow* getRenderWindow() const { return mWindow; }
    CGameMenu* getMenu() const { return mMenu.get(); }
    CLoadingScreen* getLoadingScreen() const { return mLoadingScreen.get(); }
    CExtFrameListener* getActiveListener() const { return mActiveListener; }
    bool isRunning() const { return mRunning; }
    size_t destroyListSize() const { return mDestroyList.size(); }

private:
    CApplication();

    bool startOgre();
    void declareResources();
    bool configureRenderSystem();
    void createWindow();
    void startGui();
    void createSceneAndCamera();
    void queueForDeletion(CExtFrameListener* listener);

    bool mRunning = true;
    std::unique_ptr<Ogre::LogManager> mLogManager;
    Ogre::Root* mRoot = nullptr;
    bool mOwnsRoot = false;
    Ogre::SceneManager* mSceneManager = nullptr;
    Ogre::Camera* mCamera = nullptr;
    Ogre::RenderWindow* mWindow = nullptr;
    std::unique_ptr<CViewportClip> mViewportClip;
    std::unique_ptr<CGuiLog> mGuiLog;
    std::unique_ptr<CLoadingScreen> mLoadingScreen;
    std::unique_ptr<CGameMenu> mMenu;
    bool mGuiStarted = false;
    CExtFrameListener* mActiveListener = nullptr;
    std::vector<CExtFrameListener*> mDestroyList;
    std::string mPlayTestMap;
    std::string mPlayTestName;
};
