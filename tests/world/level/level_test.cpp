// The level model's operations keep it consistent: unique names, no reference to anything
// gone, dependants removed with a box or a waypoint or keeping it from going.
#include "world/level/level.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

SLevelBox box(const std::string& name)
{
    return {name, "stone", {}, CLevel::cubeVertices(1.0f), false};
}

// Boxes a, b, c in grid "g" and d in grid "h"; waypoints on a, b, c linked a-b, b-c, c-a; the
// monster "m" on a; a is a start and b a finish point; the light "lamp".
CLevel sample()
{
    CLevel level;
    for (const char* name : {"a", "b", "c"})
        level.addBox("g", box(name));
    level.addBox("h", box("d"));
    for (const char* name : {"a", "b", "c"})
        level.addWaypoint(name, 1);
    level.link("a", "b");
    level.link("b", "c");
    level.link("c", "a");
    level.addMonster({4, "m", "a"});
    level.addPoint("a", true);
    level.addPoint("b", false);
    level.addLight({"lamp", {}, {}, {}, 10});
    return level;
}

std::vector<std::string> neighbours(const CLevel& level, const std::string& box)
{
    const SLevelWaypoint* waypoint = level.findWaypoint(box);
    return waypoint ? waypoint->neighbours : std::vector<std::string>{"(none)"};
}

} // namespace

TEST(Level, aNameInUseGetsTheSmallestFreeNumber)
{
    CLevel level;
    const struct
    {
        const char* name;
        const char* given;
    } rows[] = {{"a", "a"},    {"a", "a0"}, {"a", "a1"}, {"a0", "a00"},
                {"a1", "a10"}, {"", ""},    {"", "0"}};
    for (const auto& row : rows)
        EXPECT_EQ(level.addBox("g", box(row.name)), row.given) << row.name;
    EXPECT_EQ(level.boxCount(), std::size(rows));
    EXPECT_EQ(level.grids().size(), 1u);
}

// Each refusal leaves the level as it was.
TEST(Level, refusalsChangeNothing)
{
    const std::function<bool(CLevel&)> refused[] = {
        [](CLevel& l) { return !l.removeBox("a"); },      // the monster starts there
        [](CLevel& l) { return !l.removeWaypoint("a"); }, // the same
        [](CLevel& l) { return !l.removeBox("nobody"); },
        [](CLevel& l) { return !l.addWaypoint("a", 3); }, // it has one
        [](CLevel& l) { return !l.addWaypoint("nobody", 3); },
        [](CLevel& l) { return !l.link("a", "a"); },
        [](CLevel& l) { return !l.link("b", "a"); }, // linked already, the other way
        [](CLevel& l) { return !l.link("a", "d"); }, // d has no waypoint
        [](CLevel& l) { return !l.unlink("a", "d"); },
        [](CLevel& l) { return !l.addPoint("a", true); },
        [](CLevel& l) { return !l.addPoint("nobody", false); },
        [](CLevel& l) {
            return !l.addMonster({0, "m", "b"});
        }, // name taken
        [](CLevel& l) {
            return !l.addMonster({0, "n", "a"});
        }, // waypoint taken
        [](CLevel& l) {
            return !l.addMonster({6, "n", "b"});
        }, // no such kind
        [](CLevel& l) {
            return !l.addMonster({-1, "n", "b"});
        },
        [](CLevel& l) {
            return !l.addMonster({0, "n", "d"});
        }, // no waypoint
        [](CLevel& l) {
            return !l.addLight({"lamp", {}, {}, {}, 5});
        },
        [](CLevel& l) {
            return !l.setBox(box("nobody")) && !l.setLight({"x", {}, {}, {}, 1});
        },
    };
    int row = 0;
    for (const auto& refuse : refused) {
        CLevel level = sample();
        EXPECT_TRUE(refuse(level)) << "row " << row;
        EXPECT_EQ(neighbours(level, "a"), (std::vector<std::string>{"b", "c"})) << "row " << row;
        EXPECT_EQ(level.boxCount(), 4u) << "row " << row;
        EXPECT_EQ(level.monsters().size(), 1u) << "row " << row;
        EXPECT_EQ(level.startPoints().size(), 1u) << "row " << row;
        EXPECT_EQ(level.lights()[0].range, 10.0f) << "row " << row;
        ++row;
    }
}

TEST(Level, aBoxTakesItsPointsWaypointAndLinksWithIt)
{
    CLevel level = sample();
    ASSERT_TRUE(level.removeMonster("m"));
    ASSERT_TRUE(level.removeBox("b"));
    EXPECT_EQ(level.findBox("b"), nullptr);
    EXPECT_EQ(level.findWaypoint("b"), nullptr);
    EXPECT_TRUE(level.finishPoints().empty());
    EXPECT_EQ(neighbours(level, "a"), std::vector<std::string>{"c"});
    EXPECT_EQ(neighbours(level, "c"), std::vector<std::string>{"a"});
    // The boxes after it are still found; a grid goes with its last box.
    EXPECT_EQ(level.findBox("c")->name, "c");
    ASSERT_TRUE(level.removeBox("d"));
    EXPECT_EQ(level.findGrid("h"), nullptr);
    EXPECT_EQ(level.gridOf("c"), "g");

    ASSERT_TRUE(level.removeWaypoint("a"));
    EXPECT_EQ(neighbours(level, "c"), std::vector<std::string>{});
    EXPECT_EQ(level.startPoints(), std::vector<std::string>{"a"}); // the box stays a start
    EXPECT_EQ(level.waypoints().size(), 1u);
    EXPECT_EQ(level.findWaypoint("c")->box, "c");
}

TEST(Level, linksAreSymmetricAndKeepTheirOrder)
{
    CLevel level = sample();
    level.addBox("g", box("e"));
    level.addWaypoint("e", 2);
    ASSERT_TRUE(level.link("e", "a"));
    EXPECT_EQ(neighbours(level, "a"), (std::vector<std::string>{"b", "c", "e"}));
    level.orderNeighbours("a", {"e", "nobody", "b"});
    EXPECT_EQ(neighbours(level, "a"), (std::vector<std::string>{"e", "b", "c"}));
    ASSERT_TRUE(level.unlink("b", "a"));
    EXPECT_EQ(neighbours(level, "a"), (std::vector<std::string>{"e", "c"}));
    EXPECT_EQ(neighbours(level, "b"), std::vector<std::string>{"c"});
}
