// The controls: binding swaps on a conflict, a mouse button only fires, the actions read the bound
// keys, the controller joins the bindings, and the Controls screen's "what was let go".
#include "input/KeyBindings.h"

#include <gtest/gtest.h>

#include "input/GE_INPUT.h"
#include "platform/DirectInputKeys.h"

using namespace platform;

TEST(KeyBindings, ABoundKeyTakenElsewhereSwapsAndAMouseButtonOnlyFires) {
    TKeyBindings bindings;
    EXPECT_EQ(Bind(bindings, ActionDriveUp, DIK_UP), ActionCount);
    EXPECT_EQ(bindings[ActionDriveUp], DIK_UP);
    // S is down's: down takes up's key, the arrow.
    EXPECT_EQ(Bind(bindings, ActionDriveUp, DIK_S), ActionDriveDown);
    EXPECT_EQ(bindings[ActionDriveUp], DIK_S);
    EXPECT_EQ(bindings[ActionDriveDown], DIK_UP);
    // Fire's left button cannot go to a drive action, so fire cannot take a drive key by swapping.
    EXPECT_EQ(Bind(bindings, ActionFire, DIK_S), ActionCount);
    EXPECT_EQ(bindings[ActionFire], kMouseButtonCode);
    EXPECT_EQ(Bind(bindings, ActionDriveLeft, kMouseButtonCode + 1), ActionCount);
    EXPECT_EQ(bindings[ActionDriveLeft], DIK_A);
    EXPECT_EQ(Bind(bindings, ActionFire, kMouseButtonCode + 2), ActionCount);
    EXPECT_EQ(bindings[ActionFire], kMouseButtonCode + 2);
    EXPECT_EQ(Bind(bindings, ActionFire, kMouseButtonCode + 3), ActionCount) << "no fourth button";
    EXPECT_EQ(bindings[ActionFire], kMouseButtonCode + 2);
    bindings = TKeyBindings{};
    EXPECT_EQ(bindings.Codes,
              (std::array<uint16_t, ActionCount>{DIK_W, DIK_S, DIK_A, DIK_D, kMouseButtonCode, DIK_ESCAPE}));
}

TEST(KeyBindings, InputCodesReadBackAsWritten) {
    for (uint16_t code : {uint16_t{1}, uint16_t{DIK_RIGHT}, uint16_t{255}, uint16_t{kMouseButtonCode},
                          uint16_t{kMouseButtonCode + 2}}) {
        uint16_t back = 0;
        EXPECT_TRUE(ParseInputCode(FormatInputCode(code), back)) << FormatInputCode(code);
        EXPECT_EQ(back, code);
    }
    uint16_t code = 7;
    for (const char* bad : {"0", "256", "mouse0", "mouse4", "mouse", "W", "", "-3"}) {
        EXPECT_FALSE(ParseInputCode(bad, code)) << bad;
    }
    EXPECT_EQ(code, 7);
}

TEST(KeyBindings, AKeyOfTheOtherPlayerSwapsAcrossPlayers_AMouseButtonNeverReachesTheSecond) {
    TKeyBindings first;
    TSecondKeyBindings second;
    EXPECT_EQ(BindEither(first, second, {1, SecondDriveUp}, DIK_W), (TBindingSlot{0, ActionDriveUp}));
    EXPECT_EQ(second[SecondDriveUp], DIK_W);
    EXPECT_EQ(first[ActionDriveUp], DIK_UP) << "the first player takes the arrow the second had";
    const TSecondKeyBindings before = second;
    EXPECT_EQ(BindEither(first, second, {0, ActionFire}, DIK_COMMA), kNoSlot)
        << "the left button cannot move to the second player";
    EXPECT_EQ(first[ActionFire], kMouseButtonCode);
    EXPECT_EQ(BindEither(first, second, {1, SecondFire}, kMouseButtonCode), kNoSlot);
    EXPECT_EQ(second, before);
}

TEST(KeyBindings, ActionsFollowTheBindingsAndTheControllerJoinsThem) {
    ScriptedInputDevice device;
    TInput input;
    input.Init(&device);
    input.Bindings.Codes[ActionDriveUp] = DIK_UP;
    input.Bindings.Codes[ActionFire] = DIK_SPACE;
    input.Bindings.Codes[ActionPause] = DIK_P;
    device.SetKey(DIK_W, true);
    device.SetButton(0, true);
    input.Poll();
    EXPECT_FALSE(input.DriveActionDown(ActionDriveUp)) << "W is no longer up";
    EXPECT_FALSE(input.ActionDown(ActionFire)) << "nor the left button fire";
    device.ReleaseAll();
    device.SetKey(DIK_UP, true);
    device.SetKey(DIK_SPACE, true);
    input.Poll();
    EXPECT_TRUE(input.DriveActionDown(ActionDriveUp));
    EXPECT_TRUE(input.ActionDown(ActionFire));
    device.ReleaseAll();
    input.Poll();
    EXPECT_EQ(input.ReleasedInputCode(), DIK_SPACE) << "the first let go, in scancode order";

    GamepadSnapshot pad;
    pad.Connected = true;
    pad.Buttons[GamepadStart] = 0x80;
    pad.Buttons[GamepadA] = 0x80;
    pad.Buttons[GamepadDpadUp] = 0x80;
    device.SetGamepad(pad);
    input.Poll();
    EXPECT_TRUE(input.ActionDown(ActionPause));
    EXPECT_TRUE(input.ActionDown(ActionFire));
    EXPECT_TRUE(input.DriveActionDown(ActionDriveUp));
    EXPECT_TRUE(input.KeyDown(KEY_ESCAPE)) << "the menus still see Escape";
    EXPECT_TRUE(input.MouseButtonDown(0)) << "and the left button";
    device.SetGamepad(GamepadSnapshot{});
    input.Poll();
    EXPECT_TRUE(input.ActionReleased(ActionPause));
    input.Release();
}
