// Names and helpers that the scene's source files share; not part of the scene's interface.
#pragma once

#include <cstddef>
#include <string>

namespace scenepart {

constexpr float kMarkerScale = 0.005f;
constexpr size_t kMarkerPoolSize = 20;
inline const char* const kStartMarkerPrefix = "startpoint";
inline const char* const kStartMarkerNodePrefix = "startPointNode";
inline const char* const kFinishMarkerPrefix = "finishpoint";
inline const char* const kFinishMarkerNodePrefix = "finishPointNode";

bool materialExists(const std::string& name);
// The box counter shared by all grids (CScene::getBoxCounter).
int& boxCounter();

} // namespace scenepart
