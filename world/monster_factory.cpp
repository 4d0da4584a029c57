// Creates a monster of a kind number as the map files and the editor give it.
#include "world/evil_marble_monster.h"
#include "world/monster.h"
#include "world/moving_obstacle.h"
#include "world/obstacle.h"
#include "world/slime.h"
#include "world/the_ball.h"
#include "world/venom_marble.h"

CMonster* createMonster(int kind, const std::string& name, CWaypoint* start, CScene& scene)
{
    switch (kind) {
    case CMonster::KIND_EVIL_MARBLE:
        return new CEvilMarbleMonster(name, start, scene);
    case CMonster::KIND_OBSTACLE:
        return new CObstacle(name, start, scene);
    case CMonster::KIND_VENOM_MARBLE:
        return new CVenomMarble(name, start, scene);
    case CMonster::KIND_MOVING_OBSTACLE:
        return new CMovingObstacle(name, start, scene);
    case CMonster::KIND_SLIME:
        return new CSlime(name, start, scene);
    case CMonster::KIND_THE_BALL:
        return new CTheBall(name, start, scene);
    default:
        return nullptr;
    }
}
