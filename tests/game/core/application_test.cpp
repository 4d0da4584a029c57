// The application's listener bookkeeping on an Ogre root without a window: the active listener
// and the destroy list.
#include "game/core/application.h"

#include "test_env.h"

#include <Ogre.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Counts its frames. It may hand itself to the destroy list inside its own frame, and
// its destructor may hand over another listener, as a game state does with its scene.
class CountingListener : public CExtFrameListener
{
public:
    explicit CountingListener(int* deaths = nullptr, CExtFrameListener* owned = nullptr)
        : mDeaths(deaths), mOwned(owned)
    {
    }
    ~CountingListener() override
    {
        if (mDeaths)
            ++*mDeaths;
        if (mOwned)
            CApplication::getInstance()->destroyLater(mOwned);
    }
    bool updateRunning(const Ogre::FrameEvent&) override
    {
        ++frames;
        if (handOverInFrame) {
            CApplication::getInstance()->destroyLater(this);
            aliveAfterHandOver = frames; // touching members after the hand-over must be safe
        }
        return true;
    }
    int frames = 0, aliveAfterHandOver = 0;
    bool handOverInFrame = false;

private:
    int* mDeaths;
    CExtFrameListener* mOwned;
};

class ApplicationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mLog = std::make_unique<Ogre::LogManager>();
        mLog->createLog("test.log", true, false, true);
        mRoot = std::make_unique<Ogre::Root>("", "", "");
        app = CApplication::getInstance();
        app->attachEngine(mRoot.get(), nullptr, nullptr);
    }
    void TearDown() override
    {
        CApplication::destroyInstance();
        mRoot.reset();
        mLog.reset();
    }
    void fireFrame()
    {
        Ogre::FrameEvent evt{};
        evt.timeSinceLastFrame = evt.timeSinceLastEvent = 0.016f;
        mRoot->_fireFrameStarted(evt);
        mRoot->_fireFrameEnded(evt);
    }

    testenv::TempDir mDir;
    std::unique_ptr<Ogre::LogManager> mLog;
    std::unique_ptr<Ogre::Root> mRoot;
    CApplication* app = nullptr;
};

} // namespace

TEST_F(ApplicationTest, listenersRunEachFrameUntilReplacedOrHandedOverAndDieAfterTheFrame)
{
    int deaths = 0;
    auto* first = new CountingListener(&deaths);
    auto* second = new CountingListener(&deaths);
    app->setActiveListener(first);
    fireFrame();
    app->setActiveListener(second);
    second->handOverInFrame = true; // and the application hands it over again when cleared
    mRoot->addFrameListener(second);
    fireFrame();
    EXPECT_EQ(first->frames, 1);
    EXPECT_EQ(second->aliveAfterHandOver, 1);
    app->clearActiveListener();
    EXPECT_EQ(app->getActiveListener(), nullptr);
    EXPECT_EQ(deaths, 0) << "deleted before the end of the frame";
    app->flushDestroyList();
    EXPECT_EQ(deaths, 2);
    fireFrame(); // the root no longer knows them
    EXPECT_EQ(app->destroyListSize(), 0u);
}

TEST_F(ApplicationTest, listenersHandedOverByADestructorAreDeletedInTheSameFlush)
{
    int deaths = 0;
    auto* scene = new CountingListener(&deaths);
    app->setActiveListener(new CountingListener(&deaths, scene));
    mRoot->addFrameListener(scene);
    app->clearActiveListener();
    app->flushDestroyList();
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(app->destroyListSize(), 0u);

    // The application's end deletes the active game and the destroy list.
    app->setActiveListener(new CountingListener(&deaths));
    app->destroyLater(new CountingListener(&deaths));
    CApplication::destroyInstance();
    EXPECT_EQ(deaths, 4);
}
