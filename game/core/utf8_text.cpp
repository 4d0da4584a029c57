// Decoding, mending and cutting UTF-8.
#include "game/core/utf8_text.h"

namespace utf8 {

const char* const kReplacement = "\xef\xbf\xbd";

namespace {
constexpr char32_t kReplacementCode = 0xFFFD;
constexpr char32_t kLastCodePoint = 0x10FFFF;

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}
} // namespace

char32_t next(const std::string& text, std::size_t& pos)
{
    const unsigned char lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 0;
    char32_t code = 0;
    char32_t least = 0; // the smallest code point that needs this many bytes
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, least = 0x10000;
    } else {
        ++pos;
        return kReplacementCode;
    }
    if (pos + length > text.size()) {
        ++pos;
        return kReplacementCode;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[pos + i]);
        if (!isContinuation(byte)) {
            ++pos;
            return kReplacementCode;
        }
        code = (code << 6) | (byte & 0x3F);
    }
    if (code < least || code > kLastCodePoint || (code >= 0xD800 && code <= 0xDFFF)) {
        ++pos;
        return kReplacementCode;
    }
    pos += length;
    return code;
}

std::string encode(char32_t code)
{
    if (code > kLastCodePoint || (code >= 0xD800 && code <= 0xDFFF))
        code = kReplacementCode;
    std::string text;
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (code >> 18));
        text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
    return text;
}

bool isValid(const std::string& text)
{
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        if (next(text, pos) == kReplacementCode && text.compare(start, 3, kReplacement) != 0)
            return false;
    }
    return true;
}

std::string mended(const std::string& text)
{
    if (isValid(text))
        return text;
    std::string result;
    for (std::size_t pos = 0; pos < text.size();)
        result += encode(next(text, pos));
    return result;
}

std::string cut(const std::string& text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    std::size_t end = maxBytes;
    while (end > 0 && isContinuation(static_cast<unsigned char>(text[end])))
        --end;
    return text.substr(0, end);
}

} // namespace utf8
