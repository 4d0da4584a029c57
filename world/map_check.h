// Checks that a level can be played: what makes a round on it impossible to finish. The game
// refuses to start such a round; each problem has a kind (for callers that react to one kind)
// and a sentence for the player. The level editor runs the wider design check, which also
// reports what makes a level bad without making it unplayable.
#pragma once

#include "world/level/map_format.h"

#include <cstddef>
#include <string>
#include <vector>

class CScene;

enum class EMapProblem
{
    NO_FINISH_POINT,       // no ball can ever win
    TOO_FEW_START_POINTS,  // some ball has no start box
    NO_START_POINT,        // no ball can be placed
    FEW_START_POINTS,      // a warning: fewer than the players a multiplayer round may bring
    FINISH_UNREACHABLE,    // from this start no finish can be reached over the boxes
    LONELY_SLIME_WAYPOINT, // a slime starts on a waypoint without neighbours and never moves
    MONSTER_WITHOUT_START, // the map names a start waypoint that is not there
    UNSTORABLE_NAME,       // a name the map file cannot hold (empty, or with "," or a line break)
    NO_BOX_MATERIAL        // a warning: boxes drawn with a material that is not made for boxes
};

struct SMapProblem
{
    EMapProblem kind;
    std::string text;
    bool warning = false;           // the level works, but not as well as it could
    std::vector<std::string> boxes; // the boxes concerned, for an editor to select
};

// Most players a round brings.
constexpr int kMaxRoundPlayers = 4;
// Reachability over box tops: a ball goes from one box top to another when the gap between
// their top outlines (seen from above) is at most kReachGap and the other top's lowest corner
// lies at most kReachClimb above this top's highest corner; going down is always possible.
constexpr float kReachGap = 1.0f;
constexpr float kReachClimb = 1.0f;

// The problems of a level with so many start and finish points, played by playerCount players;
// empty when a round can be played to its end.
std::vector<SMapProblem> checkMapPoints(std::size_t startPoints, std::size_t finishPoints,
                                        int playerCount);
// The same for a built scene's start and finish boxes.
std::vector<SMapProblem> checkMap(const CScene& scene, int playerCount);

// Everything the design check finds in a level: the errors above for one player, a warning for
// fewer than kMaxRoundPlayers start points, starts from which no finish is reachable, slimes on
// waypoints without neighbours and names that cannot be stored, and a warning per material that
// is not a box material.
std::vector<SMapProblem> checkMapDesign(const CLevel& level);
// What a map file names but does not hold (its reader drops such records): monsters whose
// start box carries no waypoint. The lines are the map file's.
std::vector<SMapProblem> checkMapReferences(const std::vector<std::string>& lines);

// The problems' sentences, one per line.
std::string describeMapProblems(const std::vector<SMapProblem>& problems);
