// A game menu on CEGUI's NullRenderer, without Ogre: the real layouts, scheme and handlers, in a
// private working folder with its own "data/maps/" and user folders (settings, best times).
#pragma once

#include "game/core/application.h"
#include "game/input/input_manager.h"
#include "game/menu/game_menu.h"
#include "game/menu/gui_text.h"
#include "test_env.h"

#include <CEGUI/CEGUI.h>
#include <CEGUI/RendererModules/Null/Renderer.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

class CGuiFixture : public ::testing::Test
{
protected:
    static constexpr float kScreenWidth = 1024.0f;
    static constexpr float kScreenHeight = 768.0f;

    void SetUp() override
    {
        namespace fs = std::filesystem;
        fs::create_directories(mDir.file("data/maps"));
        writeMaps();

        // One folder with our GUI files and CEGUI's stock ones: the resource provider serves a
        // resource group from a single folder.
        const std::string gui = mDir.file("gui");
        fs::create_directories(gui);
        const std::string stock = KIVO_CEGUI_DATA_DIR;
        for (const std::string& from :
             {testenv::runDir() + "/data/gui", stock + "/schemes", stock + "/imagesets",
              stock + "/fonts", stock + "/looknfeel"}) {
            for (const auto& entry : fs::directory_iterator(from)) {
                const fs::path to = fs::path(gui) / entry.path().filename();
                if (!fs::exists(to))
                    fs::create_symlink(entry.path(), to);
            }
        }

        CEGUI::NullRenderer& renderer = CEGUI::NullRenderer::bootstrapSystem();
        renderer.setDisplaySize(CEGUI::Sizef(kScreenWidth, kScreenHeight));
        auto* provider = static_cast<CEGUI::DefaultResourceProvider*>(
            CEGUI::System::getSingleton().getResourceProvider());
        for (const char* group : {"Imagesets", "Fonts", "Schemes", "LookNFeel", "Layouts"})
            provider->setResourceGroupDirectory(group, gui + "/");
        CEGUI::ImageManager::setImagesetDefaultResourceGroup("Imagesets");
        CEGUI::Font::setDefaultResourceGroup("Fonts");
        CEGUI::Scheme::setDefaultResourceGroup("Schemes");
        CEGUI::WidgetLookManager::setDefaultResourceGroup("LookNFeel");
        CEGUI::WindowManager::setDefaultResourceGroup("Layouts");
        CEGUI::GUIContext& context = CEGUI::System::getSingleton().getDefaultGUIContext();
        const CEGUI::Rectf screen(0, 0, kScreenWidth, kScreenHeight);
        context.getMouseCursor().setConstraintArea(&screen);

        beforeMenu();
        mMenu = std::make_unique<CGameMenu>();
        mMenu->initialise();
    }

    void TearDown() override
    {
        mMenu.reset();
        CApplication::destroyInstance();
        CInputManager::destroySingleton();
        CEGUI::NullRenderer::destroySystem();
    }

    // Maps the menu lists; a test fixture may write other files before the menu starts.
    virtual void writeMaps()
    {
        testenv::writeFile(mDir.file("data/maps/alpha.kivom"), "");
        testenv::writeFile(mDir.file("data/maps/beta.kivom"), "");
    }
    virtual void beforeMenu() {}

    CEGUI::Window* window(const std::string& designName) const
    {
        return mMenu->getWindow(designName);
    }
    std::string text(const std::string& designName) const
    {
        return guitext::windowText(window(designName));
    }
    bool visible(const std::string& designName) const { return window(designName)->isVisible(); }
    void click(const std::string& designName) const
    {
        CEGUI::WindowEventArgs args(window(designName));
        window(designName)->fireEvent(CEGUI::PushButton::EventClicked, args);
    }
    void select(const std::string& designName) const
    {
        static_cast<CEGUI::RadioButton*>(window(designName))->setSelected(true);
    }
    // Chooses an entry of a dropdown list the way a user does: in its drop list, then accepted.
    void chooseInDropdown(const std::string& designName, const std::string& entry) const
    {
        auto* combo = static_cast<CEGUI::Combobox*>(window(designName));
        CEGUI::ListboxItem* item = combo->findItemWithText(guitext::toGui(entry), nullptr);
        ASSERT_NE(item, nullptr) << entry;
        CEGUI::ComboDropList* list = combo->getDropList();
        list->clearAllSelections();
        list->setItemSelectState(item, true);
        CEGUI::WindowEventArgs args(list);
        list->fireEvent(CEGUI::ComboDropList::EventListSelectionAccepted, args);
    }
    CEGUI::GUIContext& context() const
    {
        return CEGUI::System::getSingleton().getDefaultGUIContext();
    }
    std::string file(const std::string& name) const { return mDir.file(name); }

    testenv::TempDir mDir;
    std::unique_ptr<CGameMenu> mMenu;
};
