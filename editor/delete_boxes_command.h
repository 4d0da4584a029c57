// CDeleteBoxesCommand: an undo step that deletes boxes and whole grids together with what
// depends on them (start and finish entries, waypoints with their links, monsters starting
// there). Undo puts back the level as it was written before the deletion.
#pragma once

#include <QUndoCommand>

#include <string>
#include <unordered_set>
#include <vector>

class CBox;
class CMapDocument;
class CScene;

class CDeleteBoxesCommand : public QUndoCommand
{
public:
    CDeleteBoxesCommand(CMapDocument& document, const QString& text, std::vector<std::string> boxes,
                        std::vector<std::string> grids);

    void undo() override;
    void redo() override;

    // The boxes that go: the named ones and all boxes of the named grids.
    static std::unordered_set<const CBox*> boxesToDelete(const CScene& scene,
                                                         const std::vector<std::string>& boxes,
                                                         const std::vector<std::string>& grids);

private:
    CMapDocument& mDocument;
    std::vector<std::string> mBoxes;
    std::vector<std::string> mGrids;
    std::string mLevelBefore;
};
