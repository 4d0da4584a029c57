// CLevel: one level as plain data, the way a map file holds it: grids of boxes, lights, the
// ambient light, start and finish points, waypoints with weights and links, and monsters. It
// knows nothing of Ogre or Bullet. Its operations keep it consistent: names are unique, nothing
// refers to a box, waypoint or monster that is gone, and what depends on a box or a waypoint is
// removed with it or keeps it from going (see README.md beside this file).
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

struct SLevelVector
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

struct SLevelColour
{
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

// The nine vertices of a box in its own space: the top corners (+x,-z), (-x,-z), (-x,+z),
// (+x,+z), the top centre, then the bottom corners in the same order.
constexpr std::size_t kLevelBoxVertexCount = 9;
using SLevelVertices = std::array<SLevelVector, kLevelBoxVertexCount>;

struct SLevelBox
{
    std::string name;
    std::string material;
    SLevelVector position;
    SLevelVertices vertices;
    bool fitTexture = false;
};

struct SLevelGrid
{
    std::string name;
    std::string material; // the material of its first box
    std::vector<SLevelBox> boxes;
};

struct SLevelLight
{
    std::string name;
    SLevelVector position;
    SLevelColour diffuse;
    SLevelColour specular;
    float range = 1000.0f;
};

struct SLevelWaypoint
{
    std::string box;
    int weight = 0;
    std::vector<std::string> neighbours; // box names; links are symmetric
};

struct SLevelMonster
{
    int kind = 0;
    std::string name;
    std::string start; // the box of its start waypoint
};

class CLevel
{
public:
    static constexpr int kMonsterKinds = 6;
    // A place in a list: at its end.
    static constexpr std::size_t kAtEnd = ~std::size_t(0);
    // A level without an ambient record is lit like this.
    static constexpr SLevelColour kDefaultAmbient{0.1f, 0.1f, 0.1f};

    static SLevelVertices cubeVertices(float edge);

    // --- boxes and grids -----------------------------------------------------------------
    const std::vector<SLevelGrid>& grids() const { return mGrids; }
    const SLevelGrid* findGrid(const std::string& name) const;
    const SLevelBox* findBox(const std::string& name) const;
    std::string gridOf(const std::string& boxName) const; // empty when there is no such box
    std::size_t boxCount() const { return mBoxes.size(); }
    // Adds the box at the place in the named grid's list. An unknown grid is made (with the
    // box's material) at gridPlace in the list of grids. A name already used gets the smallest
    // number suffix 0, 1, 2, ... that is free (freeBoxName); the name the box got is returned.
    std::string addBox(const std::string& grid, SLevelBox box, std::size_t place = kAtEnd,
                       std::size_t gridPlace = kAtEnd);
    std::string freeBoxName(const std::string& wanted) const;
    // Changes material, position, vertices and fit of the box of that name.
    bool setBox(const SLevelBox& box);
    // Removes the box with its start and finish entries, its waypoint and that waypoint's links.
    // Refused while a monster starts on its waypoint.
    bool removeBox(const std::string& name);

    // --- lights --------------------------------------------------------------------------
    const std::vector<SLevelLight>& lights() const { return mLights; }
    const SLevelLight* findLight(const std::string& name) const;
    bool addLight(const SLevelLight& light,
                  std::size_t place = kAtEnd); // refused for a name in use
    bool setLight(const SLevelLight& light);
    bool removeLight(const std::string& name);
    const SLevelColour& ambient() const { return mAmbient; }
    void setAmbient(const SLevelColour& colour) { mAmbient = colour; }

    // --- start and finish points ---------------------------------------------------------
    const std::vector<std::string>& startPoints() const { return mStarts; }
    const std::vector<std::string>& finishPoints() const { return mFinishes; }
    // Refused for an unknown box or one that is a point of that kind already.
    bool addPoint(const std::string& box, bool start);
    bool removePoint(const std::string& box, bool start);
    // Makes the named boxes the start (or finish) points, in this order; unknown names and
    // repeats are left out.
    void setPoints(const std::vector<std::string>& boxes, bool start);

    // --- waypoints -----------------------------------------------------------------------
    const std::vector<SLevelWaypoint>& waypoints() const { return mWaypoints; }
    const SLevelWaypoint* findWaypoint(const std::string& box) const;
    // Refused when the box has one or there is no such box.
    bool addWaypoint(const std::string& box, int weight, std::size_t place = kAtEnd);
    bool setWeight(const std::string& box, int weight);
    // Refused while a monster starts on it; its links go with it.
    bool removeWaypoint(const std::string& box);
    // Links both ways; false for a waypoint itself, an existing link or a missing waypoint.
    bool link(const std::string& a, const std::string& b);
    bool unlink(const std::string& a, const std::string& b);
    // Puts the named neighbours first, in that order; the others follow as they were.
    void orderNeighbours(const std::string& box, const std::vector<std::string>& first);

    // --- monsters ------------------------------------------------------------------------
    const std::vector<SLevelMonster>& monsters() const { return mMonsters; }
    const SLevelMonster* findMonster(const std::string& name) const;
    // Refused for a kind outside 0..5, a name in use, a start without a waypoint or a start
    // waypoint that carries a monster already.
    bool addMonster(const SLevelMonster& monster, std::size_t place = kAtEnd);
    bool removeMonster(const std::string& name);

private:
    struct SBoxPlace
    {
        std::size_t grid;
        std::size_t box;
    };
    SLevelWaypoint* waypoint(const std::string& box);
    bool monsterStartsOn(const std::string& box) const;
    void reindexGrid(std::size_t grid);
    void reindexWaypoints();

    std::vector<SLevelGrid> mGrids;
    std::vector<SLevelLight> mLights;
    SLevelColour mAmbient = kDefaultAmbient;
    std::vector<std::string> mStarts;
    std::vector<std::string> mFinishes;
    std::vector<SLevelWaypoint> mWaypoints;
    std::vector<SLevelMonster> mMonsters;
    // Look-ups for big levels.
    std::unordered_map<std::string, SBoxPlace> mBoxes;
    std::unordered_map<std::string, std::size_t> mWaypointIndex;
};
