// The one crossing between the game's UTF-8 text and CEGUI's strings. CEGUI reads a std::string
// as Latin-1 but gives UTF-8 back from c_str(), so text never goes to or comes from a window
// except through these functions.
#pragma once

#include <string>

namespace CEGUI {
class Font;
class String;
class Window;
} // namespace CEGUI

namespace guitext {

// Exact conversions: every character kept (bytes that are no UTF-8 become U+FFFD).
CEGUI::String toGui(const std::string& utf8);
std::string fromGui(const CEGUI::String& text);
// For text only shown: a character the font has no glyph for becomes U+FFFD (or "?" in a font
// without that), so that it is seen rather than silently left out.
CEGUI::String toShown(const std::string& utf8, const CEGUI::Font* font);

// A window's text as UTF-8.
std::string windowText(const CEGUI::Window* window);
// Sets a window's text. Edit boxes and combo boxes, whose text is read back, get it exactly;
// every other window shows it with visible replacements for missing glyphs.
void setWindowText(CEGUI::Window* window, const std::string& utf8);

} // namespace guitext
