// Helpers of the scene-level tests: map texts written record by record, and a level built from
// one in a private folder on headless Ogre with real physics.
#pragma once

#include "headless_ogre.h"
#include "test_env.h"

#include "world/box.h"
#include "world/monster.h"
#include "world/scene.h"
#include "world/waypoint.h"

#include <OgreSceneManager.h>

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>

namespace leveltest {

constexpr float kFrameTime = 1.0f / 60.0f;

// A map text built one record at a time. Boxes are unit cubes (top centre 0.5 above the node)
// whose top centre may be raised.
class MapText
{
public:
    template <typename... Parts> MapText& line(const Parts&... parts)
    {
        std::ostringstream out;
        (out << ... << parts);
        mText += out.str() + '\n';
        return *this;
    }
    MapText& box(const std::string& name, float x, float y, float z,
                 const std::string& material = "stone", float topRaise = 0.0f,
                 const std::string& grid = "grid", bool fitTexture = false)
    {
        CBox::Vertices vertices = CBox::cubeVertices(1.0f);
        vertices[CBox::kTopCentre].y += topRaise;
        std::ostringstream corners;
        for (const Ogre::Vector3& v : vertices)
            corners << ',' << v.x << ',' << v.y << ',' << v.z;
        return line("box=", name, ',', material, ',', grid, ',', x, ',', y, ',', z, corners.str(),
                    ',', fitTexture ? 1 : 0);
    }
    // A row of boxes prefix0..prefix<count-1> from (x, y, z) along +x.
    MapText& row(const std::string& prefix, int count, float x, float y, float z,
                 const std::string& material = "stone")
    {
        for (int i = 0; i < count; ++i)
            box(prefix + std::to_string(i), x + i, y, z, material);
        return *this;
    }
    MapText& start(const std::string& box) { return line("startpoint=", box); }
    MapText& finish(const std::string& box) { return line("finishpoint=", box); }
    MapText& waypoint(const std::string& box, int weight,
                      std::initializer_list<std::string> neighbours = {})
    {
        std::string links;
        for (const std::string& n : neighbours)
            links += ',' + n;
        return line("waypoint=", box, ',', weight, links);
    }
    MapText& monster(int kind, const std::string& name, const std::string& box)
    {
        return line("monster=", kind, ',', name, ',', box);
    }
    MapText& light(const std::string& name, float x, float y, float z, float range)
    {
        return line("light=", name, ',', x, ',', y, ',', z, ",1,1,1,0.5,0.5,0.5,", range);
    }
    std::string str() const { return mText; }

private:
    std::string mText;
};

// A straight course along -z: start boxes start0.. side by side at z = 0, plain boxes
// b1..b<length>, the finish box "goal", the light "lamp" and an ambient light.
inline MapText straightCourse(int length, int starts = 1)
{
    MapText map;
    for (int s = 0; s < starts; ++s)
        map.box("start" + std::to_string(s), 2.0f * s, 0, 0, "startbox", 0, "course");
    for (int i = 1; i <= length; ++i)
        map.box("b" + std::to_string(i), 0, 0, -1.0f * i, "stone", 0, "course");
    map.box("goal", 0, 0, -1.0f * (length + 1), "finishbox", 0, "course");
    map.light("lamp", 0, 10, 0, 50.0f).line("ambient=0.3,0.4,0.5");
    for (int s = 0; s < starts; ++s)
        map.start("start" + std::to_string(s));
    return map.finish("goal");
}

struct LevelOptions
{
    int players = 1;
    bool editor = false;
    bool secondCamera = false;
};

// A level on headless Ogre in a private working folder whose data/maps/test.kivom holds the map.
struct Level
{
    testenv::TempDir dir;
    HeadlessOgre ogre;
    std::unique_ptr<CScene> scene;

    Level() { std::filesystem::create_directories("data/maps"); }
    explicit Level(const std::string& map, const LevelOptions& options = LevelOptions()) : Level()
    {
        build(map, options);
    }
    ~Level() { scene.reset(); }

    // Builds the map (destroying the level built before).
    CScene& build(const std::string& map, const LevelOptions& options = LevelOptions())
    {
        scene.reset();
        testenv::writeFile("data/maps/test.kivom", map);
        std::string camera2;
        if (options.secondCamera) {
            camera2 = "secondCamera";
            if (!ogre.sceneManager->hasCamera(camera2))
                ogre.sceneManager->createCamera(camera2);
        }
        scene = std::make_unique<CScene>(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName,
                                         camera2, "", "", options.editor, "test.kivom",
                                         options.players, 1);
        return *scene;
    }

    // Runs whole frames (physics and the scene's frame work) until the condition holds or the
    // time is up; true when it held.
    template <typename Condition> bool runUntil(Condition condition, float seconds)
    {
        for (float t = 0.0f; t < seconds; t += kFrameTime) {
            ogre.frame(kFrameTime);
            if (condition())
                return true;
        }
        return false;
    }
    void run(float seconds)
    {
        runUntil([] { return false; }, seconds);
    }

    CMonster* monster(const std::string& name) const
    {
        for (CMonster* m : scene->getMonsters()) {
            if (m->getName() == name)
                return m;
        }
        return nullptr;
    }
    CWaypoint* waypointOn(const std::string& box) const
    {
        return scene->findWaypoint(scene->findBox(box));
    }
    CPhysicsBody& body(const std::string& box) const { return *scene->findBox(box)->getBody(); }
    Ogre::Vector3 top(const std::string& box) const { return scene->findBox(box)->getTopCentre(); }
    Ogre::Vector3 ball(int index = 0) const { return scene->getBallBody(index)->getPosition(); }
    // Puts ball i at rest at a place.
    void putBall(int index, const Ogre::Vector3& position) const
    {
        scene->correctBall(index, position, 0.0f);
        scene->setBallVelocity(index, Ogre::Vector3::ZERO, Ogre::Vector3::ZERO);
    }
};

} // namespace leveltest
