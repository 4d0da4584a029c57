// The application's listener bookkeeping on a headless Ogre root: pause forwarding to the
// active listener, the destroy list, and the running flag that ends the loop.
#include "game/core/application.h"

#include "test_env.h"

#include <Ogre.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

class CountingListener : public CExtFrameListener
{
public:
    explicit CountingListener(int* deaths = nullptr) : mDeaths(deaths) {}
    ~CountingListener() override
    {
        if (mDeaths)
            ++*mDeaths;
    }
    void onPause() override { ++pauses; }
    void onResume() override { ++resumes; }
    bool updateRunning(const Ogre::FrameEvent&) override
    {
        ++frames;
        return true;
    }

    int pauses = 0;
    int resumes = 0;
    int frames = 0;

private:
    int* mDeaths;
};

// Hands itself to the destroy list from inside its own frame callback.
class SelfRemovingListener : public CountingListener
{
public:
    using CountingListener::CountingListener;
    bool updateRunning(const Ogre::FrameEvent& evt) override
    {
        CountingListener::updateRunning(evt);
        CApplication::getInstance()->destroyLater(this);
        aliveAfterHandOver = frames; // touching members after the hand-over must be safe
        return true;
    }
    int aliveAfterHandOver = 0;
};

// A listener whose destructor hands another listener over, as a game state does with its scene.
class OwnerListener : public CountingListener
{
public:
    OwnerListener(int* deaths, CExtFrameListener* owned) : CountingListener(deaths), mOwned(owned)
    {
    }
    ~OwnerListener() override { CApplication::getInstance()->destroyLater(mOwned); }

private:
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

TEST_F(ApplicationTest, pausingWithoutAGameChangesOnlyTheApplicationsFlag)
{
    app->setPaused(true);
    EXPECT_TRUE(app->isPaused());
    app->setPaused(false);
    EXPECT_FALSE(app->isPaused());
}

TEST_F(ApplicationTest, pauseAndResumeAreForwardedToTheActiveListenerOnce)
{
    int deaths = 0;
    auto* game = new CountingListener(&deaths);
    app->setActiveListener(game);

    app->setPaused(true);
    EXPECT_TRUE(game->isPaused());
    EXPECT_EQ(game->pauses, 1);
    app->setPaused(false);
    EXPECT_FALSE(game->isPaused());
    EXPECT_EQ(game->resumes, 1);

    // A game that paused itself is not paused a second time.
    game->setPaused(true);
    app->setPaused(true);
    EXPECT_EQ(game->pauses, 2);
    app->setPaused(false);
    EXPECT_EQ(game->resumes, 2);
}

TEST_F(ApplicationTest, activeListenerRunsEachFrameUntilCleared)
{
    int deaths = 0;
    auto* game = new CountingListener(&deaths);
    app->setActiveListener(game);
    fireFrame();
    fireFrame();
    EXPECT_EQ(game->frames, 2);

    app->clearActiveListener();
    EXPECT_EQ(app->getActiveListener(), nullptr);
    EXPECT_EQ(deaths, 0) << "deleted before the end of the frame";
    fireFrame();
    EXPECT_EQ(game->frames, 2) << "still called after it was cleared";
    app->flushDestroyList();
    EXPECT_EQ(deaths, 1);
}

TEST_F(ApplicationTest, aNewActiveListenerHandsThePreviousOneToTheDestroyList)
{
    int deaths = 0;
    auto* first = new CountingListener(&deaths);
    auto* second = new CountingListener(&deaths);
    app->setActiveListener(first);
    app->setActiveListener(second);
    fireFrame();
    EXPECT_EQ(first->frames, 0);
    EXPECT_EQ(second->frames, 1);
    app->flushDestroyList();
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(app->getActiveListener(), second);
}

TEST_F(ApplicationTest, listenerMayHandItselfOverInsideItsOwnFrameAndDiesAfterTheFrame)
{
    int deaths = 0;
    auto* l = new SelfRemovingListener(&deaths);
    mRoot->addFrameListener(l);
    fireFrame();
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(l->aliveAfterHandOver, 1);
    EXPECT_EQ(app->destroyListSize(), 1u);
    app->flushDestroyList();
    EXPECT_EQ(deaths, 1);
    fireFrame(); // the root no longer knows it
    EXPECT_EQ(app->destroyListSize(), 0u);
}

TEST_F(ApplicationTest, listenerHandedOverTwiceIsDeletedOnce)
{
    int deaths = 0;
    auto* l = new CountingListener(&deaths);
    app->setActiveListener(l);
    app->destroyLater(l);
    app->clearActiveListener();
    app->flushDestroyList();
    EXPECT_EQ(deaths, 1);
}

TEST_F(ApplicationTest, listenersHandedOverByADestructorAreDeletedInTheSameFlush)
{
    int deaths = 0;
    auto* scene = new CountingListener(&deaths);
    auto* game = new OwnerListener(&deaths, scene);
    app->setActiveListener(game);
    mRoot->addFrameListener(scene);
    app->clearActiveListener();
    app->flushDestroyList();
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(app->destroyListSize(), 0u);
}

TEST_F(ApplicationTest, destructorDeletesTheActiveGameAndTheDestroyList)
{
    int deaths = 0;
    app->setActiveListener(new CountingListener(&deaths));
    app->destroyLater(new CountingListener(&deaths));
    CApplication::destroyInstance();
    EXPECT_EQ(deaths, 2);
}

TEST_F(ApplicationTest, closingTheWindowMakesTheNextFrameEndTheLoop)
{
    Ogre::FrameEvent evt{};
    EXPECT_TRUE(app->frameStarted(evt));
    EXPECT_TRUE(app->windowClosing(nullptr));
    app->windowClosed(nullptr);
    EXPECT_FALSE(app->isRunning());
    EXPECT_FALSE(app->frameStarted(evt));
}

TEST_F(ApplicationTest, applicationFrameIgnoresItsOwnPauseFlag)
{
    app->setPaused(true);
    Ogre::FrameEvent evt{};
    EXPECT_TRUE(app->frameStarted(evt));
}
