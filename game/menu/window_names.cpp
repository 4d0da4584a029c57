// Design window names to layout roots and child paths.
#include "game/menu/window_names.h"

#include <array>
#include <utility>

namespace {
const char* const kMainRoot = "Root";
const std::array<const char*, 2> kOtherRoots = {"Ingame", "HUD"};

// Windows whose design name does not follow their real parent: the end-of-round buttons are
// named below the HUD but live inside the group that shows and hides them together.
const std::array<std::pair<const char*, WindowPath>, 3> kMovedWindows = {{
    {"HUD/ButtonRestartGame", {"HUD", "Group/ButtonRestartGame"}},
    {"HUD/ButtonBackToMenu", {"HUD", "Group/ButtonBackToMenu"}},
    {"HUD/ButtonExitToWindows", {"HUD", "Group/ButtonExitToWindows"}},
}};
} // namespace

WindowPath resolveWindowName(const std::string& designName)
{
    for (const auto& moved : kMovedWindows)
        if (designName == moved.first)
            return moved.second;

    if (designName == kMainRoot)
        return {kMainRoot, ""};
    for (const char* root : kOtherRoots) {
        const std::string prefix = std::string(root) + "/";
        if (designName == root)
            return {root, ""};
        if (designName.compare(0, prefix.size(), prefix) == 0)
            return {root, designName.substr(prefix.size())};
    }
    // Everything else belongs to the main menu, whose root the design names leave out.
    return {kMainRoot, designName};
}
