// CBallLabels: in a split-screen round every ball carries its player's number in every player's
// view: a small band in the player's colour just above the ball, of one size on the screen
// however far the ball is, so that it stays readable. The labels are windows of the display,
// placed once the level's views are drawn, where the balls were drawn in them.
#pragma once

#include <OgreCommon.h>
#include <OgreRenderTargetListener.h>
#include <OgreVector.h>

#include <string>
#include <vector>

namespace CEGUI {
class Window;
}
namespace Ogre {
class Camera;
class RenderWindow;
class Viewport;
} // namespace Ogre

// The colour of a player's bands on the display (name and ball label) as a GUI colour text: the
// player's colour dimmed a little, so that white writing stays readable on it.
std::string playerBandColour(int playerNumber);

class CBallLabels : public Ogre::RenderTargetListener
{
public:
    static constexpr int kMaxViews = 4;
    static constexpr int kMaxBalls = 4;
    static constexpr float kWidth = 0.022f; // parts of the window
    static constexpr float kHeight = 0.032f;

    // Makes the labels, hidden, inside the display's root window, and places them whenever the
    // window has been drawn (neither is owned; both outlive the labels).
    CBallLabels(CEGUI::Window* parent, Ogre::RenderWindow* window);
    ~CBallLabels() override;
    CBallLabels(const CBallLabels&) = delete;
    CBallLabels& operator=(const CBallLabels&) = delete;

    // The players' views of a split-screen round; none hides every label.
    void setViews(const std::vector<Ogre::Viewport*>& views);
    void postRenderTargetUpdate(const Ogre::RenderTargetEvent& evt) override;

    // Where the camera shows a point, as parts of the window, in a view covering the rectangle
    // (parts of the window too); false when the point is behind the camera or out of the view.
    static bool project(const Ogre::Camera& camera, const Ogre::FloatRect& view,
                        const Ogre::Vector3& point, Ogre::Vector2& at);

private:
    Ogre::RenderWindow* mWindow;
    std::vector<CEGUI::Window*> mLabels; // view by view, ball by ball
    std::vector<Ogre::Viewport*> mViews;
};
