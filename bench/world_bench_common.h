// Shared by the level-world benchmarks: a headless Ogre (no display, no render system) with
// the staged materials and meshes, and a generated flat map of n boxes.
#pragma once

#include <Ogre.h>
#include <OgreDefaultHardwareBufferManager.h>

#include "world/paths.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace worldbench {

class CHeadlessOgre
{
public:
    CHeadlessOgre()
    {
        mLog = std::make_unique<Ogre::LogManager>();
        mLog->createLog("Ogre.log", true, false, true);
        mRoot = new Ogre::Root("", "", "");
        mBuffers = new Ogre::DefaultHardwareBufferManager();
        mTextures = new Ogre::DefaultTextureManager();
        Ogre::MaterialManager::getSingleton().initialise();
        auto& resources = Ogre::ResourceGroupManager::getSingleton();
        for (const char* folder : {"materials", "textures", "meshes"}) {
            const std::string path = std::string(KIVO_RUN_DIR) + "/data/" + folder;
            if (std::filesystem::is_directory(path))
                resources.addResourceLocation(path, "FileSystem");
        }
        resources.initialiseAllResourceGroups();
        mSceneManager = mRoot->createSceneManager(
            Ogre::DefaultSceneManagerFactory::FACTORY_TYPE_NAME, "SceneManager");
        mSceneManager->createCamera("firstCamera");
    }

    ~CHeadlessOgre()
    {
        mRoot->destroySceneManager(mSceneManager);
        Ogre::MeshManager::getSingleton().removeAll();
        Ogre::MaterialManager::getSingleton().removeAll();
        delete mTextures;
        delete mRoot;
        delete mBuffers;
    }

    void frame(float seconds)
    {
        Ogre::FrameEvent evt;
        evt.timeSinceLastFrame = seconds;
        evt.timeSinceLastEvent = seconds;
        mRoot->_fireFrameStarted(evt);
        mRoot->_fireFrameRenderingQueued(evt);
        mRoot->_fireFrameEnded(evt);
    }

private:
    std::unique_ptr<Ogre::LogManager> mLog;
    Ogre::Root* mRoot;
    Ogre::DefaultHardwareBufferManager* mBuffers;
    Ogre::TextureManager* mTextures;
    Ogre::SceneManager* mSceneManager;
};

// Writes <name> into the shipped map folder (data/maps below the working folder): a square field of about n unit boxes
// with four start boxes in one corner and a finish box in the other; every tenth box has a
// raised top centre so that not all hulls are alike.
inline void writeFlatMap(const std::string& name, int boxes)
{
    std::filesystem::create_directories(paths::shippedMapDir());
    std::ofstream out(paths::shippedMapDir() + "/" + name);
    const int side = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(boxes))));
    const char* materials[] = {"stone", "wood", "grass", "ice", "metal"};
    int made = 0;
    for (int i = 0; i < side && made < boxes; ++i) {
        for (int j = 0; j < side && made < boxes; ++j, ++made) {
            const float raise = made % 10 == 0 ? 0.3f : 0.0f;
            out << "box=b" << made << "," << materials[made % 5] << ",field," << i << ",0," << -j
                << ",0.5,0.5,-0.5,-0.5,0.5,-0.5,-0.5,0.5,0.5,0.5,0.5,0.5,0," << 0.5f + raise
                << ",0,0.5,-0.5,-0.5,-0.5,-0.5,-0.5,-0.5,-0.5,0.5,0.5,-0.5,0.5,0\n";
        }
    }
    out << "light=sun,0,20,0,1,1,1,0.5,0.5,0.5,1000\nambient=0.4,0.4,0.4\n";
    for (int k = 0; k < 4; ++k)
        out << "startpoint=b" << k * side << "\n";
    out << "finishpoint=b" << made - 1 << "\n";
}

} // namespace worldbench
