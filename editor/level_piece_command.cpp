// Undo steps that put a piece of the level back.
#include "editor/level_piece_command.h"

#include "editor/map_document.h"

CLevelPieceCommand::CLevelPieceCommand(CMapDocument& document, const QString& text,
                                       SLevelPiece before, SLevelPiece after,
                                       std::vector<std::string> reselect)
    : CSwapCommand(document, text, std::move(before), std::move(after)),
      mReselect(std::move(reselect))
{
}

void CLevelPieceCommand::apply(const SLevelPiece& piece)
{
    mDocument.applyPiece(piece);
}

void CLevelPieceCommand::undo()
{
    CSwapCommand::undo();
    // Deleted boxes come back selected, ready to be dealt with otherwise.
    if (!mReselect.empty()) {
        mDocument.clearSelection();
        for (const std::string& name : mReselect)
            mDocument.toggleSelection(name);
    }
}
