// Text in any language at the windows, in the fonts, and through the pages and best times.
#include "game/core/highscores.h"
#include "game/core/utf8_text.h"
#include "gui_fixture.h"

namespace {

class GuiTextTest : public CGuiFixture
{
protected:
    void writeMaps() override
    {
        testenv::writeFile(file("data/maps/alpha.kivom"), "");
        testenv::writeFile(file("data/maps/über.kivom"), "");
        testenv::writeFile(file("data/maps/\xfc-latin1.kivom"), ""); // not UTF-8: not listed
        testenv::writeFile(file("data/maps/über.kivom.data"),
                           "[Mapinfo]\nDescription=Straße über Höhen, Ωραία\nAuthor=Ђорђе\n");
        testenv::writeFile(testenv::userFile(testenv::kData, "maps/über.kivom.data"),
                           "[Top5]\nname1=Renée\ntime1=12.5\n");
    }
};

TEST_F(GuiTextTest, textWrittenIntoAWindowIsReadBackAsItWasAndShownWithReplacementsForNoGlyph)
{
    // Windows whose text is read back keep every character; windows that only show text show
    // U+FFFD for a character without a glyph (世 is in no font of the game).
    const char* const readBack[] = {"Singleplayer/Game/Playername",
                                    "Multiplayer/Game/Playername3",
                                    "Network/Server/Playername",
                                    "Network/Client/Playername",
                                    "Network/Client/IP",
                                    "Singleplayer/Game/MapDropdown"};
    const char* const shownOnly[] = {"HUD/NamePlayer1", "HUD/InfoText", "HUD/Score",
                                     "Singleplayer/Game/MapDescription",
                                     "Message/GeneralMessageBox/Text"};
    const std::pair<std::string, std::string> texts[] = {
        {"Renée Łódź", "Renée Łódź"}, {"Ωμέγα Жанна", "Ωμέγα Жанна"}, {"a 世 b", "a \ufffd b"}};
    for (const auto& [written, seen] : texts) {
        for (const char* name : readBack) {
            guitext::setWindowText(window(name), written);
            EXPECT_EQ(text(name), written) << name;
        }
        for (const char* name : shownOnly) {
            guitext::setWindowText(window(name), written);
            EXPECT_EQ(text(name), seen) << name;
        }
    }
    // Bytes that are no UTF-8 never reach CEGUI's decoder.
    EXPECT_EQ(guitext::fromGui(guitext::toGui("a\xff\xc3")), "a\ufffd\ufffd");
}

TEST_F(GuiTextTest, theFontsCarryLatinGreekAndCyrillicGlyphs)
{
    // Latin-1, Latin Extended-A, Greek (no U+03A2), Cyrillic.
    const std::pair<CEGUI::utf32, CEGUI::utf32> ranges[] = {
        {0xA1, 0x17F}, {0x391, 0x3A1}, {0x3A3, 0x3C9}, {0x400, 0x45F}, {0xFFFD, 0xFFFD}};
    for (const char* font :
         {"Kivo-Small", "Kivo-Normal", "Kivo-Large", "Kivo-Heading", "Kivo-Title"}) {
        const CEGUI::Font& face = CEGUI::FontManager::getSingleton().get(font);
        for (const auto& [first, last] : ranges)
            for (CEGUI::utf32 code = first; code <= last; ++code)
                EXPECT_TRUE(face.isCodepointAvailable(code)) << font << " U+" << std::hex << code;
        EXPECT_FALSE(face.isCodepointAvailable(0x4E16)) << font << " has 世: test needs another";
    }
}

TEST_F(GuiTextTest, aMapWithANonAsciiNameIsListedOnceShownAndItsBestTimesReadBack)
{
    EXPECT_EQ(mMenu->getMapList(), (std::vector<std::string>{"alpha.kivom", "über.kivom"}));
    chooseInDropdown("Singleplayer/Game/MapDropdown", "über.kivom");
    EXPECT_EQ(text("Network/Server/MapDropdown"), "über.kivom");
    EXPECT_EQ(text("Singleplayer/Game/MapDescription"), "Straße über Höhen, Ωραία");
    EXPECT_EQ(text("Singleplayer/Game/MapAuthor"), "Author: Ђорђе");
    EXPECT_EQ(text("Singleplayer/Game/Top5").rfind("1. Renée (12.5s)", 0), 0u);

    // A name typed key by key, as OIS hands the characters to CEGUI, is the name stored.
    guitext::setWindowText(window("Singleplayer/Game/Playername"), "");
    window("Singleplayer/Game/Playername")->activate();
    const std::string typed = "Zoë Ωμ Жа";
    for (std::size_t pos = 0; pos < typed.size();)
        context().injectChar(utf8::next(typed, pos));
    EXPECT_EQ(text("Singleplayer/Game/Playername"), typed);
    EXPECT_EQ(updateHighscores("über.kivom", text("Singleplayer/Game/Playername"), 3.25), 1);
    EXPECT_EQ(readTop5("über.kivom")[0].name, typed);
    mMenu->showMapInfo("über.kivom");
    EXPECT_EQ(text("Singleplayer/Game/Top5").rfind("1. " + typed + " (3.25s)", 0), 0u);
}

} // namespace
