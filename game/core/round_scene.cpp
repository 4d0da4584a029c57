// CScene seen through the rules' interface.
#include "game/core/round_scene.h"

#include "world/scene.h"

namespace {
class CSceneRoundView : public IRoundScene
{
public:
    explicit CSceneRoundView(CScene* scene) : mScene(scene) {}

    CExtFrameListener* getListener() override { return mScene; }
    CScene* getScene() override { return mScene; }
    std::string getMapName() const override { return mScene->getMapName(); }
    int getWinner() const override { return mScene->getWinner(); }
    bool takeCollisionEvent(int index) override { return mScene->takeCollisionEvent(index); }
    bool takeResetEvent(int index) override { return mScene->takeResetEvent(index); }
    std::vector<Ogre::Vector3>& getBallForces() override { return mScene->getBallForces(); }
    bool getBallPose(int index, Ogre::Vector3& position,
                     Ogre::Quaternion& orientation) const override
    {
        const CPhysicsBody* body = mScene->getBallBody(index);
        if (!body)
            return false;
        position = body->getPosition();
        orientation = body->getOrientation();
        return true;
    }

private:
    CScene* mScene;
};
} // namespace

std::unique_ptr<IRoundScene> makeRoundScene(CScene* scene)
{
    if (!scene)
        return nullptr;
    return std::make_unique<CSceneRoundView>(scene);
}
