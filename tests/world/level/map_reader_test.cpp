// The map reader's rules on the level model alone: blank and inexact lines, missing numbers,
// references to boxes read before, links made after all lines, refused monster lines, line ends
// and over-long lines.
#include "world/level/map_format.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string boxLine(const std::string& name, float x = 0.0f)
{
    std::ostringstream line;
    line << "box=" << name << ",stone,grid," << x << ",0,0";
    for (const SLevelVector& v : CLevel::cubeVertices(1.0f))
        line << ',' << v.x << ',' << v.y << ',' << v.z;
    line << ",0\n";
    return line.str();
}

CLevel read(const std::string& text)
{
    std::istringstream in(text);
    return readMap(splitMapLines(in));
}

std::vector<std::string> monsterNames(const CLevel& level)
{
    std::vector<std::string> names;
    for (const SLevelMonster& monster : level.monsters())
        names.push_back(std::to_string(monster.kind) + " " + monster.name + " " + monster.start);
    return names;
}

bool same(const SLevelColour& a, const SLevelColour& b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

} // namespace

TEST(MapReader, blankLinesAndInexactKeysReadNothing)
{
    const std::string line = boxLine("b");
    for (const std::string& text : {std::string("\n\r\n \r\n"), " " + line, "BOX" + line.substr(3),
                                    "boxes" + line.substr(3)}) {
        const CLevel level = read(text);
        EXPECT_TRUE(level.grids().empty()) << text;
        EXPECT_TRUE(same(level.ambient(), CLevel::kDefaultAmbient)) << text;
    }
}

TEST(MapReader, missingNumbersGetDefaultsAndAnEmptyFieldSwallowsTheRestOfTheLine)
{
    // In "lamp" the field ",2,3,..." reads as no number (0) and everything after it is gone.
    const CLevel level = read("ambient=0.5\nlight=lamp,1,,2,3,1,1,1,1,1,1,50\nlight=short,1,2,3\n"
                              "light=dark,1,2,3,1,1,1,1,1,1,0\n");
    EXPECT_TRUE(same(level.ambient(), {0.5f, 1.0f, 1.0f}));
    ASSERT_EQ(level.lights().size(), 3u);
    const SLevelLight& lamp = level.lights()[0];
    EXPECT_EQ(lamp.position.x, 1.0f);
    EXPECT_EQ(lamp.position.y, 0.0f);
    EXPECT_TRUE(same(lamp.diffuse, {0, 0, 0}));
    // The range defaults to 1000, also for 0, which would divide by zero in the attenuation.
    for (const SLevelLight& light : level.lights())
        EXPECT_FLOAT_EQ(light.range, 1000.0f) << light.name;
}

TEST(MapReader, referencesResolveOnlyToBoxesReadBefore)
{
    const CLevel level = read("startpoint=late\nfinishpoint=late\n" + boxLine("late") +
                              "finishpoint=late   trailing words\nfinishpoint=late\n"
                              "startpoint=nobody\n");
    EXPECT_TRUE(level.startPoints().empty());
    // The word stops at the blank; no second entry.
    EXPECT_EQ(level.finishPoints(), std::vector<std::string>{"late"});
}

TEST(MapReader, waypointLinksAreMadeAfterAllLinesAndFirstWeightWins)
{
    const CLevel level = read(boxLine("a") + "waypoint=a,4,b,c\n" // b and c come later
                              + boxLine("b", 1) + boxLine("c", 2) +
                              "waypoint=b,1,a\nwaypoint=c,2,a,nobody\n"
                              "waypoint=a,9,a,c\n"); // a second line: links kept, weight not
    ASSERT_EQ(level.waypoints().size(), 3u);
    EXPECT_EQ(level.findWaypoint("a")->weight, 4);
    EXPECT_EQ(level.findWaypoint("a")->neighbours, (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(level.findWaypoint("b")->neighbours, std::vector<std::string>{"a"});
    EXPECT_EQ(level.findWaypoint("c")->neighbours, std::vector<std::string>{"a"});
    // Written back, each link stands on both sides, in link order.
    const std::string out = writeMap(level);
    for (const char* line : {"waypoint=a,4,b,c\n", "waypoint=b,1,a\n", "waypoint=c,2,a\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line;
}

TEST(MapReader, refusedMonsterLinesAreSkippedOneByOne)
{
    const CLevel level = read(boxLine("a") + boxLine("b", 1) +
                              "waypoint=a,1,b\nwaypoint=b,1,a\n"
                              "monster=4,slime1,a\n"
                              "monster=0,slime1,b\n" // name taken
                              "monster=1,other,a\n"  // waypoint taken
                              "monster=6,wrong,b\n"  // no such kind
                              "monster=x,wrong,b\n"  // no kind at all
                              "monster=2,venom,nobox\n"
                              "monster=2,venom,b\n");
    EXPECT_EQ(monsterNames(level), (std::vector<std::string>{"4 slime1 a", "2 venom b"}));
}

TEST(MapReader, carriageReturnLineEndsReadLikeLineFeeds)
{
    const std::string text = boxLine("a") + boxLine("b", 1) +
                             "waypoint=a,1,b\nwaypoint=b,1,a\nstartpoint=a\nambient=0.5,0.5,0.5\n";
    std::string crlf;
    for (char c : text)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const CLevel level = read(crlf);
    EXPECT_EQ(writeMap(level), writeMap(read(text)));
    EXPECT_EQ(level.findWaypoint("a")->neighbours, std::vector<std::string>{"b"}); // not "b\r"
}

TEST(MapReader, overLongLinesAreDroppedWholeAndNeverSplit)
{
    std::string padded = boxLine("kept");
    padded.pop_back();
    padded += std::string(kMapMaxLineLength - padded.size(), ' ') + "\n";
    ASSERT_EQ(padded.size(), kMapMaxLineLength + 1);
    std::string tooLong = boxLine("dropped", 1);
    tooLong.pop_back();
    // The tail would be a record of its own if the line were cut at the buffer size.
    tooLong += std::string(kMapMaxLineLength + 1 - tooLong.size(), ' ') + boxLine("tail", 2);
    const CLevel level = read(padded + tooLong + "startpoint=kept\n" +
                              "ambient=" + std::string(5000000, '7') + "\n");
    EXPECT_NE(level.findBox("kept"), nullptr);
    EXPECT_EQ(level.findBox("dropped"), nullptr);
    EXPECT_EQ(level.findBox("tail"), nullptr);
    EXPECT_EQ(level.startPoints().size(), 1u);
}
