// The in-game menu request, routed to the application's menu unless a hook replaces it.
#include "game/input/menu_hooks.h"

#include "game/core/application.h"
#include "game/menu/game_menu.h"

namespace {
std::function<void()> gMenuToggleHook;
std::function<void()> gRetryHook;
} // namespace

void requestIngameMenuToggle()
{
    if (gMenuToggleHook) {
        gMenuToggleHook();
        return;
    }
    if (CGameMenu* menu = CApplication::getInstance()->getMenu())
        menu->toggleIngameMenu();
}

void setIngameMenuToggleHook(std::function<void()> hook)
{
    gMenuToggleHook = std::move(hook);
}

void requestRetry()
{
    if (gRetryHook) {
        gRetryHook();
        return;
    }
    if (CGameMenu* menu = CApplication::getInstance()->getMenu())
        menu->retryRound();
}

void setRetryHook(std::function<void()> hook)
{
    gRetryHook = std::move(hook);
}

bool isIngameMenuOpen()
{
    if (!CApplication::hasInstance())
        return false;
    const CGameMenu* menu = CApplication::getInstance()->getMenu();
    return menu && menu->isIngameMenuOpen();
}
