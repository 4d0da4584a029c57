// The staged visual assets as the game loads them: materials, meshes, particle templates and the
// textures behind them parse and load through a display-less Ogre with the same plugins the
// game uses; the CEGUI imagesets point at regions inside their generated sheets; and the
// generators write the same bytes on every run.
#include "test_env.h"

#include <OgreBitwise.h>
#include <OgreControllerManager.h>
#include <OgreDefaultHardwareBufferManager.h>
#include <OgreImage.h>
#include <OgreLogManager.h>
#include <OgreMaterialManager.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreParticleSystem.h>
#include <OgreParticleSystemManager.h>
#include <OgrePass.h>
#include <OgreResourceGroupManager.h>
#include <OgreRoot.h>
#include <OgreSubMesh.h>
#include <OgreTechnique.h>
#include <OgreTextureManager.h>
#include <OgreTextureUnitState.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <set>

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kBoxMaterials = {"stone", "wood",     "grass",    "ice",
                                                "metal", "startbox", "finishbox"};
const std::vector<std::string> kObjectMaterials = {"sphere", "evilsphere", "obstacle"};
const std::vector<std::string> kMarkerMaterials = {"ogrehead", "light", "startpoint", "finishpoint",
                                                   "waypoint"};
const std::vector<std::string> kParticleTemplates = {"Firework", "Fire", "Flames", "Stampers"};
constexpr size_t kMaxParticleQuota = 300;

// Collects what Ogre reports as errors while scripts are parsed and resources load.
class ErrorCollector : public Ogre::LogListener
{
public:
    void messageLogged(const Ogre::String& message, Ogre::LogMessageLevel level, bool,
                       const Ogre::String&, bool&) override
    {
        const bool looksLikeError = message.find("rror") != std::string::npos ||
                                    message.find("nrecognised") != std::string::npos;
        if (level >= Ogre::LML_CRITICAL || looksLikeError)
            errors.push_back(message);
    }
    std::vector<std::string> errors;
};

Ogre::Image loadPng(const std::string& path)
{
    const std::string bytes = testenv::readFile(path);
    auto* copy = new Ogre::uchar[bytes.size()];
    std::copy(bytes.begin(), bytes.end(), copy);
    Ogre::DataStreamPtr stream(new Ogre::MemoryDataStream(copy, bytes.size(), true));
    Ogre::Image image;
    image.load(stream, "png");
    return image;
}

bool isPngFile(const std::string& path)
{
    const std::string bytes = testenv::readFile(path);
    return bytes.size() > 8 && bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0;
}

class AssetsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        sLog = new Ogre::LogManager();
        sLog->createLog("assets_test.log", true, false, true);
        sErrors = new ErrorCollector();
        sLog->getDefaultLog()->addListener(sErrors);
        sRoot = new Ogre::Root("", "", "");
        sRoot->loadPlugin(std::string(KIVO_OGRE_PLUGIN_DIR) + "/Codec_STBI");
        sRoot->loadPlugin(std::string(KIVO_OGRE_PLUGIN_DIR) + "/Plugin_ParticleFX");
        sBuffers = new Ogre::DefaultHardwareBufferManager();
        sTextures = new Ogre::DefaultTextureManager();
        if (!Ogre::ControllerManager::getSingletonPtr())
            sControllers = new Ogre::ControllerManager();
        Ogre::MaterialManager::getSingleton().initialise();
        Ogre::ParticleSystemManager::getSingleton()._initialise();

        auto& groups = Ogre::ResourceGroupManager::getSingleton();
        for (const char* folder : {"materials", "textures", "meshes", "particles"})
            groups.addResourceLocation(testenv::runDir() + "/data/" + folder, "FileSystem",
                                       Ogre::RGN_DEFAULT);
        groups.initialiseResourceGroup(Ogre::RGN_DEFAULT);
        sLoadErrors = sErrors->errors;
    }

    static void TearDownTestSuite()
    {
        Ogre::MeshManager::getSingleton().removeAll();
        Ogre::MaterialManager::getSingleton().removeAll();
        sLog->getDefaultLog()->removeListener(sErrors);
        delete sTextures;
        delete sRoot;
        delete sControllers;
        delete sBuffers;
        delete sErrors;
        delete sLog;
    }

    static std::string texturePath(const std::string& name)
    {
        return testenv::runDir() + "/data/textures/" + name;
    }

    static Ogre::MeshPtr loadMesh(const std::string& name)
    {
        return Ogre::MeshManager::getSingleton().load(name, Ogre::RGN_DEFAULT);
    }

    static Ogre::LogManager* sLog;
    static ErrorCollector* sErrors;
    static Ogre::Root* sRoot;
    static Ogre::DefaultHardwareBufferManager* sBuffers;
    static Ogre::DefaultTextureManager* sTextures;
    static Ogre::ControllerManager* sControllers;
    static std::vector<std::string> sLoadErrors;
};

Ogre::LogManager* AssetsTest::sLog = nullptr;
ErrorCollector* AssetsTest::sErrors = nullptr;
Ogre::Root* AssetsTest::sRoot = nullptr;
Ogre::DefaultHardwareBufferManager* AssetsTest::sBuffers = nullptr;
Ogre::DefaultTextureManager* AssetsTest::sTextures = nullptr;
Ogre::ControllerManager* AssetsTest::sControllers = nullptr;
std::vector<std::string> AssetsTest::sLoadErrors;

std::vector<std::string> allMaterials()
{
    std::vector<std::string> names = kBoxMaterials;
    names.insert(names.end(), kObjectMaterials.begin(), kObjectMaterials.end());
    names.insert(names.end(), kMarkerMaterials.begin(), kMarkerMaterials.end());
    return names;
}

// Vertex positions and normals of the first submesh's shared or own vertex data.
struct Triangles
{
    std::vector<Ogre::Vector3> positions;
    std::vector<Ogre::Vector3> normals;
    std::vector<Ogre::uint32> indices;
};

Triangles readTriangles(const Ogre::MeshPtr& mesh)
{
    Triangles out;
    const Ogre::SubMesh* sub = mesh->getSubMesh(0);
    const Ogre::VertexData* data =
        sub->useSharedVertices ? mesh->sharedVertexData : sub->vertexData;
    const Ogre::VertexElement* pos =
        data->vertexDeclaration->findElementBySemantic(Ogre::VES_POSITION);
    const Ogre::VertexElement* nrm =
        data->vertexDeclaration->findElementBySemantic(Ogre::VES_NORMAL);
    if (!pos || !nrm || pos->getSource() != nrm->getSource())
        return out;
    Ogre::HardwareVertexBufferSharedPtr vbuf =
        data->vertexBufferBinding->getBuffer(pos->getSource());
    auto* base = static_cast<unsigned char*>(vbuf->lock(Ogre::HardwareBuffer::HBL_READ_ONLY));
    for (size_t i = 0; i < data->vertexCount; ++i) {
        unsigned char* vertex = base + (data->vertexStart + i) * vbuf->getVertexSize();
        float* p;
        float* n;
        pos->baseVertexPointerToElement(vertex, &p);
        nrm->baseVertexPointerToElement(vertex, &n);
        out.positions.emplace_back(p[0], p[1], p[2]);
        out.normals.emplace_back(n[0], n[1], n[2]);
    }
    vbuf->unlock();

    const Ogre::IndexData* idx = sub->indexData;
    Ogre::HardwareIndexBufferSharedPtr ibuf = idx->indexBuffer;
    const void* raw = ibuf->lock(Ogre::HardwareBuffer::HBL_READ_ONLY);
    for (size_t i = 0; i < idx->indexCount; ++i) {
        const size_t k = idx->indexStart + i;
        out.indices.push_back(ibuf->getType() == Ogre::HardwareIndexBuffer::IT_32BIT
                                  ? static_cast<const Ogre::uint32*>(raw)[k]
                                  : static_cast<const Ogre::uint16*>(raw)[k]);
    }
    ibuf->unlock();
    return out;
}

TEST_F(AssetsTest, scriptsParseWithoutErrors)
{
    for (const std::string& e : sLoadErrors)
        ADD_FAILURE() << "Ogre reported: " << e;
}

TEST_F(AssetsTest, everyMaterialExistsAndCompilesWithTexturedPasses)
{
    for (const std::string& name : allMaterials()) {
        SCOPED_TRACE(name);
        Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().getByName(name);
        ASSERT_TRUE(material) << "missing material";
        material->compile();
        ASSERT_GT(material->getNumTechniques(), 0u);
        const Ogre::Technique* technique = material->getTechnique(0);
        ASSERT_GT(technique->getNumPasses(), 0u);
        const Ogre::Pass* pass = technique->getPass(0);
        ASSERT_GT(pass->getNumTextureUnitStates(), 0u);
        EXPECT_FALSE(pass->getTextureUnitState(0)->getTextureName().empty());
    }
}

TEST_F(AssetsTest, boxMaterialsAreLitWithAnOpaqueDiffuseColourSoTheyCanFade)
{
    for (const std::string& name : kBoxMaterials) {
        SCOPED_TRACE(name);
        Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().getByName(name);
        ASSERT_TRUE(material);
        const Ogre::Pass* pass = material->getTechnique(0)->getPass(0);
        EXPECT_TRUE(pass->getLightingEnabled());
        EXPECT_FLOAT_EQ(pass->getDiffuse().a, 1.0f);
        EXPECT_GT(pass->getDiffuse().r + pass->getDiffuse().g + pass->getDiffuse().b, 1.5f);
        EXPECT_TRUE(pass->getDepthWriteEnabled());
    }
}

TEST_F(AssetsTest, markersAreUnlitBlendedAndLeaveDepthAlone)
{
    for (const std::string& name : kMarkerMaterials) {
        SCOPED_TRACE(name);
        Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().getByName(name);
        ASSERT_TRUE(material);
        const Ogre::Pass* pass = material->getTechnique(0)->getPass(0);
        EXPECT_FALSE(pass->getLightingEnabled());
        EXPECT_FALSE(pass->getDepthWriteEnabled());
        EXPECT_TRUE(pass->isTransparent());
    }
}

TEST_F(AssetsTest, everyTextureOfEveryMaterialIsAReadablePng)
{
    const std::vector<std::string> all = allMaterials();
    std::set<std::string> materials(all.begin(), all.end());
    for (const std::string& name : kParticleTemplates) {
        Ogre::ParticleSystem* t = Ogre::ParticleSystemManager::getSingleton().getTemplate(name);
        if (t)
            materials.insert(t->getMaterialName());
    }
    for (const std::string& name : materials) {
        SCOPED_TRACE(name);
        Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().getByName(name);
        ASSERT_TRUE(material) << "missing material";
        for (const Ogre::Technique* technique : material->getTechniques()) {
            for (const Ogre::Pass* pass : technique->getPasses()) {
                for (const Ogre::TextureUnitState* unit : pass->getTextureUnitStates()) {
                    const std::string file = texturePath(unit->getTextureName());
                    ASSERT_TRUE(fs::exists(file)) << file;
                    EXPECT_TRUE(isPngFile(file)) << file;
                    Ogre::Image image = loadPng(file);
                    EXPECT_GE(image.getWidth(), 32u) << file;
                    EXPECT_EQ(image.getWidth(), image.getHeight()) << file;
                    EXPECT_TRUE(Ogre::Bitwise::isPO2(static_cast<Ogre::uint32>(image.getWidth())))
                        << file;
                    EXPECT_TRUE(image.getHasAlpha()) << file;
                }
            }
        }
    }
}

TEST_F(AssetsTest, markerIconsAreTransparentRoundTheirShape)
{
    for (const std::string& name : kMarkerMaterials) {
        SCOPED_TRACE(name);
        Ogre::Image image = loadPng(texturePath(name + ".png"));
        const size_t w = image.getWidth();
        const size_t h = image.getHeight();
        EXPECT_FLOAT_EQ(image.getColourAt(0, 0, 0).a, 0.0f);
        EXPECT_FLOAT_EQ(image.getColourAt(w - 1, 0, 0).a, 0.0f);
        EXPECT_FLOAT_EQ(image.getColourAt(0, h - 1, 0).a, 0.0f);
        size_t opaque = 0;
        for (size_t y = 0; y < h; ++y)
            for (size_t x = 0; x < w; ++x)
                opaque += image.getColourAt(x, y, 0).a > 0.9f ? 1 : 0;
        EXPECT_GT(opaque, w * h / 8) << "icon is nearly empty";
    }
}

TEST_F(AssetsTest, ballMeshIsASphereOfDiameterOneFacingOutwards)
{
    Ogre::MeshPtr mesh = loadMesh("ellipsoid.mesh");
    ASSERT_TRUE(mesh);
    EXPECT_NEAR(mesh->getBoundingSphereRadius(), 0.5f, 0.01f);
    const Ogre::Vector3 size = mesh->getBounds().getSize();
    EXPECT_NEAR(size.x, 1.0f, 0.02f);
    EXPECT_NEAR(size.y, 1.0f, 0.02f);
    EXPECT_NEAR(size.z, 1.0f, 0.02f);
    ASSERT_EQ(mesh->getNumSubMeshes(), 1u);
    EXPECT_EQ(mesh->getSubMesh(0)->getMaterialName(), "sphere");

    const Triangles tris = readTriangles(mesh);
    ASSERT_FALSE(tris.positions.empty()) << "no positions and normals in one buffer";
    for (size_t i = 0; i < tris.positions.size(); ++i) {
        EXPECT_NEAR(tris.positions[i].length(), 0.5f, 1e-4f);
        EXPECT_NEAR(tris.normals[i].dotProduct(tris.positions[i].normalisedCopy()), 1.0f, 1e-3f);
    }
    ASSERT_EQ(tris.indices.size() % 3, 0u);
    ASSERT_GT(tris.indices.size(), 3u * 500u) << "too coarse to look round";
    for (size_t t = 0; t < tris.indices.size(); t += 3) {
        const Ogre::Vector3& a = tris.positions[tris.indices[t]];
        const Ogre::Vector3& b = tris.positions[tris.indices[t + 1]];
        const Ogre::Vector3& c = tris.positions[tris.indices[t + 2]];
        EXPECT_GT((b - a).crossProduct(c - a).dotProduct(a + b + c), 0.0f) << "triangle " << t / 3;
    }
}

TEST_F(AssetsTest, obstacleCoreMatchesItsCollisionBoxAndSpikesStickOutOnlyALittle)
{
    constexpr float kObstacleScale = 0.8f;
    constexpr float kCollisionHalf = 0.25f;
    Ogre::MeshPtr mesh = loadMesh("obstacle.mesh");
    ASSERT_TRUE(mesh);
    ASSERT_GE(mesh->getNumSubMeshes(), 1u);
    EXPECT_EQ(mesh->getSubMesh(0)->getMaterialName(), "obstacle");
    const Ogre::Vector3 half = mesh->getBounds().getHalfSize() * kObstacleScale;
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_GT(half[axis], kCollisionHalf);
        EXPECT_LT(half[axis], kCollisionHalf * 1.7f);
    }

    // The core cube's faces lie exactly on the collision box at the obstacle's scale.
    const Triangles tris = readTriangles(mesh);
    ASSERT_FALSE(tris.positions.empty());
    float farthest = 0.0f;
    size_t onCollisionFace = 0;
    for (const Ogre::Vector3& p : tris.positions) {
        farthest = std::max(farthest, p.length());
        const Ogre::Vector3 s = p * kObstacleScale;
        const float largest = std::max({std::fabs(s.x), std::fabs(s.y), std::fabs(s.z)});
        onCollisionFace += std::fabs(largest - kCollisionHalf) < 1e-4f ? 1 : 0;
    }
    EXPECT_GE(onCollisionFace, 24u);
    EXPECT_NEAR(mesh->getBoundingSphereRadius(), farthest, 0.01f) << "culling would clip spikes";
    for (size_t t = 0; t < tris.indices.size(); t += 3) {
        const Ogre::Vector3& a = tris.positions[tris.indices[t]];
        const Ogre::Vector3& b = tris.positions[tris.indices[t + 1]];
        const Ogre::Vector3& c = tris.positions[tris.indices[t + 2]];
        const Ogre::Vector3 faceNormal = (b - a).crossProduct(c - a);
        EXPECT_GT(faceNormal.dotProduct(tris.normals[tris.indices[t]]), 0.0f)
            << "winding and normal disagree on triangle " << t / 3;
    }
}

TEST_F(AssetsTest, everyParticleTemplateExistsCheaplyWithAKnownMaterial)
{
    for (const std::string& name : kParticleTemplates) {
        SCOPED_TRACE(name);
        Ogre::ParticleSystem* t = Ogre::ParticleSystemManager::getSingleton().getTemplate(name);
        ASSERT_NE(t, nullptr) << "missing template";
        EXPECT_LE(t->getParticleQuota(), kMaxParticleQuota);
        EXPECT_GT(t->getNumEmitters(), 0u);
        EXPECT_EQ(t->getRendererName(), "billboard");
        EXPECT_TRUE(Ogre::MaterialManager::getSingleton().resourceExists(t->getMaterialName()))
            << t->getMaterialName();
    }
}

// One imageset file: its sheet and its named regions.
struct Imageset
{
    std::string name;
    std::string imageFile;
    std::map<std::string, Ogre::Rect> images;
};

Imageset readImageset(const std::string& path)
{
    const std::string xml = testenv::readFile(path);
    Imageset set;
    std::smatch m;
    if (std::regex_search(xml, m, std::regex(R"re(<Imageset[^>]*\sname="([^"]*)")re")))
        set.name = m[1];
    if (std::regex_search(xml, m, std::regex(R"re(<Imageset[^>]*\simagefile="([^"]*)")re")))
        set.imageFile = m[1];
    const std::regex image(R"re(<Image\s+name="([^"]*)"\s+xPos="(\d+)"\s+yPos="(\d+)")re"
                           R"re(\s+width="(\d+)"\s+height="(\d+)")re");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), image);
         it != std::sregex_iterator(); ++it) {
        const long x = std::stol((*it)[2]);
        const long y = std::stol((*it)[3]);
        set.images[(*it)[1]] = Ogre::Rect(x, y, x + std::stol((*it)[4]), y + std::stol((*it)[5]));
    }
    return set;
}

void expectImagesetInsideItsSheet(const std::string& file, const std::string& expectedName,
                                  const std::map<std::string, std::pair<long, long>>& sizes)
{
    SCOPED_TRACE(file);
    const std::string gui = testenv::runDir() + "/data/gui/";
    const Imageset set = readImageset(gui + file);
    EXPECT_EQ(set.name, expectedName);
    ASSERT_TRUE(fs::exists(gui + set.imageFile)) << set.imageFile;
    Ogre::Image sheet = loadPng(gui + set.imageFile);
    for (const auto& [name, size] : sizes) {
        SCOPED_TRACE(name);
        auto found = set.images.find(name);
        ASSERT_NE(found, set.images.end()) << "image missing";
        const Ogre::Rect& r = found->second;
        EXPECT_EQ(r.width(), size.first);
        EXPECT_EQ(r.height(), size.second);
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.right, static_cast<long>(sheet.getWidth()));
        EXPECT_LE(r.bottom, static_cast<long>(sheet.getHeight()));
        // Something is drawn in the region.
        float alpha = 0.0f;
        for (long y = r.top; y < r.bottom; ++y)
            for (long x = r.left; x < r.right; ++x)
                alpha += sheet.getColourAt(static_cast<size_t>(x), static_cast<size_t>(y), 0).a;
        EXPECT_GT(alpha, 0.1f * static_cast<float>(r.width() * r.height()));
    }
}

TEST_F(AssetsTest, loadingScreenImagesetHoldsBarsAndLogoInsideItsSheet)
{
    constexpr long kBarHeight = 50;
    // The full bar is not stretched: it must cover 0.8 of a 2560 pixel wide screen.
    constexpr long kWidestBarWindow = 2048;
    const Imageset set = readImageset(testenv::runDir() + "/data/gui/LoadingScreen.imageset");
    ASSERT_EQ(set.images.count("LSProgressBar"), 1u);
    EXPECT_GE(set.images.at("LSProgressBar").width(), kWidestBarWindow);
    expectImagesetInsideItsSheet("LoadingScreen.imageset", "LoadingScreen",
                                 {{"LSProgressBarEmpty", {1024, kBarHeight}},
                                  {"LSProgressBar", {kWidestBarWindow, kBarHeight}},
                                  {"KIVOLogo", {377, 196}}});
}

TEST_F(AssetsTest, guiImagesetHoldsCursorAndMessageIconsInsideItsSheet)
{
    expectImagesetInsideItsSheet(
        "gui.imageset", "gui", {{"MouseArrow", {32, 32}}, {"Info", {48, 48}}, {"Error", {48, 48}}});
}

TEST_F(AssetsTest, gameIconIsASmallPngWithTransparentCorners)
{
    Ogre::Image icon = loadPng(testenv::runDir() + "/data/gui/kivo_icon.png");
    EXPECT_EQ(icon.getWidth(), 64u);
    EXPECT_EQ(icon.getHeight(), 64u);
    EXPECT_FLOAT_EQ(icon.getColourAt(0, 0, 0).a, 0.0f);
    EXPECT_FLOAT_EQ(icon.getColourAt(32, 32, 0).a, 1.0f);
}

// Both generators, run twice into fresh folders, write identical files.
TEST(AssetGenerators, writeTheSameBytesOnEveryRun)
{
    // The generators live in tools/ beside the staged folder run/ of the same build tree.
    const fs::path tools = fs::path(testenv::runDir()).parent_path() / "tools";
    testenv::TempDir dir;
    for (const char* tool : {"gen_textures", "gen_meshes"}) {
        const std::string exe = (tools / tool).string();
        ASSERT_TRUE(fs::exists(exe)) << exe;
        for (const char* run : {"a", "b"}) {
            const std::string command = exe + " " + dir.file(run) + " > /dev/null 2>&1";
            ASSERT_EQ(std::system(command.c_str()), 0) << command;
        }
    }
    size_t compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.file("a"))) {
        if (!entry.is_regular_file())
            continue;
        const fs::path rel = fs::relative(entry.path(), dir.file("a"));
        const std::string other = (fs::path(dir.file("b")) / rel).string();
        ASSERT_TRUE(fs::exists(other)) << rel;
        EXPECT_EQ(testenv::readFile(entry.path().string()), testenv::readFile(other)) << rel;
        ++compared;
    }
    EXPECT_GE(compared, 20u);
}

} // namespace
