// CSwapCommand: an undo step that keeps the state of what it changes before and after the change
// and puts one or the other back. Applying a state is idempotent, so the step may be pushed
// after its change was made. Subclasses say how a state is applied and, if they fold, when.
#pragma once

#include "editor/undo_ids.h"

#include <QUndoCommand>

class CMapDocument;

template <typename State> class CSwapCommand : public QUndoCommand
{
public:
    CSwapCommand(CMapDocument& document, const QString& text, State before, State after,
                 int mergeId = MERGE_NEVER)
        : QUndoCommand(text), mDocument(document), mBefore(std::move(before)),
          mAfter(std::move(after)), mMergeId(mergeId)
    {
    }
    void undo() override { apply(mBefore); }
    void redo() override { apply(mAfter); }
    int id() const override { return mMergeId; }

protected:
    virtual void apply(const State& state) = 0;

    CMapDocument& mDocument;
    State mBefore;
    State mAfter;
    int mMergeId;
};
