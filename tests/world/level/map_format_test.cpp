// The map format on the level model alone: every record kind written and read back gives the
// same values (numbers to the last bit, names whole), random levels save to the same bytes, the
// program's locale changes nothing, and what the format cannot hold is refused with a reason.
#include "random_level.h"

#include "world/level/map_format.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <locale>
#include <sstream>

namespace {

std::string exact(float value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%a", static_cast<double>(value));
    return text;
}

std::string exact(const SLevelVector& v)
{
    return exact(v.x) + " " + exact(v.y) + " " + exact(v.z);
}

std::string exact(const SLevelColour& c)
{
    return exact(c.r) + " " + exact(c.g) + " " + exact(c.b);
}

// Every value of the level, one line per object, numbers in hexadecimal (exact).
std::string describe(const CLevel& level)
{
    std::string text;
    for (const SLevelGrid& grid : level.grids()) {
        for (const SLevelBox& box : grid.boxes) {
            text += "box [" + box.name + "] [" + box.material + "] [" + grid.name + "] " +
                    exact(box.position) + (box.fitTexture ? " fit" : " stretch");
            for (const SLevelVector& vertex : box.vertices)
                text += " " + exact(vertex);
            text += "\n";
        }
    }
    for (const SLevelLight& light : level.lights())
        text += "light [" + light.name + "] " + exact(light.position) + " " + exact(light.diffuse) +
                " " + exact(light.specular) + " " + exact(light.range) + "\n";
    text += "ambient " + exact(level.ambient()) + "\n";
    for (const std::string& box : level.startPoints())
        text += "start [" + box + "]\n";
    for (const std::string& box : level.finishPoints())
        text += "finish [" + box + "]\n";
    for (const SLevelWaypoint& waypoint : level.waypoints()) {
        text += "waypoint [" + waypoint.box + "] " + std::to_string(waypoint.weight);
        for (const std::string& neighbour : waypoint.neighbours)
            text += " [" + neighbour + "]";
        text += "\n";
    }
    for (const SLevelMonster& monster : level.monsters())
        text += "monster " + std::to_string(monster.kind) + " [" + monster.name + "] [" +
                monster.start + "]\n";
    return text;
}

CLevel read(const std::string& text)
{
    std::istringstream in(text);
    return readMap(splitMapLines(in));
}

// Written and read back, the level has the same values, and writes the same bytes again.
void expectExactRoundTrip(const CLevel& level, const std::string& what)
{
    const std::string text = writeMap(level);
    const CLevel back = read(text);
    EXPECT_EQ(describe(back), describe(level)) << what;
    EXPECT_EQ(writeMap(back), text) << what;
}

SLevelBox box(const std::string& name, const SLevelVector& position = {})
{
    return {name, "stone", position, CLevel::cubeVertices(1.0f), false};
}

} // namespace

TEST(MapFormat, everyRecordKindReadsBackWithTheSameValuesAndNames)
{
    CLevel level;
    SLevelBox bent = box("Box One", {345.6789f, -54321.87f, 1e-40f});
    bent.vertices[0] = {345.6789f, 0.1f, -1e-7f};
    bent.vertices[4].y = 0.123456789f;
    bent.fitTexture = true;
    level.addBox("grid A", bent);
    level.addBox("grid A", box("start here", {1, 2, 3}));
    level.addBox("other grid", box("goal", {-0.3f, 0, 999999.94f}));
    level.addLight({"desk lamp",
                    {0.1f, 2.0f / 3.0f, -54321.87f},
                    {0.7f, 0.33333334f, 1},
                    {0.05f, 0, 0.999f},
                    123.456789f});
    level.setAmbient({0.1f, 0.2f, 0.3f});
    // Start and finish on different boxes, so that writing one as the other shows.
    ASSERT_TRUE(level.addPoint("start here", true));
    ASSERT_TRUE(level.addPoint("goal", false));
    for (const auto& [name, weight] : {std::pair("Box One", 7), {"goal", -2}, {"start here", 0}})
        ASSERT_TRUE(level.addWaypoint(name, weight));
    ASSERT_TRUE(level.link("goal", "Box One"));
    ASSERT_TRUE(level.link("Box One", "start here"));
    ASSERT_TRUE(level.addMonster({0, "Red Eye", "Box One"}));
    ASSERT_TRUE(level.addMonster({4, "Red Fang", "goal"}));

    const std::string text = writeMap(level);
    for (const char* line :
         {"box=Box One,stone,grid A,345.6789,-54321.87,9.99995e-41,345.6789,0.1,-1e-07,",
          "light=desk lamp,0.1,0.6666667,-54321.87,0.7,0.33333334,1,0.05,0,0.999,123.45679\n",
          "ambient=0.1,0.2,0.3\nstartpoint=start here\nfinishpoint=goal\n",
          "waypoint=Box One,7,goal,start here\n", "monster=0,Red Eye,Box One\n",
          "monster=4,Red Fang,goal\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\nin\n" << text;
    expectExactRoundTrip(level, "every record kind");
}

// A locale with a decimal comma and digit grouping, as a designer's desktop may have.
struct CCommaNumbers : std::numpunct<char>
{
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(MapFormat, randomLevelsSaveToTheSameBytesInAnyLocale)
{
    std::mt19937 random(4711);
    const std::locale original =
        std::locale::global(std::locale(std::locale::classic(), new CCommaNumbers));
    for (int round = 0; round < 200; ++round) {
        const CLevel level = leveltest::randomLevel(random);
        ASSERT_EQ(unstorableReason(level), "");
        expectExactRoundTrip(level, "round " + std::to_string(round));
    }
    std::locale::global(original);
}

// What the file cannot hold is refused with a reason naming it; the rest of the level is fine.
TEST(MapFormat, whatAMapFileCannotHoldIsRefusedWithAReason)
{
    const float nan = std::nanf("");
    const struct
    {
        std::function<void(CLevel&)> change;
        const char* reason; // a part of the reason
    } rows[] = {
        {[](CLevel& l) { l.addBox("g", box("a,b")); }, "box name \"a,b\""},
        {[](CLevel& l) {
             l.addBox("g", {"b", "", {}, {}, false});
         },
         "material name \"\""},
        {[](CLevel& l) { l.addBox("g\n", box("b")); }, "grid name"},
        {[](CLevel& l) {
             l.addBox("g", box("far", {0, 2e6f, 0}));
         },
         "The box far lies beyond"},
        {[nan](CLevel& l) {
             SLevelBox broken = box("broken");
             broken.vertices[3].z = nan;
             l.addBox("g", broken);
         },
         "A vertex of the box broken"},
        {[](CLevel& l) {
             l.addLight({"x,y", {}, {}, {}, 10});
         },
         "light name \"x,y\""},
        {[](CLevel& l) {
             l.addLight({"far", {-2e6f, 0, 0}, {}, {}, 10});
         },
         "light far lies"},
        {[nan](CLevel& l) {
             l.addLight({"dim", {}, {nan, 0, 0}, {}, 10});
         },
         "light dim"},
        {[](CLevel& l) {
             l.addLight({"dark", {}, {}, {}, 0.001f});
         },
         "light dark has the range 0.001"},
        {[nan](CLevel& l) {
             l.setAmbient({0, nan, 0});
         },
         "ambient"},
        {[](CLevel& l) {
             l.addWaypoint("fine", 1);
             l.addMonster({1, "", "fine"});
         },
         "monster name \"\""},
        {[](CLevel& l) {
             const std::string hub = "a rather long box name 0";
             l.addBox("g", box(hub));
             l.addWaypoint(hub, 1);
             for (int i = 1; i < 60; ++i) {
                 const std::string name = "a rather long box name " + std::to_string(i);
                 l.addBox("g", box(name));
                 l.addWaypoint(name, 1);
                 l.link(hub, name);
             }
         },
         "\"waypoint=a rather long box name 0\" would be"},
    };
    for (const auto& row : rows) {
        CLevel level;
        level.addBox("g", box("fine"));
        EXPECT_EQ(unstorableReason(level), "");
        row.change(level);
        EXPECT_NE(unstorableReason(level).find(row.reason), std::string::npos)
            << row.reason << " / " << unstorableReason(level);
    }
}
