// SBoxState: everything the map file keeps of one box, so that an edit can be stored, undone
// and redone by the box's name.
#pragma once

#include "world/box.h"

#include <string>

class CScene;

struct SBoxState
{
    std::string name;
    std::string grid;
    std::string material;
    Ogre::Vector3 position = Ogre::Vector3::ZERO;
    CBox::Vertices vertices = CBox::cubeVertices(1.0f);
    bool fitTexture = false;

    static SBoxState of(const CBox& box, const std::string& grid);
    // Puts position, shape and material back on the box of this name; false when it is gone.
    bool applyTo(CScene& scene) const;
};
