// The map being edited: files, selection, and the grid and box operations as undo steps.
#include "editor/map_document.h"

#include "editor/add_boxes_command.h"
#include "editor/change_boxes_command.h"
#include "editor/level_markers.h"
#include "editor/undo_ids.h"
#include "world/box.h"
#include "world/box_grid.h"
#include "world/map_io.h"
#include "world/monster.h"
#include "world/safe_file.h"
#include "world/scene.h"
#include "world/waypoint.h"

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

// The boxes that go: the named ones and all boxes of the named grids.
std::unordered_set<const CBox*> boxesToDelete(const CScene& scene,
                                              const std::vector<std::string>& boxes,
                                              const std::vector<std::string>& grids)
{
    std::unordered_set<const CBox*> doomed;
    for (const std::string& name : boxes) {
        if (const CBox* box = scene.findBox(name))
            doomed.insert(box);
    }
    for (const std::string& name : grids) {
        if (const CBoxGrid* grid = scene.findGrid(name)) {
            for (const auto& box : grid->getBoxes())
                doomed.insert(box.get());
        }
    }
    return doomed;
}

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

void CMapDocument::replaceScene(const std::vector<std::string>* lines)
{
    const SCameraPlacement camera = SCameraPlacement::of(mScene.get());
    // One scene manager serves one scene: the old scene clears it when it goes.
    mMarkers.reset();
    mScene.reset();
    mScene = std::make_unique<CScene>(mSceneManagerName, mCameraName, "", "", "", true, "", 0, 1);
    if (lines) {
        std::string text;
        for (const std::string& line : *lines)
            text += line + "\n";
        std::istringstream in(text);
        CIOMap map;
        map.readLines(in);
        map.readIntoScene(*mScene);
    }
    camera.applyTo(*mScene);
    Ogre::SceneManager* sceneManager = mScene->getSceneManager();
    mMarkers = std::make_unique<CLevelMarkers>(sceneManager, sceneManager->getRootSceneNode());
    showMarkers();
}

void CMapDocument::showMarkers()
{
    if (mMarkers)
        mMarkers->show(CIOMap::levelOf(*mScene));
}

void CMapDocument::newMap()
{
    mMarkers.reset(); // the old level's markers need no update before they go
    mUndoStack.clear();
    replaceScene(nullptr);
    mFileName.clear();
}

bool CMapDocument::openMap(const std::string& path)
{
    CIOMap map;
    if (!map.openForReading(path))
        return false;
    mMarkers.reset();
    mUndoStack.clear();
    replaceScene(&map.getLines());
    mFileName = path;
    return true;
}

std::string CMapDocument::mapText() const
{
    std::ostringstream out;
    if (mScene)
        CIOMap::writeScene(*mScene, out);
    return out.str();
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
    mSaveError = CIOMap::unstorableReason(*mScene);
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
    const std::vector<std::string> selected = selectedBoxNames();
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    replaceScene(&lines);
    for (const std::string& name : selected)
        mScene->addToSelection(mScene->findBox(name));
}

// ---------------------------------------------------------------------------------------------
// Selection

bool CMapDocument::toggleSelection(const std::string& boxName)
{
    CBox* box = mScene ? mScene->findBox(boxName) : nullptr;
    if (!box)
        return false;
    if (!mScene->addToSelection(box)) {
        std::vector<CBox*> rest = selection();
        rest.erase(std::remove(rest.begin(), rest.end(), box), rest.end());
        mScene->clearSelection();
        for (CBox* other : rest)
            mScene->addToSelection(other);
    }
    return true;
}

void CMapDocument::clearSelection()
{
    if (mScene)
        mScene->clearSelection();
}

void CMapDocument::selectGrids(const std::vector<std::string>& gridNames)
{
    if (!mScene)
        return;
    for (const std::string& name : gridNames) {
        if (const CBoxGrid* grid = mScene->findGrid(name)) {
            for (const auto& box : grid->getBoxes())
                mScene->addToSelection(box.get());
        }
    }
}

std::vector<std::string> CMapDocument::gridNames() const
{
    std::vector<std::string> names;
    if (mScene) {
        for (const auto& grid : mScene->getGrids())
            names.push_back(grid->getName());
    }
    return names;
}

std::vector<CBox*> CMapDocument::selection() const
{
    return mScene ? mScene->getSelection() : std::vector<CBox*>();
}

std::vector<std::string> CMapDocument::selectedBoxNames() const
{
    std::vector<std::string> names;
    for (const CBox* box : selection())
        names.push_back(box->getName());
    return names;
}

std::string CMapDocument::gridOf(const CBox* box) const
{
    for (const auto& grid : mScene->getGrids()) {
        for (const auto& member : grid->getBoxes()) {
            if (member.get() == box)
                return grid->getName();
        }
    }
    return std::string();
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

CMapDocument::EGridResult CMapDocument::createGrid(const std::string& name,
                                                   const std::string& material, int countX,
                                                   int countY, const Ogre::Vector3& origin,
                                                   float edge)
{
    if (!mScene || !isAcceptableName(name) || !materialExists(material) || countX <= 0 ||
        countY <= 0 || !(edge > 0.0f))
        return EGridResult::InvalidInput;
    if (mScene->findGrid(name))
        return EGridResult::NameTaken;
    // The boxes are numbered on from the scene's box counter, as the scene numbers them.
    std::vector<SBoxState> boxes;
    int number = CScene::getBoxCounter();
    for (int i = 0; i < countX; ++i) {
        for (int j = 0; j < countY; ++j) {
            SBoxState box;
            box.name = kBoxPrefix + std::to_string(++number);
            box.grid = name;
            box.material = material;
            box.position = origin + Ogre::Vector3(edge * i, 0.0f, edge * j);
            box.vertices = CBox::cubeVertices(edge);
            boxes.push_back(box);
        }
    }
    mUndoStack.push(new CAddBoxesCommand(*this, QStringLiteral("Create grid"), name, material, true,
                                         std::move(boxes)));
    return EGridResult::Created;
}

bool CMapDocument::addBox(const std::string& grid, const std::string& material,
                          const Ogre::Vector3& position, float edge)
{
    if (!mScene || !mScene->findGrid(grid) || !materialExists(material) || !(edge > 0.0f))
        return false;
    SBoxState box;
    box.name = kBoxPrefix + std::to_string(CScene::getBoxCounter() + 1);
    box.grid = grid;
    box.material = material;
    box.position = position;
    box.vertices = CBox::cubeVertices(edge);
    mUndoStack.push(
        new CAddBoxesCommand(*this, QStringLiteral("Add box"), grid, material, false, {box}));
    return true;
}

CMapDocument::EGridResult CMapDocument::copySelection(const std::string& gridName,
                                                      const std::string& material)
{
    if (!mScene || !isAcceptableName(gridName) || !materialExists(material))
        return EGridResult::InvalidInput;
    if (mScene->findGrid(gridName))
        return EGridResult::NameTaken;
    // The copies lie exactly on their originals, in the new grid, with their own materials.
    std::vector<SBoxState> boxes;
    int number = CScene::getBoxCounter();
    for (const CBox* original : selection()) {
        SBoxState copy = SBoxState::of(*original, gridName);
        copy.name = kBoxPrefix + std::to_string(++number);
        boxes.push_back(copy);
    }
    mUndoStack.push(new CAddBoxesCommand(*this, QStringLiteral("Copy selection"), gridName,
                                         material, true, std::move(boxes)));
    return EGridResult::Created;
}

CMapDocument::SDeletion CMapDocument::deleteBoxes(const std::vector<std::string>& boxes,
                                                  const std::vector<std::string>& grids,
                                                  const QString& text)
{
    SDeletion deletion;
    if (!mScene)
        return deletion;
    const std::unordered_set<const CBox*> doomed = boxesToDelete(*mScene, boxes, grids);
    if (doomed.empty() && grids.empty())
        return deletion;
    // The piece of the level that goes with the boxes: their waypoints with the neighbours
    // that lose a link, the monsters starting there, and the start and finish lists.
    SLevelPiece::SKeys keys;
    keys.grids = grids;
    keys.points = true;
    std::vector<std::string> monsters;
    deletion.boxes = static_cast<int>(doomed.size());
    for (const CBox* box : mScene->getStartBoxes())
        deletion.startPoints += static_cast<int>(doomed.count(box));
    for (const CBox* box : mScene->getFinishBoxes())
        deletion.finishPoints += static_cast<int>(doomed.count(box));
    for (const CWaypoint* waypoint : mScene->getWaypoints()) {
        if (!doomed.count(waypoint->getBox()))
            continue;
        ++deletion.waypoints;
        keys.waypoints.push_back(waypoint->getBox()->getName());
        for (const CWaypoint* neighbour : waypoint->getNeighbours())
            keys.waypoints.push_back(neighbour->getBox()->getName());
    }
    for (const CMonster* monster : mScene->getMonsters()) {
        const CWaypoint* start = monster->getStartWaypoint();
        if (start && doomed.count(start->getBox())) {
            ++deletion.monsters;
            keys.monsters.push_back(monster->getName());
        }
    }
    for (const CBox* box : doomed)
        keys.boxes.push_back(box->getName());
    pieceChange(
        text, keys,
        [&] {
            // Monsters go first: the scene keeps a box that a monster starts on.
            for (const std::string& name : keys.monsters)
                mScene->deleteMonster(name);
            for (const std::string& name : boxes)
                mScene->deleteBox(mScene->findBox(name));
            for (const std::string& name : grids)
                mScene->deleteGrid(name);
        },
        boxes);
    return deletion;
}

CMapDocument::SDeletion CMapDocument::deleteSelection()
{
    return deleteBoxes(selectedBoxNames(), {}, QStringLiteral("Delete selection"));
}

CMapDocument::SDeletion CMapDocument::deleteGrids(const std::vector<std::string>& gridNames)
{
    return deleteBoxes({}, gridNames, QStringLiteral("Delete grid"));
}

void CMapDocument::pushChange(const QString& text, const std::vector<CBox*>& boxes,
                              std::vector<SBoxState> after, int mergeId)
{
    if (boxes.empty())
        return;
    std::vector<SBoxState> before;
    for (const CBox* box : boxes)
        before.push_back(SBoxState::of(*box, gridOf(box)));
    mUndoStack.push(
        new CChangeBoxesCommand(*this, text, std::move(before), std::move(after), mergeId));
}

bool CMapDocument::setMaterial(const std::string& material, bool fitTexture)
{
    if (!materialExists(material))
        return false;
    const std::vector<CBox*> boxes = selection();
    std::vector<SBoxState> after;
    for (const CBox* box : boxes) {
        after.push_back(SBoxState::of(*box, std::string()));
        after.back().material = material;
        after.back().fitTexture = fitTexture;
    }
    pushChange(QStringLiteral("Set material"), boxes, std::move(after));
    return true;
}

void CMapDocument::moveSelection(const Ogre::Vector3& value, const AxisFlags& absolute)
{
    const std::vector<CBox*> boxes = selection();
    std::vector<SBoxState> after;
    for (const CBox* box : boxes) {
        after.push_back(SBoxState::of(*box, std::string()));
        Ogre::Vector3& position = after.back().position;
        for (int axis = 0; axis < 3; ++axis)
            position[axis] = absolute[axis] ? value[axis] : position[axis] + value[axis];
    }
    pushChange(QStringLiteral("Move selection"), boxes, std::move(after));
}

void CMapDocument::nudgeSelection(const Ogre::Vector3& offset)
{
    const std::vector<CBox*> boxes = selection();
    std::vector<SBoxState> after;
    for (const CBox* box : boxes) {
        after.push_back(SBoxState::of(*box, std::string()));
        after.back().position += offset;
    }
    pushChange(QStringLiteral("Move selection"), boxes, std::move(after), MERGE_NUDGE);
}

void CMapDocument::moveVertices(const VertexFlags& vertices, const Ogre::Vector3& value,
                                const AxisFlags& absolute, bool nearPoints)
{
    const std::vector<CBox*> selected = selection();
    // Every (box, vertex) that moves, found on the shapes as they are now; a vertex reached
    // both as a neighbour and as a selected corner still moves once.
    std::map<CBox*, std::set<int>> moving;
    for (CBox* box : selected) {
        for (int v = 0; v < CBox::kVertexCount; ++v) {
            if (!vertices[v])
                continue;
            moving[box].insert(v);
            if (!nearPoints)
                continue;
            const Ogre::Vector3 point = box->getPosition() + box->getVertices()[v];
            for (const auto& grid : mScene->getGrids()) {
                for (const auto& other : grid->getBoxes()) {
                    if (other.get() == box)
                        continue;
                    const Ogre::Vector3 position = other->getPosition();
                    for (int k = 0; k < CBox::kVertexCount; ++k) {
                        if ((position + other->getVertices()[k]).distance(point) < kNearDistance)
                            moving[other.get()].insert(k);
                    }
                }
            }
        }
    }
    std::vector<CBox*> boxes;
    std::vector<SBoxState> after;
    for (const auto& [box, indices] : moving) {
        boxes.push_back(box);
        after.push_back(SBoxState::of(*box, std::string()));
        SBoxState& state = after.back();
        for (int v : indices) {
            for (int axis = 0; axis < 3; ++axis) {
                float& coordinate = state.vertices[v][axis];
                coordinate =
                    absolute[axis] ? value[axis] - state.position[axis] : coordinate + value[axis];
            }
        }
    }
    pushChange(QStringLiteral("Move vertices"), boxes, std::move(after));
}
