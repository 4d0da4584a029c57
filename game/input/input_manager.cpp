// OIS set-up for the game window and the forwarding of buffered events to listeners.
#include "game/input/input_manager.h"

#include "game/input/key_names.h"

#include <OISInputManager.h>
#include <OgreRenderWindow.h>

#include <algorithm>
#include <memory>

namespace {
std::unique_ptr<CInputManager> gInputManager;
}

CInputManager& CInputManager::getSingleton()
{
    if (!gInputManager)
        gInputManager.reset(new CInputManager());
    return *gInputManager;
}

bool CInputManager::hasSingleton()
{
    return gInputManager != nullptr;
}

void CInputManager::destroySingleton()
{
    gInputManager.reset();
}

namespace {
// OIS on X11 grabs keyboard and pointer unless told otherwise.
OIS::InputManager* createInputSystem(const std::string& windowHandle, bool grabPointer)
{
    OIS::ParamList params;
    params.insert({"WINDOW", windowHandle});
    params.insert({"x11_keyboard_grab", "false"});
    params.insert({"x11_mouse_grab", grabPointer ? "true" : "false"});
    params.insert({"x11_mouse_hide", "true"});
    return OIS::InputManager::createInputSystem(params);
}

// OIS asks X for a device's events when it makes the device, but without a grab nothing sends
// that request before the device's first capture: events until then would be lost.
void sendEventSelection(OIS::Object* device)
{
    device->capture();
}
} // namespace

void CInputManager::initialise(Ogre::RenderWindow* window)
{
    if (!window || mInputSystem)
        return;
    size_t handle = 0;
    window->getCustomAttribute("WINDOW", &handle);
    mWindowHandle = std::to_string(handle);
    mMouseWidth = window->getWidth();
    mMouseHeight = window->getHeight();
    mInputSystem = createInputSystem(mWindowHandle, false);

    if (mInputSystem->getNumberOfDevices(OIS::OISKeyboard) > 0) {
        mCreatedKeyboard =
            static_cast<OIS::Keyboard*>(mInputSystem->createInputObject(OIS::OISKeyboard, true));
        mCreatedKeyboard->setEventCallback(this);
        if (!mKeyboard)
            mKeyboard = mCreatedKeyboard;
        sendEventSelection(mCreatedKeyboard);
    }
    createMouse(mInputSystem);
}

void CInputManager::createMouse(OIS::InputManager* system)
{
    if (system->getNumberOfDevices(OIS::OISMouse) == 0)
        return;
    mMouse = static_cast<OIS::Mouse*>(system->createInputObject(OIS::OISMouse, true));
    mMouse->setEventCallback(this);
    setMouseArea(mMouseWidth, mMouseHeight);
    sendEventSelection(mMouse);
}

void CInputManager::destroyMouse()
{
    if (!mMouse)
        return;
    (mGrabSystem ? mGrabSystem : mInputSystem)->destroyInputObject(mMouse);
    mMouse = nullptr;
}

void CInputManager::setPointerGrabbed(bool grabbed)
{
    if (!mInputSystem || grabbed == isPointerGrabbed())
        return;
    // Only one client may take a window's button presses: the old mouse goes first.
    destroyMouse();
    if (grabbed) {
        mGrabSystem = createInputSystem(mWindowHandle, true);
        createMouse(mGrabSystem);
    } else {
        OIS::InputManager::destroyInputSystem(mGrabSystem);
        mGrabSystem = nullptr;
        createMouse(mInputSystem);
    }
}

void CInputManager::setMouseArea(unsigned int width, unsigned int height)
{
    mMouseWidth = width;
    mMouseHeight = height;
    if (!mMouse)
        return;
    const OIS::MouseState& state = mMouse->getMouseState();
    state.width = static_cast<int>(width);
    state.height = static_cast<int>(height);
}

void CInputManager::addKeyListener(OIS::KeyListener* listener)
{
    mKeyListeners.push_back(listener);
}

void CInputManager::addMouseListener(OIS::MouseListener* listener)
{
    mMouseListeners.push_back(listener);
}

void CInputManager::removeKeyListener(OIS::KeyListener* listener)
{
    mKeyListeners.erase(std::remove(mKeyListeners.begin(), mKeyListeners.end(), listener),
                        mKeyListeners.end());
}

void CInputManager::removeMouseListener(OIS::MouseListener* listener)
{
    mMouseListeners.erase(std::remove(mMouseListeners.begin(), mMouseListeners.end(), listener),
                          mMouseListeners.end());
}

void CInputManager::setKeyboard(OIS::Keyboard* keyboard)
{
    mKeyboard = keyboard ? keyboard : mCreatedKeyboard;
}

void CInputManager::buildKeyNames()
{
    mKeyNames = makeKeyNameTable();
}

const std::string& CInputManager::getKeyName(int keyCode) const
{
    static const std::string none;
    auto it = mKeyNames.find(keyCode);
    return it == mKeyNames.end() ? none : it->second;
}

namespace {
// Forwards an event to the listeners in registration order until one returns false. Indexes,
// not iterators: a listener may register another one while it handles the event.
template <typename Listener, typename Call>
void forwardUntilRefused(const std::vector<Listener*>& listeners, Call call)
{
    for (size_t i = 0; i < listeners.size(); ++i)
        if (!call(listeners[i]))
            return;
}
} // namespace

bool CInputManager::keyPressed(const OIS::KeyEvent& evt)
{
    forwardUntilRefused(mKeyListeners, [&](OIS::KeyListener* l) { return l->keyPressed(evt); });
    return true;
}

bool CInputManager::keyReleased(const OIS::KeyEvent& evt)
{
    forwardUntilRefused(mKeyListeners, [&](OIS::KeyListener* l) { return l->keyReleased(evt); });
    return true;
}

bool CInputManager::mouseMoved(const OIS::MouseEvent& evt)
{
    forwardUntilRefused(mMouseListeners, [&](OIS::MouseListener* l) { return l->mouseMoved(evt); });
    return true;
}

bool CInputManager::mousePressed(const OIS::MouseEvent& evt, OIS::MouseButtonID id)
{
    forwardUntilRefused(mMouseListeners,
                        [&](OIS::MouseListener* l) { return l->mousePressed(evt, id); });
    return true;
}

bool CInputManager::mouseReleased(const OIS::MouseEvent& evt, OIS::MouseButtonID id)
{
    forwardUntilRefused(mMouseListeners,
                        [&](OIS::MouseListener* l) { return l->mouseReleased(evt, id); });
    return true;
}

CInputManager::~CInputManager()
{
    if (mInputSystem) {
        destroyMouse();
        if (mGrabSystem)
            OIS::InputManager::destroyInputSystem(mGrabSystem);
        if (mCreatedKeyboard)
            mInputSystem->destroyInputObject(mCreatedKeyboard);
        OIS::InputManager::destroyInputSystem(mInputSystem);
    }
    mGrabSystem = nullptr;
    mMouse = nullptr;
    mKeyboard = nullptr;
    mCreatedKeyboard = nullptr;
    mInputSystem = nullptr;
    mKeyListeners.clear();
    mMouseListeners.clear();
}
