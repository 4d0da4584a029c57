// The game's entry: create the application, run it, delete it. A failure during start-up ends
// the program with its reason on standard error and in Ogre.log, and a non-zero exit code.
#include "game/core/application.h"

#include <OgreLogManager.h>
#include <OgreRoot.h>

#include <csignal>
#include <exception>
#include <iostream>

namespace {
void onStopSignal(int)
{
    CApplication::requestStop();
}
} // namespace

int main()
{
    // Ctrl+C or a polite kill ends the game like closing its window.
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
    int code = 0;
    try {
        CApplication* app = CApplication::getInstance();
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
