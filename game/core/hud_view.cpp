// The registered head-up display.
#include "game/core/hud_view.h"

namespace {
IHudView* gHudView = nullptr;
}

void setHudView(IHudView* view)
{
    gHudView = view;
}

IHudView* getHudView()
{
    return gHudView;
}
