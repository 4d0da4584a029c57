// CBox: one box of the level: a manual object built from nine vertices (four top corners, the
// top centre, four bottom corners), its scene node, and in game mode a mesh, an entity and a
// static physics body made from that geometry.
#pragma once

#include <OgreVector.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace Ogre {
class Entity;
class ManualObject;
class SceneManager;
class SceneNode;
} // namespace Ogre

class CPhysicsBody;
class CPhysicsWorld;
class SubEntityMaterialInstance;

class CBox
{
public:
    static constexpr int kVertexCount = 9;
    static constexpr int kTopCentre = 4;
    static constexpr int kGeometryVertexCount = 28;
    using Vertices = std::array<Ogre::Vector3, kVertexCount>;

    // The vertices of an undeformed cube of the given edge length, in the stored order.
    static Vertices cubeVertices(float edge);

    CBox(Ogre::SceneManager* sceneManager, CPhysicsWorld* world);
    ~CBox();
    CBox(const CBox&) = delete;
    CBox& operator=(const CBox&) = delete;

    // Builds the geometry and the node. The name is made unique among the scene manager's
    // manual objects by appending 0, 1, 2, ...; getName() tells the name it got.
    void create(const std::string& name, const std::string& material, float edge, bool fitTexture,
                const Vertices* vertices);
    // Game mode: turns the geometry into the mesh "mesh" + name and the entity "entity" + name
    // and gives the box a static convex hull body in the material group.
    void createPhysics(int materialGroup);

    const std::string& getName() const { return mName; }
    const std::string& getMaterialName() const { return mMaterialName; }
    const Vertices& getVertices() const { return mVertices; }
    bool getFitTexture() const { return mFitTexture; }
    Ogre::Vector3 getPosition() const;
    void setPosition(const Ogre::Vector3& position);
    // World position of the top centre vertex (where a ball or monster stands on the box).
    Ogre::Vector3 getTopCentre() const;
    // The drawn triangles in box coordinates, each wound so that its front faces outwards
    // (the same twelve triangles the geometry is built from). Picking reads these instead of
    // the write-only vertex buffers.
    using Triangle = std::array<Ogre::Vector3, 3>;
    std::vector<Triangle> getTriangles() const;

    // Editing: change the look or the shape and rebuild the geometry (editor mode).
    void setMaterial(const std::string& material, bool fitTexture);
    void setVertex(int index, const Ogre::Vector3& vertex);
    void rebuild();

    Ogre::SceneNode* getNode() const { return mNode; }
    Ogre::Entity* getEntity() const { return mEntity; }
    CPhysicsBody* getBody() const { return mBody.get(); }

    // See-through value 0..1 (1 = opaque); defined with the material instances.
    void setSeeThrough(float alpha);
    std::vector<SubEntityMaterialInstance*>& getMaterialInstances() { return mMaterialInstances; }

private:
    void buildGeometry();
    // Frees the see-through material instances; defined with them.
    void destroySeeThrough();

    std::string mName;
    std::string mMaterialName;
    std::unique_ptr<CPhysicsBody> mBody;
    Vertices mVertices;
    bool mFitTexture = false;
    std::vector<SubEntityMaterialInstance*> mMaterialInstances;
    std::string mMeshName;
    Ogre::SceneManager* mSceneManager;
    Ogre::Entity* mEntity = nullptr;
    CPhysicsWorld* mWorld;
    Ogre::ManualObject* mManualObject = nullptr;
    Ogre::SceneNode* mNode = nullptr;
};
