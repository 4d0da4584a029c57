// CChangeBoxesCommand: an undo step that changes existing boxes in place (move, reshape,
// material). It keeps each box's whole state before and after, so undo and redo set exact
// values instead of replaying offsets.
#pragma once

#include "editor/box_state.h"
#include "editor/swap_command.h"

#include <vector>

class CChangeBoxesCommand : public CSwapCommand<std::vector<SBoxState>>
{
public:
    // Commands with the same merge id and the same boxes fold into one step (repeated arrow
    // nudges of one selection).
    using CSwapCommand::CSwapCommand;
    bool mergeWith(const QUndoCommand* other) override;

private:
    void apply(const std::vector<SBoxState>& states) override;
};
