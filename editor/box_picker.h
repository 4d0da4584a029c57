// Picking: which box of the level a camera ray meets first, to polygon precision. The test runs
// on each box's own copy of its triangles, because the drawn buffers cannot be read back.
#pragma once

#include <OgreRay.h>

class CBox;
class CScene;

struct SPick
{
    CBox* box = nullptr; // nullptr: nothing was hit
    Ogre::Vector3 point = Ogre::Vector3::ZERO;
};

// Objects the ray query considers: the boxes carry this flag among their query flags.
constexpr unsigned int kBoxQueryMask = 0x100;

// Only front faces count, so a box is picked where it is seen, not through its back.
SPick pickBox(const CScene& scene, const Ogre::Ray& ray);
