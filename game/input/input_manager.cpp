// OIS set-up for the game window and the forwarding of buffered events to listeners.
#include "game/input/input_manager.h"

#include "game/input/key_names.h"

#include <OISInputManager.h>
#include <OgreRenderWindow.h>

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

void CInputManager::destroySingleton()
{
    gInputManager.reset();
}

void CInputManager::initialise(Ogre::RenderWindow* window)
{
    size_t handle = 0;
    window->getCustomAttribute("WINDOW", &handle);
    OIS::ParamList params;
    params.insert({"WINDOW", std::to_string(handle)});
    mInputSystem = OIS::InputManager::createInputSystem(params);

    if (mInputSystem->getNumberOfDevices(OIS::OISKeyboard) > 0) {
        mKeyboard =
            static_cast<OIS::Keyboard*>(mInputSystem->createInputObject(OIS::OISKeyboard, true));
        mKeyboard->setEventCallback(this);
    }
    if (mInputSystem->getNumberOfDevices(OIS::OISMouse) > 0) {
        mMouse = static_cast<OIS::Mouse*>(mInputSystem->createInputObject(OIS::OISMouse, true));
        mMouse->setEventCallback(this);
        setMouseArea(window->getWidth(), window->getHeight());
    }
}

void CInputManager::setMouseArea(unsigned int width, unsigned int height)
{
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

bool CInputManager::keyPressed(const OIS::KeyEvent& evt)
{
    for (OIS::KeyListener* l : mKeyListeners)
        if (!l->keyPressed(evt))
            break;
    return true;
}

bool CInputManager::keyReleased(const OIS::KeyEvent& evt)
{
    for (OIS::KeyListener* l : mKeyListeners)
        if (!l->keyReleased(evt))
            break;
    return true;
}

bool CInputManager::mouseMoved(const OIS::MouseEvent& evt)
{
    for (OIS::MouseListener* l : mMouseListeners)
        if (!l->mouseMoved(evt))
            break;
    return true;
}

bool CInputManager::mousePressed(const OIS::MouseEvent& evt, OIS::MouseButtonID id)
{
    for (OIS::MouseListener* l : mMouseListeners)
        if (!l->mousePressed(evt, id))
            break;
    return true;
}

bool CInputManager::mouseReleased(const OIS::MouseEvent& evt, OIS::MouseButtonID id)
{
    for (OIS::MouseListener* l : mMouseListeners)
        if (!l->mouseReleased(evt, id))
            break;
    return true;
}

CInputManager::~CInputManager()
{
    if (mInputSystem) {
        if (mMouse)
            mInputSystem->destroyInputObject(mMouse);
        if (mKeyboard)
            mInputSystem->destroyInputObject(mKeyboard);
        OIS::InputManager::destroyInputSystem(mInputSystem);
    }
    mMouse = nullptr;
    mKeyboard = nullptr;
    mInputSystem = nullptr;
    mKeyListeners.clear();
    mMouseListeners.clear();
}
