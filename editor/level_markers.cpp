// The editor's markers: what each kind looks like, where it stands, and the difference between
// the markers shown and the level's.
#include "editor/level_markers.h"

#include "world/box.h"
#include "world/level/level.h"
#include "world/level_ogre.h"

#include <OgreBillboardSet.h>
#include <OgreLogManager.h>
#include <OgreManualObject.h>
#include <OgreMaterialManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <iostream>

namespace {

// Every Ogre name of a marker starts with a comma, which no box, light or monster name holds
// (the map format separates its fields with commas), so a marker never takes a level's name.
const char* const kNamePrefix = ",";
const char* const kLineTag = "link";
const char* const kLineMaterial = "BaseWhiteNoLighting";
// Start, finish and monster markers float this high over the top of their box.
constexpr float kFloatHeight = 1.0f;

struct SKindLook
{
    const char* tag;
    const char* material;
    Ogre::Vector3 scale;
    bool upright; // a post that turns only about the vertical axis
};

// In the order of CLevelMarkers::EKind.
const SKindLook kLooks[] = {
    {"start", "startpoint", Ogre::Vector3(0.005f), false},
    {"finish", "finishpoint", Ogre::Vector3(0.005f), false},
    {"light", "light", Ogre::Vector3(0.005f), false},
    {"waypoint", "waypoint", Ogre::Vector3(0.002f, 0.02f, 0.002f), true},
    {"monster", "ogrehead", Ogre::Vector3(0.01f), false},
};

std::string ogreName(const char* tag, const std::string& key)
{
    return kNamePrefix + std::string(tag) + kNamePrefix + key;
}

} // namespace

CLevelMarkers::CLevelMarkers(Ogre::SceneManager* sceneManager, Ogre::SceneNode* parent)
    : mSceneManager(sceneManager), mParent(parent)
{
}

CLevelMarkers::~CLevelMarkers()
{
    removeAll();
}

void CLevelMarkers::show(const CLevel& level)
{
    // The top centre of a box, and the point over its middle at the height of that top.
    const auto top = [&level](const std::string& name, Ogre::Vector3& place) {
        const SLevelBox* box = level.findBox(name);
        if (box)
            place = toOgre(box->position) + toOgre(box->vertices[CBox::kTopCentre]);
        return box != nullptr;
    };
    const auto over = [&level](const std::string& name, Ogre::Vector3& place) {
        const SLevelBox* box = level.findBox(name);
        if (box)
            place = toOgre(box->position) +
                    Ogre::Vector3(0.0f, box->vertices[CBox::kTopCentre].y + kFloatHeight, 0.0f);
        return box != nullptr;
    };

    std::array<Places, KIND_COUNT> places;
    Ogre::Vector3 place;
    for (const std::string& box : level.startPoints()) {
        if (over(box, place))
            places[START][box] = place;
    }
    for (const std::string& box : level.finishPoints()) {
        if (over(box, place))
            places[FINISH][box] = place;
    }
    for (const SLevelLight& light : level.lights())
        places[LIGHT][light.name] = toOgre(light.position);
    LinePlaces lines;
    for (const SLevelWaypoint& waypoint : level.waypoints()) {
        if (!top(waypoint.box, place))
            continue;
        places[WAYPOINT][waypoint.box] = place;
        for (const std::string& neighbour : waypoint.neighbours) {
            Ogre::Vector3 other;
            if (neighbour > waypoint.box && top(neighbour, other))
                lines[Link(waypoint.box, neighbour)] = {place, other};
        }
    }
    for (const SLevelMonster& monster : level.monsters()) {
        if (top(monster.start, place))
            places[MONSTER][monster.name] = place + Ogre::Vector3(0.0f, kFloatHeight, 0.0f);
    }

    for (int kind = 0; kind < KIND_COUNT; ++kind)
        showKind(static_cast<EKind>(kind), places[kind]);
    showLines(lines);
}

template <typename Markers, typename Wanted>
void CLevelMarkers::removeGone(Markers& markers, const Wanted& wanted)
{
    for (auto it = markers.begin(); it != markers.end();) {
        if (wanted.count(it->first)) {
            ++it;
            continue;
        }
        destroy(it->second);
        it = markers.erase(it);
    }
}

void CLevelMarkers::removeAll()
{
    for (auto& markers : mBillboards)
        removeGone(markers, Places());
    removeGone(mLines, LinePlaces());
}

void CLevelMarkers::showKind(EKind kind, const Places& places)
{
    std::map<std::string, SBillboard>& markers = mBillboards[kind];
    removeGone(markers, places);
    for (const auto& [key, place] : places) {
        const auto known = markers.find(key);
        if (known == markers.end())
            markers.emplace(key, createBillboard(kind, key, place));
        else if (known->second.node->getPosition() != place)
            known->second.node->setPosition(place);
    }
}

void CLevelMarkers::showLines(const LinePlaces& places)
{
    removeGone(mLines, places);
    for (const auto& [link, ends] : places) {
        const auto known = mLines.find(link);
        if (known == mLines.end()) {
            mLines.emplace(link, createLine(link, ends.first, ends.second));
            continue;
        }
        SLine& line = known->second;
        if (line.from == ends.first && line.to == ends.second)
            continue;
        line.from = ends.first;
        line.to = ends.second;
        draw(line);
    }
}

CLevelMarkers::SBillboard CLevelMarkers::createBillboard(EKind kind, const std::string& key,
                                                         const Ogre::Vector3& place)
{
    const SKindLook& look = kLooks[kind];
    const std::string name = ogreName(look.tag, key);
    SBillboard marker;
    marker.set = mSceneManager->createBillboardSet(name, 1);
    if (look.upright) {
        marker.set->setBillboardType(Ogre::BBT_ORIENTED_COMMON);
        marker.set->setCommonDirection(Ogre::Vector3::UNIT_Y);
    }
    if (materialExists(look.material))
        marker.set->setMaterialName(look.material);
    marker.set->createBillboard(Ogre::Vector3::ZERO, Ogre::ColourValue::White);
    marker.node = mParent->createChildSceneNode(name);
    marker.node->setScale(look.scale);
    marker.node->setPosition(place);
    marker.node->attachObject(marker.set);
    return marker;
}

CLevelMarkers::SLine CLevelMarkers::createLine(const Link& link, const Ogre::Vector3& from,
                                               const Ogre::Vector3& to)
{
    const std::string name = ogreName(kLineTag, link.first + kNamePrefix + link.second);
    SLine line{nullptr, mSceneManager->createManualObject(name), from, to};
    draw(line);
    line.node = mParent->createChildSceneNode(name);
    line.node->attachObject(line.line);
    return line;
}

void CLevelMarkers::draw(const SLine& line)
{
    // Drawn anew rather than updated: an update would keep the old bounds, and the view would
    // cull a line that moved out of them.
    line.line->clear();
    line.line->begin(kLineMaterial, Ogre::RenderOperation::OT_LINE_LIST,
                     Ogre::ResourceGroupManager::AUTODETECT_RESOURCE_GROUP_NAME);
    line.line->position(line.from);
    line.line->position(line.to);
    line.line->end();
}

void CLevelMarkers::destroy(const SBillboard& marker)
{
    mSceneManager->destroyBillboardSet(marker.set);
    mSceneManager->destroySceneNode(marker.node);
}

void CLevelMarkers::destroy(const SLine& line)
{
    mSceneManager->destroyManualObject(line.line);
    mSceneManager->destroySceneNode(line.node);
}

bool CLevelMarkers::materialExists(const std::string& material)
{
    if (Ogre::MaterialManager::getSingleton().resourceExists(material))
        return true;
    if (!mMissingMaterials.insert(material).second)
        return false;
    const std::string text =
        "CLevelMarkers: material " + material + " is missing; its markers are drawn plain";
    if (Ogre::LogManager* log = Ogre::LogManager::getSingletonPtr())
        log->logMessage(text, Ogre::LML_CRITICAL);
    else
        std::cerr << text << std::endl;
    return false;
}
