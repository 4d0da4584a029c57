// The map reader's rules on the level model alone, each shown by what the level read from a text
// writes back: blank and inexact lines, missing numbers, references to boxes read before, links
// made after all lines, refused monster lines, line ends and over-long lines.
#include "world/level/map_format.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// A unit cube's record, written just as the writer writes it.
std::string box(const std::string& name, float x = 0.0f)
{
    std::ostringstream line;
    line << "box=" << name << ",stone,grid," << x << ",0,0";
    for (const SLevelVector& v : CLevel::cubeVertices(1.0f))
        line << ',' << v.x << ',' << v.y << ',' << v.z;
    line << ",0\n";
    return line.str();
}

std::string crlf(const std::string& text)
{
    std::string result;
    for (char c : text)
        result += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return result;
}

} // namespace

TEST(MapReader, eachRuleShowsInWhatTheLevelWritesBack)
{
    const std::string ab = box("a") + box("b", 1);
    const std::string abc = ab + box("c", 2);
    std::string longLine = box("kept");
    longLine.insert(longLine.size() - 1, kMapMaxLineLength - longLine.size(), ' ');
    std::string tooLong = box("dropped", 1);
    // The tail would be a record of its own if the line were cut at the buffer size.
    tooLong.insert(tooLong.size() - 1, kMapMaxLineLength + 1 - tooLong.size(), ' ');
    tooLong.back() = ' ';
    const struct
    {
        const char* rule;
        std::string text;
        std::string written;
    } rows[] = {
        {"blank lines and inexact keys read nothing",
         "\n\r\n \r\n " + box("b") + "BOX" + box("b").substr(3) + "boxes" + box("b").substr(3),
         "ambient=0.1,0.1,0.1\n"},
        // In "lamp" the field ",2,3,..." reads as no number (0) and the rest of the line is gone;
        // a range of 0 would divide by zero in the attenuation and reads as 1000.
        {"missing numbers get defaults",
         "ambient=0.5\nlight=lamp,1,,2,3,1,1,1,1,1,1,50\nlight=short,1,2,3\n"
         "light=dark,1,2,3,1,1,1,1,1,1,0\n",
         "light=lamp,1,0,0,0,0,0,0,0,0,1000\nlight=short,1,2,3,0,0,0,0,0,0,1000\n"
         "light=dark,1,2,3,1,1,1,1,1,1,1000\nambient=0.5,1,1\n"},
        {"references resolve only to boxes read before; a word stops at a blank",
         "startpoint=late\nfinishpoint=late\n" + box("late") +
             "finishpoint=late   trailing words\nfinishpoint=late\nstartpoint=nobody\n",
         box("late") + "ambient=0.1,0.1,0.1\nfinishpoint=late\n"},
        {"links are made after all lines, both ways; the first weight wins",
         box("a") + "waypoint=a,4,b,c\n" + box("b", 1) + box("c", 2) +
             "waypoint=b,1,a\nwaypoint=c,2,a,nobody\nwaypoint=a,9,a,c\n",
         abc + "ambient=0.1,0.1,0.1\nwaypoint=a,4,b,c\nwaypoint=b,1,a\nwaypoint=c,2,a\n"},
        {"each waypoint keeps the neighbour order of its line",
         abc + "waypoint=a,1,b,c\nwaypoint=b,1,c,a\nwaypoint=c,1,b,a\n",
         abc + "ambient=0.1,0.1,0.1\nwaypoint=a,1,b,c\nwaypoint=b,1,c,a\nwaypoint=c,1,b,a\n"},
        {"refused monster lines are skipped one by one",
         ab + "waypoint=a,1,b\nwaypoint=b,1,a\nmonster=4,slime1,a\n"
              "monster=0,slime1,b\nmonster=1,other,a\nmonster=6,wrong,b\nmonster=x,wrong,b\n"
              "monster=2,venom,nobox\nmonster=2,venom,b\n",
         ab + "ambient=0.1,0.1,0.1\nwaypoint=a,1,b\nwaypoint=b,1,a\nmonster=4,slime1,a\n"
              "monster=2,venom,b\n"},
        {"carriage return line ends read like line feeds",
         crlf(ab + "waypoint=a,1,b\nwaypoint=b,1,a\nstartpoint=a\nambient=0.5,0.5,0.5\n"),
         ab + "ambient=0.5,0.5,0.5\nstartpoint=a\nwaypoint=a,1,b\nwaypoint=b,1,a\n"},
        {"over-long lines are dropped whole and never split",
         longLine + tooLong + box("tail", 2) +
             "startpoint=kept\nambient=" + std::string(5000000, '7') + "\n",
         box("kept") + "ambient=0.1,0.1,0.1\nstartpoint=kept\n"},
    };
    for (const auto& row : rows) {
        std::istringstream in(row.text);
        EXPECT_EQ(writeMap(readMap(splitMapLines(in))), row.written) << row.rule;
    }
}
