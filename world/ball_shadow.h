// The dark disc under a ball. Each frame a ray goes straight down from the ball to the first box
// below it; the disc lies on that surface, fainter and wider the higher the ball is above it, and
// hidden when no box is within reach or when shadows are switched off.
#pragma once

#include <OgreVector.h>

#include <string>

namespace Ogre {
class ManualObject;
class SceneManager;
class SceneNode;
} // namespace Ogre

class CPhysicsWorld;

class CBallShadow
{
public:
    // Height above the box at which the disc has faded away entirely.
    static constexpr float kReach = 8.0f;

    // Shadows of the rounds that start from now on (the video setting; on by default).
    static void setEnabled(bool enabled);

    CBallShadow(Ogre::SceneManager* sceneManager, const std::string& name, float ballRadius);
    ~CBallShadow();
    CBallShadow(const CBallShadow&) = delete;
    CBallShadow& operator=(const CBallShadow&) = delete;

    void update(const CPhysicsWorld& world, const Ogre::Vector3& ballCentre);

    bool isVisible() const;
    // 0 (none) .. 1 (the ball rests on the box); the disc's opacity follows it.
    float getStrength() const { return mStrength; }
    const Ogre::Vector3& getCentre() const { return mCentre; }

private:
    void hide();

    Ogre::SceneManager* mSceneManager;
    Ogre::ManualObject* mDisc = nullptr;
    Ogre::SceneNode* mNode = nullptr;
    float mBallRadius;
    float mStrength = 0.0f;
    Ogre::Vector3 mCentre = Ogre::Vector3::ZERO;
};
