// Writing the level model as map text, and the check of what map text cannot hold.
#include "world/level/map_format.h"

#include <charconv>
#include <cmath>
#include <sstream>

namespace {

// Six digits as a standard stream prints by default, so files written that way save unchanged;
// nine always give back the same float.
constexpr int kLeastDigits = 6;
constexpr int kMostDigits = 9;

std::string number(float value)
{
    char text[32];
    for (int digits = kLeastDigits;; ++digits) {
        const std::to_chars_result end =
            std::to_chars(text, text + sizeof(text), value, std::chars_format::general, digits);
        float back = 0.0f;
        std::from_chars(text, end.ptr, back);
        if (back == value || digits == kMostDigits)
            return std::string(text, end.ptr);
    }
}

std::string vector(const SLevelVector& v)
{
    return number(v.x) + "," + number(v.y) + "," + number(v.z);
}

std::string colour(const SLevelColour& c)
{
    return number(c.r) + "," + number(c.g) + "," + number(c.b);
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

void writeMap(const CLevel& level, std::ostream& out)
{
    for (const SLevelGrid& grid : level.grids()) {
        for (const SLevelBox& box : grid.boxes) {
            out << "box=" << box.name << "," << box.material << "," << grid.name << ","
                << vector(box.position);
            for (const SLevelVector& vertex : box.vertices)
                out << "," << vector(vertex);
            out << "," << (box.fitTexture ? "1" : "0") << "\n";
        }
    }
    for (const SLevelLight& light : level.lights())
        out << "light=" << light.name << "," << vector(light.position) << ","
            << colour(light.diffuse) << "," << colour(light.specular) << "," << number(light.range)
            << "\n";
    out << "ambient=" << colour(level.ambient()) << "\n";
    for (const std::string& box : level.startPoints())
        out << "startpoint=" << box << "\n";
    for (const std::string& box : level.finishPoints())
        out << "finishpoint=" << box << "\n";
    for (const SLevelWaypoint& waypoint : level.waypoints()) {
        out << "waypoint=" << waypoint.box << "," << std::to_string(waypoint.weight);
        for (const std::string& neighbour : waypoint.neighbours)
            out << "," << neighbour;
        out << "\n";
    }
    for (const SLevelMonster& monster : level.monsters())
        out << "monster=" << std::to_string(monster.kind) << "," << monster.name << ","
            << monster.start << "\n";
}

std::string writeMap(const CLevel& level)
{
    std::ostringstream out;
    writeMap(level, out);
    return out.str();
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
    std::istringstream lines(writeMap(level));
    for (std::string line; std::getline(lines, line);) {
        if (line.size() > kMapMaxLineLength)
            return "The record \"" + line.substr(0, line.find(',')) + "\" would be " +
                   std::to_string(line.size()) + " characters long; a map file line holds " +
                   std::to_string(kMapMaxLineLength) + " (fewer links or shorter names fit).";
    }
    return std::string();
}
