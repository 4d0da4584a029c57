// The players' way to the in-game menu: the menu key asks for the menu to open or close, and the
// retry key for a new try, without the players depending on the menu's classes.
#pragma once

#include <functional>

// Opens or closes the in-game menu: calls the hook if one is set, else the application's menu
// (nothing happens while no menu exists).
void requestIngameMenuToggle();
// Replaces what requestIngameMenuToggle does; an empty function restores the application's menu.
void setIngameMenuToggleHook(std::function<void()> hook);
// The retry key: starts a single-player round again at once (the hook if one is set, else the
// application's menu).
void requestRetry();
// Replaces what requestRetry does; an empty function restores the application's menu.
void setRetryHook(std::function<void()> hook);
// Whether the in-game menu is open (the pause is then the menu's to decide).
bool isIngameMenuOpen();
