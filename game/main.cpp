// The game's entry: create the application, run it, delete it. A failure during start-up ends
// the program with its reason on standard error and in Ogre.log, and a non-zero exit code.
#include "game/core/application.h"
#include "world/paths.h"

#include <OgreLogManager.h>
#include <OgreRoot.h>

#include <csignal>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

namespace {

const char* const kUsage =
    "Usage: kivo [--play <map file> [--name <player name>]]\n"
    "\n"
    "Without options KIVO starts at its main menu.\n"
    "  --play <map file>   start straight into a single-player round on that map (a .kivom file\n"
    "                      anywhere; the level editor's \"Play this map\" uses it)\n"
    "  --name <name>       the player's name in that round (default: Player)\n"
    "  --help              show this text\n"
    "\n"
    "Files (XDG base directories; unset variables fall back to ~/.config, ~/.local/share and\n"
    "~/.local/state):\n"
    "  $XDG_CONFIG_HOME/kivo/        ogre.cfg (video settings), input.cfg (keys and devices)\n"
    "  $XDG_DATA_HOME/kivo/maps/     your own maps, and every map's best times (<map>.data)\n"
    "  $XDG_STATE_HOME/kivo/         Ogre.log, CEGUI.log\n";

void onStopSignal(int)
{
    CApplication::requestStop();
}

} // namespace

int main(int argc, char** argv)
{
    std::string playMap;
    std::string playerName = "Player";
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::cout << kUsage;
            return 0;
        } else if (!std::strcmp(argv[i], "--play") && hasValue) {
            playMap = argv[++i];
        } else if (!std::strcmp(argv[i], "--name") && hasValue) {
            playerName = argv[++i];
        } else {
            std::cerr << "kivo: unknown or incomplete option \"" << argv[i] << "\"\n" << kUsage;
            return 2;
        }
    }
    if (!playMap.empty() && !std::filesystem::is_regular_file(playMap)) {
        std::cerr << "kivo: no map file \"" << playMap << "\"\n";
        return 2;
    }

    // Ctrl+C or a polite kill ends the game like closing its window.
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
    int code = 0;
    try {
        CApplication* app = CApplication::getInstance();
        if (!playMap.empty())
            app->setPlayTest(paths::mapNameOf(playMap), playerName);
        code = app->run();
        if (app->getRoot())
            app->getRoot()->removeFrameListener(app);
    } catch (const std::exception& e) {
        const std::string message = std::string("KIVO could not start or had to stop: ") + e.what();
        std::cerr << message << std::endl;
        if (Ogre::LogManager* log = Ogre::LogManager::getSingletonPtr())
            log->logError(message);
        code = 1;
    }
    try {
        CApplication::destroyInstance();
    } catch (const std::exception& e) {
        std::cerr << "KIVO: error while shutting down: " << e.what() << std::endl;
        code = code ? code : 1;
    }
    return code;
}
