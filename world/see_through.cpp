// See-through boxes: every half second the scene looks along the centre of camera 1; when a box
// blocks the view near the camera, the boxes above the local ball fade with their distance to
// it. A box fades through its own material copies and keeps its body.
#include "world/box.h"
#include "world/box_grid.h"
#include "world/material_instance.h"
#include "world/physics.h"
#include "world/scene.h"

#include <OgreCamera.h>
#include <OgreEntity.h>
#include <OgreRay.h>
#include <OgreSubEntity.h>

namespace {

constexpr float kSeeThroughInterval = 0.5f;
// A box hit by the centre ray closer than this blocks the view.
constexpr float kBlockDistance = 12.0f;
// Boxes within this distance of the ball fade; alpha = d^2 / kFadeRadius^2.
constexpr float kFadeRadius = 14.0f;
constexpr float kViewportCentre = 0.5f;

} // namespace

void CScene::updateSeeThrough()
{
    if (mEditorMode || mSeeThroughTimer <= kSeeThroughInterval)
        return;
    if (mLocalPlayer < 1 || static_cast<size_t>(mLocalPlayer) > mBalls.size())
        return;

    // The centre ray is tested against the boxes' bodies through the physics broadphase:
    // a scene query would test the bounds of every object of a big level each time.
    // Distances count from the camera itself, not from its near plane, so that the block
    // distance does not depend on the near clip distance.
    bool blocked = false;
    if (Ogre::Camera* camera = mCameras[0]) {
        const Ogre::Vector3 eye = camera->getDerivedPosition();
        const Ogre::Vector3 direction =
            camera->getCameraToViewportRay(kViewportCentre, kViewportCentre).getDirection();
        for (CPhysicsBody* body :
             mWorld->staticBodiesOnSegment(eye, eye + direction * kBlockDistance)) {
            if (mBoxesByBody.count(body)) {
                blocked = true;
                break;
            }
        }
    }
    const bool singleView = !mCameras[1] && !mCameras[2] && !mCameras[3];
    const bool fade = blocked && singleView;
    const Ogre::Vector3 ball = mBalls[mLocalPlayer - 1].body->getPosition();

    for (const auto& grid : mGrids) {
        for (const auto& box : grid->getBoxes()) {
            // Opaque unless it is a box above the ball and near it while the view is blocked.
            float alpha = 1.0f;
            if (fade) {
                const Ogre::Vector3 top = box->getTopCentre();
                const float distance = top.distance(ball);
                if (distance < kFadeRadius && ball.y < top.y)
                    alpha = distance * distance / (kFadeRadius * kFadeRadius);
            }
            box->setSeeThrough(alpha);
        }
    }
    mSeeThroughTimer = 0.0f;
}

void CBox::setSeeThrough(float alpha)
{
    if (alpha < 0.0f || alpha > 1.0f || !mEntity)
        return;
    if (mMaterialInstances.empty()) {
        // A box never faded is opaque already: most boxes of a big level never get copies.
        if (alpha == 1.0f)
            return;
        for (unsigned int i = 0; i < mEntity->getNumSubEntities(); ++i)
            mMaterialInstances.push_back(new SubEntityMaterialInstance(mEntity->getSubEntity(i)));
    } else if (mMaterialInstances.front()->getTransparency() == 1.0f - alpha) {
        // Unchanged since the last pass (the usual case for all but a few boxes).
        return;
    }
    setTransparency(mMaterialInstances, 1.0f - alpha);
}

void CBox::destroySeeThrough()
{
    for (SubEntityMaterialInstance* instance : mMaterialInstances)
        delete instance;
    mMaterialInstances.clear();
}
