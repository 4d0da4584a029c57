// CBoxGrid: a named group of boxes with a default material. Grids exist because boxes name
// them; the scene keeps them in creation order.
#pragma once

#include "world/box.h"

#include <memory>
#include <string>
#include <vector>

class CBoxGrid
{
public:
    CBoxGrid(const std::string& name, const std::string& material, Ogre::SceneManager* sceneManager,
             CPhysicsWorld* world);
    ~CBoxGrid();
    CBoxGrid(const CBoxGrid&) = delete;
    CBoxGrid& operator=(const CBoxGrid&) = delete;

    // Adds a box built from the vertices (nullptr: a cube of the edge length) at the place in
    // the list of boxes (past the end: at the end).
    CBox* addBox(const std::string& name, const std::string& material, float edge, bool fitTexture,
                 const CBox::Vertices* vertices, size_t place = ~size_t(0));
    bool removeBox(CBox* box);

    const std::string& getName() const { return mName; }
    const std::string& getMaterialName() const { return mMaterialName; }
    const std::vector<std::unique_ptr<CBox>>& getBoxes() const { return mBoxes; }

private:
    std::string mName;
    std::string mMaterialName;
    std::vector<std::unique_ptr<CBox>> mBoxes;
    Ogre::SceneManager* mSceneManager;
    CPhysicsWorld* mWorld;
};
