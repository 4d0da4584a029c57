// A keyboard for tests: it reports the keys the test holds down, nothing else.
#pragma once

#include <OISKeyboard.h>

#include <cstring>
#include <set>
#include <string>

class CScriptedKeyboard : public OIS::Keyboard
{
public:
    CScriptedKeyboard() : OIS::Keyboard("scripted", false, 0, nullptr) {}

    void hold(int key) { mHeld.insert(key); }
    void release(int key) { mHeld.erase(key); }
    void releaseAll() { mHeld.clear(); }

    bool isKeyDown(OIS::KeyCode key) const override { return mHeld.count(key) > 0; }
    const std::string& getAsString(OIS::KeyCode) override { return mNoName; }
    void copyKeyStates(char keys[256]) const override
    {
        std::memset(keys, 0, 256);
        for (int key : mHeld)
            if (key >= 0 && key < 256)
                keys[key] = 1;
    }
    void setBuffered(bool) override {}
    void capture() override {}
    OIS::Interface* queryInterface(OIS::Interface::IType) override { return nullptr; }
    void _initialize() override {}

private:
    std::set<int> mHeld;
    std::string mNoName;
};
