// The scene's start and finish points, waypoints and monsters.
#include "world/scene.h"

#include "world/box.h"
#include "world/monster.h"
#include "world/waypoint.h"

#include <OgreSceneNode.h>

#include <algorithm>

bool CScene::addPoint(CBox* box, bool start)
{
    std::vector<CBox*>& points = start ? mStartBoxes : mFinishBoxes;
    if (!box || std::find(points.begin(), points.end(), box) != points.end())
        return false;
    points.push_back(box);
    return true;
}

void CScene::setPoints(const std::vector<std::string>& boxes, bool start)
{
    (start ? mStartBoxes : mFinishBoxes).clear();
    for (const std::string& box : boxes)
        addPoint(findBox(box), start);
}

bool CScene::addWaypoint(CBox* box, int weight, size_t place)
{
    if (!box || findWaypoint(box))
        return false;
    CWaypoint* waypoint = new CWaypoint(weight, box);
    place = std::min(place, mWaypoints.size());
    mWaypoints.insert(mWaypoints.begin() + static_cast<std::ptrdiff_t>(place), waypoint);
    mWaypointsByBox[box] = waypoint;
    return true;
}

CWaypoint* CScene::findWaypoint(const CBox* box) const
{
    const auto it = mWaypointsByBox.find(box);
    return it != mWaypointsByBox.end() ? it->second : nullptr;
}

bool CScene::linkWaypoints(CBox* a, CBox* b)
{
    CWaypoint* first = findWaypoint(a);
    CWaypoint* second = findWaypoint(b);
    return first && second && first->link(second);
}

bool CScene::unlinkWaypoints(CBox* a, CBox* b)
{
    CWaypoint* first = findWaypoint(a);
    CWaypoint* second = findWaypoint(b);
    return first && second && first->unlink(second);
}

bool CScene::removeWaypoint(CBox* box)
{
    CWaypoint* waypoint = findWaypoint(box);
    if (!waypoint)
        return false;
    for (CMonster* monster : mMonsters) {
        if (monster->getStartWaypoint() == waypoint)
            return false;
    }
    for (CMonster* monster : mMonsters) {
        if (monster->getLastWaypoint() == waypoint)
            monster->setLastWaypoint(monster->getStartWaypoint());
    }
    for (SBall& ball : mBalls) {
        if (ball.waypoint == waypoint)
            ball.waypoint = nullptr;
    }
    mWaypoints.erase(std::find(mWaypoints.begin(), mWaypoints.end(), waypoint));
    mWaypointsByBox.erase(box);
    delete waypoint;
    return true;
}

bool CScene::addMonster(int kind, const std::string& name, CWaypoint* start, size_t place)
{
    if (!start || kind < 0 || kind >= CMonster::kKindCount)
        return false;
    for (CMonster* monster : mMonsters) {
        if (monster->getName() == name || monster->getStartWaypoint() == start)
            return false;
    }
    CMonster* monster = createMonster(kind, name, start, *this);
    if (!monster)
        return false;
    place = std::min(place, mMonsters.size());
    mMonsters.insert(mMonsters.begin() + static_cast<std::ptrdiff_t>(place), monster);
    return true;
}

bool CScene::deleteMonster(const std::string& name)
{
    auto it = std::find_if(mMonsters.begin(), mMonsters.end(),
                           [&name](CMonster* m) { return m->getName() == name; });
    if (it == mMonsters.end())
        return false;
    delete *it;
    mMonsters.erase(it);
    return true;
}
