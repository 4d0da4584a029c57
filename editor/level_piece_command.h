// CLevelPieceCommand: an undo step of waypoints, monsters or boxes that keeps the piece of the
// level it touches before and after the change (see SLevelPiece). A deletion of boxes gives the
// deleted boxes back selected when it is undone.
#pragma once

#include "editor/level_piece.h"
#include "editor/swap_command.h"

class CLevelPieceCommand : public CSwapCommand<SLevelPiece>
{
public:
    CLevelPieceCommand(CMapDocument& document, const QString& text, SLevelPiece before,
                       SLevelPiece after, std::vector<std::string> reselect = {});
    void undo() override;

private:
    void apply(const SLevelPiece& piece) override;

    std::vector<std::string> mReselect;
};
