// The setup pages: which maps are listed and in what order, the three map dropdowns kept on one
// map, the map information with its best times, and rounds refused with a message when they
// could never end (no finish point, or a player without a start point).
#include "gui_fixture.h"

#include "../input/scripted_keyboard.h"
#include "game/core/profile.h"
#include "headless_ogre.h"
#include "level_fixture.h"

#include <filesystem>

namespace {

const char* const kDropdowns[] = {"Singleplayer/Game/MapDropdown", "Multiplayer/Game/MapDropdown",
                                  "Network/Server/MapDropdown"};

class SetupPagesTest : public CGuiFixture
{
protected:
    void writeMaps() override
    {
        namespace fs = std::filesystem;
        for (const char* name : {"zeta.kivom", "alpha.kivom", "mid.kivom", "upper.KIVOM",
                                 "longer.kivomx", "notes.txt", "noextension"})
            testenv::writeFile(file(std::string("data/maps/") + name), "");
        fs::create_directories(file("data/maps/folder.kivom"));
        // Description and author ship beside the maps; the best times are the player's own.
        testenv::writeFile(file("data/maps/alpha.kivom.data"),
                           "[Mapinfo]\nDescription=First steps\nAuthor=Ann\n"
                           "[Top5]\nname1=Shipped\ntime1=1\n");
        testenv::writeFile(testenv::userFile(testenv::kData, "maps/alpha.kivom.data"),
                           "[Top5]\nname1=Bob\ntime1=12.5\nname2=Cy\ntime2=20\n");
        testenv::writeFile(file("data/maps/mid.kivom.data"),
                           "[Mapinfo]\nDescription=Middle\nAuthor=Mo\n");
        testenv::writeFile(testenv::userFile(testenv::kData, "maps/mid.kivom.data"),
                           "[Top5]\n1name=Old\n1time=3\nname2=Dee\ntime2=9\n");
        // The player's own maps are listed too; one of a shipped map's name takes its place.
        for (const char* name : {"own.kivom", "zeta.kivom"})
            testenv::writeFile(testenv::userFile(testenv::kData, std::string("maps/") + name), "");
    }

    std::vector<std::string> items(const std::string& dropdown) const
    {
        auto* combo = static_cast<CEGUI::Combobox*>(window(dropdown));
        std::vector<std::string> texts;
        for (size_t i = 0; i < combo->getItemCount(); ++i)
            texts.push_back(combo->getListboxItemFromIndex(i)->getText().c_str());
        return texts;
    }
};

TEST_F(SetupPagesTest, listsKivomFilesInNameOrderAndKeepsTheThreeDropdownsOnOneMap)
{
    for (const char* dropdown : kDropdowns) {
        EXPECT_EQ(items(dropdown), (std::vector<std::string>{"alpha.kivom", "mid.kivom",
                                                             "own.kivom", "zeta.kivom"}));
        EXPECT_EQ(text(dropdown), "alpha.kivom") << dropdown;
    }
    chooseInDropdown("Multiplayer/Game/MapDropdown", "mid.kivom");
    for (const char* dropdown : kDropdowns)
        EXPECT_EQ(text(dropdown), "mid.kivom") << dropdown;
    EXPECT_EQ(text("Singleplayer/Game/MapDescription"), "Middle");
    EXPECT_EQ(text("Multiplayer/Game/MapAuthor"), "Author: Mo");
}

TEST_F(SetupPagesTest, showsTheMapsInformationAndBestTimesReadAtEachLook)
{
    const std::string top5 =
        "1. Bob (12.5s)\n2. Cy (20s)\n3. Free (0s)\n4. Free (0s)\n5. Free (0s)\n";
    EXPECT_EQ(text("Singleplayer/Game/MapDescription"), "First steps");
    EXPECT_EQ(text("Multiplayer/Game/MapAuthor"), "Author: Ann");
    EXPECT_EQ(text("Singleplayer/Game/Top5"), top5);
    EXPECT_EQ(text("HUD/Score"), top5);
    mMenu->showMapInfo("mid.kivom"); // keys that start with a digit are not taken
    EXPECT_EQ(text("Singleplayer/Game/Top5"),
              "1. Free (0s)\n2. Dee (9s)\n3. Free (0s)\n4. Free (0s)\n5. Free (0s)\n");
    writeProfileString("Top5", "name1", "Zed",
                       testenv::userFile(testenv::kData, "maps/mid.kivom.data"));
    writeProfileString("Top5", "time1", "7.25",
                       testenv::userFile(testenv::kData, "maps/mid.kivom.data"));
    mMenu->showMapInfo("mid.kivom");
    EXPECT_EQ(text("Singleplayer/Game/Top5").substr(0, 15), "1. Zed (7.25s)\n");

    // A missing information file is created with defaults, in the player's folder.
    const std::string info = testenv::userFile(testenv::kData, "maps/zeta.kivom.data");
    mMenu->showMapInfo("zeta.kivom");
    EXPECT_EQ(text("Singleplayer/Game/MapDescription"), "No Mapinfo found!");
    EXPECT_EQ(getProfileString("Mapinfo", "Author", "", info), "KIVO-Team");
    EXPECT_EQ(getProfileString("Top5", "time5", "", info), "0");
}

class EmptyMapFolderTest : public CGuiFixture
{
protected:
    void writeMaps() override { std::filesystem::remove_all(file("data/maps")); }
};

TEST_F(EmptyMapFolderTest, noMapsLeaveTheDropdownsEmptyAndWriteNoFile)
{
    for (const char* dropdown : kDropdowns)
        EXPECT_EQ(static_cast<CEGUI::Combobox*>(window(dropdown))->getItemCount(), 0u);
    EXPECT_EQ(text("Singleplayer/Game/MapDescription"), "No Mapinfo found!");
    EXPECT_FALSE(std::filesystem::exists(file("data/maps/.data")));
}

class UnplayableMapTest : public CGuiFixture
{
protected:
    void writeMaps() override
    {
        const std::string boxes = leveltest::MapText()
                                      .box("a", 0, 0, 0, "grass", 0, "g")
                                      .box("b", 1, 0, 0, "grass", 0, "g")
                                      .box("c", 2, 0, 0, "grass", 0, "g")
                                      .str();
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

} // namespace
