// Undo steps kept as the map text before and after a change.
#include "editor/snapshot_command.h"

#include "editor/map_document.h"

CSnapshotCommand::CSnapshotCommand(CMapDocument& document, const QString& text, std::string before,
                                   std::string after)
    : QUndoCommand(text), mDocument(document), mBefore(std::move(before)), mAfter(std::move(after))
{
}

void CSnapshotCommand::undo()
{
    mDocument.restoreFromText(mBefore);
}

void CSnapshotCommand::redo()
{
    if (mApplied) {
        mApplied = false;
        return;
    }
    mDocument.restoreFromText(mAfter);
}
