// CRecoveredChangesCommand: the changes restored from a recovery copy, as one undo step on top
// of the map as it was last saved; undoing it shows the saved map again.
#pragma once

#include <QUndoCommand>

#include <string>

class CMapDocument;

class CRecoveredChangesCommand : public QUndoCommand
{
public:
    // Pushing it replaces the document's level with the recovered map text.
    CRecoveredChangesCommand(CMapDocument& document, std::string recovered);

    void undo() override;
    void redo() override;

private:
    CMapDocument& mDocument;
    std::string mSaved;
    std::string mRecovered;
};
