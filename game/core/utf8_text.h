// UTF-8 text as the game keeps it inside: checking and mending text from outside (files, the
// network, the window system), walking it by character and cutting it on character boundaries.
#pragma once

#include <cstddef>
#include <string>

namespace utf8 {

// U+FFFD, what stands for bytes that are no UTF-8 and for characters a font cannot draw.
extern const char* const kReplacement;

// Decodes the character starting at `pos`; returns its code point and moves `pos` past it. A
// byte that starts no well-formed character (stray continuation, overlong form, surrogate,
// beyond U+10FFFF, cut short) gives U+FFFD and moves `pos` by one byte.
char32_t next(const std::string& text, std::size_t& pos);
// The code point as UTF-8 (U+FFFD for a surrogate or a value beyond U+10FFFF).
std::string encode(char32_t codePoint);
// True when the whole text is well-formed UTF-8.
bool isValid(const std::string& text);
// The text with every byte that starts no well-formed character replaced by U+FFFD; valid text
// comes back unchanged.
std::string mended(const std::string& text);
// The longest start of the text of at most maxBytes bytes that ends on a character boundary.
std::string cut(const std::string& text, std::size_t maxBytes);

} // namespace utf8
