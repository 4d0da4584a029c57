// The ball's shadow disc: found by a ray against the level's boxes, drawn as one textured quad.
#include "world/ball_shadow.h"

#include "world/physics.h"

#include <OgreManualObject.h>
#include <OgreMaterialManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>

namespace {

bool sEnabled = true;

const char* const kMaterial = "ballshadow";
const char* const kPrefix = "shadow";
// Opacity of the disc under a resting ball; it falls off linearly to 0 at kReach.
constexpr float kDarkest = 0.75f;
// Disc radius in ball radii: a little wider than the ball at rest, wider still up high.
constexpr float kRestingSize = 1.1f;
constexpr float kHighSize = 1.8f;
// Lifted off the box so it never fights with the box's surface for depth.
constexpr float kLift = 0.02f;

} // namespace

void CBallShadow::setEnabled(bool enabled)
{
    sEnabled = enabled;
}

CBallShadow::CBallShadow(Ogre::SceneManager* sceneManager, const std::string& name,
                         float ballRadius)
    : mSceneManager(sceneManager), mBallRadius(ballRadius)
{
    if (!Ogre::MaterialManager::getSingleton().resourceExists(kMaterial))
        return; // nothing to draw it with: the round plays without shadows
    mDisc = mSceneManager->createManualObject(kPrefix + name);
    mDisc->setDynamic(true);
    mDisc->setCastShadows(false);
    mDisc->estimateVertexCount(4);
    mDisc->estimateIndexCount(6);
    mDisc->begin(kMaterial, Ogre::RenderOperation::OT_TRIANGLE_LIST);
    for (int i = 0; i < 4; ++i) {
        mDisc->position(Ogre::Vector3::ZERO);
        mDisc->colour(Ogre::ColourValue::ZERO);
        mDisc->textureCoord(0.0f, 0.0f);
    }
    mDisc->quad(0, 1, 2, 3);
    mDisc->end();
    mNode = mSceneManager->getRootSceneNode()->createChildSceneNode(kPrefix + name);
    mNode->attachObject(mDisc);
    hide();
}

CBallShadow::~CBallShadow()
{
    if (mNode)
        mSceneManager->destroySceneNode(mNode);
    if (mDisc)
        mSceneManager->destroyManualObject(mDisc);
}

bool CBallShadow::isVisible() const
{
    return mDisc && mDisc->isVisible();
}

void CBallShadow::hide()
{
    mStrength = 0.0f;
    if (mDisc)
        mDisc->setVisible(false);
}

void CBallShadow::update(const CPhysicsWorld& world, const Ogre::Vector3& ballCentre)
{
    if (!mDisc || !sEnabled) {
        hide();
        return;
    }
    const Ogre::Vector3 bottom = ballCentre - Ogre::Vector3(0.0f, mBallRadius, 0.0f);
    Ogre::Vector3 point, normal;
    if (!world.castRayAtStatic(ballCentre, bottom - Ogre::Vector3(0.0f, kReach, 0.0f), point,
                               normal) ||
        normal.y <= 0.0f) {
        hide();
        return;
    }
    const float height = std::max(0.0f, bottom.y - point.y);
    const float fall = std::min(1.0f, height / kReach);
    mStrength = 1.0f - fall;
    if (mStrength <= 0.0f) {
        hide();
        return;
    }
    mCentre = point + normal * kLift;

    // A square on the surface's plane, its sides along the plane's own axes.
    const float size = mBallRadius * (kRestingSize + (kHighSize - kRestingSize) * fall);
    Ogre::Vector3 side = normal.crossProduct(Ogre::Vector3::UNIT_Z);
    if (side.squaredLength() < 1e-6f)
        side = Ogre::Vector3::UNIT_X;
    side.normalise();
    const Ogre::Vector3 across = side.crossProduct(normal) * size;
    side *= size;
    const Ogre::ColourValue shade(1.0f, 1.0f, 1.0f, kDarkest * mStrength);
    const Ogre::Vector3 corners[4] = {mCentre - side - across, mCentre + side - across,
                                      mCentre + side + across, mCentre - side + across};
    const float u[4] = {0, 1, 1, 0}, v[4] = {0, 0, 1, 1};
    mDisc->beginUpdate(0);
    for (int i = 0; i < 4; ++i) {
        mDisc->position(corners[i]);
        mDisc->colour(shade);
        mDisc->textureCoord(u[i], v[i]);
    }
    mDisc->quad(0, 3, 2, 1); // counter-clockwise seen from above the surface
    mDisc->end();
    mDisc->setVisible(true);
}
