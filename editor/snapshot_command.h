// CSnapshotCommand: an undo step for the level's waypoints and monsters. The
// change is made before the command is pushed; the command keeps the map text before and after
// it, and undo and redo rebuild the level from one of them.
#pragma once

#include <QUndoCommand>

#include <string>

class CMapDocument;

class CSnapshotCommand : public QUndoCommand
{
public:
    CSnapshotCommand(CMapDocument& document, const QString& text, std::string before,
                     std::string after);

    void undo() override;
    void redo() override;

private:
    CMapDocument& mDocument;
    std::string mBefore;
    std::string mAfter;
    bool mApplied = true; // the change is already in the scene when the command is pushed
};
