// A shipped course rendered in a real GL window: every material has a technique the renderer
// supports, the camera follows ball 1 while it rolls, and the picture shows the lit, textured
// course, which the fog hides in the distance.
#include "gl_window.h"
#include "test_env.h"
#include "world/scene.h"

#include <gtest/gtest.h>
// After GoogleTest: Xlib macros clash with its names.
#include <Ogre.h>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// Mean red, green and blue of a rectangle of the picture.
Ogre::ColourValue mean(const Ogre::PixelBox& box, size_t x0, size_t y0, size_t x1, size_t y1)
{
    Ogre::ColourValue sum(0, 0, 0, 0);
    for (size_t y = y0; y < y1; ++y)
        for (size_t x = x0; x < x1; ++x)
            sum += box.getColourAt(x, y, 0);
    return sum / static_cast<float>((x1 - x0) * (y1 - y0));
}

} // namespace

TEST(SceneRender, materialsLoadAndTheCourseIsDrawnLitAndFoggedFollowingBallOne)
{
    testenv::TempDir dir;
    dir.linkGameFiles();
    testenv::GlWindow gl("KIVO scene", kWidth, kHeight);
    for (const char* name :
         {"stone", "wood", "grass", "ice", "metal", "startbox", "finishbox", "sphere", "evilsphere",
          "obstacle", "ogrehead", "light", "startpoint", "finishpoint", "waypoint",
          "particle/flare", "particle/spark", "particle/smoke"}) {
        Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().getByName(name);
        ASSERT_TRUE(material) << name;
        material->load();
        EXPECT_NE(material->getBestTechnique(), nullptr) << name;
    }

    CScene scene("SceneManager", "firstCamera", "", "", "", false, "01_first_steps.kivom", 1, 1,
                 gl.window);
    for (int i = 0; i < 150; ++i) {
        scene.getBallForces()[0] = Ogre::Vector3(0, 0, i < 100 ? -40.0f : 0.0f);
        gl.root->renderOneFrame(1.0f / 60.0f);
    }
    const Ogre::Vector3 ball = scene.getBallBody(0)->getPosition();
    EXPECT_LT(ball.z, -1.0f); // it rolled forward
    EXPECT_GT(ball.y, 0.5f);  // and is still on the course
    EXPECT_EQ(scene.getCameraPointNode(1)->getPosition(), ball);
    gl.screenshot(dir.file("scene.png"));

    std::vector<unsigned char> pixels(kWidth * kHeight * 4);
    Ogre::PixelBox box(kWidth, kHeight, 1, Ogre::PF_BYTE_RGBA, pixels.data());
    gl.renderAndRead(box);
    // The grass of the first stretch, lit, fills the lower part of the view.
    const Ogre::ColourValue lower = mean(box, 0, kHeight * 3 / 4, kWidth, kHeight);
    EXPECT_GT(lower.r + lower.g + lower.b, 0.1f);
    EXPECT_GT(lower.g, lower.b);
    // Without fog the far boxes (25 to 30 units away) come out of the dark.
    const Ogre::ColourValue fogged = mean(box, kWidth * 3 / 4, 0, kWidth, kHeight / 8);
    scene.getSceneManager()->setFog(Ogre::FOG_NONE);
    gl.renderAndRead(box);
    const Ogre::ColourValue clear = mean(box, kWidth * 3 / 4, 0, kWidth, kHeight / 8);
    EXPECT_GT(clear.r + clear.g + clear.b, fogged.r + fogged.g + fogged.b + 0.02f);
}
