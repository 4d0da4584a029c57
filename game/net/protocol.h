// The command texts two games exchange: "/" + word + blank-separated arguments + "$". Reading
// them never trusts the peer: numbers must be finite decimal numbers of sane size, player
// numbers must name one of the two players, names are cut and cleaned before anyone shows them.
#pragma once

#include <OgreVector.h>

#include <cstddef>
#include <string>
#include <vector>

namespace protocol {

// Player numbers of a network round: the server plays 1, the client 2.
constexpr int kServerPlayer = 1;
constexpr int kClientPlayer = 2;
constexpr int kPlayerCount = 2;
// The longest name shown or stored for a peer, in bytes.
constexpr std::size_t kMaxNameLength = 32;
// Received coordinates and velocities beyond this are hostile or broken, never game values.
constexpr float kMaxMagnitude = 1.0e6f;
// Nine numbers per ball or monster: position, linear velocity, angular velocity.
constexpr std::size_t kNumbersPerBody = 9;

// The word of a command: up to the first blank, or the whole text when it has none.
std::string commandWord(const std::string& command);
// Everything after the first blank except the final "$" (empty when there is no blank).
std::string textArgument(const std::string& command);

// Reads exactly `count` numbers from the arguments (anything after them is ignored). False,
// with `numbers` unspecified, when one is missing or is not a finite decimal number within
// kMaxMagnitude.
bool readNumbers(const std::string& command, std::size_t count, std::vector<float>& numbers);
// One number token: the whole token must be a finite decimal number within kMaxMagnitude.
bool readNumber(const std::string& token, float& value);
// A player number token of "/winner" or "/reset": a plain decimal integer of a network player.
bool readPlayerNumber(const std::string& token, int& number);
// "/plyId": read as a number and truncated toward zero; only a network player's number counts.
bool readPlayerId(const std::string& command, int& number);

// A name as the game may show and store it: control characters removed, at most
// kMaxNameLength bytes, never cut inside a UTF-8 sequence.
std::string cleanName(const std::string& name);

// Number formats on the wire.
std::string formatFloat(float value);   // %.9g
std::string formatDouble(double value); // %.17g

std::string moveDirCommand(const Ogre::Vector3& direction);
std::string winnerCommand(int playerNumber, double seconds);
std::string resetCommand(int playerNumber);

// One body's nine numbers appended to a command under construction.
void appendBody(std::string& command, const Ogre::Vector3& position, const Ogre::Vector3& velocity,
                const Ogre::Vector3& omega);

} // namespace protocol
