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
#include <sstream>
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

// A course a driver finishes, written as one line: the map (without ".kivom"), the player count,
// the steered ball's index, the winner (0: the route must end in a fall instead), how often the
// ball may be sent back, the cruising pace (a run-up for a jump needs more), whether to wait for
// the stampers (1) and the route's points "x,z".
struct SCourse
{
    SCourse(const char* line)
    {
        std::istringstream in(line);
        in >> map >> players >> ball >> winner >> maxResets >> speed >> watchStampers;
        map += ".kivom";
        char comma = 0;
        for (Ogre::Vector2 point; in >> point.x >> comma >> point.y;)
            route.push_back(point);
    }
    std::string map;
    int players = 0, ball = 0, winner = 0, maxResets = 0;
    float speed = 0.0f;
    bool watchStampers = false;
    std::vector<Ogre::Vector2> route;
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
    return {
        "00_straight_run 2 1 2 0 2.2 0  -1,-22",
        "01_first_steps 1 0 1 0 2.2 0  1,-13 13,-13 13,-29 5,-29 5,-44",
        "02_slopes_and_gaps 1 0 1 0 2.2 0  1,-2 1,-15 4,-17 4,-25 0,-26 0,-30 3,-30 3,-43",
        "02_slopes_and_gaps 1 0 0 0 2.2 0  1,-2 1,-21", // into the first hole, and put back
        "03_arena 4 0 1 0 2.2 0  -1,10 -1,1",
        "03_arena 4 1 2 0 2.2 0  -1,-8 -1,1",
        "03_arena 4 2 3 0 2.2 0  -1,10 -1,1",
        "03_arena 4 3 4 0 2.2 0  -1,-8 -1,1",
        // Between the stampers, under the gate, down the plaza wide of the fires and the venom.
        "04_monster_mayhem 1 0 1 3 2.2 0  1,-3.5 1,-6 -1,-7 -1,-9.5 1,-10 1,-12.5 0,-14 0,-16 "
        "0,-19 0,-22 0,-25 0,-27",
        "05_slime_garden 1 0 1 0 3 0  6,-1 2,-3 2,-9 6,-11 6,-20", // along the gap, past the slimes
        "06_rolling_hills 1 0 1 0 2.2 0  2,-4 2,-48", // hill, dip and bank of moved corners
        "07_the_leap 1 0 1 0 4.5 0  1,-4 1,-38",      // the gaps need a run-up...
        "07_the_leap 1 0 0 0 2.2 0  1,-4 1,-38",      // ...at walking pace the ball falls in
        "08_stamper_alley 1 0 1 0 3 1  1,-4 1,-8 1,-15 1,-18 1,-25 1,-28 1,-36",
        "09_slime_ring 1 0 1 0 2.2 0  1,-5 -7,-7 -7,-23 1,-23 1,-28", // west, past the slimes
        "10_ice_bridge 1 0 1 0 2.2 0  1,-4 1,-16 7,-16 7,-24 1,-24 1,-36",
        "11_maze 1 0 1 0 2.2 0  0,-2 12,-2 12,-6 0,-6 0,-14 4,-14 4,-10 8,-10 8,-18 4,-18 4,-22 "
        "12,-22",
        // Slower than walking pace: on the one-cell track the ball must not run wide at a bend.
        "12_spiral_descent 1 0 1 0 1.9 0  0,-4 0,-26 20,-26 20,-6 4,-6 4,-22 16,-22 16,-10 8,-10 "
        "8,-16",
        // Past the fires, along the causeway, up through the marbles and the boulder, which
        // push the ball back; where they throw it off, it tries again.
        "13_gauntlet 1 0 1 2 2.2 0  2,-4 2,-9 -2,-10 -2,-13 0,-14.5 0,-16 0,-28 0,-56",
    };
}
