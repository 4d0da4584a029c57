// CRouteDriver: steers a ball along a route of points as a player on the keys would (at most 40
// per axis), and the routes that finish the shipped courses.
#pragma once

#include "test_env.h"
#include "world/monster.h"
#include "world/scene.h"
#include "world/waypoint.h"

#include <OgreVector.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

// Whether the way from one route point to the next may be taken now.
using WayCheck = std::function<bool(const Ogre::Vector2& from, const Ogre::Vector2& to)>;

class CRouteDriver
{
public:
    static constexpr float kKeyForce = 40.0f;
    static constexpr float kCruiseSpeed = 2.2f;
    static constexpr float kSpeedGain = 30.0f;
    static constexpr float kReached = 0.5f;

    explicit CRouteDriver(std::vector<Ogre::Vector2> route, float cruiseSpeed = kCruiseSpeed,
                          WayCheck wayFree = {})
        : mRoute(std::move(route)), mCruiseSpeed(cruiseSpeed), mWayFree(std::move(wayFree))
    {
    }
    // Heads for the next route point at the cruising pace; at a point whose way on is not free
    // it waits.
    Ogre::Vector3 steer(const Ogre::Vector3& position, const Ogre::Vector3& velocity)
    {
        Ogre::Vector2 toTarget(mRoute[mNext].x - position.x, mRoute[mNext].y - position.z);
        if (toTarget.length() < kReached && mNext + 1 < mRoute.size() &&
            (!mWayFree || mWayFree(mRoute[mNext], mRoute[mNext + 1]))) {
            ++mNext;
            toTarget = Ogre::Vector2(mRoute[mNext].x - position.x, mRoute[mNext].y - position.z);
        }
        const float distance = toTarget.normalise();
        const Ogre::Vector2 wanted = toTarget * std::min(mCruiseSpeed, 1.5f * distance + 0.5f);
        return Ogre::Vector3(push(wanted.x - velocity.x), 0.0f, push(wanted.y - velocity.z));
    }
    void restart() { mNext = 0; }

private:
    static float push(float missing)
    {
        return std::clamp(kSpeedGain * missing, -kKeyForce, kKeyForce);
    }
    std::vector<Ogre::Vector2> mRoute;
    float mCruiseSpeed;
    WayCheck mWayFree;
    size_t mNext = 0;
};

// A course a driver finishes: the map, the player count, the steered ball's index, the winner
// (0: the route must end in a fall instead), how often the ball may be sent back, the route, the
// cruising pace (a run-up for a jump needs more) and whether to wait for the stampers.
struct SCourse
{
    const char* map;
    int players, ball, winner, maxResets;
    std::vector<Ogre::Vector2> route;
    float speed = CRouteDriver::kCruiseSpeed;
    bool watchStampers = false;
};

// A player's eye for stampers: the way is free while every stamper standing on it has just
// started to rise, so that it is still high when the ball rolls under it.
inline bool stampersLetPass(const CScene& scene, const Ogre::Vector2& from, const Ogre::Vector2& to)
{
    constexpr float kNearWay = 1.0f;   // a stamper this close to the way stands on it
    constexpr float kJustRisen = 0.8f; // above its box top, rising
    for (const CMonster* monster : scene.getMonsters()) {
        if (monster->getKind() != CMonster::KIND_MOVING_OBSTACLE || !monster->getBody())
            continue;
        const Ogre::Vector3 p = monster->getBody()->getPosition();
        const Ogre::Vector2 way = to - from;
        const float along = std::clamp(
            (Ogre::Vector2(p.x, p.z) - from).dotProduct(way) / way.squaredLength(), 0.0f, 1.0f);
        if ((from + way * along).distance(Ogre::Vector2(p.x, p.z)) > kNearWay)
            continue;
        const float height = p.y - monster->getStartWaypoint()->getPosition().y;
        if (monster->getBody()->getVelocity().y <= 0.0f || height > kJustRisen)
            return false;
    }
    return true;
}

// The driver of a course on its scene.
inline CRouteDriver courseDriver(const SCourse& course, const CScene& scene)
{
    if (!course.watchStampers)
        return CRouteDriver(course.route, course.speed);
    return CRouteDriver(course.route, course.speed,
                        [&scene](const Ogre::Vector2& from, const Ogre::Vector2& to) {
                            return stampersLetPass(scene, from, to);
                        });
}

// The time to beat that a map's description names ("Time to beat: 25 s"), or 0 for none.
inline float timeToBeat(const std::string& map)
{
    const std::string text =
        testenv::readFile(testenv::sourceDir() + "/data/maps/" + map + ".data");
    const std::string mark = "Time to beat: ";
    const size_t at = text.find(mark);
    return at == std::string::npos ? 0.0f : std::stof(text.substr(at + mark.size()));
}

// The shipped courses as drivers take them.
inline std::vector<SCourse> shippedCourses()
{
    // Weaving between the stampers of the monster level, under the gate, down the middle of the
    // plaza wide of the fires and the venom pit, to the finish box.
    const std::vector<Ogre::Vector2> monsterLevelRoute = {
        {1, -3.5f}, {1, -6},  {-1, -7}, {-1, -9.5f}, {1, -10}, {1, -12.5f},
        {0, -14},   {0, -16}, {0, -19}, {0, -22},    {0, -25}, {0, -27}};
    const std::vector<Ogre::Vector2> slopesRoute = {{1, -2},  {1, -15}, {4, -17}, {4, -25},
                                                    {0, -26}, {0, -30}, {3, -30}, {3, -43}};
    // Along the ice bridge's bends; through the maze; round the spiral's turns.
    const std::vector<Ogre::Vector2> iceBridgeRoute = {{1, -4},  {1, -16}, {7, -16},
                                                       {7, -24}, {1, -24}, {1, -36}};
    const std::vector<Ogre::Vector2> mazeRoute = {{0, -2},  {12, -2}, {12, -6}, {0, -6},
                                                  {0, -14}, {4, -14}, {4, -10}, {8, -10},
                                                  {8, -18}, {4, -18}, {4, -22}, {12, -22}};
    const std::vector<Ogre::Vector2> spiralRoute = {{0, -4},  {0, -26}, {20, -26}, {20, -6},
                                                    {4, -6},  {4, -22}, {16, -22}, {16, -10},
                                                    {8, -10}, {8, -16}};
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
        {"04_monster_mayhem.kivom", 1, 0, 1, 3, monsterLevelRoute},
        // Over a hill, through a dip and along a bank, all made of moved box corners.
        {"06_rolling_hills.kivom", 1, 0, 1, 0, {{2, -4}, {2, -48}}},
        // The gaps need a run-up: at the walking pace the ball falls into one.
        {"07_the_leap.kivom", 1, 0, 1, 0, {{1, -4}, {1, -38}}, 4.5f},
        {"07_the_leap.kivom", 1, 0, 0, 0, {{1, -4}, {1, -38}}},
        // Waiting before each stamper on its bridge until it rises.
        {"08_stamper_alley.kivom",
         1,
         0,
         1,
         0,
         {{1, -4}, {1, -8}, {1, -15}, {1, -18}, {1, -25}, {1, -28}, {1, -36}},
         3.0f,
         true},
        // Round the west side of the ring past the slimes coming that way.
        {"09_slime_ring.kivom", 1, 0, 1, 0, {{1, -5}, {-7, -7}, {-7, -23}, {1, -23}, {1, -28}}},
        {"10_ice_bridge.kivom", 1, 0, 1, 0, iceBridgeRoute},
        {"11_maze.kivom", 1, 0, 1, 0, mazeRoute},
        // Slower than walking pace: on the one-cell track the ball must not run wide at a bend.
        {"12_spiral_descent.kivom", 1, 0, 1, 0, spiralRoute, 1.9f},
        // Between the fires, straight along the causeway, and up the field through the marbles
        // and the boulder, which push the ball back; where they throw it off, it tries again.
        {"13_gauntlet.kivom",
         1,
         0,
         1,
         2,
         {{2, -4}, {2, -9}, {-2, -10}, {-2, -13}, {0, -14.5f}, {0, -16}, {0, -28}, {0, -56}}},
    };
}
