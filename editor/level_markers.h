// CLevelMarkers: the editor's markers of a level, drawn in an Ogre scene: a billboard over each
// start and finish box, at each light, over each monster's start and an upright post on each
// waypoint, and a white line for each waypoint link. show() brings them in line with a level by
// difference, so a marker whose object did not change keeps its node and its Ogre object.
#pragma once

#include <OgreVector.h>

#include <array>
#include <map>
#include <set>
#include <string>
#include <utility>

class CLevel;

namespace Ogre {
class BillboardSet;
class ManualObject;
class SceneManager;
class SceneNode;
} // namespace Ogre

class CLevelMarkers
{
public:
    // The markers hang below the parent node, which must outlive them.
    CLevelMarkers(Ogre::SceneManager* sceneManager, Ogre::SceneNode* parent);
    ~CLevelMarkers();
    CLevelMarkers(const CLevelMarkers&) = delete;
    CLevelMarkers& operator=(const CLevelMarkers&) = delete;

    // Makes the markers of what is new, moves those whose place changed and removes those
    // whose object is gone.
    void show(const CLevel& level);

private:
    enum EKind
    {
        START,
        FINISH,
        LIGHT,
        WAYPOINT,
        MONSTER,
        KIND_COUNT
    };
    struct SBillboard
    {
        Ogre::SceneNode* node = nullptr;
        Ogre::BillboardSet* set = nullptr;
    };
    using Link = std::pair<std::string, std::string>; // the two boxes, the smaller name first
    struct SLine
    {
        Ogre::SceneNode* node = nullptr;
        Ogre::ManualObject* line = nullptr;
        Ogre::Vector3 from, to;
    };
    using Places = std::map<std::string, Ogre::Vector3>;
    using LinePlaces = std::map<Link, std::pair<Ogre::Vector3, Ogre::Vector3>>;

    template <typename Markers, typename Wanted>
    void removeGone(Markers& markers, const Wanted& wanted);
    void removeAll();
    void showKind(EKind kind, const Places& places);
    void showLines(const LinePlaces& places);
    SBillboard createBillboard(EKind kind, const std::string& key, const Ogre::Vector3& place);
    SLine createLine(const Link& link, const Ogre::Vector3& from, const Ogre::Vector3& to);
    static void draw(const SLine& line);
    void destroy(const SBillboard& marker);
    void destroy(const SLine& line);
    // Gives the object the material, or tells once per material that it is missing.
    bool materialExists(const std::string& material);

    Ogre::SceneManager* mSceneManager;
    Ogre::SceneNode* mParent;
    std::array<std::map<std::string, SBillboard>, KIND_COUNT> mBillboards;
    std::map<Link, SLine> mLines;
    std::set<std::string> mMissingMaterials;
};
