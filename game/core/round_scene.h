// IRoundScene: what the rules of a game use of the level they run in: the winner number, the
// per-ball collision and reset events, the steering vectors and the map name. CScene provides
// it through makeRoundScene; rule tests provide a scripted one.
#pragma once

#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <memory>
#include <string>
#include <vector>

class CExtFrameListener;
class CScene;

class IRoundScene
{
public:
    virtual ~IRoundScene() = default;

    // The level's own frame listener: paused with the game, handed to the destroy list with it.
    virtual CExtFrameListener* getListener() = 0;
    // The CScene behind this view, or nullptr for a level that is not one.
    virtual CScene* getScene() = 0;
    virtual std::string getMapName() const = 0;
    // 0 while nobody has finished, else the number of the player who did.
    virtual int getWinner() const = 0;
    // Read and clear the event of the ball with this index (player number - 1).
    virtual bool takeCollisionEvent(int index) = 0;
    virtual bool takeResetEvent(int index) = 0;
    // Steering vectors indexed by player number - 1.
    virtual std::vector<Ogre::Vector3>& getBallForces() = 0;
    // The place and turn of the ball with this index; false when there is none.
    virtual bool getBallPose(int, Ogre::Vector3&, Ogre::Quaternion&) const { return false; }
};

// The view of a scene (not owned by the view).
std::unique_ptr<IRoundScene> makeRoundScene(CScene* scene);
