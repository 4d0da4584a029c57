// The level model's plain vectors and colours as Ogre's types and back, for the code that puts a
// model on screen or reads one from it.
#pragma once

#include "world/level/level.h"

#include <OgreColourValue.h>
#include <OgreVector.h>

#include <array>

inline Ogre::Vector3 toOgre(const SLevelVector& v)
{
    return Ogre::Vector3(v.x, v.y, v.z);
}

inline Ogre::ColourValue toOgre(const SLevelColour& c)
{
    return Ogre::ColourValue(c.r, c.g, c.b, 1.0f);
}

inline std::array<Ogre::Vector3, kLevelBoxVertexCount> toOgre(const SLevelVertices& vertices)
{
    std::array<Ogre::Vector3, kLevelBoxVertexCount> result;
    for (std::size_t v = 0; v < vertices.size(); ++v)
        result[v] = toOgre(vertices[v]);
    return result;
}

inline SLevelVector toLevel(const Ogre::Vector3& v)
{
    return {v.x, v.y, v.z};
}

inline SLevelColour toLevel(const Ogre::ColourValue& c)
{
    return {c.r, c.g, c.b};
}

inline SLevelVertices toLevel(const std::array<Ogre::Vector3, kLevelBoxVertexCount>& vertices)
{
    SLevelVertices result;
    for (std::size_t v = 0; v < vertices.size(); ++v)
        result[v] = toLevel(vertices[v]);
    return result;
}
