// Reading and writing the command texts.
#include "game/net/protocol.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace protocol {

std::string commandWord(const std::string& command)
{
    const std::size_t space = command.find(' ');
    return space == std::string::npos ? command : command.substr(0, space);
}

std::string textArgument(const std::string& command)
{
    const std::size_t space = command.find(' ');
    if (space == std::string::npos)
        return std::string();
    std::string text = command.substr(space + 1);
    if (!text.empty() && text.back() == '$')
        text.pop_back();
    return text;
}

bool readNumber(const std::string& token, float& value)
{
    if (token.empty())
        return false;
    const char* first = token.data();
    const char* last = first + token.size();
    // A leading "+" or hexadecimal digits are not what a game writes.
    for (const char* c = first; c != last; ++c)
        if (*c == 'x' || *c == 'X' || *c == 'p' || *c == 'P')
            return false;
    double number = 0.0;
    const auto [end, error] = std::from_chars(first, last, number, std::chars_format::general);
    if (error != std::errc() || end != last || !std::isfinite(number) ||
        std::fabs(number) > kMaxMagnitude)
        return false;
    value = static_cast<float>(number);
    return true;
}

bool readNumbers(const std::string& command, std::size_t count, std::vector<float>& numbers)
{
    numbers.clear();
    numbers.reserve(count);
    std::size_t start = command.find(' ');
    if (start == std::string::npos)
        return count == 0;
    ++start;
    for (std::size_t i = 0; i < count; ++i) {
        if (start >= command.size())
            return false;
        std::size_t end = command.find_first_of(" $", start);
        if (end == std::string::npos)
            end = command.size();
        float value = 0.0f;
        if (!readNumber(command.substr(start, end - start), value))
            return false;
        numbers.push_back(value);
        start = end + 1;
    }
    return true;
}

bool readPlayerNumber(const std::string& token, int& number)
{
    int value = 0;
    const char* first = token.data();
    const char* last = first + token.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (token.empty() || error != std::errc() || end != last || value < 1 || value > kPlayerCount)
        return false;
    number = value;
    return true;
}

bool readPlayerId(const std::string& command, int& number)
{
    const std::size_t space = command.find(' ');
    if (space == std::string::npos)
        return false;
    const std::size_t end = command.find('$', space + 1);
    float value = 0.0f;
    if (!readNumber(command.substr(space + 1, end - space - 1), value))
        return false;
    const int truncated = static_cast<int>(value); // within kMaxMagnitude: no overflow
    if (truncated < 1 || truncated > kPlayerCount)
        return false;
    number = truncated;
    return true;
}

std::string cleanName(const std::string& name)
{
    std::string clean;
    for (const char c : name) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f)
            clean += c;
    }
    if (clean.size() > kMaxNameLength) {
        std::size_t cut = kMaxNameLength;
        // Back off to the start of a UTF-8 sequence (continuation bytes are 10xxxxxx).
        while (cut > 0 && (static_cast<unsigned char>(clean[cut]) & 0xC0) == 0x80)
            --cut;
        clean.resize(cut);
    }
    return clean;
}

std::string formatFloat(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

std::string formatDouble(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string moveDirCommand(const Ogre::Vector3& direction)
{
    return "/moveDir " + formatFloat(direction.x) + " " + formatFloat(direction.y) + " " +
           formatFloat(direction.z) + "$";
}

std::string winnerCommand(int playerNumber, double seconds)
{
    return "/winner " + std::to_string(playerNumber) + " " + formatDouble(seconds) + "$";
}

std::string resetCommand(int playerNumber)
{
    return "/reset " + std::to_string(playerNumber) + "$";
}

void appendBody(std::string& command, const Ogre::Vector3& position, const Ogre::Vector3& velocity,
                const Ogre::Vector3& omega)
{
    for (const Ogre::Vector3* vector : {&position, &velocity, &omega})
        for (int axis = 0; axis < 3; ++axis) {
            command += ' ';
            command += formatFloat((*vector)[axis]);
        }
}

} // namespace protocol
