// Forwarding of buffered keyboard and mouse events to the registered listeners.
#include "game/input/input_manager.h"

#include "tests/game/input/scripted_keyboard.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Records every event it sees under its own name and answers with a fixed result.
class CRecordingListener : public OIS::KeyListener, public OIS::MouseListener
{
public:
    CRecordingListener(std::vector<std::string>& log, std::string name, bool answer)
        : mLog(log), mName(std::move(name)), mAnswer(answer)
    {
    }
    bool keyPressed(const OIS::KeyEvent& evt) override
    {
        if (onKey)
            onKey();
        return note("pressed " + std::to_string(evt.key));
    }
    bool keyReleased(const OIS::KeyEvent& evt) override
    {
        return note("released " + std::to_string(evt.key));
    }
    bool mouseMoved(const OIS::MouseEvent&) override { return note("moved"); }
    bool mousePressed(const OIS::MouseEvent&, OIS::MouseButtonID id) override
    {
        return note("button down " + std::to_string(id));
    }
    bool mouseReleased(const OIS::MouseEvent&, OIS::MouseButtonID id) override
    {
        return note("button up " + std::to_string(id));
    }
    std::function<void()> onKey;

private:
    bool note(const std::string& what)
    {
        mLog.push_back(mName + " " + what);
        return mAnswer;
    }
    std::vector<std::string>& mLog;
    std::string mName;
    bool mAnswer;
};

class InputManagerTest : public ::testing::Test
{
protected:
    void TearDown() override { CInputManager::destroySingleton(); }

    CInputManager& input = CInputManager::getSingleton();
    CScriptedKeyboard keyboard;
    std::vector<std::string> log;
};

TEST_F(InputManagerTest, eventsReachListenersInOrderUntilOneRefusesAndTheManagerAnswersTrue)
{
    CRecordingListener first(log, "first", true), refusing(log, "refusing", false),
        last(log, "last", true), gone(log, "gone", true);
    for (CRecordingListener* l : {&first, &gone, &refusing, &last}) {
        input.addKeyListener(l);
        input.addMouseListener(l);
    }
    input.removeKeyListener(&gone);
    input.removeMouseListener(&gone);
    const OIS::KeyEvent press(&keyboard, OIS::KC_Q, 'q');
    const OIS::MouseEvent event(nullptr, OIS::MouseState());
    EXPECT_TRUE(input.keyPressed(press));
    EXPECT_TRUE(input.keyReleased(press));
    EXPECT_TRUE(input.mouseMoved(event));
    EXPECT_TRUE(input.mousePressed(event, OIS::MB_Right));
    EXPECT_TRUE(input.mouseReleased(event, OIS::MB_Middle));
    EXPECT_EQ(log, (std::vector<std::string>{"first pressed 16", "refusing pressed 16",
                                             "first released 16", "refusing released 16",
                                             "first moved", "refusing moved", "first button down 1",
                                             "refusing button down 1", "first button up 2",
                                             "refusing button up 2"}));
}

TEST_F(InputManagerTest, listenersAddedDuringAnEventAreSafeAndHearIt)
{
    // Enough of them to make the listener list grow its storage, as a menu opening a page might.
    std::vector<std::unique_ptr<CRecordingListener>> added;
    for (int i = 0; i < 40; ++i)
        added.push_back(std::make_unique<CRecordingListener>(log, "added", true));
    CRecordingListener registering(log, "registering", true);
    bool registered = false;
    registering.onKey = [&] {
        for (auto& listener : added)
            if (!registered)
                input.addKeyListener(listener.get());
        registered = true;
    };
    input.addKeyListener(&registering);
    EXPECT_TRUE(input.keyPressed(OIS::KeyEvent(&keyboard, OIS::KC_C, 'c')));
    EXPECT_EQ(log.size(), 41u);
    EXPECT_EQ(input.getMouse(), nullptr);
    input.setMouseArea(800, 600); // no mouse: nothing to clip, nothing breaks
}

} // namespace
