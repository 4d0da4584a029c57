// CScene: one level while it is on screen. It builds the level from a map file (boxes, lights,
// start and finish points, waypoints, monsters), makes one ball and camera per player, owns the
// physics world, and applies the contact rules (finish, bumps, falls, monster hits). There is
// one current scene at a time, reachable through CScene::current(). Its sources: scene.cpp
// (building, teardown, frames), scene_boxes, scene_lights, scene_points (points,
// waypoints, monsters), scene_balls, particle_effects, see_through and contact_rules.cpp.
#pragma once

#include "world/ext_frame_listener.h"
#include "world/physics.h"

#include <OgreColourValue.h>
#include <OgreVector.h>

#include <array>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace Ogre {
class Camera;
class Entity;
class Light;
class ParticleSystem;
class RenderWindow;
class Root;
class SceneManager;
class SceneNode;
} // namespace Ogre

class CBallShadow;
class CLevel;
class CBox;
class CBoxGrid;
class CMonster;
class CWaypoint;

class CScene : public CContactListener, public CExtFrameListener
{
public:
    using Vertices = std::array<Ogre::Vector3, 9>;

    static constexpr int kMaxCameras = 4;
    static constexpr size_t kAtEnd = ~size_t(0);
    static constexpr float kBallSize = 0.8f;
    static constexpr float kBallMass = 7.5f;
    static constexpr float kBallStartHeight = 2.0f; // above the start box's top centre
    static constexpr float kFallLimit = -10.0f;     // a ball below this goes back to its start
    static constexpr float kCollisionSpeedChange = 2.0f;
    static constexpr float kForceScale = 50.0f; // force = 50 x step x (ball force + gravity)
    static constexpr float kGravity = 9.81f;

    // Particle effect numbers (startParticleEffect).
    enum EParticleEffect
    {
        EFFECT_FIREWORK = 0,
        EFFECT_FIRE = 1,
        EFFECT_FLAMES = 2,
        EFFECT_STAMPERS = 3
    };

    // Builds the whole level. Camera names that are empty (or unknown to the scene manager)
    // mean no such camera. The map name is one that paths::mapFile resolves; empty builds an empty
    // level. The window is handed to the physics frame listener and may be nullptr.
    CScene(const std::string& sceneManagerName, const std::string& camera1,
           const std::string& camera2, const std::string& camera3, const std::string& camera4,
           bool editorMode, const std::string& mapName, int playerCount, int localPlayer,
           Ogre::RenderWindow* window = nullptr);
    ~CScene() override;
    CScene(const CScene&) = delete;
    CScene& operator=(const CScene&) = delete;

    // The one current scene (the last one built and not yet destroyed), or nullptr.
    static CScene* current();
    // The box counter shared by all grids; restarts at 0 when a scene is destroyed.
    static int getBoxCounter();

    // --- frame and pause -----------------------------------------------------------------
    bool updateRunning(const Ogre::FrameEvent& evt) override;
    bool updateAlways(const Ogre::FrameEvent& evt) override;
    bool frameRenderingQueued(const Ogre::FrameEvent& evt) override;
    void onPause() override;  // physics stops
    void onResume() override; // physics runs again
    // Contact rules for one touching pair of the level's bodies; the outcome does not depend on
    // which of the two the engine calls a and which b.
    void processContact(CPhysicsBody& a, CPhysicsBody& b) override;

    // --- map reader and editor -----------------------------------------------------------
    // Adds every object of the level, object by object, with the operations below.
    void realise(const CLevel& level);
    // The level the scene shows, read back from its objects.
    CLevel shownLevel() const;
    CBox* findBox(const std::string& name) const;
    CBoxGrid* findGrid(const std::string& name) const;
    // Adds a box to the named grid (created with the box's material when unknown), at the place
    // in the grid's list. The name is made unique with a number suffix; vertices may be nullptr
    // for a new unit cube.
    CBox* addBox(const std::string& name, const std::string& material, const std::string& gridName,
                 const Ogre::Vector3& position, const Vertices* vertices, bool fitTexture,
                 size_t place = kAtEnd);
    // An empty grid at the place in the list of grids; nullptr when the name is taken.
    CBoxGrid* addGrid(const std::string& name, const std::string& material, size_t place = kAtEnd);
    // Removes a box, its point entries and its waypoint (with links).
    // A box carrying a monster's start waypoint is refused.
    bool deleteBox(CBox* box);
    bool deleteGrid(const std::string& name);

    // The light goes to the place given in the list of lights (at the end by default).
    bool addLight(const std::string& name, const Ogre::Vector3& position,
                  const Ogre::ColourValue& diffuse, const Ogre::ColourValue& specular, float range,
                  size_t place = kAtEnd);
    bool setLightValues(const std::string& name, const Ogre::Vector3& position,
                        const Ogre::ColourValue& diffuse, const Ogre::ColourValue& specular,
                        float range);
    bool setLightColours(const std::string& name, const Ogre::ColourValue& diffuse,
                         const Ogre::ColourValue& specular, float range);
    bool deleteLight(const std::string& name);
    void setAmbientLight(const Ogre::ColourValue& colour);
    Ogre::ColourValue getAmbientLight() const;

    // Makes the box a start (or finish) point; false when it is one already.
    bool addPoint(CBox* box, bool start);
    // Makes the named boxes the start (or finish) points, in this order; unknown names and
    // repeats are left out.
    void setPoints(const std::vector<std::string>& boxes, bool start);

    bool addWaypoint(CBox* box, int weight, size_t place = kAtEnd); // false when the box has one
    CWaypoint* findWaypoint(const CBox* box) const;
    bool linkWaypoints(CBox* a, CBox* b);
    bool unlinkWaypoints(CBox* a, CBox* b);
    // Refused while a monster starts on it; clears every record that points at it.
    bool removeWaypoint(CBox* box);
    const std::vector<CWaypoint*>& getWaypoints() const { return mWaypoints; }

    bool addMonster(int kind, const std::string& name, CWaypoint* start, size_t place = kAtEnd);
    bool deleteMonster(const std::string& name);
    const std::vector<CMonster*>& getMonsters() const { return mMonsters; }

    const std::vector<std::unique_ptr<CBoxGrid>>& getGrids() const { return mGrids; }
    const std::vector<Ogre::Light*>& getLights() const { return mLights; }
    const std::vector<CBox*>& getStartBoxes() const { return mStartBoxes; }
    const std::vector<CBox*>& getFinishBoxes() const { return mFinishBoxes; }
    Ogre::SceneManager* getSceneManager() const { return mSceneManager; }
    CPhysicsWorld* getPhysicsWorld() const { return mWorld.get(); }
    int getMaterialGroupID() const { return mMaterialGroup; }
    Ogre::SceneNode* getCameraPointNode(int camera) const; // camera 1..4, nullptr when none
    bool isEditorMode() const { return mEditorMode; }
    int getPlayerCount() const { return mPlayerCount; }
    int getLocalPlayer() const { return mLocalPlayer; }

    // --- game ----------------------------------------------------------------------------
    const std::string& getMapName() const { return mMapName; }
    int getWinner() const { return mWinner; }
    void setWinner(int winner) { mWinner = winner; }
    // Steering vectors, indexed by player number - 1; the force callback reads them.
    std::vector<Ogre::Vector3>& getBallForces() { return mBallForces; }
    bool takeCollisionEvent(int index); // read and clear; false for an index without a ball
    bool takeResetEvent(int index);
    size_t getBallCount() const { return mBalls.size(); }
    CPhysicsBody* getBallBody(int index) const;
    bool getBallState(int index, Ogre::Vector3& position, Ogre::Vector3& velocity,
                      Ogre::Vector3& omega) const;
    // Moves the ball there (identity orientation) when it is farther than the threshold.
    bool correctBall(int index, const Ogre::Vector3& position, float threshold);
    bool setBallVelocity(int index, const Ogre::Vector3& velocity, const Ogre::Vector3& omega);
    // Ball numbers are 1-based; (0,0,0) when there is no start box of that number.
    Ogre::Vector3 getStartPosition(int ballNumber) const;
    void resetBall(int index);
    // From now on the ball's look (mesh, light, shadow) stands here, apart from its body, which
    // goes on as before: a network game shows the other ball where the server's word puts it.
    void showBallAt(int index, const Ogre::Vector3& position);
    void restartRound();
    CWaypoint* getBallWaypoint(int index) const;
    // The dark disc under the ball, or nullptr (no ball, or no shadow material).
    const CBallShadow* getBallShadow(int index) const;

    // --- particle effects and see-through boxes (particle_effects.cpp, see_through.cpp) --
    // Both return the effect's name (an automatic one when the name is empty), or an empty
    // string when nothing was started.
    std::string startParticleEffect(int effect, const Ogre::Vector3& position,
                                    const Ogre::Vector3& scale, const std::string& name);
    std::string startParticleEffect(int effect, Ogre::SceneNode* node, const std::string& name);
    void stopParticleEffect(const std::string& name);
    void stopAllParticleEffects();
    // Fades the boxes between camera 1 and the local ball (game mode, single view).
    void updateSeeThrough();
    float getSeeThroughTimer() const { return mSeeThroughTimer; }
    void setSeeThroughTimer(float seconds) { mSeeThroughTimer = seconds; }
    const std::vector<Ogre::ParticleSystem*>& getParticleSystems() const
    {
        return mParticleSystems;
    }

private:
    struct SBall
    {
        std::unique_ptr<CPhysicsBody> body;
        Ogre::Entity* entity = nullptr;
        Ogre::SceneNode* node = nullptr;
        Ogre::Light* light = nullptr;
        std::unique_ptr<CBallShadow> shadow;
        Ogre::Vector3 lastVelocity = Ogre::Vector3::ZERO;
        bool collisionEvent = false;
        bool resetEvent = false;
        CWaypoint* waypoint = nullptr;
    };

    void followBalls();
    void build(const std::string& camera1, const std::string& camera2, const std::string& camera3,
               const std::string& camera4);
    void tearDown();
    void setUpCameras(const std::array<std::string, kMaxCameras>& cameraNames);
    void setUpPhysics();
    void createBoxPhysics();
    void createBalls();
    void createBall(int index);
    void applyBallForce(CPhysicsBody& body, float step);
    void applyContactRules(CPhysicsBody& a, CPhysicsBody& b);
    void finishReached(int ballIndex);
    int findBall(const CPhysicsBody& body) const;
    CWaypoint* findWaypointOfBody(const CPhysicsBody& body) const;
    bool validBall(int index) const;

    Ogre::SceneManager* mSceneManager = nullptr;
    Ogre::Root* mRoot = nullptr;
    std::unique_ptr<CPhysicsWorld> mWorld;
    int mMaterialGroup = 0;
    Ogre::SceneNode* mBaseNode = nullptr;
    std::array<Ogre::SceneNode*, kMaxCameras> mCameraPointNodes{};
    std::array<Ogre::SceneNode*, kMaxCameras> mCameraNodes{};
    std::array<Ogre::Camera*, kMaxCameras> mCameras{};
    Ogre::RenderWindow* mWindow = nullptr;
    std::vector<Ogre::ParticleSystem*> mParticleSystems;
    // The finish fireworks that really started, so a restart stops those and nothing else (a
    // finish box may be named like another effect).
    std::vector<std::string> mFireworkNames;
    std::vector<std::unique_ptr<CBoxGrid>> mGrids;
    std::vector<Ogre::Light*> mLights;
    std::vector<CBox*> mStartBoxes;
    std::vector<CBox*> mFinishBoxes;
    std::vector<CWaypoint*> mWaypoints;
    std::vector<CMonster*> mMonsters;
    // Look-ups for big levels (map references, contacts every sub-step). Boxes and waypoints
    // are added and removed through the scene's operations, which keep these up to date.
    std::unordered_map<std::string, CBox*> mBoxesByName;
    std::unordered_map<const CPhysicsBody*, CBox*> mBoxesByBody;
    std::unordered_map<const CBox*, CWaypoint*> mWaypointsByBox;
    std::vector<SBall> mBalls;
    std::vector<Ogre::Vector3> mBallForces;
    int mWinner = 0;
    float mSeeThroughTimer = 0.0f;
    bool mEditorMode = false;
    int mPlayerCount = 0;
    int mLocalPlayer = 1;
    std::unique_ptr<CPhysicsFrameListener> mPhysicsListener;
    bool mPhysicsListenerRegistered = false;
    bool mBuilt = false; // the map has been read and the level made
    std::string mMapName;
};
