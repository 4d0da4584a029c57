// The players' views in the game's real window: they leave clearing to the window's background
// view and are drawn only while their round shows them. A four-player round must still fill every
// quarter with its own view, and the menu after it must show nothing of the round.
#include "game/core/application.h"
#include "game/menu/game_menu.h"

#include "test_env.h"

#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr int kFrames = 10;

struct SPicture
{
    unsigned width = 0, height = 0;
    std::vector<unsigned char> rgba;

    const unsigned char* at(unsigned x, unsigned y) const { return &rgba[(y * width + x) * 4]; }
};

SPicture renderAndRead(CApplication& app, int frames)
{
    for (int i = 0; i < frames; ++i)
        app.runFrame();
    Ogre::RenderWindow* window = app.getRenderWindow();
    SPicture picture{window->getWidth(), window->getHeight(), {}};
    picture.rgba.resize(size_t(picture.width) * picture.height * 4);
    Ogre::PixelBox box(picture.width, picture.height, 1, Ogre::PF_BYTE_RGBA, picture.rgba.data());
    window->copyContentsToMemory(box, box);
    return picture;
}

struct SCompared
{
    double litShare = 0;   // of a's pixels that are not (nearly) black
    double difference = 0; // mean per channel between a and b
};

// Compares one quarter (0 to 3, rows first) of two pictures of the same size, or all of them.
SCompared compare(const SPicture& a, const SPicture& b, int quarter = -1)
{
    const bool whole = quarter < 0;
    const unsigned w = whole ? a.width : a.width / 2, h = whole ? a.height : a.height / 2;
    const unsigned left = whole ? 0 : quarter % 2 * w, top = whole ? 0 : quarter / 2 * h;
    SCompared result;
    for (unsigned y = top; y < top + h; ++y) {
        for (unsigned x = left; x < left + w; ++x) {
            const unsigned char *p = a.at(x, y), *q = b.at(x, y);
            result.litShare += p[0] + p[1] + p[2] > 30;
            for (int c = 0; c < 3; ++c)
                result.difference += std::abs(int(p[c]) - int(q[c]));
        }
    }
    result.litShare /= w * h;
    result.difference /= w * h * 3;
    return result;
}

} // namespace

TEST(SplitViews, fourPlayersFillEveryQuarterAndTheMenuAfterwardsShowsNothingOfTheRound)
{
    testenv::TempDir dir;
    dir.linkGameFiles();
    testenv::writeFile("ogre.cfg", "");
    CApplication* app = CApplication::getInstance();
    ASSERT_TRUE(app->start());
    const SPicture menuBefore = renderAndRead(*app, kFrames);

    CGameMenu& menu = *app->getMenu();
    static_cast<CEGUI::RadioButton*>(menu.getWindow("Multiplayer/Game/Radio4Players"))
        ->setSelected(true);
    menu.getWindow("Multiplayer/Game/MapDropdown")->setText("03_arena.kivom");
    menu.startSplitScreenRound();
    ASSERT_NE(app->getActiveListener(), nullptr);
    const SPicture round = renderAndRead(*app, kFrames);
    for (int quarter = 0; quarter < 4; ++quarter) {
        // The level in view, not black and not what the menu left there.
        const SCompared view = compare(round, menuBefore, quarter);
        EXPECT_GT(view.litShare, 0.3) << "quarter " << quarter;
        EXPECT_GT(view.difference, 20.0) << "quarter " << quarter;
    }

    menu.backToMenu();
    EXPECT_LT(compare(renderAndRead(*app, kFrames), menuBefore).difference, 1.0);
    CApplication::destroyInstance();
}
