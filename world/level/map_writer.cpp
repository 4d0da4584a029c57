// Writing the level model as map text, and the check of what map text cannot hold.
#include "world/level/map_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <ostream>

namespace {

// Six digits as a standard stream prints by default, so files written that way save unchanged;
// nine always give back the same float.
constexpr int kLeastDigits = 6;
constexpr int kMostDigits = 9;

void appendNumber(std::string& out, float value)
{
    char text[32];
    for (int digits = kLeastDigits;; ++digits) {
        const std::to_chars_result end =
            std::to_chars(text, text + sizeof(text), value, std::chars_format::general, digits);
        float back = 0.0f;
        std::from_chars(text, end.ptr, back);
        if (back == value || digits == kMostDigits) {
            out.append(text, end.ptr);
            return;
        }
    }
}

std::string number(float value)
{
    std::string text;
    appendNumber(text, value);
    return text;
}

void appendNumbers(std::string& out, std::initializer_list<float> values)
{
    bool first = true;
    for (float value : values) {
        if (!first)
            out += ',';
        first = false;
        appendNumber(out, value);
    }
}

void append(std::string& out, const SLevelVector& v)
{
    appendNumbers(out, {v.x, v.y, v.z});
}

void append(std::string& out, const SLevelColour& c)
{
    appendNumbers(out, {c.r, c.g, c.b});
}

bool withinLimits(const SLevelVector& v)
{
    return std::abs(v.x) <= kMapMaxCoordinate && std::abs(v.y) <= kMapMaxCoordinate &&
           std::abs(v.z) <= kMapMaxCoordinate;
}

bool finite(const SLevelColour& c)
{
    return std::isfinite(c.r) && std::isfinite(c.g) && std::isfinite(c.b);
}

std::string badName(const std::string& what, const std::string& name)
{
    return "The " + what + " name \"" + name +
           "\" cannot be stored in a map file: a name must not be empty or hold a comma or a "
           "line break.";
}

std::string badPlace(const std::string& what)
{
    return what + " lies beyond " + number(kMapMaxCoordinate) +
           " from the origin (or is not a number), which a map file cannot hold.";
}

std::string boxProblem(const SLevelBox& box)
{
    if (!isStorableMapName(box.name))
        return badName("box", box.name);
    if (!isStorableMapName(box.material))
        return badName("material", box.material);
    if (!withinLimits(box.position))
        return badPlace("The box " + box.name);
    for (const SLevelVector& vertex : box.vertices) {
        if (!withinLimits(vertex))
            return badPlace("A vertex of the box " + box.name);
    }
    return std::string();
}

std::string lightProblem(const SLevelLight& light)
{
    if (!isStorableMapName(light.name))
        return badName("light", light.name);
    if (!withinLimits(light.position))
        return badPlace("The light " + light.name);
    if (!finite(light.diffuse) || !finite(light.specular))
        return "A colour of the light " + light.name + " is not a number.";
    if (!(light.range >= kMapMinLightRange) || !std::isfinite(light.range))
        return "The light " + light.name + " has the range " + number(light.range) +
               "; a map file holds ranges from " + number(kMapMinLightRange) + " on.";
    return std::string();
}

} // namespace

bool isStorableMapName(const std::string& name)
{
    return !name.empty() && name.find_first_of(",\r\n") == std::string::npos;
}

std::string writeMap(const CLevel& level)
{
    std::string out;
    out.reserve(level.boxCount() * 200);
    for (const SLevelGrid& grid : level.grids()) {
        for (const SLevelBox& box : grid.boxes) {
            out += "box=" + box.name + ',' + box.material + ',' + grid.name + ',';
            append(out, box.position);
            for (const SLevelVector& vertex : box.vertices) {
                out += ',';
                append(out, vertex);
            }
            out += box.fitTexture ? ",1\n" : ",0\n";
        }
    }
    for (const SLevelLight& light : level.lights()) {
        out += "light=" + light.name + ',';
        append(out, light.position);
        out += ',';
        append(out, light.diffuse);
        out += ',';
        append(out, light.specular);
        out += ',';
        appendNumber(out, light.range);
        out += '\n';
    }
    out += "ambient=";
    append(out, level.ambient());
    out += '\n';
    for (const std::string& box : level.startPoints())
        out += "startpoint=" + box + '\n';
    for (const std::string& box : level.finishPoints())
        out += "finishpoint=" + box + '\n';
    for (const SLevelWaypoint& waypoint : level.waypoints()) {
        out += "waypoint=" + waypoint.box + ',' + std::to_string(waypoint.weight);
        for (const std::string& neighbour : waypoint.neighbours)
            out += ',' + neighbour;
        out += '\n';
    }
    for (const SLevelMonster& monster : level.monsters())
        out += "monster=" + std::to_string(monster.kind) + ',' + monster.name + ',' +
               monster.start + '\n';
    return out;
}

void writeMap(const CLevel& level, std::ostream& out)
{
    out << writeMap(level);
}

std::string unstorableReason(const CLevel& level)
{
    for (const SLevelGrid& grid : level.grids()) {
        if (!isStorableMapName(grid.name))
            return badName("grid", grid.name);
        for (const SLevelBox& box : grid.boxes) {
            const std::string problem = boxProblem(box);
            if (!problem.empty())
                return problem;
        }
    }
    for (const SLevelLight& light : level.lights()) {
        const std::string problem = lightProblem(light);
        if (!problem.empty())
            return problem;
    }
    if (!finite(level.ambient()))
        return "The ambient light is not a number.";
    for (const SLevelMonster& monster : level.monsters()) {
        if (!isStorableMapName(monster.name))
            return badName("monster", monster.name);
    }
    const std::string text = writeMap(level);
    for (size_t begin = 0, end; begin < text.size(); begin = end + 1) {
        end = std::min(text.find('\n', begin), text.size());
        if (end - begin > kMapMaxLineLength) {
            const std::string line = text.substr(begin, end - begin);
            return "The record \"" + line.substr(0, line.find(',')) + "\" would be " +
                   std::to_string(line.size()) + " characters long; a map file line holds " +
                   std::to_string(kMapMaxLineLength) + " (fewer links or shorter names fit).";
        }
    }
    return std::string();
}
