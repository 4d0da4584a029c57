// The ghost ball of the best run.
#include "game/core/ghost.h"

#include "world/ball_look.h"
#include "world/scene.h"

#include <OgreEntity.h>
#include <OgreMaterialManager.h>
#include <OgreMeshManager.h>
#include <OgrePass.h>
#include <OgreResourceGroupManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreTechnique.h>
#include <OgreTextureUnitState.h>

namespace {
const char* const kGhostName = "GhostBall";
const char* const kGhostMaterial = "ball/ghost";
const char* const kBallMesh = "ellipsoid.mesh";
const int kGhostColourOf = 1; // the single player's colour
} // namespace

std::string CGhost::material()
{
    Ogre::MaterialManager& materials = Ogre::MaterialManager::getSingleton();
    if (materials.resourceExists(kGhostMaterial))
        return kGhostMaterial;
    const std::string ball = balllook::playerBallMaterial(kGhostColourOf);
    if (ball.empty())
        return std::string();
    const Ogre::MaterialPtr ghost = materials.getByName(ball)->clone(kGhostMaterial);
    for (Ogre::Technique* technique : ghost->getTechniques()) {
        for (Ogre::Pass* pass : technique->getPasses()) {
            Ogre::ColourValue diffuse = pass->getDiffuse();
            diffuse.a = kAlpha;
            pass->setDiffuse(diffuse);
            pass->setSceneBlending(Ogre::SBT_TRANSPARENT_ALPHA);
            for (unsigned short i = 0; i < pass->getNumTextureUnitStates(); ++i)
                pass->getTextureUnitState(i)->setAlphaOperation(Ogre::LBX_SOURCE1, Ogre::LBS_MANUAL,
                                                                Ogre::LBS_CURRENT, kAlpha);
        }
    }
    return kGhostMaterial;
}

CGhost::CGhost(Ogre::SceneManager* sceneManager, SRecording run)
    : mSceneManager(sceneManager), mRun(std::move(run))
{
    mNode = mSceneManager->getRootSceneNode()->createChildSceneNode(kGhostName);
    mNode->setScale(Ogre::Vector3(CScene::kBallSize));
    if (Ogre::MeshManager::getSingleton().resourceExists(kBallMesh) ||
        Ogre::ResourceGroupManager::getSingleton().resourceExistsInAnyGroup(kBallMesh)) {
        mEntity = mSceneManager->createEntity(kGhostName, kBallMesh);
        const std::string look = material();
        if (!look.empty())
            mEntity->setMaterialName(look);
        mEntity->setCastShadows(false);
        mNode->attachObject(mEntity);
    }
    update(0.0);
}

CGhost::~CGhost()
{
    if (mEntity)
        mSceneManager->destroyEntity(mEntity);
    mSceneManager->destroySceneNode(mNode);
}

void CGhost::update(double clock)
{
    SRunSample pose;
    if (!poseAt(mRun, clock, pose))
        return;
    mNode->setPosition(pose.position);
    mNode->setOrientation(pose.orientation);
}
