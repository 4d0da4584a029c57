// CGameMenu: the game's whole CEGUI user interface.
#pragma once

namespace CEGUI {
class System;
}

class CGameMenu
{
public:
    CGameMenu();
    ~CGameMenu();

    void initialise();

    CEGUI::System* getGuiSystem() const { return mGuiSystem; }
    // The application adds every frame's time to the menu's animation timer.
    void addElapsedTime(double seconds) { mDotsTimer += seconds; }

private:
    CEGUI::System* mGuiSystem = nullptr;
    double mDotsTimer = 0.0;
};
