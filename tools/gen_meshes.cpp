// Generates the game's meshes with a display-less Ogre and writes them as binary .mesh files:
//   ellipsoid.mesh - a smooth UV sphere of diameter 1 (material "sphere"), used for balls and
//                    round monsters at their own scale;
//   obstacle.mesh  - a spiked steel block (material "obstacle"): a 0.625 cube, so that at the
//                    obstacle's scale of 0.8 it matches its 0.5 collision box, with spikes on
//                    every face and corner.
// Usage: gen_meshes <data folder>. Writes into <data>/meshes.
#include <OgreDefaultHardwareBufferManager.h>
#include <OgreLogManager.h>
#include <OgreManualObject.h>
#include <OgreMaterialManager.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreMeshSerializer.h>
#include <OgreRoot.h>

#include <cmath>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr float kBallRadius = 0.5f;
constexpr int kBallRings = 24;
constexpr int kBallSegments = 48;

constexpr float kObstacleHalf = 0.3125f;
constexpr float kFaceSpikeLength = 0.18f;
constexpr float kFaceSpikeRadius = 0.09f;
constexpr float kCornerSpikeLength = 0.17f;
constexpr float kCornerSpikeRadius = 0.065f;
constexpr float kCornerSpikeInset = 0.06f;
constexpr int kSpikeSides = 6;
// Spikes map onto the polished boss in the middle of the obstacle texture.
constexpr float kBossRadiusUv = 0.12f;

struct Vertex
{
    Ogre::Vector3 position;
    Ogre::Vector3 normal;
    Ogre::Vector2 uv;
};

struct MeshData
{
    std::vector<Vertex> vertices;
    std::vector<Ogre::uint32> indices;

    Ogre::uint32 add(const Vertex& v)
    {
        vertices.push_back(v);
        return static_cast<Ogre::uint32>(vertices.size() - 1);
    }

    // Adds a triangle facing away from `inside`.
    void triangle(Ogre::uint32 a, Ogre::uint32 b, Ogre::uint32 c, const Ogre::Vector3& inside)
    {
        const Ogre::Vector3& pa = vertices[a].position;
        const Ogre::Vector3 n = (vertices[b].position - pa).crossProduct(vertices[c].position - pa);
        const Ogre::Vector3 centre = (pa + vertices[b].position + vertices[c].position) / 3.0f;
        if (n.dotProduct(centre - inside) < 0.0f)
            std::swap(b, c);
        indices.insert(indices.end(), {a, b, c});
    }

    // A flat-shaded triangle with its own three vertices.
    void flatTriangle(const Ogre::Vector3 (&p)[3], const Ogre::Vector2 (&uv)[3],
                      const Ogre::Vector3& inside)
    {
        Ogre::Vector3 n = (p[1] - p[0]).crossProduct(p[2] - p[0]);
        const Ogre::Vector3 centre = (p[0] + p[1] + p[2]) / 3.0f;
        if (n.dotProduct(centre - inside) < 0.0f)
            n = -n;
        n.normalise();
        const Ogre::uint32 a = add({p[0], n, uv[0]});
        const Ogre::uint32 b = add({p[1], n, uv[1]});
        const Ogre::uint32 c = add({p[2], n, uv[2]});
        triangle(a, b, c, inside);
    }
};

MeshData buildBall()
{
    MeshData mesh;
    for (int ring = 0; ring <= kBallRings; ++ring) {
        const float theta = Ogre::Math::PI * static_cast<float>(ring) / kBallRings;
        for (int seg = 0; seg <= kBallSegments; ++seg) {
            const float phi = Ogre::Math::TWO_PI * static_cast<float>(seg) / kBallSegments;
            const Ogre::Vector3 n(std::sin(theta) * std::sin(phi), std::cos(theta),
                                  std::sin(theta) * std::cos(phi));
            mesh.add({n * kBallRadius, n,
                      Ogre::Vector2(static_cast<float>(seg) / kBallSegments,
                                    static_cast<float>(ring) / kBallRings)});
        }
    }
    constexpr Ogre::uint32 kRow = kBallSegments + 1;
    for (Ogre::uint32 ring = 0; ring < kBallRings; ++ring) {
        for (Ogre::uint32 seg = 0; seg < kBallSegments; ++seg) {
            const Ogre::uint32 a = ring * kRow + seg;
            const Ogre::uint32 b = a + kRow;
            // The pole rows would give degenerate triangles; skip them.
            if (ring != 0)
                mesh.triangle(a, b, a + 1, Ogre::Vector3::ZERO);
            if (ring != kBallRings - 1)
                mesh.triangle(a + 1, b, b + 1, Ogre::Vector3::ZERO);
        }
    }
    return mesh;
}

// A pointed pyramid of kSpikeSides faces standing on `base` along the unit axis.
void addSpike(MeshData& mesh, const Ogre::Vector3& base, const Ogre::Vector3& axis, float length,
              float radius)
{
    const Ogre::Vector3 e1 = axis.perpendicular();
    const Ogre::Vector3 e2 = axis.crossProduct(e1);
    const Ogre::Vector3 tip = base + axis * length;
    const Ogre::Vector2 centreUv(0.5f, 0.5f);
    for (int k = 0; k < kSpikeSides; ++k) {
        const float a0 = Ogre::Math::TWO_PI * static_cast<float>(k) / kSpikeSides;
        const float a1 = Ogre::Math::TWO_PI * static_cast<float>(k + 1) / kSpikeSides;
        const Ogre::Vector3 p[3] = {base + (e1 * std::cos(a0) + e2 * std::sin(a0)) * radius,
                                    base + (e1 * std::cos(a1) + e2 * std::sin(a1)) * radius, tip};
        const Ogre::Vector2 uv[3] = {
            centreUv + Ogre::Vector2(std::cos(a0), std::sin(a0)) * kBossRadiusUv,
            centreUv + Ogre::Vector2(std::cos(a1), std::sin(a1)) * kBossRadiusUv, centreUv};
        mesh.flatTriangle(p, uv, base);
    }
}

MeshData buildObstacle()
{
    MeshData mesh;
    const float h = kObstacleHalf;
    // The cube: one quad per face, texture corners 0..1.
    for (int axis = 0; axis < 3; ++axis) {
        for (int sign = -1; sign <= 1; sign += 2) {
            Ogre::Vector3 n = Ogre::Vector3::ZERO;
            n[axis] = static_cast<float>(sign);
            Ogre::Vector3 u = Ogre::Vector3::ZERO;
            Ogre::Vector3 v = Ogre::Vector3::ZERO;
            u[(axis + 1) % 3] = 1.0f;
            v[(axis + 2) % 3] = 1.0f;
            Ogre::uint32 corner[4];
            for (int c = 0; c < 4; ++c) {
                const float su = (c & 1) ? 1.0f : -1.0f;
                const float sv = (c & 2) ? 1.0f : -1.0f;
                corner[c] = mesh.add({(n + u * su + v * sv) * h, n,
                                      Ogre::Vector2(0.5f + su * 0.5f, 0.5f + sv * 0.5f)});
            }
            mesh.triangle(corner[0], corner[1], corner[3], Ogre::Vector3::ZERO);
            mesh.triangle(corner[0], corner[3], corner[2], Ogre::Vector3::ZERO);
            addSpike(mesh, n * h, n, kFaceSpikeLength, kFaceSpikeRadius);
        }
    }
    for (int c = 0; c < 8; ++c) {
        const Ogre::Vector3 corner((c & 1) ? h : -h, (c & 2) ? h : -h, (c & 4) ? h : -h);
        const Ogre::Vector3 axis = corner.normalisedCopy();
        addSpike(mesh, corner - axis * kCornerSpikeInset, axis, kCornerSpikeLength,
                 kCornerSpikeRadius);
    }
    return mesh;
}

// Converts the data into an Ogre mesh with exact bounds and writes it.
bool writeMesh(const MeshData& data, const std::string& meshName, const std::string& material,
               const std::filesystem::path& file)
{
    Ogre::MaterialManager& materials = Ogre::MaterialManager::getSingleton();
    if (!materials.resourceExists(material, Ogre::RGN_DEFAULT))
        materials.create(material, Ogre::RGN_DEFAULT);

    Ogre::ManualObject manual(meshName + "Builder");
    manual.begin(material, Ogre::RenderOperation::OT_TRIANGLE_LIST);
    Ogre::AxisAlignedBox bounds;
    float radius = 0.0f;
    for (const Vertex& v : data.vertices) {
        manual.position(v.position);
        manual.normal(v.normal);
        manual.textureCoord(v.uv);
        bounds.merge(v.position);
        radius = std::max(radius, v.position.length());
    }
    for (Ogre::uint32 i : data.indices)
        manual.index(i);
    manual.end();

    Ogre::MeshPtr mesh = manual.convertToMesh(meshName);
    // Without padding: the ball's size is read from its mesh bounds.
    mesh->_setBounds(bounds, false);
    mesh->_setBoundingSphereRadius(radius);
    bool ok = true;
    try {
        Ogre::MeshSerializer().exportMesh(mesh.get(), file.string());
    } catch (const Ogre::Exception& e) {
        std::cerr << "gen_meshes: cannot write " << file << ": " << e.getDescription() << "\n";
        ok = false;
    }
    Ogre::MeshManager::getSingleton().remove(mesh);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: gen_meshes <data folder>\n";
        return 2;
    }
    const std::filesystem::path folder = std::filesystem::path(argv[1]) / "meshes";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);

    auto log = std::make_unique<Ogre::LogManager>();
    log->createLog("gen_meshes.log", true, false, true);
    auto root = std::make_unique<Ogre::Root>("", "", "");
    auto buffers = std::make_unique<Ogre::DefaultHardwareBufferManager>();
    Ogre::MaterialManager::getSingleton().initialise();

    bool ok = writeMesh(buildBall(), "ellipsoid.mesh", "sphere", folder / "ellipsoid.mesh");
    ok = writeMesh(buildObstacle(), "obstacle.mesh", "obstacle", folder / "obstacle.mesh") && ok;

    Ogre::MaterialManager::getSingleton().removeAll();
    root.reset();
    buffers.reset();
    log.reset();
    return ok ? 0 : 1;
}
