// CAddBoxesCommand: an undo step that adds boxes to a grid, making the grid first when it is
// new (create grid, add box, copy selection). The boxes keep the names they got the first time.
#pragma once

#include "editor/box_state.h"

#include <QUndoCommand>

#include <vector>

class CMapDocument;

class CAddBoxesCommand : public QUndoCommand
{
public:
    CAddBoxesCommand(CMapDocument& document, const QString& text, const std::string& grid,
                     const std::string& gridMaterial, bool newGrid, std::vector<SBoxState> boxes);

    void undo() override;
    void redo() override;

private:
    CMapDocument& mDocument;
    std::string mGrid;
    std::string mGridMaterial;
    bool mNewGrid;
    std::vector<SBoxState> mBoxes;
};
