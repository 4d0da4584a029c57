// Fuzzes the readers of the command texts with whatever a peer may send: every reader on every
// command, and what must hold of what they give back (numbers in range, names clean, valid
// UTF-8 and short, a name written by the builder read back as it was cleaned).
#include "game/core/utf8_text.h"
#include "game/net/protocol.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void readAll(const std::string& command)
{
    protocol::wordOf(command);
    std::string text;
    if (protocol::readPlayerName(command, text)) {
        check(text.size() <= protocol::kMaxNameLength && utf8::isValid(text));
        check(text.find('$') == std::string::npos);
        std::string again;
        check(protocol::readPlayerName(protocol::playerNameCommand(text), again) && again == text);
    }
    protocol::readMapName(command, text);
    Ogre::Vector3 vector;
    if (protocol::readMoveDir(command, vector) || protocol::readPlayerColour(command, vector))
        for (int axis = 0; axis < 3; ++axis)
            check(std::isfinite(vector[axis]) &&
                  std::fabs(vector[axis]) <= protocol::kMaxMagnitude);
    int number = 0;
    double seconds = 0;
    if (protocol::readWinner(command, number, seconds))
        check(number >= 1 && number <= protocol::kPlayerCount && std::isfinite(seconds));
    if (protocol::readReset(command, number) || protocol::readPlayerId(command, number))
        check(number >= 1 && number <= protocol::kPlayerCount);
    std::vector<float> numbers;
    if (protocol::readNumbers(command, protocol::kNumbersPerBody * 2, numbers))
        check(numbers.size() == protocol::kNumbersPerBody * 2);
    const std::string mended = utf8::mended(command);
    check(utf8::isValid(mended));
    check(utf8::isValid(utf8::cut(mended, command.size() / 2)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('$', start);
        end = end == std::string::npos ? bytes.size() : end + 1;
        readAll(bytes.substr(start, end - start));
        start = end;
    }
    return 0;
}
