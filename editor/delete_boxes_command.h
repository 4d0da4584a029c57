// CDeleteBoxesCommand: an undo step that deletes boxes and whole grids together with what
// depends on them (start and finish entries, waypoints with their links, monsters starting
// there). Undo puts back the level as it was written before the deletion.
#pragma once

#include <QUndoCommand>

#include <string>
#include <vector>

class CMapDocument;

class CDeleteBoxesCommand : public QUndoCommand
{
public:
    CDeleteBoxesCommand(CMapDocument& document, const QString& text, std::vector<std::string> boxes,
                        std::vector<std::string> grids);

    void undo() override;
    void redo() override;

private:
    CMapDocument& mDocument;
    std::vector<std::string> mBoxes;
    std::vector<std::string> mGrids;
    std::string mLevelBefore;
};
