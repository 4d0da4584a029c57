// The menu's window names. Windows are named by their full names such as
// "Settings/Inputsettings1/Player1ForwardKey"; CEGUI reads "/" as a path separator, so a full
// window name is resolved to one of the three layout roots and a child path below it.
#pragma once

#include <string>

struct WindowPath
{
    std::string root; // "Root" (main menu), "Ingame" or "HUD"
    std::string path; // below the root; empty for the root itself
};

WindowPath resolveWindowName(const std::string& fullName);
