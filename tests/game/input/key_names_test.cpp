// The input manager's key names: OIS codes looked up in the key-name table, some names with the
// trailing blank they have always had, unknown codes without a name.
#include "game/input/input_manager.h"

#include <gtest/gtest.h>

TEST(KeyNames, managerNamesKeysByOisCodeAndUnknownCodesEmpty)
{
    CInputManager& input = CInputManager::getSingleton();
    input.buildKeyNames();
    const std::pair<int, const char*> names[] = {
        {16, "Q "}, {17, "W "}, {44, "Z"}, {1, "ESCAPE"}, {0xCB, "LEFT"}, {0xED, "MEDIASELECT"},
        {0x54, ""}, // a gap in the OIS codes
        {-1, ""},   {1000, ""}};
    for (const auto& [code, name] : names)
        EXPECT_EQ(input.getKeyName(code), name) << "code " << code;
    CInputManager::destroySingleton();
}
