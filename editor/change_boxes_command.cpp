// Changing boxes in place, as one undo step.
#include "editor/change_boxes_command.h"

#include "editor/map_document.h"

CChangeBoxesCommand::CChangeBoxesCommand(CMapDocument& document, const QString& text,
                                         std::vector<SBoxState> before,
                                         std::vector<SBoxState> after, int mergeId)
    : QUndoCommand(text), mDocument(document), mBefore(std::move(before)), mAfter(std::move(after)),
      mMergeId(mergeId)
{
}

void CChangeBoxesCommand::undo()
{
    for (const SBoxState& state : mBefore)
        state.applyTo(*mDocument.scene());
}

void CChangeBoxesCommand::redo()
{
    for (const SBoxState& state : mAfter)
        state.applyTo(*mDocument.scene());
}

bool CChangeBoxesCommand::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const CChangeBoxesCommand*>(other);
    if (next->mAfter.size() != mAfter.size())
        return false;
    for (size_t i = 0; i < mAfter.size(); ++i) {
        if (next->mAfter[i].name != mAfter[i].name)
            return false;
    }
    mAfter = next->mAfter;
    return true;
}
