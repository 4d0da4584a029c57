// CPointsCommand: an undo step of the start or the finish points, keeping that list of box
// names before and after the change; undo and redo put the list back as it was.
#pragma once

#include "editor/swap_command.h"

#include <string>
#include <vector>

class CPointsCommand : public CSwapCommand<std::vector<std::string>>
{
public:
    CPointsCommand(CMapDocument& document, const QString& text, bool start,
                   std::vector<std::string> before, std::vector<std::string> after);

private:
    void apply(const std::vector<std::string>& boxes) override;

    bool mStart;
};
