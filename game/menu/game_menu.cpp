// The menu frame: construction and initialisation.
#include "game/menu/game_menu.h"

#include <CEGUI/System.h>

CGameMenu::CGameMenu() : mGuiSystem(CEGUI::System::getSingletonPtr()) {}

CGameMenu::~CGameMenu() = default;

void CGameMenu::initialise() {}
