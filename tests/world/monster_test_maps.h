// Helpers of the monster, waypoint, see-through and particle tests: map texts written record by
// record, and a level built from one in a private folder on headless Ogre with real physics.
#pragma once

#include "headless_ogre.h"
#include "test_env.h"

#include "world/box.h"
#include "world/monster.h"
#include "world/scene.h"
#include "world/waypoint.h"

#include <OgreFrameListener.h>
#include <OgreSceneManager.h>

#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace monstertest {

constexpr float kFrameTime = 1.0f / 60.0f;
constexpr const char* kMapName = "test.kivom";

// A map text built one record at a time; boxes are unit cubes (top centre 0.5 above the node).
class MapText
{
public:
    MapText& box(const std::string& name, float x, float y, float z,
                 const std::string& material = "stone", float topRaise = 0.0f)
    {
        CBox::Vertices vertices = CBox::cubeVertices(1.0f);
        vertices[CBox::kTopCentre].y += topRaise;
        mText << "box=" << name << ',' << material << ",grid," << x << ',' << y << ',' << z;
        for (const Ogre::Vector3& v : vertices)
            mText << ',' << v.x << ',' << v.y << ',' << v.z;
        mText << ",0\n";
        return *this;
    }
    // A row of boxes name0..name<count-1> from (x, y, z) along +x.
    MapText& row(const std::string& prefix, int count, float x, float y, float z,
                 const std::string& material = "stone")
    {
        for (int i = 0; i < count; ++i)
            box(prefix + std::to_string(i), x + i, y, z, material);
        return *this;
    }
    MapText& start(const std::string& box)
    {
        mText << "startpoint=" << box << '\n';
        return *this;
    }
    MapText& finish(const std::string& box)
    {
        mText << "finishpoint=" << box << '\n';
        return *this;
    }
    MapText& waypoint(const std::string& box, int weight,
                      std::initializer_list<std::string> neighbours = {})
    {
        mText << "waypoint=" << box << ',' << weight;
        for (const std::string& n : neighbours)
            mText << ',' << n;
        mText << '\n';
        return *this;
    }
    MapText& monster(int kind, const std::string& name, const std::string& box)
    {
        mText << "monster=" << kind << ',' << name << ',' << box << '\n';
        return *this;
    }
    std::string str() const { return mText.str(); }

    MapText() = default;
    MapText(const MapText& other) { mText << other.str(); }

private:
    std::ostringstream mText;
};

// A level on headless Ogre: a private working folder holding data/maps/test.kivom, the Ogre
// root with the staged data, and the scene built from the map.
struct Level
{
    struct Options
    {
        int players = 1;
        bool editor = false;
        bool secondCamera = false;
    };

    testenv::TempDir dir;
    HeadlessOgre ogre;
    std::unique_ptr<CScene> scene;

    explicit Level(const std::string& map) : Level(map, Options()) {}
    Level(const std::string& map, const Options& options)
    {
        mkdir(dir.file("data").c_str(), 0755);
        mkdir(dir.file("data/maps").c_str(), 0755);
        testenv::writeFile(dir.file(std::string("data/maps/") + kMapName), map);
        std::string camera2;
        if (options.secondCamera) {
            camera2 = "secondCamera";
            ogre.sceneManager->createCamera(camera2);
        }
        scene =
            std::make_unique<CScene>(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName,
                                     camera2, "", "", options.editor, kMapName, options.players, 1);
    }
    ~Level() { scene.reset(); }

    // Runs whole frames (physics and the scene's frame work) for the given time.
    void run(float seconds)
    {
        for (float t = 0.0f; t < seconds; t += kFrameTime)
            ogre.frame(kFrameTime);
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
    Ogre::Vector3 top(const std::string& box) const { return scene->findBox(box)->getTopCentre(); }
    Ogre::Vector3 ball(int index = 0) const { return scene->getBallBody(index)->getPosition(); }
    // Puts ball i at rest at a place.
    void putBall(int index, const Ogre::Vector3& position) const
    {
        scene->correctBall(index, position, 0.0f);
        scene->setBallVelocity(index, Ogre::Vector3::ZERO, Ogre::Vector3::ZERO);
    }
};

} // namespace monstertest
