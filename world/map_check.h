// Checks that a level can be played: what makes a round on it impossible to finish. The game
// refuses to start such a round; each problem has a kind (for callers that react to one kind)
// and a sentence for the player.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CScene;

enum class EMapProblem
{
    NO_FINISH_POINT,     // no ball can ever win
    TOO_FEW_START_POINTS // some ball has no start box
};

struct SMapProblem
{
    EMapProblem kind;
    std::string text;
};

// The problems of a level with so many start and finish points, played by playerCount players;
// empty when a round can be played to its end.
std::vector<SMapProblem> checkMapPoints(std::size_t startPoints, std::size_t finishPoints,
                                        int playerCount);
// The same for a built scene's start and finish boxes.
std::vector<SMapProblem> checkMap(const CScene& scene, int playerCount);

// The problems' sentences, one per line.
std::string describeMapProblems(const std::vector<SMapProblem>& problems);
