// The design check of a level: each problem on a small map made for it through the editing
// layer, and no error on any shipped map.
#include "editor/map_document.h"
#include "headless_ogre.h"
#include "test_env.h"
#include "world/map_check.h"
#include "world/map_io.h"
#include "world/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

using Kinds = std::vector<EMapProblem>;

class MapCheckTest : public ::testing::Test
{
protected:
    MapCheckTest() { document.newMap(); }

    void select(std::initializer_list<const char*> names)
    {
        document.clearSelection();
        for (const char* name : names)
            document.toggleSelection(name);
    }
    Kinds kinds()
    {
        Kinds found;
        for (const SMapProblem& problem : checkMapDesign(*document.scene()))
            found.push_back(problem.kind);
        return found;
    }
    // A row of four boxes box1..box4 along z with starts on box1 and box2, finish on box4.
    void row()
    {
        document.createGrid("row", "stone", 1, 4, Ogre::Vector3::ZERO, 1.0f);
        select({"box1", "box2"});
        document.createPoints(true);
        select({"box4"});
        document.createPoints(false);
    }

    HeadlessOgre ogre;
    CMapDocument document{HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName};
};

TEST_F(MapCheckTest, eachProblemIsFoundOnAMapMadeForIt)
{
    EXPECT_EQ(kinds(), (Kinds{EMapProblem::NO_START_POINT, EMapProblem::NO_FINISH_POINT}));
    row();
    EXPECT_EQ(kinds(), (Kinds{EMapProblem::FEW_START_POINTS}));
    const std::vector<SMapProblem> problems = checkMapDesign(*document.scene());
    EXPECT_TRUE(problems[0].warning);
    EXPECT_EQ(problems[0].text, "The map has 2 start points; a round of 4 players needs 4.");

    // A slime on a waypoint without neighbours; linked, it is fine.
    select({"box2", "box3"});
    document.createWaypoints(1);
    select({"box2"});
    document.createMonster(4, "slime");
    ASSERT_EQ(kinds().back(), EMapProblem::LONELY_SLIME_WAYPOINT);
    EXPECT_EQ(checkMapDesign(*document.scene()).back().boxes, (std::vector<std::string>{"box2"}));
    select({"box3"});
    document.linkWaypoints({"box2"});
    EXPECT_EQ(kinds(), (Kinds{EMapProblem::FEW_START_POINTS}));
}

TEST_F(MapCheckTest, aFinishBeyondAGapOrAWallIsUnreachable)
{
    row();
    // Raised by 1 the step can still be climbed; by 1.5 it cannot. The gap of 1 can be crossed,
    // of 1.5 not.
    const struct
    {
        Ogre::Vector3 offset;
        bool reachable;
    } moves[] = {{{0, 1, 0}, true},
                 {{0, 1.5f, 0}, false},
                 {{0, 0, 1}, true},
                 {{0, 0, 1.5f}, false},
                 {{0, -5, 0}, true}};
    for (const auto& move : moves) {
        select({"box4"});
        document.moveSelection(move.offset, {false, false, false});
        const Kinds found = kinds();
        const bool stranded =
            std::count(found.begin(), found.end(), EMapProblem::FINISH_UNREACHABLE) == 2;
        EXPECT_EQ(stranded, !move.reachable) << move.offset;
        document.undoStack().undo();
    }
}

TEST_F(MapCheckTest, namesTheFileCannotHoldAndMonstersWithoutStartAreReported)
{
    row();
    document.scene()->addBox("bad,name", "stone", "row", Ogre::Vector3(9, 0, 0), nullptr, false);
    EXPECT_EQ(kinds().back(), EMapProblem::UNSTORABLE_NAME);
    EXPECT_FALSE(isStorableMapName(""));
    EXPECT_TRUE(isStorableMapName("box_1-2"));

    const std::vector<SMapProblem> references = checkMapReferences(
        {"box=a,stone,g,0,0,0", "waypoint=a,1", "monster=4,fine,a", "monster=0,lost,b"});
    ASSERT_EQ(references.size(), 1u);
    EXPECT_EQ(references[0].kind, EMapProblem::MONSTER_WITHOUT_START);
    EXPECT_NE(references[0].text.find("lost"), std::string::npos);
}

TEST_F(MapCheckTest, noShippedMapHasAnError)
{
    namespace fs = std::filesystem;
    for (const auto& entry : fs::directory_iterator(testenv::runDir() + "/data/maps")) {
        if (entry.path().extension() != ".kivom")
            continue;
        ASSERT_TRUE(document.openMap(entry.path().string()));
        CIOMap file;
        ASSERT_TRUE(file.openForReading(entry.path().string()));
        std::vector<SMapProblem> problems = checkMapDesign(*document.scene());
        const std::vector<SMapProblem> references = checkMapReferences(file.getLines());
        problems.insert(problems.end(), references.begin(), references.end());
        for (const SMapProblem& problem : problems)
            EXPECT_TRUE(problem.warning) << entry.path().filename() << ": " << problem.text;
    }
}

} // namespace
