// Random levels for the map format's tests: every record kind, floats of every magnitude the
// reader keeps (made from random bits), names with blanks and signs, random links.
#pragma once

#include "world/level/level.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

namespace leveltest {

inline CLevel randomLevel(std::mt19937& random, int boxes = 12)
{
    auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    auto number = [&] {
        float value;
        do {
            const uint32_t bits = std::uniform_int_distribution<uint32_t>()(random);
            std::memcpy(&value, &bits, sizeof(value));
        } while (!std::isfinite(value) || std::abs(value) > 1.0e6f);
        return value;
    };
    auto vector = [&] { return SLevelVector{number(), number(), number()}; };
    auto colour = [&] { return SLevelColour{number(), number(), number()}; };
    auto name = [&](const std::string& prefix) {
        const std::string letters = "aZ 9_=.;-\t";
        std::string text = prefix;
        for (int i = pick(6); i > 0; --i)
            text += letters[size_t(pick(int(letters.size())))];
        return text;
    };
    CLevel level;
    std::vector<std::string> names;
    for (int i = 0; i < boxes; ++i) {
        SLevelBox box{name("b" + std::to_string(i) + "_"), name("m"), vector(), {}, pick(2) == 1};
        for (SLevelVector& vertex : box.vertices)
            vertex = vector();
        names.push_back(level.addBox(name("g" + std::to_string(pick(3))), box));
    }
    for (int i = 0; i < 3; ++i)
        level.addLight({name("l" + std::to_string(i)), vector(), colour(), colour(),
                        std::abs(number()) + 0.01f});
    level.setAmbient(colour());
    for (int i = 0; i < 4; ++i)
        level.addPoint(names[size_t(pick(boxes))], pick(2) == 1);
    const int waypoints = boxes / 2;
    for (int i = 0; i < waypoints; ++i)
        level.addWaypoint(names[size_t(i)], pick(2000) - 1000);
    for (int i = 0; i < waypoints * 2; ++i)
        level.link(names[size_t(pick(waypoints))], names[size_t(pick(waypoints))]);
    for (int i = 0; i < 3; ++i)
        level.addMonster({pick(CLevel::kMonsterKinds), name("Red " + std::to_string(i)),
                          names[size_t(pick(waypoints))]});
    return level;
}

} // namespace leveltest
