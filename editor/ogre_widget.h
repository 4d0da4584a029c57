// OgreWidget: the editor's 3D view. Ogre renders into a child window of this widget, driven by
// a 15 ms timer. Ogre starts when the widget is first shown; ready() tells that the scene
// manager "SceneManager" and the camera "Camera1" exist.
#pragma once

#include <QTimer>
#include <QWidget>

#include <memory>

namespace Ogre {
class Camera;
class LogManager;
class RenderWindow;
class Root;
class SceneManager;
} // namespace Ogre

class OgreWidget : public QWidget
{
    Q_OBJECT

public:
    static constexpr const char* kSceneManagerName = "SceneManager";
    static constexpr const char* kCameraName = "Camera1";
    static constexpr int kFramePeriodMs = 15;

    // Starts the Ogre root from plugins.cfg and resources.cfg of the data (paths.h) and the
    // user's ogre.cfg. A stored render system is used as it is; Ogre's own dialog is shown only
    // when ogre.cfg names none. Throws when Ogre cannot start.
    explicit OgreWidget(QWidget* parent = nullptr);
    ~OgreWidget() override;

    bool isReady() const { return mCamera != nullptr; }
    Ogre::Camera* camera() const { return mCamera; }
    QPaintEngine* paintEngine() const override { return nullptr; }

signals:
    void ready();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void startRendering();

    std::unique_ptr<Ogre::LogManager> mLogManager;
    std::unique_ptr<Ogre::Root> mRoot;
    Ogre::RenderWindow* mWindow = nullptr;
    Ogre::SceneManager* mSceneManager = nullptr;
    Ogre::Camera* mCamera = nullptr;
    QTimer mTimer;
    bool mFailed = false;
};
