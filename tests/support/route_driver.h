// CRouteDriver: steers a ball along a route of points as a player on the keys would (at most 40
// per axis), and the routes that finish the shipped courses.
#pragma once

#include <OgreVector.h>

#include <algorithm>
#include <vector>

class CRouteDriver
{
public:
    static constexpr float kKeyForce = 40.0f;
    static constexpr float kCruiseSpeed = 2.2f;
    static constexpr float kSpeedGain = 30.0f;
    static constexpr float kReached = 0.5f;

    explicit CRouteDriver(std::vector<Ogre::Vector2> route) : mRoute(std::move(route)) {}
    Ogre::Vector3 steer(const Ogre::Vector3& position, const Ogre::Vector3& velocity)
    {
        Ogre::Vector2 toTarget(mRoute[mNext].x - position.x, mRoute[mNext].y - position.z);
        if (toTarget.length() < kReached && mNext + 1 < mRoute.size()) {
            ++mNext;
            toTarget = Ogre::Vector2(mRoute[mNext].x - position.x, mRoute[mNext].y - position.z);
        }
        const float distance = toTarget.normalise();
        const Ogre::Vector2 wanted = toTarget * std::min(kCruiseSpeed, 1.5f * distance + 0.5f);
        return Ogre::Vector3(push(wanted.x - velocity.x), 0.0f, push(wanted.y - velocity.z));
    }
    void restart() { mNext = 0; }

private:
    static float push(float missing)
    {
        return std::clamp(kSpeedGain * missing, -kKeyForce, kKeyForce);
    }
    std::vector<Ogre::Vector2> mRoute;
    size_t mNext = 0;
};

// A course a driver finishes: the map, the player count, the steered ball's index, the winner
// (0: the route must end in a fall instead), how often the ball may be sent back, the route.
struct SCourse
{
    const char* map;
    int players, ball, winner, maxResets;
    std::vector<Ogre::Vector2> route;
};

// Weaving between the stampers of the monster level, under the gate, down the middle of the plaza
// wide of the fires and the venom pit, to the finish box.
inline const std::vector<Ogre::Vector2>& monsterLevelRoute()
{
    static const std::vector<Ogre::Vector2> route = {{1, -3.5f}, {1, -6},     {-1, -7}, {-1, -9.5f},
                                                     {1, -10},   {1, -12.5f}, {0, -14}, {0, -16},
                                                     {0, -19},   {0, -22},    {0, -25}, {0, -27}};
    return route;
}

inline std::vector<SCourse> shippedCourses()
{
    const std::vector<Ogre::Vector2> slopesRoute = {{1, -2},  {1, -15}, {4, -17}, {4, -25},
                                                    {0, -26}, {0, -30}, {3, -30}, {3, -43}};
    return {
        {"00_straight_run.kivom", 2, 1, 2, 0, {{-1, -22}}},
        {"01_first_steps.kivom", 1, 0, 1, 0, {{1, -13}, {13, -13}, {13, -29}, {5, -29}, {5, -44}}},
        {"02_slopes_and_gaps.kivom", 1, 0, 1, 0, slopesRoute},
        // Straight on from the ramp into the first hole: the ball falls and is put back.
        {"02_slopes_and_gaps.kivom", 1, 0, 0, 0, {{1, -2}, {1, -21}}},
        {"03_arena.kivom", 4, 0, 1, 0, {{-1, 10}, {-1, 1}}},
        {"03_arena.kivom", 4, 1, 2, 0, {{-1, -8}, {-1, 1}}},
        {"03_arena.kivom", 4, 2, 3, 0, {{-1, 10}, {-1, 1}}},
        {"03_arena.kivom", 4, 3, 4, 0, {{-1, -8}, {-1, 1}}},
        {"04_monster_mayhem.kivom", 1, 0, 1, 3, monsterLevelRoute()},
    };
}
