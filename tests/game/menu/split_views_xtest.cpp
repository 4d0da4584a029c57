// The players' views in the game's real window leave clearing to the window's background view
// and are drawn only while a round shows them: a four-player round must still fill every quarter
// with its own view.
#include "game/core/application.h"
#include "game/menu/game_menu.h"

#include "test_env.h"

#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

std::vector<unsigned char> renderAndRead(CApplication& app, Ogre::RenderWindow& window)
{
    for (int i = 0; i < 10; ++i)
        app.runFrame();
    std::vector<unsigned char> rgba(size_t(window.getWidth()) * window.getHeight() * 4);
    Ogre::PixelBox box(window.getWidth(), window.getHeight(), 1, Ogre::PF_BYTE_RGBA, rgba.data());
    window.copyContentsToMemory(box, box);
    return rgba;
}

} // namespace

TEST(SplitViews, fourPlayersFillEveryQuarterWithTheirOwnView)
{
    testenv::TempDir dir;
    dir.linkGameFiles();
    testenv::writeFile(testenv::userFile(testenv::kConfig, "ogre.cfg"), "");
    CApplication* app = CApplication::getInstance();
    ASSERT_TRUE(app->start());
    Ogre::RenderWindow& window = *app->getRenderWindow();
    const std::vector<unsigned char> menu = renderAndRead(*app, window);

    static_cast<CEGUI::RadioButton*>(app->getMenu()->getWindow("Multiplayer/Game/Radio4Players"))
        ->setSelected(true);
    app->getMenu()->getWindow("Multiplayer/Game/MapDropdown")->setText("03_arena.kivom");
    app->getMenu()->startSplitScreenRound();
    ASSERT_NE(app->getActiveListener(), nullptr);
    const std::vector<unsigned char> round = renderAndRead(*app, window);

    // Each quarter shows the level: mostly not black, and not what the menu left there.
    const unsigned w = window.getWidth() / 2, h = window.getHeight() / 2;
    for (unsigned quarter = 0; quarter < 4; ++quarter) {
        double lit = 0, difference = 0;
        for (unsigned y = quarter / 2 * h; y < (quarter / 2 + 1) * h; ++y) {
            for (unsigned x = quarter % 2 * w; x < (quarter % 2 + 1) * w; ++x) {
                const size_t i = (size_t(y) * window.getWidth() + x) * 4;
                lit += round[i] + round[i + 1] + round[i + 2] > 30;
                for (size_t c = i; c < i + 3; ++c)
                    difference += std::abs(int(round[c]) - int(menu[c]));
            }
        }
        EXPECT_GT(lit / (w * h), 0.3) << "quarter " << quarter;
        EXPECT_GT(difference / (w * h * 3), 20.0) << "quarter " << quarter;
    }
    CApplication::destroyInstance();
}
