// The player's own maps (in the user's data folder) are listed beside the shipped ones, with
// their own information, and one of theirs takes the place of a shipped map of the same name.
#include "gui_fixture.h"

namespace {

class UserMapsTest : public CGuiFixture
{
protected:
    void writeMaps() override
    {
        for (const char* name : {"a.kivom", "same.kivom"}) {
            testenv::writeFile(file(std::string("data/maps/") + name), "");
            testenv::writeFile(file(std::string("data/maps/") + name + ".data"),
                               "[Mapinfo]\nDescription=Shipped\nAuthor=Team\n");
        }
        for (const char* name : {"mine.kivom", "same.kivom"}) {
            testenv::writeFile(testenv::userDataFile(std::string("maps/") + name), "");
            testenv::writeFile(testenv::userDataFile(std::string("maps/") + name + ".data"),
                               "[Mapinfo]\nDescription=Mine\nAuthor=Me\n"
                               "[Top5]\nname1=Me\ntime1=8\n");
        }
    }
};

TEST_F(UserMapsTest, ownMapsAreListedBesideTheShippedOnesOnceEach)
{
    auto* dropdown = static_cast<CEGUI::Combobox*>(window("Singleplayer/Game/MapDropdown"));
    std::vector<std::string> listed;
    for (size_t i = 0; i < dropdown->getItemCount(); ++i)
        listed.push_back(dropdown->getListboxItemFromIndex(i)->getText().c_str());
    EXPECT_EQ(listed, (std::vector<std::string>{"a.kivom", "mine.kivom", "same.kivom"}));

    struct Row
    {
        const char* map;
        const char* description;
        const char* best;
    };
    const Row rows[] = {
        {"a.kivom", "Shipped", "1. Free (0s)\n"},
        {"mine.kivom", "Mine", "1. Me (8s)\n"},
        {"same.kivom", "Mine", "1. Me (8s)\n"},
    };
    for (const Row& row : rows) {
        chooseInDropdown("Singleplayer/Game/MapDropdown", row.map);
        EXPECT_EQ(text("Singleplayer/Game/MapDescription"), row.description) << row.map;
        const std::string best = text("Singleplayer/Game/Top5");
        EXPECT_EQ(best.substr(0, best.find('\n') + 1), row.best) << row.map;
    }
}

} // namespace
