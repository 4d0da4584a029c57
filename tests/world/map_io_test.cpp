// Reading and writing map files: field splitting, references, links, duplicates, messages,
// line ends, over-long lines and broken input, and the round trip of the shipped maps.
#include "headless_ogre.h"
#include "map_text.h"
#include "test_env.h"
#include "world/box.h"
#include "world/box_grid.h"
#include "world/map_io.h"
#include "world/monster.h"
#include "world/scene.h"
#include "world/waypoint.h"

#include <OgreLight.h>
#include <OgreSceneNode.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class MapIoTest : public ::testing::Test
{
protected:
    ~MapIoTest() override { scene.reset(); }

    // Reads the text as a map into a fresh scene (editor mode unless asked otherwise).
    CScene& read(const std::string& text, bool editor = true)
    {
        testenv::writeFile(dir.file("in.kivom"), text);
        return readFile(dir.file("in.kivom"), editor);
    }

    CScene& readFile(const std::string& path, bool editor = true)
    {
        scene.reset();
        scene = std::make_unique<CScene>(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName,
                                         "", "", "", editor, "", 1, 1, nullptr);
        CIOMap map;
        EXPECT_TRUE(map.openForReading(path));
        map.readIntoScene(*scene);
        return *scene;
    }

    std::string write(const CScene& s, const std::string& name = "out.kivom")
    {
        CIOMap map;
        EXPECT_TRUE(map.openForWriting(dir.file(name)));
        map.writeScene(s);
        EXPECT_TRUE(map.closeAfterWriting());
        return testenv::readFile(dir.file(name));
    }

    size_t boxCount() const
    {
        size_t count = 0;
        for (const auto& grid : scene->getGrids())
            count += grid->getBoxes().size();
        return count;
    }

    testenv::TempDir dir;
    HeadlessOgre ogre;
    std::unique_ptr<CScene> scene;
};

std::vector<std::string> neighbourNames(const CWaypoint* waypoint)
{
    std::vector<std::string> names;
    for (const CWaypoint* n : waypoint->getNeighbours())
        names.push_back(n->getBox()->getName());
    return names;
}

} // namespace

TEST_F(MapIoTest, emptyFileOrBlankLinesBuildNothingAndKeepTheAmbientLight)
{
    for (const char* text : {"", "\n\n\n", "\r\n \r\n"}) {
        CScene& s = read(text);
        EXPECT_TRUE(s.getGrids().empty());
        EXPECT_TRUE(s.getLights().empty());
        EXPECT_TRUE(s.getStartBoxes().empty());
        EXPECT_TRUE(s.getWaypoints().empty());
        EXPECT_TRUE(s.getMonsters().empty());
        EXPECT_EQ(s.getAmbientLight(), Ogre::ColourValue(0.1f, 0.1f, 0.1f, 1.0f));
    }
}

TEST_F(MapIoTest, keysAreExactLowerCaseWithoutLeadingBlanks)
{
    const std::string line = maptext::box("b", "stone", "g", Ogre::Vector3::ZERO);
    read(" " + line + "BOX" + line.substr(3) + "boxes" + line.substr(3) + "box" + line.substr(3));
    EXPECT_EQ(boxCount(), 1u);
}

TEST_F(MapIoTest, emptyFieldSwallowsTheRestOfTheLine)
{
    // x = 1; the field ",2,3,..." reads as no number (0), and everything after it is gone:
    // colours 0 and the range takes its default.
    CScene& s = read("light=lamp,1,,2,3,1,1,1,1,1,1,50\n");
    ASSERT_EQ(s.getLights().size(), 1u);
    const Ogre::Light* light = s.getLights()[0];
    EXPECT_EQ(light->getParentSceneNode()->getPosition(), Ogre::Vector3(1, 0, 0));
    EXPECT_EQ(light->getDiffuseColour(), Ogre::ColourValue(0, 0, 0, 1));
    EXPECT_FLOAT_EQ(light->getAttenuationRange(), 1000.0f);
}

TEST_F(MapIoTest, missingNumbersGetTheirDefaults)
{
    CScene& s = read("ambient=0.5\nlight=lamp,1,2,3\nlight=dark,1,2,3,1,1,1,1,1,1,0\n");
    EXPECT_EQ(s.getAmbientLight(), Ogre::ColourValue(0.5f, 1.0f, 1.0f, 1.0f));
    ASSERT_EQ(s.getLights().size(), 2u);
    EXPECT_FLOAT_EQ(s.getLights()[0]->getAttenuationRange(), 1000.0f);
    // A range of 0 would divide by zero in the attenuation.
    EXPECT_FLOAT_EQ(s.getLights()[1]->getAttenuationRange(), 1000.0f);
}

TEST_F(MapIoTest, referencesResolveOnlyToBoxesReadBefore)
{
    std::string text = "startpoint=late\nfinishpoint=late\n";
    text += maptext::box("late", "stone", "g", Ogre::Vector3::ZERO);
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
    text += maptext::box("a", "stone", "g", Ogre::Vector3(0, 0, 0));
    text += "waypoint=a,4,b,c\n"; // b and c come later
    text += maptext::box("b", "stone", "g", Ogre::Vector3(1, 0, 0));
    text += maptext::box("c", "stone", "g", Ogre::Vector3(2, 0, 0));
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
    text += maptext::box("a", "stone", "g", Ogre::Vector3(0, 0, 0));
    text += maptext::box("b", "stone", "g", Ogre::Vector3(1, 0, 0));
    text += "waypoint=a,1,b\nwaypoint=b,1,a\n";
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

TEST_F(MapIoTest, writesRecordsInOrderWithDefaultNumberFormatting)
{
    std::string text;
    text += maptext::box("b1", "stone", "floor", Ogre::Vector3(1.23456789f, -2, 1000000.5f));
    text += maptext::box("b2", "ice", "floor", Ogre::Vector3(0, 0, 0), maptext::cube(), true);
    text += "startpoint=b2\nfinishpoint=b1\n";
    text += maptext::light("lamp", Ogre::Vector3(0, 10, 0), 1000);
    text += "ambient=0.2,0.3,0.4\n";
    CScene& s = read(text);
    const std::string out = write(s);
    std::istringstream lines(out);
    std::vector<std::string> keys;
    std::string line;
    while (std::getline(lines, line))
        keys.push_back(line.substr(0, line.find('=')));
    EXPECT_EQ(keys, (std::vector<std::string>{"box", "box", "light", "ambient", "startpoint",
                                              "finishpoint"}));
    EXPECT_EQ(out.find("box=b1,stone,floor,1.23457,-2,1e+06,0.5,0.5,-0.5,-0.5,0.5,-0.5,"), 0u);
    EXPECT_NE(out.find(",0.5,-0.5,0.5,1\nlight=lamp,0,10,0,1,1,1,0.5,0.5,0.5,1000\n"),
              std::string::npos);
    EXPECT_NE(out.find("ambient=0.2,0.3,0.4\nstartpoint=b2\nfinishpoint=b1\n"), std::string::npos);
}

TEST_F(MapIoTest, carriageReturnLineEndsReadLikeLineFeeds)
{
    std::string text;
    text += maptext::box("a", "stone", "g", Ogre::Vector3(0, 0, 0));
    text += maptext::box("b", "stone", "g", Ogre::Vector3(1, 0, 0));
    text += "waypoint=a,1,b\nwaypoint=b,1,a\nstartpoint=a\nambient=0.5,0.5,0.5\n";
    std::string crlf;
    for (char c : text)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::string expected = write(read(text), "lf.kivom");
    EXPECT_EQ(write(read(crlf), "crlf.kivom"), expected);
    EXPECT_EQ(neighbourNames(scene->findWaypoint(scene->findBox("a"))),
              std::vector<std::string>{"b"}); // not "b\r"
}

TEST_F(MapIoTest, overLongLinesAreDroppedWholeAndNeverSplit)
{
    std::string padded = maptext::box("kept", "stone", "g", Ogre::Vector3::ZERO);
    padded.pop_back();
    padded += std::string(CIOMap::kMaxLineLength - padded.size(), ' ') + "\n";
    ASSERT_EQ(padded.size(), CIOMap::kMaxLineLength + 1);
    std::string tooLong = maptext::box("dropped", "stone", "g", Ogre::Vector3(1, 0, 0));
    tooLong.pop_back();
    // The tail would be a record of its own if the line were cut at the buffer size.
    tooLong += std::string(CIOMap::kMaxLineLength + 1 - tooLong.size(), ' ') +
               maptext::box("tail", "stone", "g", Ogre::Vector3(2, 0, 0));
    CScene& s = read(padded + tooLong + "startpoint=kept\n" +
                     "ambient=" + std::string(5000000, '7') + "\n");
    EXPECT_NE(s.findBox("kept"), nullptr);
    EXPECT_EQ(s.findBox("dropped"), nullptr);
    EXPECT_EQ(s.findBox("tail"), nullptr);
    EXPECT_EQ(s.getStartBoxes().size(), 1u);
}

TEST_F(MapIoTest, brokenInputNeverCrashesInEitherMode)
{
    std::mt19937 random(7);
    std::string garbage;
    for (int i = 0; i < 200000; ++i) {
        garbage += static_cast<char>(random() & 0xff);
        if (i % 997 == 0)
            garbage += "\nbox=";
        if (i % 1499 == 0)
            garbage += "\nwaypoint=";
    }
    const std::string truncated = "box=t1,stone,g,1,2\n"
                                  "box=t2\n"
                                  "box=t3,stone,g,1,2,3,0.5,0.5\n"
                                  "box=t4,stone,g,5e30,0,0\n"
                                  "light=\nlight=,,,\nambient=\nambient=nan,inf,-1\n"
                                  "waypoint=t1\nwaypoint=\nmonster=\nmonster=1\n"
                                  "startpoint=\nfinishpoint=t1\nstartpoint=t1\n=\n==,,\n";
    for (bool editor : {true, false}) {
        read(garbage, editor);
        CScene& s = read(truncated, editor);
        EXPECT_NE(s.findBox("t1"), nullptr);
        EXPECT_EQ(s.findBox("t4"), nullptr); // beyond any sensible coordinate
        ogre.frame(0.1f);
    }
}

TEST_F(MapIoTest, tellsWhenFilesCannotBeOpenedCreatedOrClosed)
{
    CIOMap reader;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(reader.openForReading(dir.file("missing.kivom")));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "CIOMap: Can't open file: " + dir.file("missing.kivom") + "!\n");
    EXPECT_TRUE(reader.getLines().empty());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(reader.openForReading(dir.path()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "CIOMap: Can't open file: " + dir.path() + "!\n");

    CIOMap writer;
    const std::string bad = dir.file("no/such/folder.kivom");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(writer.openForWriting(bad));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "CIOMap: Can't open or create file: " + bad + "!\n");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(writer.closeAfterWriting());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "CIOMap: Can't close file!\n");

    CIOMap good;
    ASSERT_TRUE(good.openForWriting(dir.file("ok.kivom")));
    good.writeScene(read(""));
    testing::internal::CaptureStdout();
    EXPECT_TRUE(good.closeAfterWriting());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "CIOMap: Successful saved!\n");
}

TEST_F(MapIoTest, shippedMapsSurviveASaveAndReadRoundTrip)
{
    const fs::path maps = fs::path(testenv::sourceDir()) / "data" / "maps";
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(maps)) {
        if (entry.path().extension() != ".kivom")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        ++checked;
        readFile(entry.path().string());
        EXPECT_FALSE(scene->getGrids().empty());
        EXPECT_FALSE(scene->getStartBoxes().empty());
        EXPECT_FALSE(scene->getFinishBoxes().empty());
        const std::string first = write(*scene, "first.kivom");

        // Compare the scene read back from the written file with the original.
        std::unique_ptr<CScene> original = std::move(scene);
        struct SSnapshot
        {
            std::vector<std::string> grids, boxes, lights, points, waypoints, monsters;
            Ogre::ColourValue ambient;
        };
        auto snapshot = [](const CScene& s) {
            SSnapshot shot;
            for (const auto& grid : s.getGrids()) {
                shot.grids.push_back(grid->getName() + "/" + grid->getMaterialName());
                for (const auto& box : grid->getBoxes()) {
                    std::ostringstream line;
                    line << box->getName() << box->getMaterialName() << box->getPosition()
                         << box->getFitTexture();
                    for (const auto& v : box->getVertices())
                        line << v;
                    shot.boxes.push_back(line.str());
                }
            }
            for (const Ogre::Light* light : s.getLights()) {
                std::ostringstream line;
                line << light->getName() << light->getParentSceneNode()->getPosition()
                     << light->getDiffuseColour() << light->getSpecularColour()
                     << light->getAttenuationRange();
                shot.lights.push_back(line.str());
            }
            for (const CBox* box : s.getStartBoxes())
                shot.points.push_back("start " + box->getName());
            for (const CBox* box : s.getFinishBoxes())
                shot.points.push_back("finish " + box->getName());
            for (const CWaypoint* waypoint : s.getWaypoints()) {
                std::string line =
                    waypoint->getBox()->getName() + " " + std::to_string(waypoint->getWeight());
                for (const std::string& n : neighbourNames(waypoint))
                    line += " " + n;
                shot.waypoints.push_back(line);
            }
            for (const CMonster* monster : s.getMonsters())
                shot.monsters.push_back(std::to_string(monster->getKind()) + monster->getName() +
                                        monster->getStartWaypoint()->getBox()->getName());
            shot.ambient = s.getAmbientLight();
            return shot;
        };
        const SSnapshot before = snapshot(*original);
        original.reset();
        readFile(dir.file("first.kivom"));
        const SSnapshot after = snapshot(*scene);
        EXPECT_EQ(after.grids, before.grids);
        EXPECT_EQ(after.boxes, before.boxes);
        EXPECT_EQ(after.lights, before.lights);
        EXPECT_EQ(after.points, before.points);
        EXPECT_EQ(after.waypoints, before.waypoints);
        EXPECT_EQ(after.monsters, before.monsters);
        EXPECT_EQ(after.ambient, before.ambient);
        // Saving again changes nothing: positions are already at six significant digits.
        EXPECT_EQ(write(*scene, "second.kivom"), first);
    }
    EXPECT_GE(checked, 3);
}
