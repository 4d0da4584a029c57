// A click that OIS reports together with the move that brought the pointer there (a touchpad tap,
// a fast hand, automation) acts where the pointer is, not where the last reported move left it.
#include "gui_fixture.h"

#include <OISMouse.h>

namespace {

class QuickClickTest : public CGuiFixture
{
};

TEST_F(QuickClickTest, aPressCarryingAnUnreportedMoveClicksWhereThePointerIs)
{
    for (const char* button : {"settings", "network"}) {
        const CEGUI::Rectf area = window(button)->getUnclippedOuterRect().get();
        OIS::MouseState state;
        state.width = static_cast<int>(kScreenWidth);
        state.height = static_cast<int>(kScreenHeight);
        state.X.abs = static_cast<int>(area.left() + area.getWidth() / 2);
        state.Y.abs = static_cast<int>(area.top() + area.getHeight() / 2);
        const OIS::MouseEvent event(nullptr, state);
        mMenu->mousePressed(event, OIS::MB_Left);
        mMenu->mouseReleased(event, OIS::MB_Left);
        mMenu->mouseMoved(event); // OIS announces the move only after the button
        EXPECT_EQ(mMenu->getCurrentPage(),
                  button == std::string("settings") ? "Settings" : "Network");
    }
}

} // namespace
