// Deleting boxes and grids with their dependants, as one undo step.
#include "editor/delete_boxes_command.h"

#include "editor/map_document.h"
#include "world/box.h"
#include "world/box_grid.h"
#include "world/monster.h"
#include "world/scene.h"
#include "world/waypoint.h"

#include <algorithm>
#include <unordered_set>

namespace {

// Monsters must go before the boxes: the scene keeps a box that a monster starts on.
void deleteMonstersStartingOn(CScene& scene, const std::unordered_set<const CBox*>& boxes)
{
    std::vector<std::string> doomed;
    for (const CMonster* monster : scene.getMonsters()) {
        const CWaypoint* start = monster->getStartWaypoint();
        if (start && boxes.count(start->getBox()))
            doomed.push_back(monster->getName());
    }
    for (const std::string& name : doomed)
        scene.deleteMonster(name);
}

} // namespace

CDeleteBoxesCommand::CDeleteBoxesCommand(CMapDocument& document, const QString& text,
                                         std::vector<std::string> boxes,
                                         std::vector<std::string> grids)
    : QUndoCommand(text), mDocument(document), mBoxes(std::move(boxes)), mGrids(std::move(grids))
{
}

std::unordered_set<const CBox*>
CDeleteBoxesCommand::boxesToDelete(const CScene& scene, const std::vector<std::string>& boxes,
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

void CDeleteBoxesCommand::redo()
{
    mLevelBefore = mDocument.mapText();
    CScene& scene = *mDocument.scene();
    deleteMonstersStartingOn(scene, boxesToDelete(scene, mBoxes, mGrids));
    for (const std::string& name : mBoxes)
        scene.deleteBox(scene.findBox(name));
    for (const std::string& name : mGrids)
        scene.deleteGrid(name);
}

void CDeleteBoxesCommand::undo()
{
    mDocument.restoreFromText(mLevelBefore);
    // The deleted selection comes back selected, ready to be dealt with otherwise.
    if (!mBoxes.empty()) {
        mDocument.clearSelection();
        for (const std::string& name : mBoxes)
            mDocument.toggleSelection(name);
    }
}
