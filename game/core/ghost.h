// CGhost: a see-through ball that replays a recorded run beside the player. It has no body in
// the physics world, so nothing collides with it.
#pragma once

#include "game/core/recording.h"

namespace Ogre {
class Entity;
class SceneManager;
class SceneNode;
} // namespace Ogre

class CGhost
{
public:
    static constexpr float kAlpha = 0.5f;

    CGhost(Ogre::SceneManager* sceneManager, SRecording run);
    ~CGhost();
    CGhost(const CGhost&) = delete;
    CGhost& operator=(const CGhost&) = delete;

    // Places the ghost where the run was at this clock reading (seconds since the start).
    void update(double clock);
    double getRunTime() const { return mRun.time; }
    Ogre::SceneNode* getNode() const { return mNode; }
    // nullptr when there is no ball mesh to draw it with.
    Ogre::Entity* getEntity() const { return mEntity; }

    // The see-through copy of the first player's ball material ("" when there is none).
    static std::string material();

private:
    Ogre::SceneManager* mSceneManager;
    SRecording mRun;
    Ogre::SceneNode* mNode = nullptr;
    Ogre::Entity* mEntity = nullptr;
};
