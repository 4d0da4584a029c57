// The command texts two games exchange: "/" + word + blank-separated arguments + "$". Every word
// is listed once below with the builder that writes it and the reader that takes it apart. New
// words go at the end of the list; none is ever renamed or reordered, so an older game still
// reads every command it knows. Reading never trusts the peer: numbers must be finite decimal
// numbers of sane size, player numbers must name one of the two players, names are cut and
// cleaned before anyone shows them.
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
// Received coordinates, velocities and times beyond this are hostile or broken, never game
// values.
constexpr float kMaxMagnitude = 1.0e6f;
// Nine numbers per ball or monster: position, linear velocity, angular velocity.
constexpr std::size_t kNumbersPerBody = 9;
// The network version of this game: 2 understands "/ping", "/pong" and "/state".
constexpr int kNetVersion = 2;
// "/state" numbers body 0 and 1 for the balls and 2 + n for monster n; no level has more.
constexpr int kMaxStateBodies = 4096;

// One body of a "/state": its index, position, linear and angular velocity.
struct SBodyState
{
    int index = 0;
    Ogre::Vector3 position = Ogre::Vector3::ZERO;
    Ogre::Vector3 velocity = Ogre::Vector3::ZERO;
    Ogre::Vector3 omega = Ogre::Vector3::ZERO;
};

// Every command word. The three connection events never travel: the network layer queues them
// for itself, and a host drops any received text that starts like them.
enum class Word
{
    PlayerName,         // "/plyName <name>$"
    PlayerColour,       // "/plyColor <r> <g> <b>$"
    MoveDir,            // "/moveDir <x> <y> <z>$"
    PlayerId,           // "/plyId <number>$"
    MapName,            // "/mapName <map file name>$"
    StartGame,          // "/startGame$"
    ConnectionMade,     // "/INTconEst$"
    ConnectionFailed,   // "/INTconNotEst$"
    Winner,             // "/winner <number> <seconds>$"
    ConnectionLost,     // "/INTsrerr$"
    Corrections,        // "/corrMove" + 18 numbers + "$"
    MonsterCorrections, // "/monsterCorrMove" + 9 numbers per monster + "$"
    Reset,              // "/reset <number>$"
    MapAvailable,       // "/mapAvbl$"
    MapNotAvailable,    // "/mapNotAvbl$"
    KeepAlive,          // "/alive$"
    Version,            // "/netVersion <n>$": what the sender understands beyond the words above
    Ping,               // "/ping <seconds>$": answered at once with the same stamp
    Pong,               // "/pong <seconds>$"
    State,              // "/state <seconds>" + per body " <index>" + 9 numbers + "$"
    Unknown
};
constexpr int kWordCount = static_cast<int>(Word::Unknown);

// The word of a command: up to the first blank, or the whole text when it has none.
std::string commandWord(const std::string& command);
// The word as the list above knows it (Unknown for anything else).
Word wordOf(const std::string& command);
// The text of a word as it starts a command ("/plyName", "/startGame$").
const char* wordText(Word word);
// Everything after the first blank except the final "$" (empty when there is no blank).
std::string textArgument(const std::string& command);

// --- builders: what this game sends ---
std::string playerNameCommand(const std::string& name); // the name cleaned as the reader does
std::string playerColourCommand();                      // always "3.0 3.0 3.0"
std::string playerIdCommand(int playerNumber);
std::string mapNameCommand(const std::string& mapName);
std::string mapAnswerCommand(bool available); // "/mapAvbl$" or "/mapNotAvbl$"
std::string startGameCommand();
std::string moveDirCommand(const Ogre::Vector3& direction);
std::string winnerCommand(int playerNumber, double seconds);
std::string resetCommand(int playerNumber);
std::string keepAliveCommand();
std::string connectionEvent(Word word); // one of the three connection events
std::string versionCommand(int version);
std::string pingCommand(double stamp, bool answer); // "/ping" or, answering, "/pong"
// The server's clock and the bodies that changed enough to matter since it last told them.
std::string stateCommand(double seconds, const std::vector<SBodyState>& bodies);
// A correction command under construction: the word, then appendBody for each body, then "$".
void appendBody(std::string& command, const Ogre::Vector3& position, const Ogre::Vector3& velocity,
                const Ogre::Vector3& omega);

// --- readers: false (outputs unspecified) when the command is not one this game would send ---
bool readPlayerName(const std::string& command, std::string& name);
bool readPlayerColour(const std::string& command, Ogre::Vector3& colour);
// "/plyId": read as a number and truncated toward zero; only a network player's number counts.
bool readPlayerId(const std::string& command, int& number);
bool readMapName(const std::string& command, std::string& mapName);
bool readMoveDir(const std::string& command, Ogre::Vector3& direction);
// "/winner": a network player's number and a finite time of at most kMaxMagnitude seconds.
bool readWinner(const std::string& command, int& number, double& seconds);
bool readReset(const std::string& command, int& number);
bool readVersion(const std::string& command, int& version);
// "/ping" or "/pong": a finite stamp within kMaxMagnitude.
bool readStamp(const std::string& command, double& stamp);
// At most kMaxStateBodies bodies with distinct indices below kMaxStateBodies.
bool readState(const std::string& command, double& seconds, std::vector<SBodyState>& bodies);
// Reads exactly `count` numbers from the arguments (anything after them is ignored). False
// when one is missing or is not a finite decimal number within kMaxMagnitude.
bool readNumbers(const std::string& command, std::size_t count, std::vector<float>& numbers);

// One number token: the whole token must be a finite decimal number within kMaxMagnitude.
bool readNumber(const std::string& token, double& value);
bool readNumber(const std::string& token, float& value);
// A player number token of "/winner" or "/reset": a plain decimal integer of a network player.
bool readPlayerNumber(const std::string& token, int& number);

// A name as the game may show and store it: control characters and "$" (which would end the
// command) removed, at most kMaxNameLength bytes, never cut inside a UTF-8 sequence.
std::string cleanName(const std::string& name);

// Number formats on the wire.
std::string formatFloat(float value);   // %.9g
std::string formatDouble(double value); // %.17g
// Fixed point with at most `decimals` decimals, trailing zeros dropped ("1.5", "0", "-2.25").
std::string formatShort(float value, int decimals);

} // namespace protocol
