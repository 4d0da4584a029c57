// The key-name table and the input manager's lookup of it.
#include "game/input/input_manager.h"
#include "game/input/key_names.h"

#include <gtest/gtest.h>

#include <OISKeyboard.h>

namespace {

TEST(KeyNames, tableHoldsEveryOisKeyCodeOnce)
{
    const std::map<int, std::string> table = makeKeyNameTable();
    EXPECT_EQ(table.size(), 145u);
    EXPECT_EQ(table.begin()->first, 0);
    EXPECT_EQ(table.rbegin()->first, 237);
    EXPECT_EQ(table.rbegin()->second, "MEDIASELECT");
}

TEST(KeyNames, codesMatchTheOisConstants)
{
    const std::map<int, std::string> table = makeKeyNameTable();
    const std::pair<int, const char*> samples[] = {{OIS::KC_ESCAPE, "ESCAPE"},
                                                   {OIS::KC_1, "1"},
                                                   {OIS::KC_0, "0"},
                                                   {OIS::KC_A, "A "},
                                                   {OIS::KC_Z, "Z"},
                                                   {OIS::KC_SPACE, "SPACE"},
                                                   {OIS::KC_F1, "F1"},
                                                   {OIS::KC_F10, "F10"},
                                                   {OIS::KC_NUMPAD0, "NUMPAD0"},
                                                   {OIS::KC_F11, "F11"},
                                                   {OIS::KC_F12, "F12"},
                                                   {OIS::KC_F13, "F13"},
                                                   {OIS::KC_NUMPADENTER, "NUMPADENTER"},
                                                   {OIS::KC_RCONTROL, "RCONTROL"},
                                                   {OIS::KC_UP, "UP"},
                                                   {OIS::KC_LEFT, "LEFT"},
                                                   {OIS::KC_RIGHT, "RIGHT"},
                                                   {OIS::KC_DOWN, "DOWN"},
                                                   {OIS::KC_OEM_102, "OEM_102"},
                                                   {OIS::KC_WAKE, "WAKE"}};
    for (const auto& sample : samples)
        EXPECT_EQ(table.at(sample.first), sample.second) << "code " << sample.first;
}

TEST(KeyNames, exactlyTwentySevenNamesCarryTrailingBlanks)
{
    const std::map<int, std::string> table = makeKeyNameTable();
    int withBlank = 0;
    for (const auto& entry : table)
        if (!entry.second.empty() && entry.second.back() == ' ')
            ++withBlank;
    EXPECT_EQ(withBlank, 27);
    EXPECT_EQ(table.at(0), "UNASSIGNED  ");
    EXPECT_EQ(table.at(OIS::KC_TAB), "TAB ");
    EXPECT_EQ(table.at(OIS::KC_APOSTROPHE), "APOSTROPHE ");
    EXPECT_EQ(table.at(OIS::KC_GRAVE), "GRAVE");
}

TEST(KeyNames, managerNamesQWithBlankAndZWithoutAndUnknownCodesEmpty)
{
    CInputManager& input = CInputManager::getSingleton();
    input.buildKeyNames();
    EXPECT_EQ(input.getKeyName(16), "Q ");
    EXPECT_EQ(input.getKeyName(17), "W ");
    EXPECT_EQ(input.getKeyName(44), "Z");
    EXPECT_EQ(input.getKeyName(0x54), ""); // a gap in the OIS codes
    EXPECT_EQ(input.getKeyName(-1), "");
    EXPECT_EQ(input.getKeyName(1000), "");
    CInputManager::destroySingleton();
}

} // namespace
