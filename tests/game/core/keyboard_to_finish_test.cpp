// A whole round on real Ogre (headless) and Bullet: a keyboard player holding its forward key
// rolls its ball through the game state and the scene along a shipped level to the finish; the
// winner is handled once and the map's companion file then holds the winning time at place 1.
#include "game/core/application.h"
#include "game/core/game_state.h"
#include "game/core/highscores.h"
#include "game/core/hud_view.h"
#include "game/core/profile.h"
#include "game/input/input_manager.h"
#include "game/input/keyboard_player.h"
#include "headless_ogre.h"
#include "test_env.h"
#include "tests/game/input/scripted_keyboard.h"
#include "world/scene.h"

#include <gtest/gtest.h>

#include <OISKeyboard.h>
#include <OgreRoot.h>

#include <filesystem>
#include <vector>

namespace {

const char* const kMap = "00_straight_run.kivom";
const float kFrameTime = 1.0f / 60.0f;
const int kMostFrames = 60 * 60; // a minute of play is far more than the run needs

struct Result
{
    CPlayer* winner;
    double seconds;
    int place;
};

class CRecordingHud : public IHudView
{
public:
    void setPlayerTime(int, const std::string& text) override { lastTime = text; }
    void showWinner(CPlayer* winner, double seconds, int place) override
    {
        results.push_back({winner, seconds, place});
    }
    std::string lastTime;
    std::vector<Result> results;
};

class KeyboardToFinishTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        namespace fs = std::filesystem;
        fs::create_directories("data/maps");
        fs::create_symlink(fs::path(testenv::runDir()) / "data/sounds", "data/sounds");
        const fs::path shipped = fs::path(testenv::sourceDir()) / "data/maps";
        fs::copy_file(shipped / kMap, fs::path("data/maps") / kMap);
        fs::copy_file(shipped / (std::string(kMap) + ".data"),
                      fs::path("data/maps") / (std::string(kMap) + ".data"));
        testenv::writeFile("input.cfg", "[Player1]\nForward=17\nBack=31\nLeft=30\nRight=32\n"
                                        "Pause=25\nMenu=1\n");
        setHudView(&hud);
        CInputManager::getSingleton().setKeyboard(&keyboard);
        CApplication::getInstance()->attachEngine(ogre.root, nullptr, ogre.camera);
    }

    void TearDown() override
    {
        // The application hands the game state, its player and its scene to the destroy list
        // and deletes them while Ogre still exists.
        CApplication::destroyInstance();
        setHudView(nullptr);
    }

    testenv::TempDir dir;
    HeadlessOgre ogre;
    CScriptedKeyboard keyboard;
    CRecordingHud hud;
};

TEST_F(KeyboardToFinishTest, forwardKeyRollsTheBallToTheFinishAndTheTimeEntersPlaceOne)
{
    auto* player = new CKeyboardPlayer();
    player->setPlayerNumber(1);
    player->setName("Tester");
    ASSERT_TRUE(player->initInput());

    auto* state = new CGameState();
    state->addPlayer(player);
    ogre.root->addFrameListener(player);
    auto* scene = new CScene(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName, "", "", "",
                             false, kMap, 1, 1, nullptr);
    ASSERT_EQ(scene->getBallCount(), 1u);
    ASSERT_FALSE(scene->getFinishBoxes().empty());
    state->setScene(scene);
    state->startRound(1);
    CApplication::getInstance()->setActiveListener(state);

    // Standing still for a second: nobody finishes.
    for (int i = 0; i < 60; ++i)
        ogre.frame(kFrameTime);
    EXPECT_EQ(scene->getWinner(), 0);

    keyboard.hold(OIS::KC_W);
    int frames = 0;
    while (state->isRoundRunning() && frames < kMostFrames) {
        ogre.frame(kFrameTime);
        ++frames;
    }
    ASSERT_FALSE(state->isRoundRunning()) << "the ball did not reach the finish";
    RecordProperty("framesToFinish", frames);
    EXPECT_EQ(scene->getWinner(), 1);

    // The ball may touch further finish boxes; the winner is still handled once.
    for (int i = 0; i < 120; ++i)
        ogre.frame(kFrameTime);
    ASSERT_EQ(hud.results.size(), 1u);
    EXPECT_EQ(hud.results[0].winner, player);
    EXPECT_EQ(hud.results[0].place, 1);
    const double winningTime = hud.results[0].seconds;
    RecordProperty("winningTime", formatHighscoreTime(winningTime));
    EXPECT_GT(winningTime, 1.0);
    EXPECT_LT(winningTime, 60.0);
    EXPECT_DOUBLE_EQ(state->getRecords()[0].time, winningTime); // the clock stopped

    const std::string file = highscoreFileName(kMap);
    EXPECT_EQ(getProfileString("Top5", "name1", "", file), "Tester");
    EXPECT_EQ(getProfileString("Top5", "time1", "", file), formatHighscoreTime(winningTime));
    EXPECT_EQ(getProfileString("Top5", "name2", "", file), "Free");
    EXPECT_EQ(getProfileString("Mapinfo", "Author", "", file), "KIVO-Team");
}

} // namespace
