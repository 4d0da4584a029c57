// Converting text at the window boundary.
#include "game/menu/gui_text.h"

#include "game/core/utf8_text.h"

#include <CEGUI/CEGUI.h>

namespace guitext {

namespace {
constexpr CEGUI::utf32 kReplacement = 0xFFFD;

bool isReadBack(const CEGUI::Window* window)
{
    return dynamic_cast<const CEGUI::Editbox*>(window) ||
           dynamic_cast<const CEGUI::Combobox*>(window);
}
} // namespace

CEGUI::String toGui(const std::string& utf8)
{
    CEGUI::String text;
    text.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();)
        text.push_back(static_cast<CEGUI::utf32>(utf8::next(utf8, pos)));
    return text;
}

std::string fromGui(const CEGUI::String& text)
{
    std::string utf8;
    utf8.reserve(text.length());
    for (std::size_t i = 0; i < text.length(); ++i)
        utf8 += utf8::encode(static_cast<char32_t>(text[i]));
    return utf8;
}

CEGUI::String toShown(const std::string& utf8, const CEGUI::Font* font)
{
    CEGUI::String text = toGui(utf8);
    if (!font)
        return text;
    const CEGUI::utf32 stand = font->isCodepointAvailable(kReplacement) ? kReplacement : '?';
    for (std::size_t i = 0; i < text.length(); ++i) {
        const CEGUI::utf32 code = text[i];
        // Line breaks and tabs are layout, not glyphs.
        if (code != '\n' && code != '\t' && !font->isCodepointAvailable(code))
            text[i] = stand;
    }
    return text;
}

std::string windowText(const CEGUI::Window* window)
{
    return fromGui(window->getText());
}

void setWindowText(CEGUI::Window* window, const std::string& utf8)
{
    if (isReadBack(window))
        window->setText(toGui(utf8));
    else
        window->setText(toShown(utf8, window->getFont()));
}

} // namespace guitext
