// SBoxState: everything the map file keeps of one box, so that an edit can be stored, undone
// and redone by the box's name.
#pragma once

#include "world/box.h"
#include "world/level/level.h"

#include <string>

class CLevel;
class CScene;

struct SBoxState
{
    std::string name;
    std::string grid;
    std::string material;
    Ogre::Vector3 position = Ogre::Vector3::ZERO;
    CBox::Vertices vertices = CBox::cubeVertices(1.0f);
    bool fitTexture = false;

    static SBoxState of(const SLevelBox& box, const std::string& grid);
    SLevelBox plain() const;
    // Puts position, shape and material back on the box of this name; false when it is gone.
    bool applyTo(CLevel& level) const;
    bool applyTo(CScene& scene) const;
};
