// The controller's mapping: dead zone and response, the drive direction, the cursor's speed, and how
// TInput joins the controller to the keys and buttons the game reads.
#include "input/Gamepad.h"

#include <gtest/gtest.h>

#include <cmath>

#include "input/GE_INPUT.h"

using namespace platform;

namespace {

GamepadSnapshot Pad() {
    GamepadSnapshot pad;
    pad.Connected = true;
    return pad;
}

TEST(GamepadStick, RestsInsideTheDeadZoneAndKeepsTheDirectionBeyondIt) {
    float x = 1.0f, y = 1.0f;
    GamepadStick(5000, -5000, x, y);  // about 0.22 of full deflection: at rest
    EXPECT_EQ(x, 0.0f);
    EXPECT_EQ(y, 0.0f);
    GamepadStick(9000, 0, x, y);  // just past the edge: a small motion, not a jump
    EXPECT_GT(x, 0.0f);
    EXPECT_LT(x, 0.01f);
    GamepadStick(32767, 0, x, y);
    EXPECT_FLOAT_EQ(x, 1.0f);
    GamepadStick(-32768, 0, x, y);
    EXPECT_FLOAT_EQ(x, -1.0f);
    GamepadStick(20000, 20000, x, y);  // a diagonal stays a diagonal
    EXPECT_FLOAT_EQ(x, y);
    GamepadStick(16384, 0, x, y);  // half way: finer than linear
    EXPECT_LT(x, 0.5f);
}

TEST(GamepadDriveKey, TheStrongerAxisWinsAndTheDpadComesFirst) {
    GamepadSnapshot pad = Pad();
    EXPECT_EQ(GamepadDriveKey(pad), -1);
    pad.Axes[GamepadLeftX] = 30000;
    pad.Axes[GamepadLeftY] = -20000;
    EXPECT_EQ(GamepadDriveKey(pad), KEY_D);
    pad.Axes[GamepadLeftY] = -32000;
    EXPECT_EQ(GamepadDriveKey(pad), KEY_W);
    pad.Axes[GamepadLeftX] = -32000;
    pad.Axes[GamepadLeftY] = 3000;
    EXPECT_EQ(GamepadDriveKey(pad), KEY_A);
    pad.Axes[GamepadLeftX] = 0;
    pad.Axes[GamepadLeftY] = 32767;
    EXPECT_EQ(GamepadDriveKey(pad), KEY_S);
    pad.Buttons[GamepadDpadRight] = 0x80;  // the D-pad over the stick
    EXPECT_EQ(GamepadDriveKey(pad), KEY_D);
    pad.Buttons[GamepadDpadUp] = 0x80;  // a level diagonal goes up
    EXPECT_EQ(GamepadDriveKey(pad), KEY_W);
    pad.Connected = false;
    EXPECT_EQ(GamepadDriveKey(pad), -1);
}

TEST(GamepadCursorMotion, AFullStickCrossesTheScreenInASecondInAnyDirection) {
    GamepadSnapshot pad = Pad();
    for (int16_t y : {int16_t(0), int16_t(-32768)}) {  // to the right, then up and to the right
        pad.Axes[GamepadRightX] = 32767;
        pad.Axes[GamepadRightY] = y;
        float x = 0.0f, travelY = 0.0f;
        for (int frame = 0; frame < 60; ++frame) {
            float dx = 0.0f, dy = 0.0f;
            GamepadCursorMotion(pad, false, frame % 2 ? 16 : 17, 800, dx, dy);
            x += dx;
            travelY += dy;
        }
        // 990 ms of frames of 16 and 17 ms.
        EXPECT_NEAR(std::sqrt(x * x + travelY * travelY), 792.0f, 0.5f);
        EXPECT_LE(travelY, 0.0f);
    }

    float dx = 0.0f, dy = 0.0f;
    pad.Axes[GamepadRightY] = 0;
    GamepadCursorMotion(pad, false, 3000, 800, dx, dy);  // a stalled frame moves as 100 ms do
    EXPECT_NEAR(dx, 80.0f, 0.01f);
    pad = Pad();
    pad.Axes[GamepadLeftX] = -32768;
    GamepadCursorMotion(pad, false, 100, 800, dx, dy);  // driving: the left stick is not the cursor
    EXPECT_EQ(dx, 0.0f);
    GamepadCursorMotion(pad, true, 100, 800, dx, dy);  // the menus
    EXPECT_NEAR(dx, -80.0f, 0.01f);
}

TEST(GamepadInput, StartIsEscapeAOrTheTriggerFiresTheStickDrivesButNeverTypes) {
    ScriptedInputDevice device;
    TInput input;
    input.Init(&device);
    GamepadSnapshot pad = Pad();
    pad.Buttons[GamepadStart] = 0x80;
    pad.Axes[GamepadLeftY] = -32000;
    device.SetGamepad(pad);
    input.Poll();
    EXPECT_TRUE(input.KeyDown(KEY_ESCAPE));
    EXPECT_TRUE(input.DriveKeyDown(KEY_W));
    EXPECT_FALSE(input.DriveKeyDown(KEY_S));
    EXPECT_FALSE(input.KeyDown(KEY_W));
    pad.Buttons[GamepadStart] = 0;
    pad.Axes[GamepadLeftY] = 0;
    device.SetGamepad(pad);
    input.Poll();
    EXPECT_TRUE(input.KeyReleased(KEY_ESCAPE));
    // Letting go of the stick (say as a level ends on the name entry) types nothing.
    EXPECT_FALSE(input.KeyReleased(KEY_W));
    EXPECT_EQ(input.TypedChar(), 0);
    EXPECT_FALSE(input.MouseButtonDown(0));

    pad.Axes[GamepadTriggerRight] = 10000;  // a light touch does not fire
    device.SetGamepad(pad);
    input.Poll();
    EXPECT_FALSE(input.MouseButtonDown(0));
    pad.Axes[GamepadTriggerRight] = 30000;
    device.SetGamepad(pad);
    input.Poll();
    EXPECT_TRUE(input.MouseButtonDown(0));
    pad.Axes[GamepadTriggerRight] = 0;
    pad.Buttons[GamepadA] = 0x80;
    device.SetButton(1, true);  // the mouse goes on working beside it
    device.SetGamepad(pad);
    input.Poll();
    EXPECT_TRUE(input.MouseButtonDown(0));
    EXPECT_TRUE(input.MouseButtonDown(1));
    device.SetGamepad(GamepadSnapshot{});  // unplugged: nothing held
    input.Poll();
    EXPECT_TRUE(input.MouseButtonReleased(0));
    EXPECT_TRUE(input.MouseButtonDown(1));
}

}  // namespace
