// The scene's boxes and grids: finding, adding and deleting them.
#include "world/scene.h"

#include "world/box.h"
#include "world/box_grid.h"
#include "world/scene_parts.h"
#include "world/waypoint.h"

#include <algorithm>

using namespace scenepart;

CBox* CScene::findBox(const std::string& name) const
{
    const auto known = mBoxesByName.find(name);
    if (known != mBoxesByName.end())
        return known->second;
    // Boxes put into a grid directly (not through the scene) are still found.
    for (const auto& grid : mGrids) {
        for (const auto& box : grid->getBoxes()) {
            if (box->getName() == name)
                return box.get();
        }
    }
    return nullptr;
}

CBoxGrid* CScene::findGrid(const std::string& name) const
{
    for (const auto& grid : mGrids) {
        if (grid->getName() == name)
            return grid.get();
    }
    return nullptr;
}

CBox* CScene::addBox(const std::string& name, const std::string& material,
                     const std::string& gridName, const Ogre::Vector3& position,
                     const Vertices* vertices, bool fitTexture, size_t place)
{
    CBoxGrid* grid = findGrid(gridName);
    if (!grid) {
        mGrids.push_back(
            std::make_unique<CBoxGrid>(gridName, material, mSceneManager, mWorld.get()));
        grid = mGrids.back().get();
    }
    ++boxCounter();
    CBox* box = grid->addBox(name, material, 1.0f, fitTexture, vertices, place);
    box->setPosition(position);
    mBoxesByName[box->getName()] = box;
    // Boxes added to a running game (not from its map) get their body at once.
    if (!mEditorMode && mBuilt) {
        box->createPhysics(mMaterialGroup);
        mBoxesByBody[box->getBody()] = box;
    }
    return box;
}

CBoxGrid* CScene::addGrid(const std::string& name, const std::string& material, size_t place)
{
    if (findGrid(name))
        return nullptr;
    place = std::min(place, mGrids.size());
    mGrids.insert(mGrids.begin() + static_cast<std::ptrdiff_t>(place),
                  std::make_unique<CBoxGrid>(name, material, mSceneManager, mWorld.get()));
    return mGrids[place].get();
}

bool CScene::deleteBox(CBox* box)
{
    if (!box)
        return false;
    CWaypoint* waypoint = findWaypoint(box);
    if (waypoint && !removeWaypoint(box))
        return false;
    mStartBoxes.erase(std::remove(mStartBoxes.begin(), mStartBoxes.end(), box), mStartBoxes.end());
    mFinishBoxes.erase(std::remove(mFinishBoxes.begin(), mFinishBoxes.end(), box),
                       mFinishBoxes.end());
    mBoxesByName.erase(box->getName());
    mBoxesByBody.erase(box->getBody());
    for (const auto& grid : mGrids) {
        if (grid->removeBox(box))
            return true;
    }
    return false;
}

bool CScene::deleteGrid(const std::string& name)
{
    CBoxGrid* grid = findGrid(name);
    if (!grid)
        return false;
    std::vector<CBox*> boxes;
    for (const auto& box : grid->getBoxes())
        boxes.push_back(box.get());
    bool all = true;
    for (CBox* box : boxes)
        all = deleteBox(box) && all;
    if (grid->getBoxes().empty()) {
        mGrids.erase(std::find_if(mGrids.begin(), mGrids.end(),
                                  [grid](const auto& g) { return g.get() == grid; }));
    }
    return all;
}
