// The key-name table: OIS key codes and the short names the input settings show for them.
#pragma once

#include <map>
#include <string>

std::map<int, std::string> makeKeyNameTable();
