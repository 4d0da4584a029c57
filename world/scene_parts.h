// Names and helpers that the scene's source files share; not part of the scene's interface.
#pragma once

#include <cstddef>
#include <string>

namespace scenepart {

bool materialExists(const std::string& name);
// The box counter shared by all grids (CScene::getBoxCounter).
int& boxCounter();

} // namespace scenepart
