// Changing boxes in place, as one undo step.
#include "editor/change_boxes_command.h"

#include "editor/map_document.h"

void CChangeBoxesCommand::apply(const std::vector<SBoxState>& states)
{
    mDocument.applyBoxes(states);
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
