// Writing and reading the command texts, word by word.
#include "game/net/protocol.h"

#include "game/core/utf8_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace protocol {

namespace {
// In the order of Word; an entry is never changed, new ones are appended.
const char* const kWordTexts[kWordCount] = {
    "/plyName",    "/plyColor",        "/moveDir",       "/plyId",    "/mapName",
    "/startGame$", "/INTconEst$",      "/INTconNotEst$", "/winner",   "/INTsrerr$",
    "/corrMove",   "/monsterCorrMove", "/reset",         "/mapAvbl$", "/mapNotAvbl$",
    "/alive$",     "/netVersion",      "/ping",          "/pong",     "/state"};
// Positions and velocities of "/state" to the hundredth, spins to the tenth: finer than the eye
// can tell, and half the bytes of nine digits.
constexpr int kStateDecimals = 2;
constexpr int kSpinDecimals = 1;
const char* const kPlayerColour = "3.0 3.0 3.0";

// The text after the first blank up to the next blank or "$": one token.
std::string firstToken(const std::string& command, std::size_t& end)
{
    const std::size_t space = command.find(' ');
    if (space == std::string::npos) {
        end = std::string::npos;
        return std::string();
    }
    end = command.find_first_of(" $", space + 1);
    return command.substr(space + 1, end == std::string::npos ? end : end - space - 1);
}
// The three numbers of a command of this word.
bool readVector(const std::string& command, Word word, Ogre::Vector3& vector)
{
    std::vector<float> numbers;
    if (wordOf(command) != word || !readNumbers(command, 3, numbers))
        return false;
    vector = Ogre::Vector3(numbers[0], numbers[1], numbers[2]);
    return true;
}
} // namespace

std::string commandWord(const std::string& command)
{
    const std::size_t space = command.find(' ');
    return space == std::string::npos ? command : command.substr(0, space);
}

Word wordOf(const std::string& command)
{
    const std::string word = commandWord(command);
    for (int i = 0; i < kWordCount; ++i)
        if (word == kWordTexts[i])
            return static_cast<Word>(i);
    // A level without monsters has monster corrections without a single number.
    if (word == std::string(kWordTexts[static_cast<int>(Word::MonsterCorrections)]) + "$")
        return Word::MonsterCorrections;
    return Word::Unknown;
}

const char* wordText(Word word)
{
    const int index = static_cast<int>(word);
    return index >= 0 && index < kWordCount ? kWordTexts[index] : "";
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

// ------------------------------------------------------------------------------------ builders

std::string playerNameCommand(const std::string& name)
{
    return std::string(wordText(Word::PlayerName)) + " " + cleanName(name) + "$";
}

std::string playerColourCommand()
{
    return std::string(wordText(Word::PlayerColour)) + " " + kPlayerColour + "$";
}

std::string playerIdCommand(int playerNumber)
{
    return std::string(wordText(Word::PlayerId)) + " " + std::to_string(playerNumber) + "$";
}

std::string mapNameCommand(const std::string& mapName)
{
    return std::string(wordText(Word::MapName)) + " " + mapName + "$";
}

std::string mapAnswerCommand(bool available)
{
    return wordText(available ? Word::MapAvailable : Word::MapNotAvailable);
}

std::string startGameCommand()
{
    return wordText(Word::StartGame);
}

std::string moveDirCommand(const Ogre::Vector3& direction)
{
    return std::string(wordText(Word::MoveDir)) + " " + formatFloat(direction.x) + " " +
           formatFloat(direction.y) + " " + formatFloat(direction.z) + "$";
}

std::string winnerCommand(int playerNumber, double seconds)
{
    return std::string(wordText(Word::Winner)) + " " + std::to_string(playerNumber) + " " +
           formatDouble(seconds) + "$";
}

std::string resetCommand(int playerNumber)
{
    return std::string(wordText(Word::Reset)) + " " + std::to_string(playerNumber) + "$";
}

std::string keepAliveCommand()
{
    return wordText(Word::KeepAlive);
}

std::string connectionEvent(Word word)
{
    if (word != Word::ConnectionMade && word != Word::ConnectionFailed &&
        word != Word::ConnectionLost)
        return std::string();
    return wordText(word);
}

std::string versionCommand(int version)
{
    return std::string(wordText(Word::Version)) + " " + std::to_string(version) + "$";
}

std::string pingCommand(double stamp, bool answer)
{
    return std::string(wordText(answer ? Word::Pong : Word::Ping)) + " " + formatDouble(stamp) +
           "$";
}

std::string stateCommand(double seconds, const std::vector<SBodyState>& bodies)
{
    char time[32];
    std::snprintf(time, sizeof time, " %.3f", seconds);
    std::string command = std::string(wordText(Word::State)) + time;
    for (const SBodyState& body : bodies) {
        command += ' ';
        command += std::to_string(body.index);
        for (const Ogre::Vector3* vector : {&body.position, &body.velocity, &body.omega})
            for (int axis = 0; axis < 3; ++axis) {
                command += ' ';
                command += formatShort((*vector)[axis],
                                       vector == &body.omega ? kSpinDecimals : kStateDecimals);
            }
    }
    return command + "$";
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

// ------------------------------------------------------------------------------------- readers

bool readPlayerName(const std::string& command, std::string& name)
{
    if (wordOf(command) != Word::PlayerName)
        return false;
    name = cleanName(textArgument(command));
    return true;
}

bool readPlayerColour(const std::string& command, Ogre::Vector3& colour)
{
    return readVector(command, Word::PlayerColour, colour);
}

bool readPlayerId(const std::string& command, int& number)
{
    if (wordOf(command) != Word::PlayerId)
        return false;
    const std::size_t space = command.find(' ');
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

bool readMapName(const std::string& command, std::string& mapName)
{
    if (wordOf(command) != Word::MapName)
        return false;
    mapName = textArgument(command);
    return !mapName.empty();
}

bool readMoveDir(const std::string& command, Ogre::Vector3& direction)
{
    return readVector(command, Word::MoveDir, direction);
}

bool readWinner(const std::string& command, int& number, double& seconds)
{
    if (wordOf(command) != Word::Winner)
        return false;
    std::size_t end = 0;
    const std::string player = firstToken(command, end);
    if (end == std::string::npos || command[end] != ' ' || !readPlayerNumber(player, number))
        return false;
    const std::size_t timeEnd = command.find_first_of(" $", end + 1);
    return readNumber(
        command.substr(end + 1, timeEnd == std::string::npos ? timeEnd : timeEnd - end - 1),
        seconds);
}

bool readReset(const std::string& command, int& number)
{
    return wordOf(command) == Word::Reset && readPlayerNumber(textArgument(command), number);
}

bool readVersion(const std::string& command, int& version)
{
    if (wordOf(command) != Word::Version)
        return false;
    const std::string token = textArgument(command);
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), version);
    return !token.empty() && error == std::errc() && end == token.data() + token.size() &&
           version >= 1;
}

bool readStamp(const std::string& command, double& stamp)
{
    const Word word = wordOf(command);
    return (word == Word::Ping || word == Word::Pong) && readNumber(textArgument(command), stamp);
}

bool readState(const std::string& command, double& seconds, std::vector<SBodyState>& bodies)
{
    bodies.clear();
    if (wordOf(command) != Word::State || command.size() < 2 || command.back() != '$')
        return false;
    std::vector<std::string> tokens;
    std::size_t start = command.find(' ');
    if (start == std::string::npos)
        return false;
    const std::size_t last = command.size() - 1; // the "$"
    const std::size_t perBody = 1 + kNumbersPerBody;
    while (start < last) {
        const std::size_t end = std::min(command.find(' ', start + 1), last);
        tokens.push_back(command.substr(start + 1, end - start - 1));
        if (tokens.size() > 1 + perBody * static_cast<std::size_t>(kMaxStateBodies))
            return false;
        start = end;
    }
    if (tokens.empty() || (tokens.size() - 1) % perBody != 0 || !readNumber(tokens[0], seconds) ||
        seconds < 0.0)
        return false;
    std::vector<bool> seen(kMaxStateBodies, false);
    for (std::size_t first = 1; first < tokens.size(); first += perBody) {
        SBodyState body;
        const std::string& index = tokens[first];
        const auto [end, error] =
            std::from_chars(index.data(), index.data() + index.size(), body.index);
        if (index.empty() || error != std::errc() || end != index.data() + index.size() ||
            body.index < 0 || body.index >= kMaxStateBodies || seen[body.index])
            return false;
        seen[body.index] = true;
        float n[kNumbersPerBody];
        for (std::size_t i = 0; i < kNumbersPerBody; ++i)
            if (!readNumber(tokens[first + 1 + i], n[i]))
                return false;
        body.position = Ogre::Vector3(n[0], n[1], n[2]);
        body.velocity = Ogre::Vector3(n[3], n[4], n[5]);
        body.omega = Ogre::Vector3(n[6], n[7], n[8]);
        bodies.push_back(body);
    }
    return true;
}

bool readNumber(const std::string& token, double& value)
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
    value = number;
    return true;
}

bool readNumber(const std::string& token, float& value)
{
    double number = 0.0;
    if (!readNumber(token, number))
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

std::string cleanName(const std::string& name)
{
    std::string clean;
    for (std::size_t pos = 0; pos < name.size();) {
        const char32_t code = utf8::next(name, pos);
        const bool control = code < 0x20 || (code >= 0x7f && code < 0xa0);
        if (!control && code != '$')
            clean += utf8::encode(code);
    }
    return utf8::cut(clean, kMaxNameLength);
}

std::string formatFloat(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

std::string formatShort(float value, int decimals)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(value));
    std::string result = text;
    if (result.find('.') != std::string::npos) {
        while (result.back() == '0')
            result.pop_back();
        if (result.back() == '.')
            result.pop_back();
    }
    return result == "-0" ? "0" : result;
}

std::string formatDouble(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

} // namespace protocol
