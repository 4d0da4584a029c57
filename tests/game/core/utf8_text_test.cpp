// UTF-8 from outside: well-formed text kept byte for byte, every malformed byte replaced, and
// text cut only between characters.
#include "game/core/utf8_text.h"

#include <gtest/gtest.h>

namespace {

const std::string kFffd = "\xef\xbf\xbd";

TEST(Utf8TextTest, wellFormedTextIsKeptAndEveryMalformedByteBecomesAReplacement)
{
    struct Row
    {
        std::string text;
        std::string mended;
    };
    const Row rows[] = {
        {"Renée Ωμέγα Жанна 世 😀", "Renée Ωμέγα Жанна 世 😀"},
        {"", ""},
        {"a\xff"
         "b",
         "a" + kFffd + "b"}, // never in UTF-8
        {"\x80"
         "x",
         kFffd + "x"},   // a stray continuation byte
        {"\xc3", kFffd}, // cut short at the end
        {"\xc3"
         "A",
         kFffd + "A"},                                       // cut short by a plain character
        {"\xc0\xaf", kFffd + kFffd},                         // an overlong "/"
        {"\xed\xa0\x80", kFffd + kFffd + kFffd},             // a UTF-16 surrogate
        {"\xf4\x90\x80\x80", kFffd + kFffd + kFffd + kFffd}, // beyond U+10FFFF
        {kFffd, kFffd},                                      // a replacement is itself valid
    };
    for (const Row& row : rows) {
        EXPECT_EQ(utf8::mended(row.text), row.mended) << row.text;
        EXPECT_EQ(utf8::isValid(row.text), row.text == row.mended) << row.text;
    }
    for (const char32_t code : {U'A', U'é', U'Ω', U'世', U'😀'}) {
        const std::string encoded = utf8::encode(code);
        std::size_t pos = 0;
        EXPECT_EQ(utf8::next(encoded, pos), code);
        EXPECT_EQ(pos, encoded.size());
    }
}

TEST(Utf8TextTest, textIsCutBetweenCharactersOnly)
{
    const std::string text = "aé世😀"; // 1 + 2 + 3 + 4 bytes
    const std::pair<std::size_t, std::string> cuts[] = {{0, ""},     {1, "a"},   {2, "a"},
                                                        {3, "aé"},   {5, "aé"},  {6, "aé世"},
                                                        {9, "aé世"}, {10, text}, {50, text}};
    for (const auto& [bytes, expected] : cuts)
        EXPECT_EQ(utf8::cut(text, bytes), expected) << bytes;
}

} // namespace
