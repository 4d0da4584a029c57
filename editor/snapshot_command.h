// CSnapshotCommand: an undo step for the level's lights, waypoints, points and monsters. The
// change is made before the command is pushed; the command keeps the map text before and after
// it, and undo and redo rebuild the level from one of them. Steps with the same merge id that
// follow each other (a slider being dragged) fold into one.
#pragma once

#include <QUndoCommand>

#include <string>

class CMapDocument;

class CSnapshotCommand : public QUndoCommand
{
public:
    CSnapshotCommand(CMapDocument& document, const QString& text, std::string before,
                     std::string after, int mergeId);

    void undo() override;
    void redo() override;
    int id() const override { return mMergeId; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    CMapDocument& mDocument;
    std::string mBefore;
    std::string mAfter;
    int mMergeId;
    bool mApplied = true; // the change is already in the scene when the command is pushed
};
