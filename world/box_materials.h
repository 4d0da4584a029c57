// The materials the level's boxes are drawn with. Every other material of the game's data is
// for something else (balls, monsters, markers) and makes no box the game can show as meant;
// the editor offers only these, and the map check warns about a box with any other.
#pragma once

#include <string>
#include <vector>

// The box materials in the order an editor offers them.
const std::vector<std::string>& boxMaterials();
bool isBoxMaterial(const std::string& material);
