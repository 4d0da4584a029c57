// The selection rule of the view and the grid list.
#include "editor/selection_rule.h"

#include "editor/map_document.h"

#include <unordered_set>

ESelectionChange selectionChangeFor(Qt::KeyboardModifiers modifiers, bool singleBox)
{
    if (!(modifiers & Qt::ControlModifier))
        return ESelectionChange::Replace;
    return singleBox ? ESelectionChange::Toggle : ESelectionChange::Add;
}

void changeSelection(CMapDocument& document, const std::vector<std::string>& boxes,
                     ESelectionChange change)
{
    if (change == ESelectionChange::Replace)
        document.clearSelection();
    const std::vector<std::string> names = document.selectedBoxNames();
    std::unordered_set<std::string> selected(names.begin(), names.end());
    for (const std::string& box : boxes) {
        if (change == ESelectionChange::Toggle || selected.insert(box).second)
            document.toggleSelection(box);
    }
}
