// The video settings page on Ogre's real render systems (they need a display, so this runs
// under Xvfb): the renderer list, the option rows with the values stored in "ogre.cfg", and
// saving, which keeps the sections of the render systems that were not edited.
#include "gui_fixture.h"

#include <Ogre.h>

#include <memory>

namespace {

const char* const kGl = "OpenGL Rendering Subsystem";
const char* const kGl3 = "OpenGL 3+ Rendering Subsystem";

class VideoSettingsTest : public CGuiFixture
{
protected:
    void beforeMenu() override
    {
        mLog = std::make_unique<Ogre::LogManager>();
        mLog->createLog("video_settings_test.log", true, false, true);
        mRoot = std::make_unique<Ogre::Root>("", "", "");
        for (const char* plugin : {"RenderSystem_GL", "RenderSystem_GL3Plus"})
            mRoot->loadPlugin(std::string(KIVO_OGRE_PLUGIN_DIR) + "/" + plugin);
        mRoot->setRenderSystem(mRoot->getRenderSystemByName(kGl));
        testenv::writeFile("ogre.cfg", std::string("Render System=") + kGl + "\n\n[" + kGl +
                                           "]\nFull Screen = No\n"
                                           "Video Mode=800 x 600\n\n[" +
                                           kGl3 + "]\nVSync=No\n");
    }

    void TearDown() override
    {
        CGuiFixture::TearDown();
        mRoot.reset();
        mLog.reset();
    }

    // The row of an option, by its label.
    int rowOf(const std::string& option) const
    {
        CEGUI::Window* page = window("Settings/Videosettings");
        for (int row = 0; page->isChild("Label" + std::to_string(row)); ++row)
            if (page->getChild("Label" + std::to_string(row))->getText() == option)
                return row;
        return -1;
    }
    std::string rowValue(const std::string& option) const
    {
        const int row = rowOf(option);
        return row < 0 ? "<no row>" : text("Settings/Videosettings/DropDown" + std::to_string(row));
    }
    std::string savedSection(const std::string& section) const
    {
        const std::string file = testenv::readFile("ogre.cfg");
        const size_t start = file.find("[" + section + "]\n");
        if (start == std::string::npos)
            return "";
        const size_t end = file.find("\n[", start + 1);
        return file.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }

    std::unique_ptr<Ogre::LogManager> mLog;
    std::unique_ptr<Ogre::Root> mRoot;
};

TEST_F(VideoSettingsTest, listsTheRenderersWithTheRunningOneChosen)
{
    auto* renderers =
        static_cast<CEGUI::Combobox*>(window("Settings/Videosettings/DropDownRenderer"));
    EXPECT_EQ(renderers->getItemCount(), 2u);
    EXPECT_EQ(text("Settings/Videosettings/DropDownRenderer"), kGl);
    ASSERT_NE(renderers->getSelectedItem(), nullptr);
    EXPECT_EQ(renderers->getSelectedItem()->getText(), kGl);
}

TEST_F(VideoSettingsTest, rowsShowStoredValuesAndElseTheCurrentOnes)
{
    EXPECT_EQ(rowValue("Full Screen"), "No") << "spaces around = are not part of the value";
    EXPECT_EQ(rowValue("Video Mode"), "800 x 600");
    const Ogre::ConfigOptionMap& options = mRoot->getRenderSystemByName(kGl)->getConfigOptions();
    EXPECT_EQ(rowValue("FSAA"), options.at("FSAA").currentValue);
    EXPECT_EQ(rowOf("Label that does not exist"), -1);
    EXPECT_EQ(static_cast<size_t>(rowOf("sRGB Gamma Conversion")) + 1, options.size())
        << "one row per option, in option order";
}

TEST_F(VideoSettingsTest, choosingAnotherRendererRebuildsTheRows)
{
    chooseInDropdown("Settings/Videosettings/DropDownRenderer", kGl3);
    EXPECT_EQ(rowValue("VSync"), "No");
    const size_t options = mRoot->getRenderSystemByName(kGl3)->getConfigOptions().size();
    CEGUI::Window* page = window("Settings/Videosettings");
    EXPECT_TRUE(page->isChild("Label" + std::to_string(options - 1)));
    EXPECT_FALSE(page->isChild("Label" + std::to_string(options)));
    EXPECT_FALSE(page->isChild("DropDown" + std::to_string(options)));
}

TEST_F(VideoSettingsTest, savingWritesTheChosenValuesAndKeepsTheOtherRenderer)
{
    chooseInDropdown("Settings/Videosettings/DropDown" + std::to_string(rowOf("Full Screen")),
                     "Yes");
    click("Settings/Videosettings/SaveButton");

    const std::string file = testenv::readFile("ogre.cfg");
    EXPECT_EQ(file.rfind(std::string("Render System=") + kGl + "\n\n[", 0), 0u) << file;
    const std::string gl = savedSection(kGl);
    EXPECT_NE(gl.find("\nFull Screen=Yes\n"), std::string::npos) << gl;
    EXPECT_NE(gl.find("\nVideo Mode=800 x 600\n"), std::string::npos) << gl;
    const std::string gl3 = savedSection(kGl3);
    const Ogre::ConfigOptionMap& gl3Options =
        mRoot->getRenderSystemByName(kGl3)->getConfigOptions();
    for (const auto& option : gl3Options)
        EXPECT_NE(gl3.find("\n" + option.first + "=" + option.second.currentValue),
                  std::string::npos)
            << option.first;

    EXPECT_EQ(text("Message/GeneralMessageBox"), "Videosettings saved");
    EXPECT_EQ(text("Message/GeneralMessageBox/Text"),
              "The new settings were saved.\nPlease restart the game for the\n"
              "changes to take effect.");
}

} // namespace
