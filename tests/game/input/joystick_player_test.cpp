// Joystick players on SDL's virtual joysticks, read through SDL's own joystick code.
#include "game/input/joystick_player.h"
#include "game/input/menu_hooks.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <memory>

namespace {
class JoystickPlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        for (int i = 0; i < 2; ++i) {
            SDL_VirtualJoystickDesc desc{};
            desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
            desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
            desc.nhats = 1;
            desc.nbuttons = 11;
            desc.name = "Virtual pad";
            const int index = SDL_JoystickAttachVirtualEx(&desc);
            ASSERT_GE(index, 0) << SDL_GetError();
            pads[i] = SDL_JoystickOpen(index);
        }
    }
    void TearDown() override
    {
        for (SDL_Joystick* pad : pads)
            SDL_JoystickClose(pad);
        while (SDL_NumJoysticks() > 0)
            SDL_JoystickDetachVirtual(0);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }

    static void frame(CJoystickPlayer& player, float seconds = 1.0f / 60.0f)
    {
        Ogre::FrameEvent evt{};
        evt.timeSinceLastFrame = seconds;
        player.frameStarted(evt);
    }

    SDL_Joystick* pads[2] = {nullptr, nullptr};
};

TEST_F(JoystickPlayerTest, theHatSteersOnBothAxes)
{
    CJoystickPlayer player;
    ASSERT_TRUE(player.initInput());
    EXPECT_EQ(player.getJoystickName(), "Virtual pad");
    const struct
    {
        Uint8 hat;
        Ogre::Vector3 direction;
    } rows[] = {{SDL_HAT_RIGHTUP, {40, 0, -40}},
                {SDL_HAT_UP, {0, 0, -40}},
                {SDL_HAT_LEFTDOWN, {-40, 0, 40}},
                {SDL_HAT_RIGHT, {40, 0, 0}},
                {SDL_HAT_CENTERED, {0, 0, 0}}};
    for (const auto& row : rows) {
        SDL_JoystickSetVirtualHat(pads[0], 0, row.hat);
        frame(player);
        Ogre::Vector3 direction;
        player.getDirection(direction);
        EXPECT_EQ(direction, row.direction) << int(row.hat);
    }
}

TEST_F(JoystickPlayerTest, theRetryButtonAsksForOneNewTryEachTimeItIsPressed)
{
    CJoystickPlayer player;
    ASSERT_TRUE(player.initInput());
    int retries = 0;
    setRetryHook([&retries] { ++retries; });
    setIngameMenuToggleHook([] {});
    // Button 1 held over frames, let go, pressed again; button 0 (the menu) is not a retry.
    const struct
    {
        int button;
        Uint8 state;
        int retries;
    } rows[] = {{1, 1, 1}, {1, 1, 1}, {1, 0, 1}, {1, 1, 2}, {1, 0, 2}, {0, 1, 2}};
    for (const auto& row : rows) {
        SDL_JoystickSetVirtualButton(pads[0], row.button, row.state);
        frame(player);
        EXPECT_EQ(retries, row.retries) << "button " << row.button << " " << int(row.state);
    }
    setRetryHook({});
    setIngameMenuToggleHook({});
}

TEST_F(JoystickPlayerTest, joysticksAreHandedOutInTurnAndGivenBack)
{
    auto first = std::make_unique<CJoystickPlayer>();
    auto second = std::make_unique<CJoystickPlayer>();
    CJoystickPlayer third;
    ASSERT_TRUE(first->initInput());
    ASSERT_TRUE(second->initInput());
    EXPECT_EQ(first->getJoystickIndex(), 0);
    EXPECT_EQ(second->getJoystickIndex(), 1);
    EXPECT_FALSE(third.initInput()); // two joysticks, both taken
    EXPECT_EQ(CJoystickPlayer::openedJoysticks(), 2);

    // The first player's joystick is free again, and only that one.
    first.reset();
    EXPECT_TRUE(third.initInput());
    EXPECT_EQ(third.getJoystickIndex(), 0);
    second.reset();
    EXPECT_EQ(CJoystickPlayer::openedJoysticks(), 1);
}
} // namespace
