// The second player's controls in a game for two, over the frame's poll (input/GE_INPUT.h): the keys of
// TInput::SecondBindings (by default the arrow keys drive, Right Ctrl fires, `,` and `.` turn the
// turret; keypad Enter always fires too); the player's own gamepad,
// when one was handed to them, drives with its left stick or D-pad, fires with A or the right trigger,
// and aims with its right stick (the shell moves the player's own cursor with it).
#pragma once

#include "input/GE_INPUT.h"

// Whether the second player drives the way of the first player's drive key `driveKey` (KEY_W up, KEY_A
// left, KEY_S down, KEY_D right): its arrow key, or its gamepad's stick or D-pad.
bool SecondPlayerDriveKeyDown(const TInput& input, int driveKey);
bool SecondPlayerFires(const TInput& input);
// +1 while the turret-left key alone is held (anticlockwise seen from above), -1 while the
// turret-right key alone is, else 0.
int SecondPlayerTurretTurn(const TInput& input);
// The second player has a gamepad and aims with its cursor instead of `,` and `.`.
bool SecondPlayerAimsWithPad(const TInput& input);
