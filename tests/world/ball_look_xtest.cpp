// The players' balls on screen: each in its player's colour on the boxes and far off in the fog,
// and the dark disc under a ball that leaves the ground.
#include "gl_window.h"
#include "test_env.h"
#include "world/ball_look.h"
#include "world/ball_shadow.h"
#include "world/physics.h"
#include "world/scene.h"

#include <gtest/gtest.h>
// After GoogleTest: Xlib macros clash with its names.
#include <Ogre.h>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kPatch = 3; // half the side of the square of pixels averaged

struct SShot
{
    explicit SShot(const testenv::GlWindow& gl)
        : gl(gl), pixels(kWidth * kHeight * 4),
          box(kWidth, kHeight, 1, Ogre::PF_BYTE_RGBA, pixels.data())
    {
        gl.renderAndRead(box);
    }

    // The mean colour round the point's place on screen.
    Ogre::ColourValue at(const Ogre::Vector3& world) const
    {
        const Ogre::Vector3 p =
            gl.camera->getProjectionMatrix() * gl.camera->getViewMatrix() * world;
        const int cx = static_cast<int>((p.x * 0.5f + 0.5f) * kWidth);
        const int cy = static_cast<int>((0.5f - p.y * 0.5f) * kHeight);
        Ogre::ColourValue sum(0, 0, 0, 0);
        for (int y = cy - kPatch; y <= cy + kPatch; ++y)
            for (int x = cx - kPatch; x <= cx + kPatch; ++x)
                sum +=
                    box.getColourAt(std::clamp(x, 0, kWidth - 1), std::clamp(y, 0, kHeight - 1), 0);
        return sum / float((2 * kPatch + 1) * (2 * kPatch + 1));
    }

    const testenv::GlWindow& gl;
    std::vector<unsigned char> pixels;
    Ogre::PixelBox box;
};

// The channels the player's colour has must clearly outshine the ones it has not.
void expectPlayerColour(const Ogre::ColourValue& seen, int player, const std::string& where)
{
    const Ogre::ColourValue want = balllook::playerColour(player);
    float weakestOn = 1.0f, strongestOff = 0.0f;
    for (int c = 0; c < 3; ++c) {
        if (want[c] > 0.5f)
            weakestOn = std::min(weakestOn, seen[c]);
        else
            strongestOff = std::max(strongestOff, seen[c]);
    }
    EXPECT_GT(weakestOn, 0.3f) << "player " << player << " " << where;
    EXPECT_GT(weakestOn, strongestOff + 0.2f)
        << "player " << player << " " << where << ": seen " << seen;
}

void lookAt(Ogre::Camera* camera, const Ogre::Vector3& from, const Ogre::Vector3& target)
{
    camera->getParentSceneNode()->setPosition(from);
    camera->getParentSceneNode()->lookAt(target, Ogre::Node::TS_WORLD);
}

} // namespace

TEST(BallLook, everyPlayersBallShowsItsColourCloseUpAndInTheFogAndCastsAShadowWhenRaised)
{
    testenv::TempDir dir;
    dir.linkGameFiles();
    testenv::GlWindow gl("KIVO balls", kWidth, kHeight);
    Ogre::SceneNode* eye = gl.sceneManager->getRootSceneNode()->createChildSceneNode();
    gl.camera->detachFromParent();
    eye->attachObject(gl.camera);

    // No camera is handed to the scene: the test places its own.
    CScene scene("SceneManager", "", "", "", "", false, "03_arena.kivom", 4, 1, gl.window);
    ASSERT_EQ(scene.getBallCount(), 4u);
    for (int i = 0; i < 90; ++i)
        gl.root->renderOneFrame(1.0f / 60.0f); // the balls drop onto their start boxes

    Ogre::Vector3 centre = Ogre::Vector3::ZERO;
    for (int i = 0; i < 4; ++i)
        centre += scene.getBallBody(i)->getPosition() / 4.0f;
    for (int i = 0; i < 4; ++i) {
        // Seen from straight above: the start corners are walled in.
        const Ogre::Vector3 ball = scene.getBallBody(i)->getPosition();
        lookAt(gl.camera, ball + Ogre::Vector3(0, 4, 0.01f), ball);
        expectPlayerColour(SShot(gl).at(ball), i + 1, "close up");
    }
    // From high above, well beyond the fog's end, the boxes are gone and the balls still show.
    lookAt(gl.camera, centre + Ogre::Vector3(0, 40, 0.01f), centre);
    const SShot far(gl);
    for (int i = 0; i < 4; ++i)
        expectPlayerColour(far.at(scene.getBallBody(i)->getPosition()), i + 1, "in the fog");
    gl.screenshot(dir.file("balls.png"));

    // Ball 1 lifted two units: its disc lies on the box below and darkens it.
    const Ogre::Vector3 rest = scene.getBallBody(0)->getPosition();
    scene.correctBall(0, rest + Ogre::Vector3(0, 2, 0), 0.0f);
    const Ogre::Vector3 ground = rest - Ogre::Vector3(0, CScene::kBallSize * 0.5f, 0);
    lookAt(gl.camera, ground + Ogre::Vector3(3, 3, 0), ground);
    const auto brightness = [&]() {
        const Ogre::ColourValue c = SShot(gl).at(ground);
        return c.r + c.g + c.b;
    };
    const float shaded = brightness();
    CBallShadow::setEnabled(false);
    const float unshaded = brightness();
    CBallShadow::setEnabled(true);
    EXPECT_LT(shaded, unshaded * 0.8f);
}
