// Undo steps of the start and finish points.
#include "editor/points_command.h"

#include "editor/map_document.h"

CPointsCommand::CPointsCommand(CMapDocument& document, const QString& text, bool start,
                               std::vector<std::string> before, std::vector<std::string> after)
    : QUndoCommand(text), mDocument(document), mStart(start), mBefore(std::move(before)),
      mAfter(std::move(after))
{
}

void CPointsCommand::undo()
{
    mDocument.applyPoints(mBefore, mStart);
}

void CPointsCommand::redo()
{
    mDocument.applyPoints(mAfter, mStart);
}
