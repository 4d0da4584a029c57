// Full window names to layout roots and child paths.
#include "game/menu/window_names.h"

#include <array>
#include <utility>

namespace {
const char* const kMainRoot = "Root";
const std::array<const char*, 2> kOtherRoots = {"Ingame", "HUD"};

// Windows whose full name does not follow their real parent: the end-of-round buttons are
// named below the HUD but live inside the group that shows and hides them together.
const std::array<std::pair<const char*, WindowPath>, 3> kMovedWindows = {{
    {"HUD/ButtonRestartGame", {"HUD", "Group/ButtonRestartGame"}},
    {"HUD/ButtonBackToMenu", {"HUD", "Group/ButtonBackToMenu"}},
    {"HUD/ButtonExitToWindows", {"HUD", "Group/ButtonExitToWindows"}},
}};
} // namespace

WindowPath resolveWindowName(const std::string& fullName)
{
    for (const auto& moved : kMovedWindows)
        if (fullName == moved.first)
            return moved.second;

    if (fullName == kMainRoot)
        return {kMainRoot, ""};
    for (const char* root : kOtherRoots) {
        const std::string prefix = std::string(root) + "/";
        if (fullName == root)
            return {root, ""};
        if (fullName.compare(0, prefix.size(), prefix) == 0)
            return {root, fullName.substr(prefix.size())};
    }
    // Everything else belongs to the main menu, whose root the full names leave out.
    return {kMainRoot, fullName};
}
