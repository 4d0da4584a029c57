// Material instances: a private copy of a shared material whose transparency one object can
// change without touching the other users of the material. Boxes use them to fade out when they
// stand between the camera and the ball.
#pragma once

#include <OgreCommon.h>
#include <OgreMaterial.h>

#include <vector>

namespace Ogre {
class SubEntity;
} // namespace Ogre

// The copy of one source material and the transparency applied to it. The copy is made the
// first time a transparency above 0 is applied and removed from the material manager when the
// instance goes away.
class MaterialInstance
{
public:
    MaterialInstance();
    virtual ~MaterialInstance();
    MaterialInstance(const MaterialInstance&) = delete;
    MaterialInstance& operator=(const MaterialInstance&) = delete;

    // How the copy is blended with the scene; additive blending fades by darkening the colour
    // instead of by lowering the alpha.
    void setSceneBlending(Ogre::SceneBlendType blendType);

    // 0 shows the source material unchanged, 1 makes the object invisible; values outside
    // 0..1 are clamped.
    virtual void setTransparency(float transparency);
    float getTransparency() const { return mCurrentTransparency; }

    // Null until a transparency above 0 was applied.
    const Ogre::MaterialPtr& getCopyMaterial() const { return mCopyMat; }

protected:
    // Makes the copy if there is none yet and sets its colours for the current transparency.
    void applyTransparency();
    void destroyCopyMaterial();

    Ogre::MaterialPtr mOriginalMat;
    Ogre::MaterialPtr mCopyMat;
    float mCurrentTransparency = 0.0f;
    Ogre::SceneBlendType mSBT = Ogre::SBT_TRANSPARENT_ALPHA;

private:
    void createCopyMaterial();
};

// A material instance serving one sub-entity: the sub-entity shows the copy while it is faded
// and its source material otherwise.
class SubEntityMaterialInstance : public MaterialInstance
{
public:
    explicit SubEntityMaterialInstance(Ogre::SubEntity* subEntity);
    // Gives the sub-entity its source material back.
    ~SubEntityMaterialInstance() override;

    void setTransparency(float transparency) override;

    Ogre::SubEntity* getSubEntity() const { return mSubEntity; }

private:
    void showMaterial(const Ogre::MaterialPtr& material);

    Ogre::SubEntity* mSubEntity;
};

// Sets the same transparency (clamped into 0..1) on every instance of a list.
void setTransparency(const std::vector<SubEntityMaterialInstance*>& instances, float transparency);
