// A named group of boxes.
#include "world/box_grid.h"

#include <algorithm>

CBoxGrid::CBoxGrid(const std::string& name, const std::string& material,
                   Ogre::SceneManager* sceneManager, CPhysicsWorld* world)
    : mName(name), mMaterialName(material), mSceneManager(sceneManager), mWorld(world)
{
}

CBoxGrid::~CBoxGrid() = default;

CBox* CBoxGrid::addBox(const std::string& name, const std::string& material, float edge,
                       bool fitTexture, const CBox::Vertices* vertices, size_t place)
{
    auto box = std::make_unique<CBox>(mSceneManager, mWorld);
    box->create(name, material, edge, fitTexture, vertices);
    place = std::min(place, mBoxes.size());
    mBoxes.insert(mBoxes.begin() + static_cast<std::ptrdiff_t>(place), std::move(box));
    return mBoxes[place].get();
}

bool CBoxGrid::removeBox(CBox* box)
{
    auto it = std::find_if(mBoxes.begin(), mBoxes.end(),
                           [box](const std::unique_ptr<CBox>& b) { return b.get() == box; });
    if (it == mBoxes.end())
        return false;
    mBoxes.erase(it);
    return true;
}
