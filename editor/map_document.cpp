// The map being edited: files, selection, and the grid and box operations as undo steps.
#include "editor/map_document.h"

#include "editor/change_boxes_command.h"
#include "editor/level_markers.h"
#include "editor/level_piece_command.h"
#include "editor/undo_ids.h"
#include "world/box.h"
#include "world/level/map_format.h"
#include "world/level_ogre.h"
#include "world/map_io.h"
#include "world/safe_file.h"
#include "world/scene.h"

#include <OgreMaterialManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <unordered_set>

namespace {

const char* const kBoxPrefix = "box";

// The editor's camera hangs on two nodes that the scene makes; a rebuilt scene gets new ones.
struct SCameraPlacement
{
    bool valid = false;
    Ogre::Vector3 outerPosition, innerPosition;
    Ogre::Quaternion outerOrientation, innerOrientation;

    static SCameraPlacement of(const CScene* scene)
    {
        SCameraPlacement placement;
        Ogre::SceneNode* outer = scene ? scene->getCameraPointNode(1) : nullptr;
        if (!outer || outer->numChildren() == 0)
            return placement;
        const Ogre::Node* inner = outer->getChild(0);
        placement = {true, outer->getPosition(), inner->getPosition(), outer->getOrientation(),
                     inner->getOrientation()};
        return placement;
    }

    void applyTo(const CScene& scene) const
    {
        Ogre::SceneNode* outer = scene.getCameraPointNode(1);
        if (!valid || !outer || outer->numChildren() == 0)
            return;
        outer->setPosition(outerPosition);
        outer->setOrientation(outerOrientation);
        outer->getChild(0)->setPosition(innerPosition);
        outer->getChild(0)->setOrientation(innerOrientation);
    }
};

} // namespace

CMapDocument::CMapDocument(std::string sceneManagerName, std::string cameraName)
    : mSceneManagerName(std::move(sceneManagerName)), mCameraName(std::move(cameraName))
{
    // Every step done, undone, redone or folded into the one before moves the stack's index.
    QObject::connect(&mUndoStack, &QUndoStack::indexChanged, [this] { showMarkers(); });
}

CMapDocument::~CMapDocument()
{
    mMarkers.reset();
    mUndoStack.clear();
    mScene.reset();
}

// ---------------------------------------------------------------------------------------------
// Files

void CMapDocument::replaceLevel(CLevel level)
{
    const SCameraPlacement camera = SCameraPlacement::of(mScene.get());
    mLevel = std::move(level);
    // One scene manager serves one scene: the old scene clears it when it goes.
    mMarkers.reset();
    mScene.reset();
    mScene = std::make_unique<CScene>(mSceneManagerName, mCameraName, "", "", "", true, "", 0, 1);
    mScene->realise(mLevel);
    camera.applyTo(*mScene);
    // The selection is kept by name: what is still there is shown selected in the new scene.
    std::vector<std::string> selected;
    for (const std::string& name : mSelection) {
        if (mLevel.findBox(name)) {
            selected.push_back(name);
            highlight(name, true);
        }
    }
    mSelection = std::move(selected);
    Ogre::SceneManager* sceneManager = mScene->getSceneManager();
    mMarkers = std::make_unique<CLevelMarkers>(sceneManager, sceneManager->getRootSceneNode());
    showMarkers();
}

void CMapDocument::showMarkers()
{
    if (mMarkers)
        mMarkers->show(mLevel);
}

void CMapDocument::startOver(CLevel level, const std::string& fileName)
{
    mMarkers.reset(); // the old level's markers need no update before they go
    mUndoStack.clear();
    mSelection.clear();
    replaceLevel(std::move(level));
    mFileName = fileName;
}

void CMapDocument::newMap()
{
    startOver(CLevel(), std::string());
}

bool CMapDocument::openMap(const std::string& path)
{
    CIOMap map;
    if (!map.openForReading(path))
        return false;
    startOver(readMap(map.getLines()), path);
    return true;
}

std::string CMapDocument::mapText() const
{
    return mScene ? writeMap(mLevel) : std::string();
}

bool CMapDocument::saveMap(const std::string& path)
{
    mSaveError.clear();
    if (!mScene || path.empty())
        return false;
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        mSaveError = path + " is a folder.";
        return false;
    }
    mSaveError = unstorableReason(mLevel);
    if (!mSaveError.empty())
        return false;
    if (!replaceFile(path, mapText(), &mSaveError)) {
        std::cerr << "CIOMap: " << mSaveError << std::endl;
        return false;
    }
    std::cout << "CIOMap: Successful saved!" << std::endl;
    mFileName = path;
    mUndoStack.setClean();
    return true;
}

void CMapDocument::restoreFromText(const std::string& text)
{
    std::istringstream in(text);
    replaceLevel(readMap(splitMapLines(in)));
}

// ---------------------------------------------------------------------------------------------
// Selection

void CMapDocument::highlight(const std::string& name, bool on) const
{
    const CBox* box = mScene ? mScene->findBox(name) : nullptr;
    if (box && box->getNode())
        box->getNode()->showBoundingBox(on);
}

bool CMapDocument::toggleSelection(const std::string& boxName)
{
    if (!mScene || !mLevel.findBox(boxName))
        return false;
    const auto it = std::find(mSelection.begin(), mSelection.end(), boxName);
    const bool selecting = it == mSelection.end();
    if (selecting)
        mSelection.push_back(boxName);
    else
        mSelection.erase(it);
    highlight(boxName, selecting);
    return true;
}

void CMapDocument::clearSelection()
{
    for (const std::string& name : mSelection)
        highlight(name, false);
    mSelection.clear();
}

void CMapDocument::selectGrids(const std::vector<std::string>& gridNames)
{
    std::unordered_set<std::string> selected(mSelection.begin(), mSelection.end());
    for (const std::string& name : gridNames) {
        const SLevelGrid* grid = mScene ? mLevel.findGrid(name) : nullptr;
        for (size_t b = 0; grid && b < grid->boxes.size(); ++b) {
            if (selected.insert(grid->boxes[b].name).second) {
                mSelection.push_back(grid->boxes[b].name);
                highlight(grid->boxes[b].name, true);
            }
        }
    }
}

std::vector<std::string> CMapDocument::gridNames() const
{
    std::vector<std::string> names;
    for (const SLevelGrid& grid : mLevel.grids())
        names.push_back(grid.name);
    return names;
}

std::vector<SBoxState> CMapDocument::selectedStates() const
{
    std::vector<SBoxState> states;
    for (const std::string& name : mSelection) {
        if (const SLevelBox* box = mLevel.findBox(name))
            states.push_back(SBoxState::of(*box, mLevel.gridOf(name)));
    }
    return states;
}

// ---------------------------------------------------------------------------------------------
// Editing

bool CMapDocument::isAcceptableName(const std::string& name)
{
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

bool CMapDocument::materialExists(const std::string& material)
{
    return !material.empty() && Ogre::MaterialManager::getSingleton().resourceExists(material);
}

void CMapDocument::addBoxes(const QString& text, const std::string& grid,
                            std::vector<SBoxState> boxes)
{
    SLevelPiece::SKeys keys;
    if (!mLevel.findGrid(grid))
        keys.grids.push_back(grid);
    // New names are made free here, so the step knows every box by the name it keeps.
    std::unordered_set<std::string> taken;
    for (SBoxState& box : boxes) {
        std::string name = mLevel.freeBoxName(box.name);
        for (unsigned long number = 0; taken.count(name); ++number)
            name = mLevel.freeBoxName(box.name + std::to_string(number));
        taken.insert(name);
        box.name = name;
        box.grid = grid;
        keys.boxes.push_back(name);
    }
    pieceChange(text, keys, [&] {
        for (const SBoxState& box : boxes)
            mLevel.addBox(grid, box.plain());
    });
}

CMapDocument::EGridResult CMapDocument::createGrid(const std::string& name,
                                                   const std::string& material, int countX,
                                                   int countY, const Ogre::Vector3& origin,
                                                   float edge)
{
    if (!mScene || !isAcceptableName(name) || !materialExists(material) || countX <= 0 ||
        countY <= 0 || !(edge > 0.0f))
        return EGridResult::InvalidInput;
    if (mLevel.findGrid(name))
        return EGridResult::NameTaken;
    // The boxes are numbered on from the scene's box counter, as the scene numbers them.
    std::vector<SBoxState> boxes;
    int number = CScene::getBoxCounter();
    for (int i = 0; i < countX; ++i) {
        for (int j = 0; j < countY; ++j) {
            SBoxState box;
            box.name = kBoxPrefix + std::to_string(++number);
            box.material = material;
            box.position = origin + Ogre::Vector3(edge * i, 0.0f, edge * j);
            box.vertices = CBox::cubeVertices(edge);
            boxes.push_back(box);
        }
    }
    addBoxes(QStringLiteral("Create grid"), name, std::move(boxes));
    return EGridResult::Created;
}

bool CMapDocument::addBox(const std::string& grid, const std::string& material,
                          const Ogre::Vector3& position, float edge)
{
    if (!mScene || !mLevel.findGrid(grid) || !materialExists(material) || !(edge > 0.0f))
        return false;
    SBoxState box;
    box.name = kBoxPrefix + std::to_string(CScene::getBoxCounter() + 1);
    box.material = material;
    box.position = position;
    box.vertices = CBox::cubeVertices(edge);
    addBoxes(QStringLiteral("Add box"), grid, {box});
    return true;
}

CMapDocument::EGridResult CMapDocument::copySelection(const std::string& gridName,
                                                      const std::string& material)
{
    // A grid exists through its boxes: with nothing selected there is nothing to copy.
    if (!mScene || !isAcceptableName(gridName) || !materialExists(material) || mSelection.empty())
        return EGridResult::InvalidInput;
    if (mLevel.findGrid(gridName))
        return EGridResult::NameTaken;
    // The copies lie exactly on their originals, in the new grid, with their own materials.
    std::vector<SBoxState> boxes = selectedStates();
    int number = CScene::getBoxCounter();
    for (SBoxState& copy : boxes)
        copy.name = kBoxPrefix + std::to_string(++number);
    addBoxes(QStringLiteral("Copy selection"), gridName, std::move(boxes));
    return EGridResult::Created;
}

CMapDocument::SDeletion CMapDocument::deleteBoxes(const std::vector<std::string>& boxes,
                                                  const std::vector<std::string>& grids,
                                                  const QString& text)
{
    SDeletion deletion;
    if (!mScene)
        return deletion;
    // The boxes that go: the named ones and all boxes of the named grids.
    std::unordered_set<std::string> doomed;
    SLevelPiece::SKeys keys;
    const auto doom = [&](const std::string& name) {
        if (!mLevel.findBox(name) || !doomed.insert(name).second)
            return;
        keys.boxes.push_back(name);
        const std::string grid = mLevel.gridOf(name);
        if (std::find(keys.grids.begin(), keys.grids.end(), grid) == keys.grids.end())
            keys.grids.push_back(grid);
    };
    for (const std::string& name : boxes)
        doom(name);
    for (const std::string& name : grids) {
        if (const SLevelGrid* grid = mLevel.findGrid(name)) {
            for (const SLevelBox& box : grid->boxes)
                doom(box.name);
        }
    }
    if (doomed.empty())
        return deletion;
    // The piece of the level that goes with the boxes: their waypoints with the neighbours
    // that lose a link, the monsters starting there, and the start and finish lists.
    keys.points = true;
    deletion.boxes = static_cast<int>(doomed.size());
    for (const std::string& box : mLevel.startPoints())
        deletion.startPoints += static_cast<int>(doomed.count(box));
    for (const std::string& box : mLevel.finishPoints())
        deletion.finishPoints += static_cast<int>(doomed.count(box));
    for (const SLevelWaypoint& waypoint : mLevel.waypoints()) {
        if (!doomed.count(waypoint.box))
            continue;
        ++deletion.waypoints;
        keys.waypoints.push_back(waypoint.box);
        keys.waypoints.insert(keys.waypoints.end(), waypoint.neighbours.begin(),
                              waypoint.neighbours.end());
    }
    for (const SLevelMonster& monster : mLevel.monsters()) {
        if (doomed.count(monster.start)) {
            ++deletion.monsters;
            keys.monsters.push_back(monster.name);
        }
    }
    pieceChange(
        text, keys,
        [&] {
            // Monsters go first: the level keeps a box that a monster starts on.
            for (const std::string& name : keys.monsters)
                mLevel.removeMonster(name);
            for (const std::string& name : keys.boxes)
                mLevel.removeBox(name);
        },
        boxes);
    return deletion;
}

CMapDocument::SDeletion CMapDocument::deleteSelection()
{
    // A copy: the step drops the deleted boxes from the selection.
    const std::vector<std::string> selected = mSelection;
    return deleteBoxes(selected, {}, QStringLiteral("Delete selection"));
}

CMapDocument::SDeletion CMapDocument::deleteGrids(const std::vector<std::string>& gridNames)
{
    return deleteBoxes({}, gridNames, QStringLiteral("Delete grid"));
}

void CMapDocument::pushChange(const QString& text, std::vector<SBoxState> after, int mergeId)
{
    if (after.empty())
        return;
    std::vector<SBoxState> before;
    for (SBoxState& state : after) {
        state.grid = mLevel.gridOf(state.name);
        before.push_back(SBoxState::of(*mLevel.findBox(state.name), state.grid));
    }
    mUndoStack.push(
        new CChangeBoxesCommand(*this, text, std::move(before), std::move(after), mergeId));
}

bool CMapDocument::setMaterial(const std::string& material, bool fitTexture)
{
    if (!materialExists(material))
        return false;
    std::vector<SBoxState> after = selectedStates();
    for (SBoxState& state : after) {
        state.material = material;
        state.fitTexture = fitTexture;
    }
    pushChange(QStringLiteral("Set material"), std::move(after));
    return true;
}

void CMapDocument::moveSelection(const Ogre::Vector3& value, const AxisFlags& absolute)
{
    std::vector<SBoxState> after = selectedStates();
    for (SBoxState& state : after) {
        for (int axis = 0; axis < 3; ++axis)
            state.position[axis] =
                absolute[axis] ? value[axis] : state.position[axis] + value[axis];
    }
    pushChange(QStringLiteral("Move selection"), std::move(after));
}

void CMapDocument::nudgeSelection(const Ogre::Vector3& offset)
{
    std::vector<SBoxState> after = selectedStates();
    for (SBoxState& state : after)
        state.position += offset;
    pushChange(QStringLiteral("Move selection"), std::move(after), MERGE_NUDGE);
}

void CMapDocument::moveVertices(const VertexFlags& vertices, const Ogre::Vector3& value,
                                const AxisFlags& absolute, bool nearPoints)
{
    // Every (box, vertex) that moves, found on the shapes as they are now; a vertex reached
    // both as a neighbour and as a selected corner still moves once.
    std::map<std::string, std::set<int>> moving;
    for (const SBoxState& box : selectedStates()) {
        for (int v = 0; v < CBox::kVertexCount; ++v) {
            if (!vertices[v])
                continue;
            moving[box.name].insert(v);
            if (!nearPoints)
                continue;
            const Ogre::Vector3 point = box.position + box.vertices[v];
            for (const SLevelGrid& grid : mLevel.grids()) {
                for (const SLevelBox& other : grid.boxes) {
                    if (other.name == box.name)
                        continue;
                    const Ogre::Vector3 position = toOgre(other.position);
                    for (int k = 0; k < CBox::kVertexCount; ++k) {
                        if ((position + toOgre(other.vertices[k])).distance(point) < kNearDistance)
                            moving[other.name].insert(k);
                    }
                }
            }
        }
    }
    std::vector<SBoxState> after;
    for (const auto& [name, indices] : moving) {
        after.push_back(SBoxState::of(*mLevel.findBox(name), std::string()));
        SBoxState& state = after.back();
        for (int v : indices) {
            for (int axis = 0; axis < 3; ++axis) {
                float& coordinate = state.vertices[v][axis];
                coordinate =
                    absolute[axis] ? value[axis] - state.position[axis] : coordinate + value[axis];
            }
        }
    }
    pushChange(QStringLiteral("Move vertices"), std::move(after));
}

// ---------------------------------------------------------------------------------------------
// Putting changes into the model and the scene

void CMapDocument::applyPiece(const SLevelPiece& piece)
{
    piece.applyTo(mLevel);
    piece.applyTo(*mScene);
    // Boxes that went are no longer selected.
    std::vector<std::string> kept;
    for (const std::string& name : mSelection) {
        if (mLevel.findBox(name))
            kept.push_back(name);
    }
    mSelection = std::move(kept);
}

void CMapDocument::applyBoxes(const std::vector<SBoxState>& boxes)
{
    for (const SBoxState& box : boxes) {
        box.applyTo(mLevel);
        box.applyTo(*mScene);
    }
}
