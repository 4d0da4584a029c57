// Map files from anywhere, the whole way: a level is built from the file on headless Ogre with
// real physics (bodies, balls, cameras) for one to four players, checked, run for a frame and
// torn down again. Slow (a whole scene per input); map_reader covers the reader fast.
#include "headless_ogre.h"
#include "world/map_check.h"
#include "world/map_io.h"
#include "world/scene.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace {
const char* const kMapName = "fuzz.kivom";
HeadlessOgre* gOgre = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    mkdir("data", 0755);
    mkdir("data/maps", 0755);
    gOgre = new HeadlessOgre(std::string(KIVO_SOURCE_DIR) + "/data");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::ofstream(std::string("data/maps/") + kMapName, std::ios::binary) << text;
    const int players = 1 + (size > 0 ? data[0] % 4 : 0);
    // A level that cannot be built throws, and the game shows that as a message (the setup
    // page catches std::exception); the scene must then have taken down all it had built, which
    // the next input's build would trip over.
    try {
        CScene scene(HeadlessOgre::kSceneManagerName, HeadlessOgre::kCameraName, "", "", "", false,
                     kMapName, players, 1);
        checkMap(scene, players);
        gOgre->frame(1.0f / 60.0f);
    } catch (const std::exception&) {
    }
    return 0;
}
