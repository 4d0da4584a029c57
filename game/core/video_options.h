// The game's own video options, kept in a section of "ogre.cfg" beside the render systems'
// sections (Ogre passes over sections that name no render system).
#pragma once

#include <string>

namespace videooptions {

extern const char* const kSection;     // "KIVO"
extern const char* const kBallShadows; // "Ball shadows", "Yes" or "No"
extern const char* const kGhost;       // "Ghost of the best run", "Yes" or "No"
extern const char* const kYes;
extern const char* const kNo;

// Whether the balls cast their shadows: "No" in the file turns them off; anything else, a
// missing entry or a missing file leaves them on.
bool readBallShadows(const std::string& configFile);
// Whether a single-player round shows the ghost of the map's best run; on unless "No".
bool readGhost(const std::string& configFile);

} // namespace videooptions
