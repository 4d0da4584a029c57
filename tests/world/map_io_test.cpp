// Reading and writing map files: field splitting, references, links, duplicates, messages,
// line ends, over-long lines and broken input.
#include "level_fixture.h"

#include "world/box_grid.h"
#include "world/map_io.h"

#include <OgreLight.h>
#include <OgreSceneNode.h>

#include <gtest/gtest.h>

using leveltest::MapText;

namespace {

std::string boxLine(const std::string& name, float x = 0.0f)
{
    return MapText().box(name, x, 0, 0).str();
}

class MapIoTest : public ::testing::Test
{
protected:
    // Reads the text as a map into a fresh scene (editor mode unless asked otherwise).
    CScene& read(const std::string& text, bool editor = true)
    {
        leveltest::LevelOptions options;
        options.editor = editor;
        return level.build(text, options);
    }

    std::string write(const CScene& s, const std::string& name = "out.kivom")
    {
        CIOMap map;
        EXPECT_TRUE(map.openForWriting(level.dir.file(name)));
        map.writeScene(s);
        EXPECT_TRUE(map.closeAfterWriting());
        return testenv::readFile(level.dir.file(name));
    }

    leveltest::Level level;
};

std::vector<std::string> neighbourNames(const CWaypoint* waypoint)
{
    std::vector<std::string> names;
    for (const CWaypoint* n : waypoint->getNeighbours())
        names.push_back(n->getBox()->getName());
    return names;
}

} // namespace

TEST_F(MapIoTest, blankLinesAndInexactKeysBuildNothing)
{
    const std::string line = boxLine("b");
    for (const std::string& text : {std::string("\n\r\n \r\n"), " " + line, "BOX" + line.substr(3),
                                    "boxes" + line.substr(3)}) {
        CScene& s = read(text);
        EXPECT_TRUE(s.getGrids().empty()) << text;
        EXPECT_EQ(s.getAmbientLight(), Ogre::ColourValue(0.1f, 0.1f, 0.1f, 1.0f));
    }
}

TEST_F(MapIoTest, missingNumbersGetDefaultsAndAnEmptyFieldSwallowsTheRestOfTheLine)
{
    // In "lamp" the field ",2,3,..." reads as no number (0) and everything after it is gone.
    CScene& s = read("ambient=0.5\nlight=lamp,1,,2,3,1,1,1,1,1,1,50\nlight=short,1,2,3\n"
                     "light=dark,1,2,3,1,1,1,1,1,1,0\n");
    EXPECT_EQ(s.getAmbientLight(), Ogre::ColourValue(0.5f, 1.0f, 1.0f, 1.0f));
    ASSERT_EQ(s.getLights().size(), 3u);
    const Ogre::Light* lamp = s.getLights()[0];
    EXPECT_EQ(lamp->getParentSceneNode()->getPosition(), Ogre::Vector3(1, 0, 0));
    EXPECT_EQ(lamp->getDiffuseColour(), Ogre::ColourValue(0, 0, 0, 1));
    // The range defaults to 1000, also for 0, which would divide by zero in the attenuation.
    for (const Ogre::Light* light : s.getLights())
        EXPECT_FLOAT_EQ(light->getAttenuationRange(), 1000.0f) << light->getName();
}

TEST_F(MapIoTest, referencesResolveOnlyToBoxesReadBefore)
{
    std::string text = "startpoint=late\nfinishpoint=late\n";
    text += boxLine("late");
    text += "finishpoint=late   trailing words\n";
    text += "finishpoint=late\n";
    text += "startpoint=nobody\n";
    CScene& s = read(text);
    EXPECT_TRUE(s.getStartBoxes().empty());
    ASSERT_EQ(s.getFinishBoxes().size(), 1u); // the word stops at the blank; no second entry
    EXPECT_EQ(s.getFinishBoxes()[0]->getName(), "late");
}

TEST_F(MapIoTest, waypointLinksAreMadeAfterAllLinesAndFirstWeightWins)
{
    std::string text;
    text += boxLine("a");
    text += "waypoint=a,4,b,c\n"; // b and c come later
    text += boxLine("b", 1) + boxLine("c", 2);
    text += "waypoint=b,1,a\n";
    text += "waypoint=c,2,a,nobody\n";
    text += "waypoint=a,9,a,c\n"; // second line for a: weight ignored, links still applied
    CScene& s = read(text);
    ASSERT_EQ(s.getWaypoints().size(), 3u);
    const CWaypoint* a = s.findWaypoint(s.findBox("a"));
    EXPECT_EQ(a->getWeight(), 4);
    EXPECT_EQ(neighbourNames(a), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(neighbourNames(s.findWaypoint(s.findBox("b"))), std::vector<std::string>{"a"});
    EXPECT_EQ(neighbourNames(s.findWaypoint(s.findBox("c"))), std::vector<std::string>{"a"});

    // Written back, each link stands on both sides, in link order.
    const std::string out = write(s);
    EXPECT_NE(out.find("waypoint=a,4,b,c\n"), std::string::npos);
    EXPECT_NE(out.find("waypoint=b,1,a\n"), std::string::npos);
    EXPECT_NE(out.find("waypoint=c,2,a\n"), std::string::npos);
}

TEST_F(MapIoTest, refusedMonsterLinesAreSkippedOneByOne)
{
    std::string text;
    text += boxLine("a") + boxLine("b", 1) + "waypoint=a,1,b\nwaypoint=b,1,a\n";
    text += "monster=4,slime1,a\n";
    text += "monster=0,slime1,b\n"; // name taken
    text += "monster=1,other,a\n";  // waypoint taken
    text += "monster=6,wrong,b\n";  // no such kind
    text += "monster=x,wrong,b\n";  // no kind at all
    text += "monster=2,venom,nobox\n";
    text += "monster=2,venom,b\n";
    CScene& s = read(text);
    ASSERT_EQ(s.getMonsters().size(), 2u);
    EXPECT_EQ(s.getMonsters()[0]->getName(), "slime1");
    EXPECT_EQ(s.getMonsters()[0]->getKind(), 4);
    EXPECT_EQ(s.getMonsters()[1]->getName(), "venom");
    EXPECT_EQ(s.getMonsters()[1]->getStartWaypoint(), s.findWaypoint(s.findBox("b")));
    const std::string out = write(s);
    EXPECT_NE(out.find("monster=4,slime1,a\nmonster=2,venom,b\n"), std::string::npos);
}

TEST_F(MapIoTest, carriageReturnLineEndsReadLikeLineFeeds)
{
    const std::string text = boxLine("a") + boxLine("b", 1) +
                             "waypoint=a,1,b\nwaypoint=b,1,a\nstartpoint=a\nambient=0.5,0.5,0.5\n";
    std::string crlf;
    for (char c : text)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::string expected = write(read(text), "lf.kivom");
    EXPECT_EQ(write(read(crlf), "crlf.kivom"), expected);
    EXPECT_EQ(neighbourNames(level.waypointOn("a")), std::vector<std::string>{"b"}); // not "b\r"
}

TEST_F(MapIoTest, overLongLinesAreDroppedWholeAndNeverSplit)
{
    std::string padded = boxLine("kept");
    padded.pop_back();
    padded += std::string(CIOMap::kMaxLineLength - padded.size(), ' ') + "\n";
    ASSERT_EQ(padded.size(), CIOMap::kMaxLineLength + 1);
    std::string tooLong = boxLine("dropped", 1);
    tooLong.pop_back();
    // The tail would be a record of its own if the line were cut at the buffer size.
    tooLong += std::string(CIOMap::kMaxLineLength + 1 - tooLong.size(), ' ') + boxLine("tail", 2);
    CScene& s = read(padded + tooLong + "startpoint=kept\n" +
                     "ambient=" + std::string(5000000, '7') + "\n");
    EXPECT_NE(s.findBox("kept"), nullptr);
    EXPECT_EQ(s.findBox("dropped"), nullptr);
    EXPECT_EQ(s.findBox("tail"), nullptr);
    EXPECT_EQ(s.getStartBoxes().size(), 1u);
}

// Random bytes are the fuzz targets' part; here, every record cut short or out of range.
TEST_F(MapIoTest, truncatedRecordsNeverCrashInEitherMode)
{
    const std::string truncated = "box=t1,stone,g,1,2\n"
                                  "box=t2\n"
                                  "box=t3,stone,g,1,2,3,0.5,0.5\n"
                                  "box=t4,stone,g,5e30,0,0\n"
                                  "light=\nlight=,,,\nambient=\nambient=nan,inf,-1\n"
                                  "waypoint=t1\nwaypoint=\nmonster=\nmonster=1\n"
                                  "startpoint=\nfinishpoint=t1\nstartpoint=t1\n=\n==,,\n";
    for (bool editor : {true, false}) {
        CScene& s = read(truncated, editor);
        EXPECT_NE(s.findBox("t1"), nullptr);
        EXPECT_EQ(s.findBox("t4"), nullptr); // beyond any sensible coordinate
        level.ogre.frame(0.1f);
    }
}

TEST_F(MapIoTest, tellsWhenFilesCannotBeOpenedOrCreatedAndWhenSaved)
{
    CIOMap reader;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(reader.openForReading(level.dir.file("missing.kivom")));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "CIOMap: Can't open file: " + level.dir.file("missing.kivom") + "!\n");
    CIOMap writer;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(writer.openForWriting(level.dir.file("no/such/folder.kivom")));
    EXPECT_FALSE(writer.closeAfterWriting());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Can't open or create file"),
              std::string::npos);
    ASSERT_TRUE(writer.openForWriting(level.dir.file("ok.kivom")));
    writer.writeScene(read(""));
    testing::internal::CaptureStdout();
    EXPECT_TRUE(writer.closeAfterWriting());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "CIOMap: Successful saved!\n");
}
