// Text in any language at the windows: what the game writes into a window and reads back is the
// same sequence of characters; shown text puts a visible replacement where a font has no glyph;
// the fonts cover Latin-1, Latin Extended-A, Greek and Cyrillic; a name typed and a map with a
// non-ASCII file name travel through the pages, the best times and back byte for byte.
#include "game/core/highscores.h"
#include "game/core/utf8_text.h"
#include "game/menu/gui_text.h"
#include "gui_fixture.h"

namespace {

// "Renée", Polish, Greek and Russian, and a character no font of the game has (U+4E16, 世).
const char* const kNames[] = {"Renée", "Łódź Żółć", "Ωμέγα", "Жанна", "über.kivom", "a 世 b"};
const char* const kOutsideFonts = "世";

class GuiTextTest : public CGuiFixture
{
protected:
    void writeMaps() override
    {
        testenv::writeFile(file("data/maps/alpha.kivom"), "");
        testenv::writeFile(file("data/maps/über.kivom"), "");
        testenv::writeFile(file("data/maps/\xfc-latin1.kivom"), ""); // not UTF-8: not listed
        testenv::writeFile(file("data/maps/über.kivom.data"),
                           "[Mapinfo]\nDescription=Straße über Höhen, Ωραία\nAuthor=Ђорђе\n"
                           "[Top5]\nname1=Renée\ntime1=12.5\n");
    }
    // What a window shows, as UTF-8.
    std::string shown(const std::string& designName) const
    {
        return guitext::windowText(window(designName));
    }
};

TEST_F(GuiTextTest, textWrittenIntoAWindowIsReadBackAsItWasAndShownWithReplacementsForNoGlyph)
{
    // Windows whose text the game reads back keep every character; windows that only show
    // text show a replacement for a character without a glyph.
    const char* const readBack[] = {"Singleplayer/Game/Playername",
                                    "Multiplayer/Game/Playername3",
                                    "Network/Server/Playername",
                                    "Network/Client/Playername",
                                    "Network/Client/IP",
                                    "Singleplayer/Game/MapDropdown"};
    const char* const shownOnly[] = {"HUD/NamePlayer1", "HUD/InfoText", "HUD/Score",
                                     "Singleplayer/Game/MapDescription",
                                     "Message/GeneralMessageBox/Text"};
    for (const char* name : kNames) {
        const std::string text = name;
        std::string expectedShown = text;
        const std::size_t outside = expectedShown.find(kOutsideFonts);
        if (outside != std::string::npos)
            expectedShown.replace(outside, std::string(kOutsideFonts).size(), utf8::kReplacement);
        for (const char* designName : readBack) {
            guitext::setWindowText(window(designName), text);
            EXPECT_EQ(shown(designName), text) << designName;
        }
        for (const char* designName : shownOnly) {
            guitext::setWindowText(window(designName), text);
            EXPECT_EQ(shown(designName), expectedShown) << designName;
        }
        EXPECT_EQ(guitext::fromGui(guitext::toGui(text)), text);
    }
    // Bytes that are no UTF-8 never reach CEGUI's decoder: they become U+FFFD.
    EXPECT_EQ(guitext::fromGui(guitext::toGui("a\xff\xc3")), "a\xef\xbf\xbd\xef\xbf\xbd");
}

TEST_F(GuiTextTest, theFontsCarryLatinGreekAndCyrillicGlyphs)
{
    const std::pair<CEGUI::utf32, CEGUI::utf32> ranges[] = {
        {0x00A1, 0x00FF}, // Latin-1
        {0x0100, 0x017F}, // Latin Extended-A
        {0x0391, 0x03A1}, // Greek capitals (no U+03A2)
        {0x03A3, 0x03C9}, // Greek capitals and small letters
        {0x0400, 0x045F}, // Cyrillic
    };
    for (const char* font :
         {"Kivo-Small", "Kivo-Normal", "Kivo-Large", "Kivo-Heading", "Kivo-Title"}) {
        const CEGUI::Font& face = CEGUI::FontManager::getSingleton().get(font);
        for (const auto& [first, last] : ranges)
            for (CEGUI::utf32 code = first; code <= last; ++code)
                EXPECT_TRUE(face.isCodepointAvailable(code)) << font << " U+" << std::hex << code;
        EXPECT_TRUE(face.isCodepointAvailable(0xFFFD)) << font << ": no replacement glyph";
        EXPECT_FALSE(face.isCodepointAvailable(0x4E16)) << font << " has 世: test needs another";
    }
}

TEST_F(GuiTextTest, aMapWithANonAsciiNameIsListedOnceShownAndItsBestTimesReadBack)
{
    auto* combo = static_cast<CEGUI::Combobox*>(window("Singleplayer/Game/MapDropdown"));
    std::vector<std::string> listed;
    for (size_t i = 0; i < combo->getItemCount(); ++i)
        listed.push_back(guitext::fromGui(combo->getListboxItemFromIndex(i)->getText()));
    EXPECT_EQ(listed, (std::vector<std::string>{"alpha.kivom", "über.kivom"}));
    EXPECT_EQ(mMenu->getMapList(), listed) << "the list names each map once";

    chooseInDropdown("Singleplayer/Game/MapDropdown", "über.kivom");
    EXPECT_EQ(shown("Network/Server/MapDropdown"), "über.kivom");
    EXPECT_EQ(shown("Singleplayer/Game/MapDescription"), "Straße über Höhen, Ωραία");
    EXPECT_EQ(shown("Singleplayer/Game/MapAuthor"), "Author: Ђорђе");
    EXPECT_EQ(shown("Singleplayer/Game/Top5").rfind("1. Renée (12.5s)", 0), 0u);

    // A name typed key by key, as OIS hands the characters to CEGUI, is the name stored.
    CEGUI::Window* field = window("Singleplayer/Game/Playername");
    guitext::setWindowText(field, "");
    field->activate();
    const std::string typed = "Zoë Ωμ Жа";
    for (std::size_t pos = 0; pos < typed.size();)
        context().injectChar(utf8::next(typed, pos));
    EXPECT_EQ(shown("Singleplayer/Game/Playername"), typed);
    EXPECT_EQ(updateHighscores("über.kivom", shown("Singleplayer/Game/Playername"), 3.25), 1);
    EXPECT_EQ(readTop5("über.kivom")[0].name, typed);
    mMenu->showMapInfo("über.kivom");
    EXPECT_EQ(shown("Singleplayer/Game/Top5").rfind("1. " + typed + " (3.25s)", 0), 0u);
}

} // namespace
