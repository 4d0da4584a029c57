// The monster level rendered in a real GL window mid-play: the ball has just rolled under the
// gate, which fades so that the camera sees the ball; the stampers, obstacles and evil marbles
// burn. The picture is saved (KIVO_KEEP_SCREENSHOT names a copy to keep) and measured.
#include "monster_level_route.h"
#include "gl_window.h"
#include "test_env.h"
#include "world/box.h"
#include "world/material_instance.h"
#include "world/monster.h"
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
constexpr int kGateBoxes = 9;

// Pixels that look like fire: bright, red well above blue.
int countFirePixels(const Ogre::PixelBox& box)
{
    int count = 0;
    for (size_t y = 0; y < box.getHeight(); ++y) {
        for (size_t x = 0; x < box.getWidth(); ++x) {
            const Ogre::ColourValue c = box.getColourAt(x, y, 0);
            if (c.r > 0.6f && c.r > c.b + 0.3f && c.g > 0.15f)
                ++count;
        }
    }
    return count;
}

// Mean difference (red + green + blue) between two pictures inside a rectangle.
double difference(const Ogre::PixelBox& a, const Ogre::PixelBox& b, size_t x0, size_t y0, size_t x1,
                  size_t y1)
{
    double sum = 0.0;
    for (size_t y = y0; y < y1; ++y) {
        for (size_t x = x0; x < x1; ++x) {
            const Ogre::ColourValue p = a.getColourAt(x, y, 0);
            const Ogre::ColourValue q = b.getColourAt(x, y, 0);
            sum += std::fabs(p.r - q.r) + std::fabs(p.g - q.g) + std::fabs(p.b - q.b);
        }
    }
    return sum / static_cast<double>((x1 - x0) * (y1 - y0));
}

float gateAlpha(CScene& scene, int i)
{
    const auto& instances = scene.findBox("gate" + std::to_string(i))->getMaterialInstances();
    return instances.empty() ? 1.0f : 1.0f - instances.front()->getTransparency();
}

} // namespace

TEST(MonsterRender, levelMidPlayShowsFireFlamesAndTheFadedGate)
{
    testenv::TempDir dir;
    dir.linkGameFiles();
    testenv::GlWindow gl("KIVO monsters", kWidth, kHeight);
    Ogre::Root* root = gl.root.get();
    Ogre::RenderWindow* window = gl.window;
    Ogre::SceneManager* sceneManager = gl.sceneManager;

    {
        CScene scene("SceneManager", "firstCamera", "", "", "", false, monstertest::kMonsterLevel,
                     1, 1, window);
        ASSERT_EQ(scene.getBallCount(), 1u);
        ASSERT_EQ(scene.getMonsters().size(), 15u);

        // Roll along the route until the ball is a little past the gate.
        monstertest::CRouteDriver driver;
        Ogre::Vector3 position;
        Ogre::Vector3 velocity;
        Ogre::Vector3 omega;
        for (int frame = 0; frame < 60 * 30; ++frame) {
            scene.getBallState(0, position, velocity, omega);
            if (position.z < -16.0f)
                break;
            scene.getBallForces()[0] = driver.steer(position, velocity);
            root->renderOneFrame(kFrame);
        }
        ASSERT_LT(position.z, -16.0f) << "the ball did not get past the gate";
        // Let the see-through pass run with the ball standing still under the camera.
        scene.getBallForces()[0] = Ogre::Vector3::ZERO;
        scene.setBallVelocity(0, Ogre::Vector3::ZERO, Ogre::Vector3::ZERO);
        for (int frame = 0; frame < 40; ++frame)
            root->renderOneFrame(kFrame);

        // The gate box in line with the ball faded; the evil marbles hunt with their flames.
        EXPECT_LT(gateAlpha(scene, kGateBoxes / 2), 0.9f);
        int flames = 0;
        for (CMonster* monster : scene.getMonsters()) {
            if (monster->getKind() == CMonster::KIND_EVIL_MARBLE) {
                EXPECT_TRUE(monster->isHunting()) << monster->getName();
                flames +=
                    sceneManager->getParticleSystem(monster->getEffectName())->getNumParticles() >
                    0;
            }
        }
        EXPECT_EQ(flames, 2);

        const std::string shot = dir.file("monsters.png");
        gl.screenshot(shot);
        EXPECT_TRUE(std::filesystem::exists(shot));

        std::vector<unsigned char> pixels(kWidth * kHeight * 4);
        Ogre::PixelBox box(kWidth, kHeight, 1, Ogre::PF_BYTE_RGBA, pixels.data());
        auto capture = [&]() { gl.renderAndRead(box); };

        // The fires show: hiding every particle system takes most fire-coloured pixels away.
        capture();
        const int fire = countFirePixels(box);
        // The gate lies across the middle of the view, between the camera and the ball.
        const std::vector<unsigned char> fadedPixels = pixels;
        const Ogre::PixelBox fadedBox(kWidth, kHeight, 1, Ogre::PF_BYTE_RGBA,
                                      const_cast<unsigned char*>(fadedPixels.data()));
        for (Ogre::ParticleSystem* system : scene.getParticleSystems())
            system->setVisible(false);
        capture();
        const int withoutFire = countFirePixels(box);
        for (Ogre::ParticleSystem* system : scene.getParticleSystems())
            system->setVisible(true);
        EXPECT_GT(fire, 200);
        EXPECT_GT(fire, 2 * withoutFire);

        const float faded = gateAlpha(scene, kGateBoxes / 2);
        // Made opaque again, the gate hides the ball and the plaza behind it.
        for (int i = 0; i < kGateBoxes; ++i)
            scene.findBox("gate" + std::to_string(i))->setSeeThrough(1.0f);
        capture();
        const double middleChange =
            difference(box, fadedBox, kWidth / 4, kHeight * 2 / 5, kWidth * 3 / 4, kHeight * 3 / 5);
        const double cornerChange =
            difference(box, fadedBox, 0, kHeight * 5 / 6, kWidth / 8, kHeight);
        EXPECT_GT(middleChange, 0.2);
        EXPECT_LT(cornerChange, 0.01);
        if (const char* keep = std::getenv("KIVO_KEEP_SCREENSHOT")) {
            window->writeContentsToFile(dir.file("opaque.png"));
            std::filesystem::copy_file(dir.file("opaque.png"), std::string(keep) + ".opaque.png",
                                       std::filesystem::copy_options::overwrite_existing);
        }
        std::printf("fire pixels %d (without particles %d); gate centre alpha %.3f; making the "
                    "gate opaque changes the middle of the view by %.3f (a corner by %.3f)\n",
                    fire, withoutFire, faded, middleChange, cornerChange);
    }
}
