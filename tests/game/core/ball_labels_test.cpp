// Where a ball's label goes: the camera's picture of the point above the ball, inside the view
// of that camera, and nowhere for a ball behind the camera or out of its view.
#include "game/core/ball_labels.h"
#include "headless_ogre.h"

#include <Ogre.h>
#include <gtest/gtest.h>

TEST(BallLabels, aPointIsPlacedWhereItsViewShowsItAndNotAtAllOutOfSight)
{
    HeadlessOgre ogre;
    Ogre::SceneNode* eye = ogre.sceneManager->getRootSceneNode()->createChildSceneNode();
    eye->attachObject(ogre.camera);
    eye->setPosition(0, 0, 10); // looking along -z with Ogre's 45 degree field of view
    ogre.camera->setAspectRatio(1.0f);
    const float up = 0.5f - 0.5f / (10.0f * std::tan(Ogre::Math::PI / 8.0f)); // 1 above, at 10
    const Ogre::FloatRect whole(0, 0, 1, 1), rightHalf(0.5f, 0, 1, 1),
        bottomQuarter(0, 0.5f, 0.5f, 1);
    const struct
    {
        Ogre::Vector3 point;
        Ogre::FloatRect view;
        bool shown;
        Ogre::Vector2 at;
    } rows[] = {{{0, 0, 0}, whole, true, {0.5f, 0.5f}},
                {{0, 0, 0}, rightHalf, true, {0.75f, 0.5f}},
                {{0, 1, 0}, whole, true, {0.5f, up}},
                {{0, 1, 0}, bottomQuarter, true, {0.25f, 0.5f + up / 2}},
                {{0, 0, 20}, whole, false, {}},    // behind the camera
                {{-100, 0, 0}, whole, false, {}}}; // far to the left
    for (const auto& row : rows) {
        Ogre::Vector2 at(-1, -1);
        EXPECT_EQ(CBallLabels::project(*ogre.camera, row.view, row.point, at), row.shown)
            << row.point;
        if (row.shown) {
            EXPECT_NEAR(at.x, row.at.x, 1e-4f) << row.point;
            EXPECT_NEAR(at.y, row.at.y, 1e-4f) << row.point;
        }
    }
}
