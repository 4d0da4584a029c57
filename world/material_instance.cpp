// Material copies for fading objects: creation under a free random name, the alpha and additive
// colour rules, and restoring the source material.
#include "world/material_instance.h"

#include <OgreMaterialManager.h>
#include <OgrePass.h>
#include <OgreSubEntity.h>
#include <OgreTechnique.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

namespace {

// Digits after the decimal point of the random number appended to a copy's name.
constexpr int kCopyNameDigits = 6;

float clampUnit(float value)
{
    return std::min(1.0f, std::max(0.0f, value));
}

std::string randomSuffix()
{
    static std::mt19937 engine{std::random_device{}()};
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", kCopyNameDigits, unit(engine));
    return text;
}

} // namespace

MaterialInstance::MaterialInstance() = default;

MaterialInstance::~MaterialInstance()
{
    destroyCopyMaterial();
}

void MaterialInstance::setSceneBlending(Ogre::SceneBlendType blendType)
{
    mSBT = blendType;
    if (!mCopyMat)
        return;
    for (Ogre::Technique* technique : mCopyMat->getTechniques()) {
        for (Ogre::Pass* pass : technique->getPasses())
            pass->setSceneBlending(mSBT);
    }
    if (mCurrentTransparency > 0.0f)
        applyTransparency();
}

void MaterialInstance::setTransparency(float transparency)
{
    mCurrentTransparency = clampUnit(transparency);
    if (mCurrentTransparency > 0.0f)
        applyTransparency();
}

void MaterialInstance::createCopyMaterial()
{
    Ogre::MaterialManager& manager = Ogre::MaterialManager::getSingleton();
    std::string name;
    do
        name = mOriginalMat->getName() + randomSuffix();
    while (manager.resourceExists(name, mOriginalMat->getGroup()));

    mCopyMat = mOriginalMat->clone(name);
    for (Ogre::Technique* technique : mCopyMat->getTechniques()) {
        for (Ogre::Pass* pass : technique->getPasses()) {
            pass->setDepthWriteEnabled(false);
            pass->setSceneBlending(mSBT);
        }
    }
}

void MaterialInstance::applyTransparency()
{
    if (!mOriginalMat)
        return;
    if (!mCopyMat)
        createCopyMaterial();

    const float keep = 1.0f - clampUnit(mCurrentTransparency);
    const Ogre::Material::Techniques& copyTechniques = mCopyMat->getTechniques();
    const Ogre::Material::Techniques& sourceTechniques = mOriginalMat->getTechniques();
    const size_t techniqueCount = std::min(copyTechniques.size(), sourceTechniques.size());
    for (size_t t = 0; t < techniqueCount; ++t) {
        const Ogre::Technique::Passes& copyPasses = copyTechniques[t]->getPasses();
        const Ogre::Technique::Passes& sourcePasses = sourceTechniques[t]->getPasses();
        const size_t passCount = std::min(copyPasses.size(), sourcePasses.size());
        for (size_t p = 0; p < passCount; ++p) {
            Ogre::Pass* copy = copyPasses[p];
            const Ogre::Pass* source = sourcePasses[p];
            Ogre::ColourValue diffuse = source->getDiffuse();
            if (mSBT == Ogre::SBT_ADD) {
                copy->setAmbient(Ogre::ColourValue::Black);
                diffuse.r *= keep;
                diffuse.g *= keep;
                diffuse.b *= keep;
            } else {
                copy->setAmbient(source->getAmbient());
                diffuse.a *= keep;
            }
            copy->setDiffuse(diffuse);
        }
    }
}

void MaterialInstance::destroyCopyMaterial()
{
    if (!mCopyMat)
        return;
    Ogre::MaterialManager::getSingleton().remove(mCopyMat);
    mCopyMat.reset();
}

SubEntityMaterialInstance::SubEntityMaterialInstance(Ogre::SubEntity* subEntity)
    : mSubEntity(subEntity)
{
    // The manager's material of that name is the shared source; a sub-entity whose name is
    // unknown to the manager shows Ogre's fallback material, which is then the source.
    mOriginalMat = Ogre::MaterialManager::getSingleton().getByName(
        mSubEntity->getMaterialName(), Ogre::ResourceGroupManager::AUTODETECT_RESOURCE_GROUP_NAME);
    if (!mOriginalMat)
        mOriginalMat = mSubEntity->getMaterial();
}

SubEntityMaterialInstance::~SubEntityMaterialInstance()
{
    if (mOriginalMat)
        showMaterial(mOriginalMat);
}

void SubEntityMaterialInstance::setTransparency(float transparency)
{
    mCurrentTransparency = clampUnit(transparency);
    if (!mOriginalMat)
        return;
    if (mCurrentTransparency > 0.0f) {
        applyTransparency();
        showMaterial(mCopyMat);
    } else {
        mCurrentTransparency = 0.0f;
        showMaterial(mOriginalMat);
    }
}

void SubEntityMaterialInstance::showMaterial(const Ogre::MaterialPtr& material)
{
    mSubEntity->setMaterialName(material->getName(), material->getGroup());
}

void setTransparency(const std::vector<SubEntityMaterialInstance*>& instances, float transparency)
{
    const float clamped = clampUnit(transparency);
    for (SubEntityMaterialInstance* instance : instances)
        instance->setTransparency(clamped);
}
