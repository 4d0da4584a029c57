// The safe route through the shipped monster level and a steering that follows it the way a
// player on the keys would: shared by the level test and its rendered screenshot.
#pragma once

#include <OgreVector.h>

#include <algorithm>
#include <vector>

namespace monstertest {

constexpr const char* kMonsterLevel = "04_monster_mayhem.kivom";

// Route points in (x, z): weaving between the stampers, under the gate, down the middle of the
// plaza wide of the fires and the venom pit, to the finish box (the last point).
inline const std::vector<Ogre::Vector2>& monsterLevelRoute()
{
    static const std::vector<Ogre::Vector2> route = {{1, -3.5f}, {1, -6},     {-1, -7}, {-1, -9.5f},
                                                     {1, -10},   {1, -12.5f}, {0, -14}, {0, -16},
                                                     {0, -19},   {0, -22},    {0, -25}, {0, -27}};
    return route;
}

class CRouteDriver
{
public:
    static constexpr float kKeyForce = 40.0f; // what a key gives per axis
    static constexpr float kCruiseSpeed = 2.2f;
    static constexpr float kSpeedGain = 30.0f;
    static constexpr float kReached = 0.5f;

    // The force for this frame; moves on to the next route point once this one is reached.
    Ogre::Vector3 steer(const Ogre::Vector3& position, const Ogre::Vector3& velocity)
    {
        const std::vector<Ogre::Vector2>& route = monsterLevelRoute();
        Ogre::Vector2 toTarget(route[mNext].x - position.x, route[mNext].y - position.z);
        if (toTarget.length() < kReached && mNext + 1 < route.size()) {
            ++mNext;
            toTarget = Ogre::Vector2(route[mNext].x - position.x, route[mNext].y - position.z);
        }
        const float distance = toTarget.normalise();
        const float speed = std::min(kCruiseSpeed, 1.5f * distance + 0.5f);
        const Ogre::Vector2 wanted = toTarget * speed;
        return Ogre::Vector3(clamp(kSpeedGain * (wanted.x - velocity.x)), 0.0f,
                             clamp(kSpeedGain * (wanted.y - velocity.z)));
    }
    void restart() { mNext = 0; }
    size_t next() const { return mNext; }

private:
    static float clamp(float force) { return std::max(-kKeyForce, std::min(kKeyForce, force)); }

    size_t mNext = 0;
};

} // namespace monstertest
