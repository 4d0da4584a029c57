// A shipped course rendered in a real GL window: the camera follows ball 1 while it rolls, and
// the picture shows lit, textured boxes fading into the fog and the ball with its red light.
#include "gl_window.h"
#include "test_env.h"
#include "world/scene.h"

#include <gtest/gtest.h>
// After GoogleTest: Xlib macros clash with its names.
#include <Ogre.h>

#include <cstdlib>
#include <filesystem>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr float kFrame = 1.0f / 60.0f;

struct SColourStats
{
    double red = 0, green = 0, blue = 0;
    double brightest = 0;
};

SColourStats measure(const Ogre::PixelBox& box, size_t x0, size_t y0, size_t x1, size_t y1)
{
    SColourStats stats;
    size_t count = 0;
    for (size_t y = y0; y < y1; ++y) {
        for (size_t x = x0; x < x1; ++x) {
            const Ogre::ColourValue c = box.getColourAt(x, y, 0);
            stats.red += c.r;
            stats.green += c.g;
            stats.blue += c.b;
            stats.brightest = std::max<double>(stats.brightest, c.r + c.g + c.b);
            ++count;
        }
    }
    stats.red /= count;
    stats.green /= count;
    stats.blue /= count;
    return stats;
}

} // namespace

TEST(SceneRender, courseIsDrawnLitAndFoggedWithTheCameraFollowingBallOne)
{
    testenv::TempDir dir;
    dir.linkGameFiles();
    testenv::GlWindow gl("KIVO scene", kWidth, kHeight);
    Ogre::Root* root = gl.root.get();

    {
        CScene scene("SceneManager", "firstCamera", "", "", "", false, "01_first_steps.kivom", 1, 1,
                     gl.window);
        ASSERT_EQ(scene.getBallCount(), 1u);
        for (int i = 0; i < 150; ++i) {
            scene.getBallForces()[0] = Ogre::Vector3(0, 0, i < 100 ? -40.0f : 0.0f);
            root->renderOneFrame(kFrame);
        }
        const Ogre::Vector3 ball = scene.getBallBody(0)->getPosition();
        EXPECT_LT(ball.z, -1.0f); // it rolled forward
        EXPECT_GT(ball.y, 0.5f);  // and is still on the course
        EXPECT_EQ(scene.getCameraPointNode(1)->getPosition(), ball);

        const std::string shot = dir.file("scene.png");
        gl.screenshot(shot);
        EXPECT_TRUE(std::filesystem::exists(shot));

        // Renders the current view again (no time passes) and reads it back.
        std::vector<unsigned char> pixels(kWidth * kHeight * 4);
        Ogre::PixelBox box(kWidth, kHeight, 1, Ogre::PF_BYTE_RGBA, pixels.data());
        auto capture = [&]() { gl.renderAndRead(box); };
        capture();
        // The course is lit and textured: bright, not flat grey, in the lower part of the view.
        const SColourStats lower = measure(box, 0, kHeight * 3 / 4, kWidth, kHeight);
        EXPECT_GT(lower.brightest, 0.6);
        EXPECT_GT(lower.green, lower.blue); // the grass of the first stretch
        const SColourStats farWithFog = measure(box, kWidth * 3 / 4, 0, kWidth, kHeight / 8);
        const SColourStats nearBall =
            measure(box, kWidth / 2 - 100, kHeight / 2 - 100, kWidth / 2 + 100, kHeight / 2 + 100);

        // Without fog the far boxes (25 to 30 units away) come out of the dark.
        Ogre::SceneManager* sm = scene.getSceneManager();
        sm->setFog(Ogre::FOG_NONE);
        capture();
        const SColourStats farClear = measure(box, kWidth * 3 / 4, 0, kWidth, kHeight / 8);
        EXPECT_GT(farClear.red + farClear.green + farClear.blue,
                  farWithFog.red + farWithFog.green + farWithFog.blue + 0.02);
        sm->setFog(Ogre::FOG_LINEAR, Ogre::ColourValue::Black, 1.0f, 25.0f, 30.0f);

        // The ball's own light tints the ground round it red.
        Ogre::Light* ballLight = nullptr;
        for (Ogre::MovableObject* object : sm->getSceneNode("Ball0")->getAttachedObjects()) {
            if (auto* light = dynamic_cast<Ogre::Light*>(object))
                ballLight = light;
        }
        ASSERT_NE(ballLight, nullptr);
        ballLight->setVisible(false);
        capture();
        const SColourStats nearBallDark =
            measure(box, kWidth / 2 - 100, kHeight / 2 - 100, kWidth / 2 + 100, kHeight / 2 + 100);
        ballLight->setVisible(true);
        const double redGain = nearBall.red - nearBallDark.red;
        EXPECT_GT(redGain, 0.002);
        EXPECT_GT(redGain, 2.0 * (nearBall.green - nearBallDark.green));
        EXPECT_GT(redGain, 2.0 * (nearBall.blue - nearBallDark.blue));
    }
}
