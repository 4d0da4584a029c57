// Shared by the monster benchmarks: a generated square field of n unit boxes, every box with a
// waypoint linked to its four neighbours, four start boxes in one corner, a finish box in the
// other, and monsters spread over the field.
#pragma once

#include "world/paths.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace monsterbench {

struct SMonsterSpec
{
    int kind;
    int box; // index of the start box
};

inline int fieldSide(int boxes)
{
    return static_cast<int>(std::ceil(std::sqrt(static_cast<double>(boxes))));
}

// Box k stands at (k / side, 0, -(k % side)) and is named "b" + k.
inline void writeWaypointField(const std::string& name, int boxes,
                               const std::vector<SMonsterSpec>& monsters)
{
    std::filesystem::create_directories(paths::shippedMapDir());
    std::ofstream out(paths::shippedMapDir() + "/" + name);
    const int side = fieldSide(boxes);
    for (int k = 0; k < boxes; ++k) {
        out << "box=b" << k << ",stone,field," << k / side << ",0," << -(k % side)
            << ",0.5,0.5,-0.5,-0.5,0.5,-0.5,-0.5,0.5,0.5,0.5,0.5,0.5,0,0.5,0,0.5,-0.5,-0.5,"
               "-0.5,-0.5,-0.5,-0.5,-0.5,0.5,0.5,-0.5,0.5,0\n";
    }
    out << "ambient=0.4,0.4,0.4\n";
    for (int k = 0; k < 4; ++k)
        out << "startpoint=b" << k * side + 1 << "\n";
    out << "finishpoint=b" << boxes - 1 << "\n";
    for (int k = 0; k < boxes; ++k) {
        out << "waypoint=b" << k << ",1";
        const int i = k / side;
        const int j = k % side;
        if (j + 1 < side && k + 1 < boxes)
            out << ",b" << k + 1;
        if (j > 0)
            out << ",b" << k - 1;
        if (k + side < boxes)
            out << ",b" << k + side;
        if (i > 0)
            out << ",b" << k - side;
        out << "\n";
    }
    int number = 0;
    for (const SMonsterSpec& monster : monsters)
        out << "monster=" << monster.kind << ",m" << number++ << ",b" << monster.box << "\n";
}

} // namespace monsterbench
