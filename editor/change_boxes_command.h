// CChangeBoxesCommand: an undo step that changes existing boxes in place (move, reshape,
// material). It keeps each box's whole state before and after, so undo and redo set exact
// values instead of replaying offsets.
#pragma once

#include "editor/box_state.h"
#include "editor/undo_ids.h"

#include <QUndoCommand>

#include <vector>

class CMapDocument;

class CChangeBoxesCommand : public QUndoCommand
{
public:
    // Commands with the same merge id and the same boxes fold into one step (repeated arrow
    // nudges of one selection).
    CChangeBoxesCommand(CMapDocument& document, const QString& text, std::vector<SBoxState> before,
                        std::vector<SBoxState> after, int mergeId = MERGE_NEVER);

    void undo() override;
    void redo() override;
    int id() const override { return mMergeId; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    CMapDocument& mDocument;
    std::vector<SBoxState> mBefore;
    std::vector<SBoxState> mAfter;
    int mMergeId;
};
