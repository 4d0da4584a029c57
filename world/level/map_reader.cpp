// Reading map text into the level model.
//
// Reading rules worth knowing:
// - A line longer than kMapMaxLineLength characters is dropped whole: nothing of it becomes a
//   record, and it does not spill over into the next one.
// - A number that is missing or does not read as a number becomes 0, except for the ambient
//   components (1.0) and a light's range (1000). A missing or unreadable monster kind is no
//   kind at all: the record is skipped. Numbers are read in the "C" locale whatever the
//   program's locale.
// - A box whose position or vertices lie beyond kMapMaxCoordinate is skipped, and so is a light
//   placed there.
// - A light range of 0 or less would divide by zero in the attenuation; it becomes 1000 too,
//   and a smaller range than kMapMinLightRange becomes that.
// - Names are whole fields. A reference to a box (points, waypoints, links, a monster's start)
//   that names no box falls back to the field's first word, as older readers took it.
// - Links are made after the last line, in the order read; then every waypoint lists its
//   neighbours in the order of its own line, so a file read and written again is unchanged.
#include "world/level/map_format.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <istream>
#include <locale>
#include <sstream>
#include <unordered_map>
#include <utility>

namespace {

constexpr float kDefaultAmbient = 1.0f;
constexpr float kDefaultLightRange = 1000.0f;

// Reads a number from a field as a standard stream extraction does (leading white space
// skipped, trailing characters ignored), in the "C" locale whatever the program's locale. One
// stream serves every field: making a stream per field costs more than the rest of reading.
template <typename T> bool readNumber(const std::string& field, T& value)
{
    thread_local std::istringstream stream = [] {
        std::istringstream made;
        made.imbue(std::locale::classic());
        return made;
    }();
    stream.clear();
    stream.str(field);
    return static_cast<bool>(stream >> value);
}

// Splits a record's value one field at a time. An empty field (the rest starting with ",")
// takes the whole rest, so it swallows every field after it.
class CFieldReader
{
public:
    explicit CFieldReader(std::string value) : mRest(std::move(value)) {}

    bool hasMore() const { return mHasMore; }

    std::string next()
    {
        if (!mHasMore)
            return std::string();
        const size_t comma = mRest.find(',');
        if (comma == std::string::npos || comma == 0) {
            mHasMore = false;
            return std::move(mRest);
        }
        std::string field = mRest.substr(0, comma);
        mRest.erase(0, comma + 1);
        return field;
    }

    float nextFloat(float fallback = 0.0f)
    {
        float value = 0.0f;
        if (!readNumber(next(), value) || !std::isfinite(value))
            return fallback;
        return value;
    }

    int nextInt(int fallback = 0)
    {
        int value = 0;
        if (!readNumber(next(), value))
            return fallback;
        return value;
    }

    SLevelVector nextVector()
    {
        SLevelVector v;
        v.x = nextFloat();
        v.y = nextFloat();
        v.z = nextFloat();
        return v;
    }

    SLevelColour nextColour(float fallback = 0.0f)
    {
        SLevelColour c;
        c.r = nextFloat(fallback);
        c.g = nextFloat(fallback);
        c.b = nextFloat(fallback);
        return c;
    }

private:
    std::string mRest;
    bool mHasMore = true;
};

bool withinLimits(const SLevelVector& v)
{
    return std::abs(v.x) <= kMapMaxCoordinate && std::abs(v.y) <= kMapMaxCoordinate &&
           std::abs(v.z) <= kMapMaxCoordinate;
}

// The box a reference names: the whole field, or else its first word; nullptr for none.
const SLevelBox* referencedBox(const CLevel& level, const std::string& field)
{
    if (const SLevelBox* box = level.findBox(field))
        return box;
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    const auto begin = std::find_if_not(field.begin(), field.end(), blank);
    const std::string word(begin, std::find_if(begin, field.end(), blank));
    return word != field ? level.findBox(word) : nullptr;
}

class CMapReader
{
public:
    CLevel read(const std::vector<std::string>& lines)
    {
        for (const std::string& line : lines)
            apply(line);
        std::vector<std::pair<std::string, std::vector<std::string>>> orders;
        std::unordered_map<std::string, size_t> index;
        for (const auto& [from, field] : mLinks) {
            const SLevelBox* box = referencedBox(mLevel, field);
            if (!box)
                continue;
            const std::string to = box->name;
            mLevel.link(from, to);
            const auto known = index.emplace(from, orders.size());
            if (known.second)
                orders.emplace_back(from, std::vector<std::string>());
            orders[known.first->second].second.push_back(to);
        }
        for (const auto& [box, first] : orders)
            mLevel.orderNeighbours(box, first);
        return std::move(mLevel);
    }

private:
    void apply(const std::string& line)
    {
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            return;
        const std::string key = line.substr(0, equals);
        CFieldReader fields(line.substr(equals + 1));
        if (key == "box") {
            SLevelBox box;
            box.name = fields.next();
            box.material = fields.next();
            const std::string grid = fields.next();
            box.position = fields.nextVector();
            bool valid = withinLimits(box.position);
            for (SLevelVector& vertex : box.vertices) {
                vertex = fields.nextVector();
                valid = valid && withinLimits(vertex);
            }
            box.fitTexture = fields.nextInt() != 0;
            if (valid)
                mLevel.addBox(grid, std::move(box));
        } else if (key == "light") {
            SLevelLight light;
            light.name = fields.next();
            light.position = fields.nextVector();
            light.diffuse = fields.nextColour();
            light.specular = fields.nextColour();
            light.range = fields.nextFloat(kDefaultLightRange);
            if (light.range <= 0.0f)
                light.range = kDefaultLightRange;
            light.range = std::max(light.range, kMapMinLightRange);
            if (withinLimits(light.position))
                mLevel.addLight(light);
        } else if (key == "ambient") {
            mLevel.setAmbient(fields.nextColour(kDefaultAmbient));
        } else if (key == "startpoint" || key == "finishpoint") {
            if (const SLevelBox* box = referencedBox(mLevel, fields.next()))
                mLevel.addPoint(box->name, key == "startpoint");
        } else if (key == "waypoint") {
            const SLevelBox* found = referencedBox(mLevel, fields.next());
            const int weight = fields.nextInt();
            if (!found)
                return;
            const std::string box = found->name;
            mLevel.addWaypoint(box, weight);
            while (fields.hasMore())
                mLinks.emplace_back(box, fields.next());
        } else if (key == "monster") {
            SLevelMonster monster;
            monster.kind = fields.nextInt(-1);
            monster.name = fields.next();
            if (const SLevelBox* start = referencedBox(mLevel, fields.next())) {
                monster.start = start->name;
                mLevel.addMonster(monster);
            }
        }
    }

    CLevel mLevel;
    std::vector<std::pair<std::string, std::string>> mLinks; // (box, neighbour field)
};

} // namespace

std::vector<std::string> splitMapLines(std::istream& in)
{
    // One character more than a line may hold, for the carriage return of a CRLF line end.
    const size_t keep = kMapMaxLineLength + 1;
    std::vector<std::string> lines;
    std::string line;
    bool tooLong = false;
    bool pending = false; // characters read since the last line end
    const auto endLine = [&] {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!tooLong && line.size() <= kMapMaxLineLength)
            lines.push_back(line);
        line.clear();
        tooLong = false;
        pending = false;
    };
    std::streambuf* buffer = in.rdbuf();
    for (int c = buffer->sbumpc(); c != std::char_traits<char>::eof(); c = buffer->sbumpc()) {
        if (c == '\n') {
            endLine();
        } else if (line.size() < keep) {
            line.push_back(static_cast<char>(c));
            pending = true;
        } else {
            tooLong = true;
        }
    }
    if (pending)
        endLine();
    return lines;
}

CLevel readMap(const std::vector<std::string>& lines)
{
    return CMapReader().read(lines);
}
