// Undo steps of the start and finish points.
#include "editor/points_command.h"

#include "editor/map_document.h"

CPointsCommand::CPointsCommand(CMapDocument& document, const QString& text, bool start,
                               std::vector<std::string> before, std::vector<std::string> after)
    : CSwapCommand(document, text, std::move(before), std::move(after)), mStart(start)
{
}

void CPointsCommand::apply(const std::vector<std::string>& boxes)
{
    mDocument.applyPoints(boxes, mStart);
}
