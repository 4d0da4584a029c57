// Adding boxes (and perhaps their grid), as one undo step.
#include "editor/add_boxes_command.h"

#include "editor/map_document.h"
#include "world/scene.h"

CAddBoxesCommand::CAddBoxesCommand(CMapDocument& document, const QString& text,
                                   const std::string& grid, const std::string& gridMaterial,
                                   bool newGrid, std::vector<SBoxState> boxes)
    : QUndoCommand(text), mDocument(document), mGrid(grid), mGridMaterial(gridMaterial),
      mNewGrid(newGrid), mBoxes(std::move(boxes))
{
}

void CAddBoxesCommand::redo()
{
    CScene& scene = *mDocument.scene();
    if (mNewGrid)
        scene.createGrid(mGrid, mGridMaterial, 0, 0, Ogre::Vector3::ZERO, 1.0f);
    for (SBoxState& state : mBoxes) {
        const CBox* box = scene.addBox(state.name, state.material, mGrid, state.position,
                                       &state.vertices, state.fitTexture);
        // A taken name gets a number suffix; later steps refer to the box by the name it got.
        state.name = box->getName();
    }
}

void CAddBoxesCommand::undo()
{
    CScene& scene = *mDocument.scene();
    for (auto it = mBoxes.rbegin(); it != mBoxes.rend(); ++it)
        scene.deleteBox(scene.findBox(it->name));
    if (mNewGrid)
        scene.deleteGrid(mGrid);
}
