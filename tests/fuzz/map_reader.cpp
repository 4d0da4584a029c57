// Map files from anywhere, read into one level that lives on across inputs (headless Ogre, real
// physics): lines are read with their bound, every record goes through the scene's operations,
// and the level is emptied again with the operations the editor uses. Fast enough for millions
// of inputs; scene_build builds a whole level per input.
#include "headless_ogre.h"
#include "world/box_grid.h"
#include "world/map_check.h"
#include "world/map_io.h"
#include "world/monster.h"
#include "world/scene.h"

#include <OgreLight.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace {
const char* const kMapFile = "fuzz.kivom"; // in the scratch folder tools/fuzz.sh runs in
HeadlessOgre* gOgre = nullptr;
CScene* gScene = nullptr;

void emptyScene(CScene& scene)
{
    std::vector<std::string> names;
    for (const CMonster* monster : scene.getMonsters())
        names.push_back(monster->getName());
    for (const std::string& name : names)
        if (!scene.deleteMonster(name))
            __builtin_trap();
    names.clear();
    for (const auto& grid : scene.getGrids())
        names.push_back(grid->getName());
    for (const std::string& name : names)
        scene.deleteGrid(name);
    names.clear();
    for (const Ogre::Light* light : scene.getLights())
        names.push_back(light->getName().substr(5)); // scene lights are "light" + name
    for (const std::string& name : names)
        scene.deleteLight(name);
    if (!scene.getGrids().empty() || !scene.getLights().empty() || !scene.getWaypoints().empty() ||
        !scene.getStartBoxes().empty() || !scene.getFinishBoxes().empty())
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gOgre = new HeadlessOgre(std::string(KIVO_SOURCE_DIR) + "/data");
    gScene = new CScene(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName, "", "", "",
                        false, "", 1, 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::ofstream(kMapFile, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    CIOMap map;
    if (!map.openForReading(kMapFile))
        __builtin_trap();
    for (const std::string& line : map.getLines())
        if (line.size() > CIOMap::kMaxLineLength)
            __builtin_trap();
    map.readIntoScene(*gScene);
    checkMap(*gScene, 1 + (size > 0 ? data[0] % 4 : 0));
    emptyScene(*gScene);
    return 0;
}
