// The playability checks of a level.
#include "world/map_check.h"

#include "world/scene.h"

std::vector<SMapProblem> checkMapPoints(std::size_t startPoints, std::size_t finishPoints,
                                        int playerCount)
{
    std::vector<SMapProblem> problems;
    if (finishPoints == 0)
        problems.push_back({EMapProblem::NO_FINISH_POINT,
                            "The map has no finish point, so no ball could ever win."});
    const std::size_t needed = playerCount > 0 ? static_cast<std::size_t>(playerCount) : 0;
    if (startPoints < needed)
        problems.push_back({EMapProblem::TOO_FEW_START_POINTS,
                            "The map has " + std::to_string(startPoints) + " start point" +
                                (startPoints == 1 ? "" : "s") + ", but " + std::to_string(needed) +
                                " player" + (needed == 1 ? " needs" : "s need") + " one each."});
    return problems;
}

std::vector<SMapProblem> checkMap(const CScene& scene, int playerCount)
{
    return checkMapPoints(scene.getStartBoxes().size(), scene.getFinishBoxes().size(), playerCount);
}

std::string describeMapProblems(const std::vector<SMapProblem>& problems)
{
    std::string text;
    for (const SMapProblem& problem : problems) {
        if (!text.empty())
            text += "\n";
        text += problem.text;
    }
    return text;
}
