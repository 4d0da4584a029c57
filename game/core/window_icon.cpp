// The X11 icon of the game window (_NET_WM_ICON: width, height, then ARGB pixels).
#include "game/core/window_icon.h"

#include <OgreColourValue.h>
#include <OgreDataStream.h>
#include <OgreImage.h>
#include <OgreLogManager.h>
#include <OgreRenderWindow.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <fstream>
#include <vector>

bool setWindowIcon(Ogre::RenderWindow* window, const std::string& imageFile)
{
    Display* display = nullptr;
    Window handle = 0;
    window->getCustomAttribute("XDISPLAY", &display);
    window->getCustomAttribute("WINDOW", &handle);
    if (!display || !handle) {
        Ogre::LogManager::getSingleton().logWarning("Window icon: the window has no X handle");
        return false;
    }

    Ogre::Image image;
    try {
        auto file = std::make_shared<std::ifstream>(imageFile, std::ios::binary);
        if (!*file)
            throw std::runtime_error("cannot open file");
        Ogre::DataStreamPtr stream(new Ogre::FileStreamDataStream(imageFile, file.get(), false));
        image.load(stream, "png");
    } catch (const std::exception& e) {
        Ogre::LogManager::getSingleton().logWarning("Window icon: cannot read \"" + imageFile +
                                                    "\": " + e.what());
        return false;
    }

    const uint32_t width = image.getWidth();
    const uint32_t height = image.getHeight();
    std::vector<unsigned long> data;
    data.reserve(2 + size_t(width) * height);
    data.push_back(width);
    data.push_back(height);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const Ogre::ColourValue c = image.getColourAt(x, y, 0);
            data.push_back(c.getAsARGB());
        }
    }
    Atom iconAtom = XInternAtom(display, "_NET_WM_ICON", False);
    XChangeProperty(display, handle, iconAtom, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(data.data()), int(data.size()));
    XFlush(display);
    return true;
}
