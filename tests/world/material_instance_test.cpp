// Material copies that fade one sub-entity: the copy's name and settings, the alpha and additive
// colour rules, restoring the source material and removing the copies.
#include "headless_ogre.h"
#include "test_env.h"

#include "world/material_instance.h"

#include <OgreEntity.h>
#include <OgreMaterialManager.h>
#include <OgrePass.h>
#include <OgreSceneManager.h>
#include <OgreSubEntity.h>
#include <OgreTechnique.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

const char* const kSource = "fadeTestMaterial";
const Ogre::ColourValue kDiffuse(0.8f, 0.6f, 0.4f, 1.0f);
const Ogre::ColourValue kAmbient(0.3f, 0.2f, 0.1f, 1.0f);

class MaterialInstanceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().create(
            kSource, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
        Ogre::Pass* pass = material->getTechnique(0)->getPass(0);
        pass->setDiffuse(kDiffuse);
        pass->setAmbient(kAmbient);
        // A second technique: the copy must follow every technique and pass.
        Ogre::Technique* second = material->createTechnique();
        second->createPass()->setDiffuse(kDiffuse);
        second->createPass()->setDiffuse(Ogre::ColourValue(0.5f, 0.5f, 0.5f, 0.5f));
        source = material;

        subEntity = withSource("fadeTestEntity")->getSubEntity(0);
    }
    void TearDown() override { source.reset(); }

    // An entity of a shipped mesh wearing the source material.
    Ogre::Entity* withSource(const std::string& name) const
    {
        Ogre::Entity* e = ogre.sceneManager->createEntity(name, "obstacle.mesh");
        e->setMaterial(source);
        return e;
    }

    const Ogre::Pass* copyPass(const MaterialInstance& instance, int technique, int pass) const
    {
        return instance.getCopyMaterial()->getTechnique(technique)->getPass(pass);
    }
    static bool materialExists(const std::string& name)
    {
        return Ogre::MaterialManager::getSingleton().resourceExists(name);
    }

    testenv::TempDir dir;
    HeadlessOgre ogre;
    Ogre::MaterialPtr source;
    Ogre::SubEntity* subEntity = nullptr;
};

} // namespace

TEST_F(MaterialInstanceTest, fadingShowsACopyWithLoweredAlphaAndNoDepthWriting)
{
    SubEntityMaterialInstance instance(subEntity);
    EXPECT_FALSE(instance.getCopyMaterial());

    instance.setTransparency(0.25f);

    ASSERT_TRUE(instance.getCopyMaterial());
    const std::string copyName = instance.getCopyMaterial()->getName();
    EXPECT_EQ(subEntity->getMaterialName(), copyName);
    EXPECT_FLOAT_EQ(instance.getTransparency(), 0.25f);

    const Ogre::Pass* pass = copyPass(instance, 0, 0);
    EXPECT_FALSE(pass->getDepthWriteEnabled());
    EXPECT_EQ(pass->getDestBlendFactor(), Ogre::SBF_ONE_MINUS_SOURCE_ALPHA);
    EXPECT_EQ(pass->getDiffuse(), Ogre::ColourValue(0.8f, 0.6f, 0.4f, 0.75f));
    EXPECT_EQ(pass->getAmbient(), kAmbient);
    EXPECT_EQ(copyPass(instance, 1, 1)->getDiffuse(), Ogre::ColourValue(0.5f, 0.5f, 0.5f, 0.375f));

    // The shared source is untouched.
    const Ogre::Pass* original = source->getTechnique(0)->getPass(0);
    EXPECT_EQ(original->getDiffuse(), kDiffuse);
    EXPECT_TRUE(original->getDepthWriteEnabled());

    // A later value reuses the same copy.
    instance.setTransparency(0.5f);
    EXPECT_EQ(instance.getCopyMaterial()->getName(), copyName);
    EXPECT_FLOAT_EQ(copyPass(instance, 0, 0)->getDiffuse().a, 0.5f);
}

TEST_F(MaterialInstanceTest, additiveBlendingFadesByDarkeningAndValuesAreClamped)
{
    SubEntityMaterialInstance instance(subEntity);
    instance.setSceneBlending(Ogre::SBT_ADD);
    instance.setTransparency(0.5f);
    const Ogre::Pass* pass = copyPass(instance, 0, 0);
    EXPECT_EQ(pass->getDestBlendFactor(), Ogre::SBF_ONE);
    EXPECT_EQ(pass->getAmbient(), Ogre::ColourValue::Black);
    EXPECT_EQ(pass->getDiffuse(), Ogre::ColourValue(0.4f, 0.3f, 0.2f, 1.0f));

    instance.setTransparency(1.5f);
    EXPECT_FLOAT_EQ(instance.getTransparency(), 1.0f);
    instance.setTransparency(-2.0f); // zero restores the source
    EXPECT_FLOAT_EQ(instance.getTransparency(), 0.0f);
    EXPECT_EQ(subEntity->getMaterial(), source);
}

TEST_F(MaterialInstanceTest, eachInstanceGetsItsOwnCopyAndDestroyingRemovesIt)
{
    auto first = std::make_unique<SubEntityMaterialInstance>(subEntity);
    Ogre::Entity* other = withSource("fadeTestOther");
    auto second = std::make_unique<SubEntityMaterialInstance>(other->getSubEntity(0));
    const std::vector<SubEntityMaterialInstance*> list{first.get(), second.get()};

    setTransparency(list, 0.6f);

    const std::string firstCopy = first->getCopyMaterial()->getName();
    const std::string secondCopy = second->getCopyMaterial()->getName();
    EXPECT_NE(firstCopy, secondCopy);
    EXPECT_TRUE(materialExists(firstCopy));

    first.reset();
    second.reset();

    EXPECT_FALSE(materialExists(firstCopy));
    EXPECT_FALSE(materialExists(secondCopy));
    EXPECT_EQ(other->getSubEntity(0)->getMaterialName(), kSource);
}
