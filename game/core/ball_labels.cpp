// The player numbers over the balls of a split-screen round.
#include "game/core/ball_labels.h"

#include "world/ball_look.h"
#include "world/physics.h"
#include "world/scene.h"

#include <CEGUI/CEGUI.h>
#include <OgreCamera.h>
#include <OgreRenderWindow.h>
#include <OgreSceneNode.h>
#include <OgreViewport.h>

namespace {
const float kBandShade = 0.7f;
const float kBandAlpha = 0.8f;
// The label's lower edge this far above the ball's top, in world units.
const float kLift = 0.15f;

CEGUI::UDim part(float value)
{
    return CEGUI::UDim(value, 0);
}
} // namespace

std::string playerBandColour(int playerNumber)
{
    const Ogre::ColourValue c = balllook::playerColour(playerNumber) * kBandShade;
    return CEGUI::PropertyHelper<CEGUI::Colour>::toString(CEGUI::Colour(c.r, c.g, c.b, kBandAlpha))
        .c_str();
}

CBallLabels::CBallLabels(CEGUI::Window* parent, Ogre::RenderWindow* window) : mWindow(window)
{
    CEGUI::WindowManager& windows = CEGUI::WindowManager::getSingleton();
    for (int view = 0; view < kMaxViews; ++view) {
        for (int ball = 0; ball < kMaxBalls; ++ball) {
            CEGUI::Window* label = windows.createWindow(
                "gui/HudText", "BallLabel" + std::to_string(view + 1) + std::to_string(ball + 1));
            label->setText(std::to_string(ball + 1));
            label->setProperty("BackgroundColour", playerBandColour(ball + 1));
            label->setProperty("HorzFormatting", "CentreAligned");
            label->setSize(CEGUI::USize(part(kWidth), part(kHeight)));
            label->setVisible(false);
            parent->addChild(label);
            label->moveToBack(); // under the names, times and the winner text
            mLabels.push_back(label);
        }
    }
    mWindow->addListener(this);
}

CBallLabels::~CBallLabels()
{
    mWindow->removeListener(this);
    for (CEGUI::Window* label : mLabels)
        CEGUI::WindowManager::getSingleton().destroyWindow(label);
}

void CBallLabels::setViews(const std::vector<Ogre::Viewport*>& views)
{
    mViews = views;
    if (mViews.empty())
        for (CEGUI::Window* label : mLabels)
            label->setVisible(false);
}

void CBallLabels::postRenderTargetUpdate(const Ogre::RenderTargetEvent&)
{
    const CScene* scene = CScene::current();
    for (size_t view = 0; view < mViews.size() && view < kMaxViews; ++view) {
        const Ogre::Viewport& viewport = *mViews[view];
        const Ogre::FloatRect area(viewport.getLeft(), viewport.getTop(),
                                   viewport.getLeft() + viewport.getWidth(),
                                   viewport.getTop() + viewport.getHeight());
        for (int ball = 0; ball < kMaxBalls; ++ball) {
            CEGUI::Window* label = mLabels[view * kMaxBalls + static_cast<size_t>(ball)];
            const CPhysicsBody* body = scene && ball < static_cast<int>(scene->getBallCount())
                                           ? scene->getBallBody(ball)
                                           : nullptr;
            Ogre::Vector2 at;
            const bool shown = body && body->getNode() && viewport.getCamera() &&
                               project(*viewport.getCamera(), area,
                                       body->getNode()->_getDerivedPosition() +
                                           Ogre::Vector3(0, CScene::kBallSize * 0.5f + kLift, 0),
                                       at) &&
                               at.x - kWidth / 2 >= area.left && at.x + kWidth / 2 <= area.right &&
                               at.y - kHeight >= area.top;
            label->setVisible(shown);
            if (shown)
                label->setPosition(CEGUI::UVector2(part(at.x - kWidth / 2), part(at.y - kHeight)));
        }
    }
}

bool CBallLabels::project(const Ogre::Camera& camera, const Ogre::FloatRect& view,
                          const Ogre::Vector3& point, Ogre::Vector2& at)
{
    const Ogre::Vector4 clip =
        camera.getProjectionMatrix() * (camera.getViewMatrix() * Ogre::Vector4(point));
    if (clip.w <= 0.0f)
        return false;
    const float x = clip.x / clip.w;
    const float y = clip.y / clip.w;
    if (std::abs(x) > 1.0f || std::abs(y) > 1.0f)
        return false;
    at.x = view.left + (x + 1.0f) * 0.5f * view.width();
    at.y = view.top + (1.0f - y) * 0.5f * view.height();
    return true;
}
