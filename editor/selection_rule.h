// How a pick in the view or a chosen grid changes the box selection: alone it replaces the
// selection, with Ctrl it adds to it; a Ctrl-click on one box toggles that box.
#pragma once

#include <Qt>

#include <string>
#include <vector>

class CMapDocument;

enum class ESelectionChange
{
    Replace,
    Add,
    Toggle
};

// A click in the view (one box) toggles with Ctrl; choosing several boxes at once adds.
ESelectionChange selectionChangeFor(Qt::KeyboardModifiers modifiers, bool singleBox);
// Changes the document's selection by the boxes; an empty list with Replace clears it.
void changeSelection(CMapDocument& document, const std::vector<std::string>& boxes,
                     ESelectionChange change);
