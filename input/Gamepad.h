// What a game controller does in the game, worked out from its raw state (platform/InputDevice.h) and
// the frame's milliseconds only, so a recorded frame plays back the same way:
// - the left stick or the D-pad drives as W, A, S, D (the D-pad first; the stronger axis wins, a D-pad
//   diagonal goes up or down);
// - the right stick moves the software cursor; in the menus the left stick does too;
// - A or the right trigger is the left mouse button, Start is Escape.
// A stick counts only outside a round dead zone; beyond it the deflection is rescaled to 0..1 and
// squared, so small motions aim finely and a full one crosses the screen's width in a second.
#pragma once

#include <cstdint>

#include "platform/InputDevice.h"

// Share of a stick's full deflection (radially) that counts as the stick at rest.
inline constexpr float kGamepadDeadZone = 0.25f;
// A trigger pulled past this share of its travel fires.
inline constexpr float kGamepadTriggerPress = 0.5f;
// A fully deflected stick moves the cursor this many screen widths per second.
inline constexpr float kGamepadScreensPerSecond = 1.0f;
// Longer frames move the cursor as far as a frame of this many milliseconds.
inline constexpr int32_t kGamepadLongestFrame = 100;

// A stick's deflection after the dead zone and the response curve: each axis -1..1, (0, 0) inside the
// dead zone. `x` and `y` are the raw axis values.
void GamepadStick(int16_t x, int16_t y, float& outX, float& outY);

// The KeyIndex (KEY_W, KEY_A, KEY_S, KEY_D) the pad drives with, or -1 for none.
int GamepadDriveKey(const platform::GamepadSnapshot& pad);

// True while A is down or the right trigger is pulled far enough.
bool GamepadFires(const platform::GamepadSnapshot& pad);

// The cursor's motion in pixels for one frame of `dtMs` on a screen `screenWidth` pixels wide: the
// right stick, and the left stick as well when `leftStickMovesCursor` (the menus).
void GamepadCursorMotion(const platform::GamepadSnapshot& pad, bool leftStickMovesCursor, int32_t dtMs,
                         int32_t screenWidth, float& dx, float& dy);
