// The key-name table, in code order.
#include "game/input/key_names.h"

std::map<int, std::string> makeKeyNameTable()
{
    return {};
}
