// The undo step of restored changes.
#include "editor/recovered_changes_command.h"

#include "editor/map_document.h"

CRecoveredChangesCommand::CRecoveredChangesCommand(CMapDocument& document, std::string recovered)
    : QUndoCommand(QStringLiteral("Restore recovered changes")), mDocument(document),
      mSaved(document.mapText()), mRecovered(std::move(recovered))
{
}

void CRecoveredChangesCommand::undo()
{
    mDocument.restoreFromText(mSaved);
}

void CRecoveredChangesCommand::redo()
{
    mDocument.restoreFromText(mRecovered);
}
