// UTF-8 from outside: well-formed text kept byte for byte, every malformed byte replaced, and
// text cut only between characters.
#include "game/core/utf8_text.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf8TextTest, wellFormedTextIsKeptEveryMalformedByteReplacedAndCutsFallBetweenCharacters)
{
    const std::string r = utf8::kReplacement;
    // Kept; never UTF-8; a stray continuation; cut short; an overlong "/"; a surrogate; beyond
    // U+10FFFF.
    const std::pair<std::string, std::string> rows[] = {
        {"Renée Ωμέγα Жанна 世 😀 " + r, "Renée Ωμέγα Жанна 世 😀 " + r},
        {"a\xff", "a" + r},
        {"\x80x", r + "x"},
        {"\xc3", r},
        {"\xc3"
         "A",
         r + "A"},
        {"\xc0\xaf", r + r},
        {"\xed\xa0\x80", r + r + r},
        {"\xf4\x90\x80\x80", r + r + r + r}};
    for (const auto& [text, mended] : rows) {
        EXPECT_EQ(utf8::mended(text), mended) << text;
        EXPECT_EQ(utf8::isValid(text), text == mended) << text;
    }
    const std::string text = "aé世😀"; // 1 + 2 + 3 + 4 bytes
    const std::pair<std::size_t, std::string> cuts[] = {{0, ""},   {2, "a"},    {3, "aé"},
                                                        {5, "aé"}, {9, "aé世"}, {10, text}};
    for (const auto& [bytes, expected] : cuts)
        EXPECT_EQ(utf8::cut(text, bytes), expected) << bytes;
}

} // namespace
