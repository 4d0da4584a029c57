// The staged visual assets on the real fixed-function renderer (RenderSystem_GL under Xvfb):
// every material has a technique the renderer supports, every box face shows its own texture's
// colours and detail, and the finish fireworks put coloured sparks into the air above the box.
#include "test_env.h"

#include <Ogre.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr unsigned kWidth = 256;
constexpr unsigned kHeight = 192;
constexpr float kFrame = 1.0f / 60.0f;

const std::vector<std::string> kBoxMaterials = {"stone", "wood",     "grass",    "ice",
                                                "metal", "startbox", "finishbox"};

struct Stats
{
    Ogre::ColourValue mean{0, 0, 0, 1};
    float lumaDeviation = 0.0f;
};

float luma(const Ogre::ColourValue& c)
{
    return 0.3f * c.r + 0.59f * c.g + 0.11f * c.b;
}

Ogre::ColourValue chroma(const Ogre::ColourValue& c)
{
    const float sum = std::max(1e-4f, c.r + c.g + c.b);
    return Ogre::ColourValue(c.r / sum, c.g / sum, c.b / sum);
}

class AssetsRenderTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        sLog = new Ogre::LogManager();
        sLog->createLog("assets_render_xtest.log", true, false, true);
        sRoot = new Ogre::Root("", "", "");
        for (const char* plugin : {"RenderSystem_GL", "Plugin_ParticleFX", "Codec_STBI"})
            sRoot->loadPlugin(std::string(KIVO_OGRE_PLUGIN_DIR) + "/" + plugin);
        sRoot->setRenderSystem(sRoot->getAvailableRenderers().front());
        sRoot->initialise(false);
        sWindow = sRoot->createRenderWindow("assets", kWidth, kHeight, false);
        auto& groups = Ogre::ResourceGroupManager::getSingleton();
        for (const char* folder : {"materials", "textures", "meshes", "particles"})
            groups.addResourceLocation(testenv::runDir() + "/data/" + folder, "FileSystem",
                                       Ogre::RGN_DEFAULT);
        groups.initialiseAllResourceGroups();
    }

    static void TearDownTestSuite()
    {
        delete sRoot;
        delete sLog;
    }

    void SetUp() override
    {
        mScene = sRoot->createSceneManager();
        mScene->setAmbientLight(Ogre::ColourValue(0.1f, 0.1f, 0.1f));
        mCamera = mScene->createCamera("camera");
        mCamera->setNearClipDistance(0.05f);
        mCameraNode = mScene->getRootSceneNode()->createChildSceneNode();
        mCameraNode->attachObject(mCamera);
        Ogre::Viewport* viewport = sWindow->addViewport(mCamera);
        viewport->setBackgroundColour(Ogre::ColourValue::Black);
        mCamera->setAspectRatio(static_cast<float>(kWidth) / static_cast<float>(kHeight));
    }

    void TearDown() override
    {
        sWindow->removeAllViewports();
        sRoot->destroySceneManager(mScene);
    }

    // A unit cube with the box faces' texture layout: each face shows the whole texture.
    Ogre::SceneNode* addCube(const std::string& material, const Ogre::Vector3& position)
    {
        Ogre::ManualObject* cube = mScene->createManualObject();
        cube->begin(material);
        const Ogre::Vector3 normals[] = {Ogre::Vector3::UNIT_X, Ogre::Vector3::NEGATIVE_UNIT_X,
                                         Ogre::Vector3::UNIT_Y, Ogre::Vector3::NEGATIVE_UNIT_Y,
                                         Ogre::Vector3::UNIT_Z, Ogre::Vector3::NEGATIVE_UNIT_Z};
        Ogre::uint32 base = 0;
        for (const Ogre::Vector3& n : normals) {
            Ogre::Vector3 u = n.perpendicular();
            Ogre::Vector3 v = n.crossProduct(u);
            for (int c = 0; c < 4; ++c) {
                const float su = (c & 1) ? 1.0f : -1.0f;
                const float sv = (c & 2) ? 1.0f : -1.0f;
                cube->position((n + u * su + v * sv) * 0.5f);
                cube->normal(n);
                cube->textureCoord(0.5f + 0.5f * su, 0.5f - 0.5f * sv);
            }
            // u x v = n, so (0, 1, 3) runs counter-clockwise seen from outside.
            cube->triangle(base, base + 1, base + 3);
            cube->triangle(base, base + 3, base + 2);
            base += 4;
        }
        cube->end();
        Ogre::SceneNode* node = mScene->getRootSceneNode()->createChildSceneNode(position);
        node->attachObject(cube);
        return node;
    }

    void addPlainLightAtCamera()
    {
        Ogre::Light* light = mScene->createLight();
        light->setType(Ogre::Light::LT_POINT);
        light->setAttenuation(100.0f, 1.0f, 0.0f, 0.0f);
        light->setSpecularColour(Ogre::ColourValue::Black);
        mCameraNode->attachObject(light);
    }

    void render(float seconds)
    {
        for (float t = 0.0f; t < seconds; t += kFrame)
            sRoot->renderOneFrame(kFrame);
        sRoot->renderOneFrame(kFrame);
        mPixels.assign(kWidth * kHeight * 4, 0);
        Ogre::PixelBox box(kWidth, kHeight, 1, Ogre::PF_BYTE_RGBA, mPixels.data());
        sWindow->copyContentsToMemory(box, box);
        if (const char* keep = std::getenv("KIVO_ASSET_SHOTS")) {
            const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
            sWindow->writeContentsToFile(std::string(keep) + "/" + info->name() + ".png");
        }
    }

    Ogre::ColourValue pixel(unsigned x, unsigned y) const
    {
        const unsigned char* p = &mPixels[(y * kWidth + x) * 4];
        Ogre::ColourValue c;
        Ogre::PixelUtil::unpackColour(&c, Ogre::PF_BYTE_RGBA, p);
        return c;
    }

    Stats statsOf(unsigned x0, unsigned y0, unsigned x1, unsigned y1) const
    {
        Stats s;
        double sum[3] = {0, 0, 0};
        double luma1 = 0, luma2 = 0;
        const double n = static_cast<double>((x1 - x0) * (y1 - y0));
        for (unsigned y = y0; y < y1; ++y) {
            for (unsigned x = x0; x < x1; ++x) {
                const Ogre::ColourValue c = pixel(x, y);
                sum[0] += c.r;
                sum[1] += c.g;
                sum[2] += c.b;
                luma1 += luma(c);
                luma2 += luma(c) * luma(c);
            }
        }
        s.mean = Ogre::ColourValue(static_cast<float>(sum[0] / n), static_cast<float>(sum[1] / n),
                                   static_cast<float>(sum[2] / n));
        s.lumaDeviation =
            static_cast<float>(std::sqrt(std::max(0.0, luma2 / n - (luma1 / n) * (luma1 / n))));
        return s;
    }

    static Ogre::ColourValue textureMean(const std::string& name)
    {
        Ogre::Image image;
        image.load(name, Ogre::RGN_DEFAULT);
        Ogre::ColourValue sum(0, 0, 0, 0);
        for (size_t y = 0; y < image.getHeight(); ++y)
            for (size_t x = 0; x < image.getWidth(); ++x)
                sum += image.getColourAt(x, y, 0);
        return sum / static_cast<float>(image.getWidth() * image.getHeight());
    }

    static Ogre::LogManager* sLog;
    static Ogre::Root* sRoot;
    static Ogre::RenderWindow* sWindow;

    Ogre::SceneManager* mScene = nullptr;
    Ogre::Camera* mCamera = nullptr;
    Ogre::SceneNode* mCameraNode = nullptr;
    std::vector<unsigned char> mPixels;
};

Ogre::LogManager* AssetsRenderTest::sLog = nullptr;
Ogre::Root* AssetsRenderTest::sRoot = nullptr;
Ogre::RenderWindow* AssetsRenderTest::sWindow = nullptr;

TEST_F(AssetsRenderTest, everyMaterialHasATechniqueTheFixedFunctionRendererSupports)
{
    for (const char* name :
         {"stone", "wood", "grass", "ice", "metal", "startbox", "finishbox", "sphere", "evilsphere",
          "obstacle", "ogrehead", "light", "startpoint", "finishpoint", "waypoint",
          "particle/flare", "particle/spark", "particle/smoke"}) {
        SCOPED_TRACE(name);
        Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().getByName(name);
        ASSERT_TRUE(material);
        material->load();
        EXPECT_FALSE(material->getSupportedTechniques().empty());
        ASSERT_NE(material->getBestTechnique(), nullptr);
    }
}

TEST_F(AssetsRenderTest, boxFacesShowTheColoursAndDetailOfTheirTextures)
{
    // Seen straight on from this distance, the cube's front face fills the whole view.
    constexpr float kViewDistance = 0.5f + 0.85f;
    addPlainLightAtCamera();
    mCameraNode->setPosition(0, 0, kViewDistance);
    Ogre::SceneNode* node = addCube(kBoxMaterials.front(), Ogre::Vector3::ZERO);
    auto* cube = static_cast<Ogre::ManualObject*>(node->getAttachedObject(0));
    for (const std::string& name : kBoxMaterials) {
        SCOPED_TRACE(name);
        cube->setMaterialName(0, name);
        render(0.0f);
        const Stats seen = statsOf(kWidth / 8, kHeight / 8, kWidth * 7 / 8, kHeight * 7 / 8);
        const Ogre::ColourValue expected = chroma(textureMean(name + ".png"));
        const Ogre::ColourValue got = chroma(seen.mean);
        EXPECT_NEAR(got.r, expected.r, 0.04f);
        EXPECT_NEAR(got.g, expected.g, 0.04f);
        EXPECT_NEAR(got.b, expected.b, 0.04f);
        EXPECT_GT(luma(seen.mean), 0.2f) << "face is too dark to read";
        EXPECT_GT(seen.lumaDeviation, 0.03f) << "no texture detail visible";
    }
}

TEST_F(AssetsRenderTest, fireworksPutColouredSparksAboveTheFinishBox)
{
    mCameraNode->setPosition(0, 2.0f, 9.0f);
    mCameraNode->lookAt(Ogre::Vector3(0, 2.0f, 0), Ogre::Node::TS_WORLD);
    Ogre::ParticleSystem* fireworks = mScene->createParticleSystem("fireworks", "Firework");
    mScene->getRootSceneNode()->createChildSceneNode()->attachObject(fireworks);
    render(0.6f);
    // Count lit pixels in the upper half of the view (above the box) and their hues.
    unsigned lit = 0;
    unsigned reddish = 0;
    unsigned greenish = 0;
    unsigned bluish = 0;
    for (unsigned y = 0; y < kHeight / 2; ++y) {
        for (unsigned x = 0; x < kWidth; ++x) {
            const Ogre::ColourValue c = pixel(x, y);
            if (std::max({c.r, c.g, c.b}) < 0.25f)
                continue;
            ++lit;
            reddish += c.r > c.g + 0.1f && c.r > c.b + 0.1f ? 1 : 0;
            greenish += c.g > c.r + 0.1f && c.g > c.b + 0.1f ? 1 : 0;
            bluish += c.b > c.g + 0.1f ? 1 : 0;
        }
    }
    EXPECT_GT(lit, 100u);
    EXPECT_GT(reddish, 5u);
    EXPECT_GT(greenish, 5u);
    EXPECT_GT(bluish, 5u);
    mScene->destroyParticleSystem(fireworks);
}

} // namespace
