// Helpers for tests that write small maps: record lines in the map file format.
#pragma once

#include "world/box.h"

#include <sstream>
#include <string>

namespace maptext {

// A unit cube's vertices with the top centre raised (or lowered) by the given amount.
inline CBox::Vertices cube(float topCentreRaise = 0.0f)
{
    CBox::Vertices v = CBox::cubeVertices(1.0f);
    v[CBox::kTopCentre].y += topCentreRaise;
    return v;
}

inline std::string box(const std::string& name, const std::string& material,
                       const std::string& grid, const Ogre::Vector3& position,
                       const CBox::Vertices& vertices = cube(), bool fitTexture = false)
{
    std::ostringstream out;
    out << "box=" << name << "," << material << "," << grid << "," << position.x << ","
        << position.y << "," << position.z;
    for (const Ogre::Vector3& v : vertices)
        out << "," << v.x << "," << v.y << "," << v.z;
    out << "," << (fitTexture ? 1 : 0) << "\n";
    return out.str();
}

inline std::string light(const std::string& name, const Ogre::Vector3& position, float range)
{
    std::ostringstream out;
    out << "light=" << name << "," << position.x << "," << position.y << "," << position.z
        << ",1,1,1,0.5,0.5,0.5," << range << "\n";
    return out.str();
}

} // namespace maptext
