// Waypoints and their symmetric links.
#include "world/waypoint.h"

#include "world/box.h"

#include <OgreBillboard.h>
#include <OgreBillboardSet.h>
#include <OgreEntity.h>
#include <OgreManualObject.h>
#include <OgreMaterialManager.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>

namespace {
unsigned long sWaypointCounter = 0;
unsigned long sLinkCounter = 0;
unsigned long sRedrawCounter = 0;
unsigned long sGraphRevision = 0;

// Editor-mode marker: an upright post on the box top; links are white lines between tops.
const char* const kMarkerSetPrefix = "waypoint_billboardset";
const char* const kMarkerNodePrefix = "waypoint_node";
const char* const kLineNodePrefix = "waypoint_line_node";
const char* const kMarkerMaterial = "waypoint";
constexpr unsigned int kMarkerPoolSize = 20;
const Ogre::Vector3 kMarkerScale(0.002f, 0.02f, 0.002f);
const char* const kLinePrefix = "waypoint_";
const char* const kLineInfix = "_line_";
const char* const kLineMeshPrefix = "waypoint_mesh_";
const char* const kLineEntityPrefix = "waypoint_entity_";
const char* const kLineMaterial = "BaseWhiteNoLighting";
const char* const kRedrawPrefix = "r";
} // namespace

unsigned long CWaypoint::getCreatedCount()
{
    return sWaypointCounter;
}

unsigned long CWaypoint::getLinkCount()
{
    return sLinkCounter;
}

unsigned long CWaypoint::getGraphRevision()
{
    return sGraphRevision;
}

CWaypoint::CWaypoint(int weight, Ogre::SceneManager* sceneManager, CBox* box, bool visible)
    : mBox(box), mWeight(weight), mSceneManager(sceneManager), mVisible(visible)
{
    mId = std::to_string(++sWaypointCounter);
    ++sGraphRevision;
    if (mVisible)
        createMarker();
}

CWaypoint::~CWaypoint()
{
    ++sGraphRevision;
    for (CWaypoint* other : std::vector<CWaypoint*>(mNeighbours))
        unlink(other);
    if (mVisible)
        destroyMarker();
}

bool CWaypoint::link(CWaypoint* other)
{
    if (!other || other == this ||
        std::find(mNeighbours.begin(), mNeighbours.end(), other) != mNeighbours.end())
        return false;
    mNeighbours.push_back(other);
    other->link(this);
    ++sLinkCounter;
    ++sGraphRevision;
    if (mVisible)
        drawLink(other);
    return true;
}

bool CWaypoint::unlink(CWaypoint* other)
{
    auto it = std::find(mNeighbours.begin(), mNeighbours.end(), other);
    if (it == mNeighbours.end())
        return false;
    mNeighbours.erase(it);
    ++sGraphRevision;
    if (mVisible)
        eraseLink(other);
    other->unlink(this);
    return true;
}

void CWaypoint::orderNeighbours(const std::vector<CWaypoint*>& first)
{
    std::vector<CWaypoint*> ordered;
    for (CWaypoint* neighbour : first) {
        if (std::find(mNeighbours.begin(), mNeighbours.end(), neighbour) != mNeighbours.end() &&
            std::find(ordered.begin(), ordered.end(), neighbour) == ordered.end())
            ordered.push_back(neighbour);
    }
    for (CWaypoint* neighbour : mNeighbours) {
        if (std::find(ordered.begin(), ordered.end(), neighbour) == ordered.end())
            ordered.push_back(neighbour);
    }
    if (ordered != mNeighbours)
        ++sGraphRevision;
    mNeighbours = std::move(ordered);
}

Ogre::Vector3 CWaypoint::getPosition() const
{
    return mBox ? mBox->getTopCentre() : Ogre::Vector3::ZERO;
}

void CWaypoint::createMarker()
{
    Ogre::SceneNode* root = mSceneManager->getRootSceneNode();
    mBillboardSet = mSceneManager->createBillboardSet(kMarkerSetPrefix + mId, kMarkerPoolSize);
    // Upright posts: the billboards turn only about the vertical axis.
    mBillboardSet->setBillboardType(Ogre::BBT_ORIENTED_COMMON);
    mBillboardSet->setCommonDirection(Ogre::Vector3::UNIT_Y);
    if (Ogre::MaterialManager::getSingleton().resourceExists(kMarkerMaterial))
        mBillboardSet->setMaterialName(kMarkerMaterial);
    mNode = root->createChildSceneNode(kMarkerNodePrefix + mId);
    mLineNode = root->createChildSceneNode(kLineNodePrefix + mId);
    mNode->setScale(kMarkerScale);
    mNode->attachObject(mBillboardSet);
    mNode->setPosition(getPosition());
    mBillboardSet->createBillboard(Ogre::Vector3::ZERO, Ogre::ColourValue::White);
}

void CWaypoint::destroyMarker()
{
    while (!mLineTargets.empty())
        eraseLink(mLineTargets.front());
    if (mBillboardSet)
        mSceneManager->destroyBillboardSet(mBillboardSet);
    if (mNode)
        mSceneManager->destroySceneNode(mNode);
    if (mLineNode)
        mSceneManager->destroySceneNode(mLineNode);
    mBillboardSet = nullptr;
    mNode = nullptr;
    mLineNode = nullptr;
}

void CWaypoint::drawLink(CWaypoint* other)
{
    drawLine(other, std::to_string(sLinkCounter));
}

void CWaypoint::drawLine(CWaypoint* other, const std::string& number)
{
    // Box geometry carries the plain box name, so a box may already hold the line's name; the
    // line object lives only until it is converted, so it can do without a name then.
    const std::string lineName = kLinePrefix + mId + kLineInfix + other->mId;
    Ogre::ManualObject* line = mSceneManager->hasManualObject(lineName)
                                   ? mSceneManager->createManualObject()
                                   : mSceneManager->createManualObject(lineName);
    line->begin(kLineMaterial, Ogre::RenderOperation::OT_LINE_LIST,
                Ogre::ResourceGroupManager::AUTODETECT_RESOURCE_GROUP_NAME);
    line->position(getPosition());
    line->position(other->getPosition());
    line->end();
    // Only the entity is kept: the line object's name is free again for a later link.
    const Ogre::MeshPtr mesh = line->convertToMesh(kLineMeshPrefix + number);
    mSceneManager->destroyManualObject(line);
    Ogre::Entity* entity = mSceneManager->createEntity(kLineEntityPrefix + number, mesh);
    mLineNode->attachObject(entity);
    mLines.push_back(entity);
    mLineTargets.push_back(other);
}

void CWaypoint::redrawLink(CWaypoint* other)
{
    if (std::find(mLineTargets.begin(), mLineTargets.end(), other) == mLineTargets.end())
        return;
    eraseLink(other);
    // Redrawn lines are numbered apart from the link numbers, which only count links.
    drawLine(other, kRedrawPrefix + std::to_string(++sRedrawCounter));
}

void CWaypoint::refreshMarkers()
{
    ++sGraphRevision; // the box moved or its top changed
    if (!mVisible)
        return;
    if (mNode)
        mNode->setPosition(getPosition());
    for (CWaypoint* other : mNeighbours) {
        redrawLink(other);
        other->redrawLink(this);
    }
}

void CWaypoint::eraseLink(CWaypoint* other)
{
    auto it = std::find(mLineTargets.begin(), mLineTargets.end(), other);
    if (it == mLineTargets.end())
        return;
    const size_t index = static_cast<size_t>(it - mLineTargets.begin());
    Ogre::Entity* entity = mLines[index];
    const Ogre::MeshPtr mesh = entity->getMesh();
    mSceneManager->destroyEntity(entity);
    Ogre::MeshManager::getSingleton().remove(mesh);
    mLines.erase(mLines.begin() + index);
    mLineTargets.erase(it);
}
