// The waypoint graph: symmetric links and their refusals, and positions.
#include "level_fixture.h"

#include <gtest/gtest.h>

using leveltest::Level;
using leveltest::MapText;

namespace {

MapText threeBoxes()
{
    return MapText().box("a", 0, 0, 0).box("b", 3, 0, 0).box("c", 0, 0, 4, "stone", 1.0f);
}

} // namespace

TEST(WaypointGraph, linksAreSymmetricAndRefusedTwiceOrToItself)
{
    Level level(threeBoxes().waypoint("a", 1).waypoint("b", 1).waypoint("c", 7).str());
    CWaypoint* a = level.waypointOn("a");
    CWaypoint* b = level.waypointOn("b");
    CWaypoint* c = level.waypointOn("c");
    EXPECT_TRUE(a->link(b));
    EXPECT_EQ(b->getNeighbours(), std::vector<CWaypoint*>{a});
    EXPECT_FALSE(a->link(b));
    EXPECT_FALSE(b->link(a));
    EXPECT_FALSE(a->link(a));
    EXPECT_FALSE(level.scene->linkWaypoints(level.scene->findBox("a"), nullptr));
    EXPECT_TRUE(level.scene->linkWaypoints(level.scene->findBox("c"), level.scene->findBox("a")));
    EXPECT_EQ(a->getNeighbours(), (std::vector<CWaypoint*>{b, c}));
    EXPECT_EQ(c->getNeighbours(), std::vector<CWaypoint*>{a});

    // The position is the top centre of the box.
    EXPECT_EQ(c->getWeight(), 7);
    EXPECT_EQ(a->getPosition(), Ogre::Vector3(0, 0.5f, 0));
    EXPECT_EQ(c->getPosition(), Ogre::Vector3(0, 1.5f, 4));
}
