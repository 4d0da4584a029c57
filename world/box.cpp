// Box geometry and the box's engine objects.
#include "world/box.h"

#include "world/physics.h"

#include <OgreEntity.h>
#include <OgreManualObject.h>
#include <OgreMeshManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

namespace {

const char* const kNodePrefix = "node";
const char* const kMeshPrefix = "mesh";
const char* const kEntityPrefix = "entity";
// Points of the hull closer than this are one point.
constexpr float kHullTolerance = 0.001f;
// Unfitted side textures run with the height: v = y + this.
constexpr float kSideTextureOffset = 0.5f;

struct STexturedCorner
{
    int vertex;
    float u;
    float v; // used when the texture is fitted
};

struct SSide
{
    Ogre::Vector3 normal;
    STexturedCorner corners[4];
    int triangles[2][3]; // vertex numbers of the box
};

// The top: four triangles fanning round the top centre, each with (vertex, u, v).
const STexturedCorner kTopTriangles[4][3] = {
    {{3, 0.0f, 0.0f}, {0, 0.0f, 1.0f}, {4, 0.5f, 0.5f}},
    {{0, 0.0f, 1.0f}, {1, 1.0f, 1.0f}, {4, 0.5f, 0.5f}},
    {{1, 1.0f, 1.0f}, {2, 1.0f, 0.0f}, {4, 0.5f, 0.5f}},
    {{2, 1.0f, 0.0f}, {3, 0.0f, 0.0f}, {4, 0.5f, 0.5f}},
};

const SSide kSides[4] = {
    {Ogre::Vector3(-1, 0, 0),
     {{1, 1.0f, 0.0f}, {2, 0.0f, 0.0f}, {6, 1.0f, 1.0f}, {7, 0.0f, 1.0f}},
     {{6, 7, 1}, {7, 2, 1}}},
    {Ogre::Vector3(1, 0, 0),
     {{8, 0.0f, 0.0f}, {3, 0.0f, 1.0f}, {0, 1.0f, 1.0f}, {5, 1.0f, 0.0f}},
     {{8, 5, 3}, {5, 0, 3}}},
    {Ogre::Vector3(0, 0, 1),
     {{7, 0.0f, 0.0f}, {2, 0.0f, 1.0f}, {3, 1.0f, 1.0f}, {8, 1.0f, 0.0f}},
     {{8, 2, 7}, {8, 3, 2}}},
    {Ogre::Vector3(0, 0, -1),
     {{6, 0.0f, 0.0f}, {1, 0.0f, 1.0f}, {0, 1.0f, 1.0f}, {5, 1.0f, 0.0f}},
     {{6, 1, 5}, {5, 1, 0}}},
};

} // namespace

CBox::Vertices CBox::cubeVertices(float edge)
{
    const float h = edge * 0.5f;
    return {Ogre::Vector3(h, h, -h),   Ogre::Vector3(-h, h, -h), Ogre::Vector3(-h, h, h),
            Ogre::Vector3(h, h, h),    Ogre::Vector3(0, h, 0),   Ogre::Vector3(h, -h, -h),
            Ogre::Vector3(-h, -h, -h), Ogre::Vector3(-h, -h, h), Ogre::Vector3(h, -h, h)};
}

CBox::CBox(Ogre::SceneManager* sceneManager, CPhysicsWorld* world)
    : mVertices(cubeVertices(1.0f)), mSceneManager(sceneManager), mWorld(world)
{
}

CBox::~CBox()
{
    destroySeeThrough();
    mBody.reset();
    if (mEntity)
        mSceneManager->destroyEntity(mEntity);
    if (!mMeshName.empty())
        Ogre::MeshManager::getSingleton().remove(
            mMeshName, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
    if (mManualObject)
        mSceneManager->destroyManualObject(mManualObject);
    if (mNode)
        mSceneManager->destroySceneNode(mNode);
}

void CBox::create(const std::string& name, const std::string& material, float edge, bool fitTexture,
                  const Vertices* vertices)
{
    mMaterialName = material;
    mFitTexture = fitTexture;
    mVertices = vertices ? *vertices : cubeVertices(edge);

    auto taken = [this](const std::string& candidate) {
        return candidate.empty() || mSceneManager->hasManualObject(candidate) ||
               mSceneManager->hasSceneNode(kNodePrefix + candidate) ||
               mSceneManager->hasEntity(kEntityPrefix + candidate) ||
               Ogre::MeshManager::getSingleton().resourceExists(
                   kMeshPrefix + candidate,
                   Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
    };
    mName = name;
    for (unsigned long suffix = 0; taken(mName); ++suffix)
        mName = name + std::to_string(suffix);

    mManualObject = mSceneManager->createManualObject(mName);
    buildGeometry();
    mNode = mSceneManager->getRootSceneNode()->createChildSceneNode(kNodePrefix + mName);
    mNode->attachObject(mManualObject);
}

void CBox::buildGeometry()
{
    Ogre::ManualObject* manual = mManualObject;
    manual->clear();
    manual->begin(mMaterialName, Ogre::RenderOperation::OT_TRIANGLE_LIST);
    const Vertices& v = mVertices;
    uint32_t next = 0;
    for (const auto& triangle : kTopTriangles) {
        const Ogre::Vector3& centre = v[triangle[2].vertex];
        Ogre::Vector3 normal =
            (v[triangle[0].vertex] - centre).crossProduct(v[triangle[1].vertex] - centre);
        normal.normalise();
        for (const STexturedCorner& corner : triangle) {
            manual->position(v[corner.vertex]);
            manual->normal(normal);
            manual->colour(Ogre::ColourValue::White);
            manual->textureCoord(corner.u, corner.v);
        }
        manual->triangle(next, next + 1, next + 2);
        next += 3;
    }
    for (const SSide& side : kSides) {
        const uint32_t first = next;
        for (const STexturedCorner& corner : side.corners) {
            const Ogre::Vector3& p = v[corner.vertex];
            manual->position(p);
            manual->normal(side.normal);
            manual->colour(Ogre::ColourValue::White);
            manual->textureCoord(corner.u, mFitTexture ? corner.v : p.y + kSideTextureOffset);
            ++next;
        }
        auto local = [&side, first](int boxVertex) {
            for (uint32_t i = 0; i < 4; ++i) {
                if (side.corners[i].vertex == boxVertex)
                    return first + i;
            }
            return first;
        };
        for (const auto& triangle : side.triangles)
            manual->triangle(local(triangle[0]), local(triangle[1]), local(triangle[2]));
    }
    manual->end();
}

void CBox::createPhysics(int materialGroup)
{
    if (!mWorld || mBody)
        return;
    mNode->detachAllObjects();
    mMeshName = kMeshPrefix + mName;
    mManualObject->convertToMesh(mMeshName);
    mEntity = mSceneManager->createEntity(kEntityPrefix + mName, mMeshName);
    mNode->attachObject(mEntity);

    // The hull of the nine vertices is the hull of the drawn geometry (same points), and it
    // does not need to read back the mesh's write-only buffers.
    const std::vector<Ogre::Vector3> points(mVertices.begin(), mVertices.end());
    mBody = std::make_unique<CPhysicsBody>(
        *mWorld, CCollisionShape::createConvexHull(points, kHullTolerance));
    mBody->setPositionOrientation(mNode->getPosition(), Ogre::Quaternion::IDENTITY);
    mBody->attachNode(mNode);
    mBody->setMaterialGroupID(materialGroup);
}

Ogre::Vector3 CBox::getPosition() const
{
    return mNode ? mNode->getPosition() : Ogre::Vector3::ZERO;
}

void CBox::setPosition(const Ogre::Vector3& position)
{
    if (mNode)
        mNode->setPosition(position);
    if (mBody)
        mBody->setPositionOrientation(position, Ogre::Quaternion::IDENTITY);
}

Ogre::Vector3 CBox::getTopCentre() const
{
    return getPosition() + mVertices[kTopCentre];
}

std::vector<CBox::Triangle> CBox::getTriangles() const
{
    std::vector<Triangle> triangles;
    triangles.reserve(12);
    for (const auto& triangle : kTopTriangles)
        triangles.push_back({mVertices[triangle[0].vertex], mVertices[triangle[1].vertex],
                             mVertices[triangle[2].vertex]});
    for (const SSide& side : kSides) {
        for (const auto& triangle : side.triangles)
            triangles.push_back(
                {mVertices[triangle[0]], mVertices[triangle[1]], mVertices[triangle[2]]});
    }
    return triangles;
}

void CBox::setMaterial(const std::string& material, bool fitTexture)
{
    mMaterialName = material;
    mFitTexture = fitTexture;
    rebuild();
}

void CBox::setVertex(int index, const Ogre::Vector3& vertex)
{
    if (index < 0 || index >= kVertexCount)
        return;
    mVertices[index] = vertex;
}

void CBox::rebuild()
{
    // Game-mode boxes are a fixed mesh with a body; only the editor reshapes boxes.
    if (mManualObject && !mEntity)
        buildGeometry();
}
