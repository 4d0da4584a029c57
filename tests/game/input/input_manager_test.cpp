// Forwarding of buffered keyboard and mouse events to the registered listeners.
#include "game/input/input_manager.h"

#include "tests/game/input/scripted_keyboard.h"

#include <gtest/gtest.h>

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

// Registers one more listener from inside its first event, as a menu opening a page might.
class CRegisteringListener : public OIS::KeyListener
{
public:
    CRegisteringListener(CInputManager& input, std::vector<CRecordingListener*> extra)
        : mInput(input), mExtra(std::move(extra))
    {
    }
    bool keyPressed(const OIS::KeyEvent&) override
    {
        for (CRecordingListener* listener : mExtra)
            mInput.addKeyListener(listener);
        mExtra.clear();
        return true;
    }
    bool keyReleased(const OIS::KeyEvent&) override { return true; }

private:
    CInputManager& mInput;
    std::vector<CRecordingListener*> mExtra;
};

TEST_F(InputManagerTest, listenerAddedDuringAnEventIsSafeAndHearsIt)
{
    std::vector<std::unique_ptr<CRecordingListener>> added;
    std::vector<CRecordingListener*> extra;
    for (int i = 0; i < 40; ++i) { // enough to make the listener list grow its storage
        added.push_back(std::make_unique<CRecordingListener>(log, "added", true));
        extra.push_back(added.back().get());
    }
    CRegisteringListener registering(input, extra);
    input.addKeyListener(&registering);
    EXPECT_TRUE(input.keyPressed(OIS::KeyEvent(&keyboard, OIS::KC_C, 'c')));
    EXPECT_EQ(log.size(), 40u);
    EXPECT_EQ(input.getMouse(), nullptr);
    input.setMouseArea(800, 600); // no mouse: nothing to clip, nothing breaks
}

} // namespace
