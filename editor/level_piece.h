// SLevelPiece: the part of a level that one edit of waypoints, monsters or boxes touches, kept by
// name: grids and boxes with their places, waypoints with weight and ordered links, monsters, and
// the start and finish lists. Taken from the document's level before and after an edit, it lets
// undo and redo put back just those objects, each in its place, in the level and in the scene
// that shows it, without rebuilding the rest.
#pragma once

#include "editor/box_state.h"

#include <string>
#include <vector>

class CLevel;
class CScene;

struct SLevelPiece
{
    // The names an edit touches. A waypoint is named by its box. Every waypoint whose links
    // change must be listed (both ends of a link).
    struct SKeys
    {
        std::vector<std::string> grids;
        std::vector<std::string> boxes;
        std::vector<std::string> waypoints;
        std::vector<std::string> monsters;
        bool points = false;
    };
    struct SGrid
    {
        std::string name;
        bool exists = false;
        size_t place = 0;
        std::string material;
    };
    struct SBox
    {
        SBoxState state;
        bool exists = false;
        size_t place = 0; // in its grid
    };
    struct SWaypoint
    {
        std::string box;
        bool exists = false;
        size_t place = 0;
        int weight = 0;
        std::vector<std::string> neighbours;
    };
    struct SMonster
    {
        std::string name;
        bool exists = false;
        size_t place = 0;
        int kind = 0;
        std::string startBox;
    };

    std::vector<SGrid> grids;
    std::vector<SBox> boxes;
    std::vector<SWaypoint> waypoints;
    std::vector<SMonster> monsters;
    bool withPoints = false;
    std::vector<std::string> startPoints;
    std::vector<std::string> finishPoints;

    static SLevelPiece of(const CLevel& level, const SKeys& keys);
    // Makes the level (or the scene that shows it) hold these objects as they are here: what is
    // gone goes (dependants first), what is missing comes back in its place. Boxes that exist
    // are left as they are.
    void applyTo(CLevel& level) const;
    void applyTo(CScene& scene) const;
};

bool operator==(const SLevelPiece& a, const SLevelPiece& b);
inline bool operator!=(const SLevelPiece& a, const SLevelPiece& b)
{
    return !(a == b);
}
