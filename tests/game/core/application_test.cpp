// The application's listener bookkeeping on a headless Ogre root: pause forwarding to the
// active listener, the destroy list, and the running flag that ends the loop.
#include "game/core/application.h"

#include "test_env.h"

#include <Ogre.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Counts its frames and pauses. It may hand itself to the destroy list inside its own frame, and
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
    void onPause() override { ++pauses; }
    void onResume() override { ++resumes; }
    bool updateRunning(const Ogre::FrameEvent&) override
    {
        ++frames;
        if (handOverInFrame) {
            CApplication::getInstance()->destroyLater(this);
            aliveAfterHandOver = frames; // touching members after the hand-over must be safe
        }
        return true;
    }
    int pauses = 0, resumes = 0, frames = 0, aliveAfterHandOver = 0;
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

TEST_F(ApplicationTest, pauseAndResumeReachTheActiveListenerOnceAndNotTheApplicationFrame)
{
    app->setPaused(true); // without a game only the application's flag changes
    EXPECT_TRUE(app->isPaused());
    Ogre::FrameEvent evt{};
    EXPECT_TRUE(app->frameStarted(evt)) << "the application's own frame ignores its pause flag";
    app->setPaused(false);

    auto* game = new CountingListener();
    app->setActiveListener(game);
    app->setPaused(true);
    EXPECT_TRUE(game->isPaused());
    app->setPaused(false);
    EXPECT_FALSE(game->isPaused());
    game->setPaused(true); // a game that paused itself is not paused a second time
    app->setPaused(true);
    app->setPaused(false);
    EXPECT_EQ(game->pauses, 2);
    EXPECT_EQ(game->resumes, 2);
}

TEST_F(ApplicationTest, activeListenerRunsEachFrameUntilReplacedOrClearedAndDiesAfterIt)
{
    int deaths = 0;
    auto* first = new CountingListener(&deaths);
    auto* second = new CountingListener(&deaths);
    app->setActiveListener(first);
    fireFrame();
    app->setActiveListener(second);
    fireFrame();
    EXPECT_EQ(first->frames, 1);
    EXPECT_EQ(second->frames, 1);
    app->clearActiveListener();
    EXPECT_EQ(app->getActiveListener(), nullptr);
    EXPECT_EQ(deaths, 0) << "deleted before the end of the frame";
    fireFrame();
    EXPECT_EQ(second->frames, 1) << "still called after it was cleared";
    app->destroyLater(second); // handed over twice, deleted once
    app->flushDestroyList();
    EXPECT_EQ(deaths, 2);
}

TEST_F(ApplicationTest, listenerMayHandItselfOverInsideItsOwnFrameAndDiesAfterTheFrame)
{
    int deaths = 0;
    auto* l = new CountingListener(&deaths);
    l->handOverInFrame = true;
    mRoot->addFrameListener(l);
    fireFrame();
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(l->aliveAfterHandOver, 1);
    app->flushDestroyList();
    EXPECT_EQ(deaths, 1);
    fireFrame(); // the root no longer knows it
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

TEST_F(ApplicationTest, closingTheWindowMakesTheNextFrameEndTheLoop)
{
    Ogre::FrameEvent evt{};
    EXPECT_TRUE(app->frameStarted(evt));
    EXPECT_TRUE(app->windowClosing(nullptr));
    app->windowClosed(nullptr);
    EXPECT_FALSE(app->isRunning());
    EXPECT_FALSE(app->frameStarted(evt));
}
