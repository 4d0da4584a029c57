// Profile files from anywhere ("./input.cfg", "ogre.cfg", the maps' companion files): any text is
// read, and a key written into it reads back as written while every other key keeps its value.
// The input is "section \n key \n value \n" followed by the file's text.
#include "game/core/profile.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

namespace {
const char* const kFile = "fuzz.cfg";

std::string nextLine(std::istringstream& in)
{
    std::string line;
    std::getline(in, line);
    return line;
}

std::string trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool sameName(const std::string& a, const std::string& b)
{
    const std::string x = trimmed(a);
    return x.size() == b.size() && std::equal(x.begin(), x.end(), b.begin(), [](char p, char q) {
               return std::tolower(static_cast<unsigned char>(p)) ==
                      std::tolower(static_cast<unsigned char>(q));
           });
}

// What a stored value reads back as: one line, no blanks around it, at most the buffer.
std::string expectedValue(std::string value)
{
    for (char& c : value)
        if (c == '\r' || c == '\n')
            c = ' ';
    return trimmed(value).substr(0, kProfileBufferSize - 1);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const std::string section = nextLine(in);
    const std::string key = nextLine(in);
    const std::string value = nextLine(in);
    const std::string content =
        in.str().substr(std::min<size_t>(in.str().size(), static_cast<size_t>(in.tellg())));
    std::ofstream(kFile, std::ios::binary | std::ios::trunc) << content;

    // A key the write must leave alone, unless it is the key written.
    const char* const otherSection = "Player1";
    const char* const otherKey = "Forward";
    const std::string before = getProfileString(otherSection, otherKey, "none", kFile);
    getProfileString(section, key, "", kFile, 1 + size % 8);
    const bool sameKey = sameName(section, otherSection) && sameName(key, otherKey);
    if (writeProfileString(section, key, value, kFile)) {
        if (getProfileString(section, key, "\x01", kFile) != expectedValue(value))
            __builtin_trap();
        if (!sameKey && getProfileString(otherSection, otherKey, "none", kFile) != before)
            __builtin_trap();
    } else {
        std::ifstream check(kFile, std::ios::binary);
        std::ostringstream now;
        now << check.rdbuf();
        if (now.str() != content) // a refused write leaves the file as it was
            __builtin_trap();
    }
    return 0;
}
