// CInputManager: the game's OIS keyboard and mouse. The application captures them every frame;
// buffered events are forwarded to the registered listeners (the menu), while keyboard players
// poll the keyboard's key state directly.
#pragma once

#include <OISKeyboard.h>
#include <OISMouse.h>

#include <map>
#include <string>
#include <vector>

namespace OIS {
class InputManager;
}
namespace Ogre {
class RenderWindow;
}

class CInputManager : public OIS::KeyListener, public OIS::MouseListener
{
public:
    static CInputManager& getSingleton();
    static void destroySingleton();
    static bool hasSingleton();

    void initialise(Ogre::RenderWindow* window);
    void addKeyListener(OIS::KeyListener* listener);
    void addMouseListener(OIS::MouseListener* listener);
    // A listener that is deleted before the manager must take itself out first.
    void removeKeyListener(OIS::KeyListener* listener);
    void removeMouseListener(OIS::MouseListener* listener);

    OIS::Mouse* getMouse() const { return mMouse; }
    OIS::Keyboard* getKeyboard() const { return mKeyboard; }
    // Tests and tools may hand in a keyboard of their own (not owned; nullptr restores the
    // keyboard the manager created, if any).
    void setKeyboard(OIS::Keyboard* keyboard);
    // Sets the area the mouse is clipped to (the window size).
    void setMouseArea(unsigned int width, unsigned int height);
    // Keeps the pointer inside the window (true) or lets it go (false). Nothing is grabbed
    // unless asked: a grabbed pointer or keyboard keeps the player from switching to other
    // windows. The keyboard is never grabbed, so the desktop's own keys keep working.
    void setPointerGrabbed(bool grabbed);
    bool isPointerGrabbed() const { return mGrabSystem != nullptr; }

    void buildKeyNames();
    // The name shown for a key code; "" for a code the table does not hold.
    const std::string& getKeyName(int keyCode) const;

    bool keyPressed(const OIS::KeyEvent& evt) override;
    bool keyReleased(const OIS::KeyEvent& evt) override;
    bool mouseMoved(const OIS::MouseEvent& evt) override;
    bool mousePressed(const OIS::MouseEvent& evt, OIS::MouseButtonID id) override;
    bool mouseReleased(const OIS::MouseEvent& evt, OIS::MouseButtonID id) override;

    ~CInputManager() override;

private:
    CInputManager() = default;
    // Makes the mouse on the given input system, clipped to the remembered area.
    void createMouse(OIS::InputManager* system);
    void destroyMouse();

    OIS::Mouse* mMouse = nullptr;
    OIS::Keyboard* mKeyboard = nullptr;
    OIS::Keyboard* mCreatedKeyboard = nullptr; // the one OIS made; destroyed with the system
    OIS::InputManager* mInputSystem = nullptr;
    // While the pointer is grabbed, the mouse lives on a second input system made with grabbing
    // on (OIS reads that choice only when a system is made); the keyboard stays where it is, as
    // players hold on to it.
    OIS::InputManager* mGrabSystem = nullptr;
    std::string mWindowHandle;
    unsigned int mMouseWidth = 0;
    unsigned int mMouseHeight = 0;
    std::vector<OIS::KeyListener*> mKeyListeners;
    std::vector<OIS::MouseListener*> mMouseListeners;
    std::map<int, std::string> mKeyNames;
};
