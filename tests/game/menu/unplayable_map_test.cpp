// The setup pages refuse a round that could never end (no finish point, or a player without a
// start point) with a message, and start a round on a map that has what the players need.
#include "gui_fixture.h"

#include "../input/scripted_keyboard.h"
#include "headless_ogre.h"
#include "tests/world/map_text.h"
#include "world/map_check.h"

namespace {

class UnplayableMapTest : public CGuiFixture
{
protected:
    void writeMaps() override
    {
        using maptext::box;
        const std::string boxes = box("a", "grass", "g", {0, 0, 0}) +
                                  box("b", "grass", "g", {1, 0, 0}) +
                                  box("c", "grass", "g", {2, 0, 0});
        testenv::writeFile(file("data/maps/nofinish.kivom"),
                           boxes + "startpoint=a\nstartpoint=c\n");
        testenv::writeFile(file("data/maps/onestart.kivom"),
                           boxes + "startpoint=a\nfinishpoint=b\n");
    }
    void beforeMenu() override
    {
        mOgre = std::make_unique<HeadlessOgre>();
        CApplication::getInstance()->attachEngine(mOgre->root, nullptr, mOgre->camera);
        CInputManager::getSingleton().setKeyboard(&mKeyboard);
    }
    void TearDown() override
    {
        CGuiFixture::TearDown();
        mOgre.reset();
    }

    std::unique_ptr<HeadlessOgre> mOgre;
    CScriptedKeyboard mKeyboard;
};

TEST_F(UnplayableMapTest, refusesRoundsThatCouldNeverEndAndStartsPlayableOnes)
{
    struct SCase
    {
        const char* map;
        const char* startButton;
        const char* expectedText; // nullptr: the round starts
    };
    const SCase cases[] = {
        {"nofinish.kivom", "Singleplayer/Game/Start", "no finish point"},
        {"onestart.kivom", "Multiplayer/Game/ButtonStart", "1 start point, but 2 players"},
        {"onestart.kivom", "Singleplayer/Game/Start", nullptr},
    };
    CApplication* app = CApplication::getInstance();
    for (const SCase& c : cases) {
        chooseInDropdown("Singleplayer/Game/MapDropdown", c.map);
        click(c.startButton);
        if (c.expectedText) {
            EXPECT_EQ(app->getActiveListener(), nullptr) << c.map;
            EXPECT_TRUE(visible("Message/GeneralMessageBox")) << c.map;
            EXPECT_NE(text("Message/GeneralMessageBox/Text").find(c.expectedText),
                      std::string::npos)
                << text("Message/GeneralMessageBox/Text");
            click("Message/GeneralMessageBox/ConfirmButton");
        } else {
            EXPECT_NE(app->getActiveListener(), nullptr) << c.map;
            mMenu->backToMenu();
        }
        app->flushDestroyList();
    }
}

TEST(MapCheck, namesEveryProblemOfTheStartAndFinishPoints)
{
    using K = EMapProblem;
    struct SRow
    {
        size_t starts, finishes;
        int players;
        std::vector<K> kinds;
    };
    const SRow rows[] = {{1, 1, 1, {}},
                         {4, 2, 4, {}},
                         {0, 0, 1, {K::NO_FINISH_POINT, K::TOO_FEW_START_POINTS}},
                         {3, 1, 4, {K::TOO_FEW_START_POINTS}},
                         {2, 0, 2, {K::NO_FINISH_POINT}}};
    for (const SRow& row : rows) {
        std::vector<K> kinds;
        for (const SMapProblem& problem : checkMapPoints(row.starts, row.finishes, row.players))
            kinds.push_back(problem.kind);
        EXPECT_EQ(kinds, row.kinds) << row.starts << " " << row.finishes << " " << row.players;
    }
}

} // namespace
