// The settings pages: render system options saved to "ogre.cfg", the players' input devices and
// their key bindings saved to "./input.cfg", and the key capture.
#include "game/menu/game_menu.h"

#include "game/core/profile.h"
#include "game/core/video_options.h"
#include "game/input/input_manager.h"
#include "game/input/joystick_player.h"
#include "game/input/keyboard_player.h"
#include "game/input/wii_player.h"
#include "game/menu/gui_text.h"
#include "game/menu/menu_log.h"
#include "world/ball_shadow.h"
#include "world/paths.h"

#include <CEGUI/CEGUI.h>
#include <Ogre.h>

#include <array>
#include <fstream>
#include <map>

namespace {
const char* const kOgreConfig = "ogre.cfg";
const char* const kInputConfig = "input.cfg";
const size_t kInputValueBuffer = 100;
const char* const kMissing = "NULL";
const char* const kErrorName = "ERR";
const char* const kSelectionBrush = "TaharezLook/MultiListSelectionBrush";

const std::array<const char*, CGameMenu::kActionsPerPlayer> kActions = {
    "Forward", "Right", "Left", "Back", "Pause", "Menu", "Retry"};

// OIS key codes, player 1 to 4, each Forward, Right, Left, Back, Pause, Menu, Retry.
const std::array<int, CGameMenu::kBindingCount> kDefaultKeyCodes = {
    OIS::KC_W,       OIS::KC_D,       OIS::KC_A,       OIS::KC_S,       OIS::KC_P,
    OIS::KC_ESCAPE,  OIS::KC_R,       OIS::KC_UP,      OIS::KC_RIGHT,   OIS::KC_LEFT,
    OIS::KC_DOWN,    OIS::KC_PAUSE,   OIS::KC_END,     OIS::KC_HOME,    OIS::KC_U,
    OIS::KC_V,       OIS::KC_H,       OIS::KC_J,       OIS::KC_I,       OIS::KC_Y,
    OIS::KC_N,       OIS::KC_NUMPAD8, OIS::KC_NUMPAD6, OIS::KC_NUMPAD4, OIS::KC_NUMPAD5,
    OIS::KC_NUMPAD7, OIS::KC_NUMPAD9, OIS::KC_NUMPAD1};

// Video option rows: label and dropdown of row k below the renderer row.
const float kRowLeft = 0.008f;
const float kRowTop = 0.02f;
const float kRowStep = 0.075f;
const float kRowWidth = 0.49f;
const float kLabelHeight = 0.08f;
const float kDropdownLeft = 0.5f;
const float kDropdownHeight = 0.2f;

// The game's own rows below the render system's options: label, dropdown and setting.
struct SOwnOption
{
    const char* label;
    const char* dropdown;
    const char* setting;
    bool (*read)(const std::string& configFile);
};
const SOwnOption kOwnOptions[] = {
    {"LabelShadows", "DropDownShadows", videooptions::kBallShadows, videooptions::readBallShadows},
    {"LabelGhost", "DropDownGhost", videooptions::kGhost, videooptions::readGhost},
};

const char* const kUnableToDetect = "Sorry, I was unable to detect a ";

void placeOwnRows(CEGUI::Window* page, int row);

int groupOf(int playerNumber)
{
    return playerNumber <= 2 ? 1 : 2;
}

std::string playerPrefix(int playerNumber)
{
    return "Settings/Inputsettings" + std::to_string(groupOf(playerNumber)) + "/Player" +
           std::to_string(playerNumber);
}

std::string keyFieldName(int bindingIndex)
{
    const int player = bindingIndex / CGameMenu::kActionsPerPlayer + 1;
    return playerPrefix(player) +
           kActions[static_cast<size_t>(bindingIndex % CGameMenu::kActionsPerPlayer)] + "Key";
}

// The stored "name=value" lines of one section of "ogre.cfg".
std::map<std::string, std::string> readOgreConfigSection(const std::string& section)
{
    std::map<std::string, std::string> values;
    std::ifstream in(paths::configFile(kOgreConfig));
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inSection = line == "[" + section + "]";
            continue;
        }
        const size_t equals = line.find('=');
        if (inSection && equals != std::string::npos) {
            std::string name = line.substr(0, equals);
            std::string value = line.substr(equals + 1);
            Ogre::StringUtil::trim(name);
            Ogre::StringUtil::trim(value);
            values[name] = value;
        }
    }
    return values;
}

// Whether a joystick or Wii Remote can be used by a player: a player of that kind is made, started
// and discarded again.
bool probeInputDevice(int playerNumber, const std::string& device)
{
    std::unique_ptr<CPlayer> probe;
    if (device == "WiiMote")
        probe = std::make_unique<CWiiPlayer>();
    else if (device == "Joystick")
        probe = std::make_unique<CJoystickPlayer>();
    else
        return false;
    probe->setPlayerNumber(playerNumber);
    return probe->initInput();
}
} // namespace

// ------------------------------------------------------------------------------ sub-page choice

void CGameMenu::showVideoSettings()
{
    cancelKeyCapture();
    getWindow("Settings/Videosettings")->setVisible(true);
    getWindow("Settings/Inputsettings1")->setVisible(false);
    getWindow("Settings/Inputsettings2")->setVisible(false);
}

void CGameMenu::showInputSettings(int group)
{
    cancelKeyCapture();
    const int other = group == 1 ? 2 : 1;
    getWindow("Settings/Videosettings")->setVisible(false);
    getWindow("Settings/Inputsettings" + std::to_string(group))->setVisible(true);
    setStatusTexts(group, "", "");
    getWindow("Settings/Inputsettings" + std::to_string(other))->setVisible(false);
}

void CGameMenu::setStatusTexts(int group, const std::string& info, const std::string& error)
{
    const std::string prefix = "Settings/Inputsettings" + std::to_string(group);
    CEGUI::Window* infoText = getWindow(prefix + "/StatusText");
    CEGUI::Window* errorText = getWindow(prefix + "/StatusTextRed");
    guitext::setWindowText(infoText, info);
    infoText->setVisible(!info.empty());
    guitext::setWindowText(errorText, error);
    errorText->setVisible(!error.empty());
}

// ---------------------------------------------------------------------------------- video page

bool CGameMenu::onRendererChosen(const CEGUI::EventArgs&)
{
    buildVideoOptions();
    return true;
}

void CGameMenu::buildVideoOptions()
{
    Ogre::Root* root = Ogre::Root::getSingletonPtr();
    if (!root)
        return;
    CEGUI::Window* page = getWindow("Settings/Videosettings");
    auto* renderers =
        static_cast<CEGUI::Combobox*>(getWindow("Settings/Videosettings/DropDownRenderer"));
    if (renderers->getItemCount() == 0) {
        const Ogre::RenderSystem* current = root->getRenderSystem();
        for (const Ogre::RenderSystem* system : root->getAvailableRenderers()) {
            auto* item = new CEGUI::ListboxTextItem(guitext::toGui(system->getName()));
            item->setTextParsingEnabled(false);
            item->setSelectionBrushImage(kSelectionBrush);
            renderers->addItem(item);
            if (system == current) {
                renderers->setItemSelectState(item, true);
                guitext::setWindowText(renderers, system->getName());
            }
        }
    }

    for (const auto& option : mVideoOptions) {
        const std::string row = std::to_string(option.second);
        CEGUI::WindowManager::getSingleton().destroyWindow(page->getChild("Label" + row));
        CEGUI::WindowManager::getSingleton().destroyWindow(page->getChild("DropDown" + row));
    }
    mVideoOptions.clear();

    const std::string rendererName = guitext::windowText(renderers);
    Ogre::RenderSystem* system = root->getRenderSystemByName(rendererName);
    if (!system)
        return;
    const std::map<std::string, std::string> stored = readOgreConfigSection(rendererName);
    int row = 0;
    for (const auto& entry : system->getConfigOptions()) {
        const Ogre::ConfigOption& option = entry.second;
        const float top = kRowTop + kRowStep * static_cast<float>(row + 1);
        const std::string number = std::to_string(row);
        CEGUI::WindowManager& windows = CEGUI::WindowManager::getSingleton();

        CEGUI::Window* label = windows.createWindow("gui/Label", "Label" + number);
        guitext::setWindowText(label, option.name);
        label->setPosition(CEGUI::UVector2(CEGUI::UDim(kRowLeft, 0), CEGUI::UDim(top, 0)));
        label->setSize(CEGUI::USize(CEGUI::UDim(kRowWidth, 0), CEGUI::UDim(kLabelHeight, 0)));
        page->addChild(label);

        auto* dropdown = static_cast<CEGUI::Combobox*>(
            windows.createWindow("gui/Combobox", "DropDown" + number));
        dropdown->setPosition(CEGUI::UVector2(CEGUI::UDim(kDropdownLeft, 0), CEGUI::UDim(top, 0)));
        dropdown->setSize(CEGUI::USize(CEGUI::UDim(kRowWidth, 0), CEGUI::UDim(kDropdownHeight, 0)));
        dropdown->setReadOnly(true);
        const auto storedValue = stored.find(option.name);
        const std::string value =
            storedValue != stored.end() ? storedValue->second : option.currentValue;
        for (const std::string& possible : option.possibleValues) {
            auto* item = new CEGUI::ListboxTextItem(guitext::toGui(possible));
            item->setTextParsingEnabled(false);
            item->setSelectionBrushImage(kSelectionBrush);
            dropdown->addItem(item);
            if (possible == value)
                dropdown->setItemSelectState(item, true);
        }
        guitext::setWindowText(dropdown, value);
        page->addChild(dropdown);
        mVideoOptions.emplace_back(option.name, row);
        ++row;
    }
    placeOwnRows(page, row);
}

namespace {
// The game's own choices: made once with the values stored in "ogre.cfg", moved below the rows
// of whichever render system is shown.
void placeOwnRows(CEGUI::Window* page, int row)
{
    for (const SOwnOption& option : kOwnOptions) {
        const float top = kRowTop + kRowStep * static_cast<float>(++row);
        if (!page->isChild(option.dropdown)) {
            CEGUI::WindowManager& windows = CEGUI::WindowManager::getSingleton();
            CEGUI::Window* label = windows.createWindow("gui/Label", option.label);
            guitext::setWindowText(label, option.setting);
            label->setSize(CEGUI::USize(CEGUI::UDim(kRowWidth, 0), CEGUI::UDim(kLabelHeight, 0)));
            page->addChild(label);
            auto* dropdown = static_cast<CEGUI::Combobox*>(
                windows.createWindow("gui/Combobox", option.dropdown));
            dropdown->setSize(
                CEGUI::USize(CEGUI::UDim(kRowWidth, 0), CEGUI::UDim(kDropdownHeight, 0)));
            dropdown->setReadOnly(true);
            const std::string value =
                option.read(paths::configFile(kOgreConfig)) ? videooptions::kYes : videooptions::kNo;
            for (const char* choice : {videooptions::kYes, videooptions::kNo}) {
                auto* item = new CEGUI::ListboxTextItem(guitext::toGui(choice));
                item->setSelectionBrushImage(kSelectionBrush);
                dropdown->addItem(item);
                if (value == choice)
                    dropdown->setItemSelectState(item, true);
            }
            guitext::setWindowText(dropdown, value);
            page->addChild(dropdown);
        }
        page->getChild(option.label)
            ->setPosition(CEGUI::UVector2(CEGUI::UDim(kRowLeft, 0), CEGUI::UDim(top, 0)));
        page->getChild(option.dropdown)
            ->setPosition(CEGUI::UVector2(CEGUI::UDim(kDropdownLeft, 0), CEGUI::UDim(top, 0)));
    }
}
} // namespace

void CGameMenu::saveVideoSettings()
{
    Ogre::Root* root = Ogre::Root::getSingletonPtr();
    const std::string rendererName =
        guitext::windowText(getWindow("Settings/Videosettings/DropDownRenderer"));
    if (!root || rendererName.empty()) {
        showMessage(kErrorMessage, "Videosettings not saved", "No render system is chosen.");
        return;
    }
    std::string text = "Render System=" + rendererName + "\n";
    for (Ogre::RenderSystem* system : root->getAvailableRenderers()) {
        text += "\n[" + system->getName() + "]\n";
        if (system->getName() == rendererName) {
            for (const auto& option : mVideoOptions) {
                auto* dropdown = static_cast<CEGUI::Combobox*>(
                    getWindow("Settings/Videosettings/DropDown" + std::to_string(option.second)));
                const CEGUI::ListboxItem* selected = dropdown->getSelectedItem();
                const CEGUI::String value = selected ? selected->getText() : dropdown->getText();
                text += option.first + "=" + guitext::fromGui(value) + "\n";
            }
        } else {
            for (const auto& entry : system->getConfigOptions())
                text += entry.first + "=" + entry.second.currentValue + "\n";
        }
    }
    // The game's own options change from the next round on, no restart needed.
    text += std::string("\n[") + videooptions::kSection + "]\n";
    for (const SOwnOption& option : kOwnOptions)
        text +=
            std::string(option.setting) + "=" +
            guitext::windowText(getWindow(std::string("Settings/Videosettings/") + option.dropdown)) +
            "\n";
    if (!replaceFile(paths::configFile(kOgreConfig), text)) {
        showMessage(kErrorMessage, "Videosettings not saved",
                    "The settings could not be written to \"ogre.cfg\".");
        return;
    }
    CBallShadow::setEnabled(videooptions::readBallShadows(paths::configFile(kOgreConfig)));
    showMessage(kInfoMessage, "Videosettings saved",
                "The new settings were saved.\nPlease restart the game for the\n"
                "changes to take effect.");
}

// ---------------------------------------------------------------------------------- input pages

void CGameMenu::loadKeyBindings()
{
    const CInputManager& input = CInputManager::getSingleton();
    mDefaultKeys.clear();
    for (int code : kDefaultKeyCodes)
        mDefaultKeys.emplace_back(input.getKeyName(code), code);

    mUsedKeys.clear();
    const auto isUsed = [this](int code) {
        for (const KeyBinding& binding : mUsedKeys)
            if (binding.second == code)
                return true;
        return false;
    };
    for (int index = 0; index < kBindingCount; ++index) {
        const std::string section = "Player" + std::to_string(index / kActionsPerPlayer + 1);
        const char* key = kActions[static_cast<size_t>(index % kActionsPerPlayer)];
        const std::string value = getProfileString(
            section, key, kMissing, paths::configFile(kInputConfig), kInputValueBuffer);
        const int code = value == kMissing ? 0 : keyCodeFromText(value);
        if (code != 0 && !isUsed(code)) {
            mUsedKeys.emplace_back(input.getKeyName(code), code);
            continue;
        }
        const KeyBinding& fallback = mDefaultKeys[static_cast<size_t>(index)];
        if (isUsed(fallback.second)) {
            writeProfileString(section, key, "0", paths::configFile(kInputConfig));
            mUsedKeys.emplace_back(kErrorName, 0);
        } else {
            writeProfileString(section, key, std::to_string(fallback.second),
                               paths::configFile(kInputConfig));
            mUsedKeys.push_back(fallback);
        }
    }
    for (int index = 0; index < kBindingCount; ++index)
        guitext::setWindowText(getWindow(keyFieldName(index)),
                               mUsedKeys[static_cast<size_t>(index)].first);
}

void CGameMenu::saveInputSettings()
{
    bool written = true;
    for (int player = 1; player <= kPlayerCount; ++player) {
        std::vector<std::pair<std::string, std::string>> keys;
        for (int action = 0; action < kActionsPerPlayer; ++action) {
            const size_t index = static_cast<size_t>((player - 1) * kActionsPerPlayer + action);
            keys.emplace_back(kActions[static_cast<size_t>(action)],
                              std::to_string(mUsedKeys[index].second));
        }
        written &= writeProfileStrings("Player" + std::to_string(player), keys,
                                       paths::configFile(kInputConfig));
    }
    getWindow("Settings/Inputsettings1/StatusText")->setVisible(false);
    getWindow("Settings/Inputsettings1/StatusTextRed")->setVisible(false);
    if (!written) {
        showMessage(kErrorMessage, "Inputsettings not saved",
                    "The settings could not be written to \"input.cfg\".");
        return;
    }
    showMessage(kInfoMessage, "Inputsettings saved", "The new settings were saved.\n");
}

bool CGameMenu::onKeyField(const CEGUI::EventArgs& args)
{
    const CEGUI::Window* field = static_cast<const CEGUI::WindowEventArgs&>(args).window;
    for (int index = 0; index < kBindingCount; ++index) {
        if (getWindow(keyFieldName(index)) == field) {
            beginKeyCapture(index);
            break;
        }
    }
    return true;
}

void CGameMenu::beginKeyCapture(int bindingIndex)
{
    if (bindingIndex < 0 || bindingIndex >= kBindingCount)
        return;
    mCaptureMode = true;
    mCaptureIndex = bindingIndex;
    mCaptureTarget = keyFieldName(bindingIndex);
    setStatusTexts(groupOf(bindingIndex / kActionsPerPlayer + 1), "Please press a key!", "");
}

void CGameMenu::cancelKeyCapture()
{
    if (!mCaptureMode)
        return;
    mCaptureMode = false;
    mCaptureIndex = 0;
    setStatusTexts(1, "", "");
    setStatusTexts(2, "", "");
}

void CGameMenu::captureKey(const OIS::KeyEvent& evt)
{
    const int code = static_cast<int>(evt.key);
    bool used = false;
    for (const KeyBinding& binding : mUsedKeys)
        used = used || binding.second == code;
    if (used) {
        setStatusTexts(1, "", "Button already in use!");
        setStatusTexts(2, "", "Button already in use!");
    } else {
        const std::string& name = CInputManager::getSingleton().getKeyName(code);
        mUsedKeys[static_cast<size_t>(mCaptureIndex)] = {name, code};
        guitext::setWindowText(getWindow(mCaptureTarget), name);
        setStatusTexts(groupOf(mCaptureIndex / kActionsPerPlayer + 1), "", "");
    }
    mCaptureMode = false;
    mCaptureIndex = 0;
}

// ------------------------------------------------------------------------------ device choice

void CGameMenu::setKeyFieldsEnabled(int playerNumber, bool enabled)
{
    for (const char* action : kActions)
        setUsable(getWindow(playerPrefix(playerNumber) + action + "Key"), enabled);
}

void CGameMenu::selectKeyboard(int playerNumber)
{
    static_cast<CEGUI::RadioButton*>(getWindow(playerPrefix(playerNumber) + "UseKeyboard"))
        ->setSelected(true);
}

bool CGameMenu::onDeviceRadio(const CEGUI::EventArgs& args)
{
    auto* radio =
        static_cast<CEGUI::RadioButton*>(static_cast<const CEGUI::WindowEventArgs&>(args).window);
    // The event comes for the button that was chosen and for the one that was given up.
    if (!radio->isSelected())
        return true;
    const std::string name = radio->getName().c_str(); // "Player<N>Use<Device>"
    const size_t use = name.find("Use");
    const int player = std::stoi(name.substr(std::string("Player").size()));
    const std::string device = name.substr(use + std::string("Use").size());
    onDeviceChanged(player, device);
    return true;
}

bool CGameMenu::onDeviceChanged(int playerNumber, const std::string& device)
{
    if (device == "Keyboard") {
        setKeyFieldsEnabled(playerNumber, true);
        return true;
    }
    setKeyFieldsEnabled(playerNumber, false);
    const int group = groupOf(playerNumber);
    if (!probeInputDevice(playerNumber, device)) {
        setStatusTexts(group, "",
                       kUnableToDetect + device + " for player " + std::to_string(playerNumber) +
                           "!");
        setKeyFieldsEnabled(playerNumber, true);
        selectKeyboard(playerNumber);
        return false;
    }
    setStatusTexts(group, "", "");
    return true;
}
