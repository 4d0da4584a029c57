// CPointsCommand: an undo step of the start or the finish points, keeping that list of box
// names before and after the change; undo and redo put the list back as it was.
#pragma once

#include <QUndoCommand>

#include <string>
#include <vector>

class CMapDocument;

class CPointsCommand : public QUndoCommand
{
public:
    CPointsCommand(CMapDocument& document, const QString& text, bool start,
                   std::vector<std::string> before, std::vector<std::string> after);
    void undo() override;
    void redo() override;

private:
    CMapDocument& mDocument;
    bool mStart;
    std::vector<std::string> mBefore;
    std::vector<std::string> mAfter;
};
