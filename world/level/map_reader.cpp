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
#include <charconv>
#include <cmath>
#include <cstring>
#include <istream>
#include <locale>
#include <sstream>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>

namespace {

constexpr float kDefaultAmbient = 1.0f;
constexpr float kDefaultLightRange = 1000.0f;

bool isBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads a number from a field as a standard stream extraction does in the "C" locale, whatever
// the program's locale: white space skipped; a sign, digits, for a float one decimal point and
// an exponent after a digit; the characters after the number ignored. No stream is made per
// field: that would cost more than all the rest of reading.
template <typename T> bool readNumber(std::string_view field, T& value)
{
    size_t at = 0;
    while (at < field.size() && isBlank(field[at]))
        ++at;
    const size_t start = at;
    if (at < field.size() && (field[at] == '+' || field[at] == '-'))
        ++at;
    bool digits = false;
    for (; at < field.size() && isDigit(field[at]); ++at)
        digits = true;
    if constexpr (std::is_floating_point_v<T>) {
        if (at < field.size() && field[at] == '.') {
            for (++at; at < field.size() && isDigit(field[at]); ++at)
                digits = true;
        }
        if (digits && at < field.size() && (field[at] == 'e' || field[at] == 'E')) {
            ++at;
            if (at < field.size() && (field[at] == '+' || field[at] == '-'))
                ++at;
            while (at < field.size() && isDigit(field[at]))
                ++at;
        }
    }
    std::string_view number = field.substr(start, at - start);
    if (!number.empty() && number[0] == '+')
        number.remove_prefix(1);
    T parsed{};
    const std::from_chars_result result =
        std::from_chars(number.data(), number.data() + number.size(), parsed);
    if constexpr (std::is_floating_point_v<T>) {
        // A stream takes numbers too small for a normal float, as 0 or as a denormal.
        if (result.ec == std::errc::result_out_of_range) {
            std::istringstream in{std::string(number)};
            in.imbue(std::locale::classic());
            return static_cast<bool>(in >> value);
        }
    }
    if (result.ec != std::errc() || result.ptr != number.data() + number.size())
        return false;
    value = parsed;
    return true;
}

// Splits a record's value one field at a time. An empty field (the rest starting with ",")
// takes the whole rest, so it swallows every field after it.
class CFieldReader
{
public:
    explicit CFieldReader(std::string_view value) : mRest(value) {}

    bool hasMore() const { return mHasMore; }

    std::string_view next()
    {
        if (!mHasMore)
            return std::string_view();
        const size_t comma = mRest.find(',');
        if (comma == std::string_view::npos || comma == 0) {
            mHasMore = false;
            return mRest;
        }
        const std::string_view field = mRest.substr(0, comma);
        mRest.remove_prefix(comma + 1);
        return field;
    }

    std::string nextName() { return std::string(next()); }

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
    std::string_view mRest;
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
    const auto begin = std::find_if_not(field.begin(), field.end(), isBlank);
    const std::string word(begin, std::find_if(begin, field.end(), isBlank));
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
        const std::string_view key = std::string_view(line).substr(0, equals);
        CFieldReader fields(std::string_view(line).substr(equals + 1));
        if (key == "box") {
            SLevelBox box;
            box.name = fields.nextName();
            box.material = fields.nextName();
            const std::string grid = fields.nextName();
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
            light.name = fields.nextName();
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
            if (const SLevelBox* box = referencedBox(mLevel, fields.nextName()))
                mLevel.addPoint(box->name, key == "startpoint");
        } else if (key == "waypoint") {
            const SLevelBox* found = referencedBox(mLevel, fields.nextName());
            const int weight = fields.nextInt();
            if (!found)
                return;
            const std::string box = found->name;
            mLevel.addWaypoint(box, weight);
            while (fields.hasMore())
                mLinks.emplace_back(box, fields.nextName());
        } else if (key == "monster") {
            SLevelMonster monster;
            monster.kind = fields.nextInt(-1);
            monster.name = fields.nextName();
            if (const SLevelBox* start = referencedBox(mLevel, fields.nextName())) {
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
    char block[16384];
    std::streambuf* buffer = in.rdbuf();
    for (std::streamsize got; (got = buffer->sgetn(block, sizeof(block))) > 0;) {
        const char* const end = block + got;
        for (const char* at = block; at < end;) {
            const auto* newline = static_cast<const char*>(std::memchr(at, '\n', size_t(end - at)));
            const char* const stop = newline ? newline : end;
            const size_t count = size_t(stop - at);
            const size_t room = keep - std::min(line.size(), keep);
            tooLong = tooLong || count > room;
            line.append(at, std::min(count, room));
            pending = pending || count > 0;
            if (newline)
                endLine();
            at = newline ? newline + 1 : end;
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
