// Stand-in for the monster kinds until they exist: no kind can be made yet.
#include "world/monster.h"

CMonster* createMonster(int, const std::string&, CWaypoint*, CScene&)
{
    return nullptr;
}
