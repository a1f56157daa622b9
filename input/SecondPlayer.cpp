#include "input/SecondPlayer.h"

#include "input/Gamepad.h"

bool SecondPlayerDriveKeyDown(const TInput& input, int driveKey) {
    int arrow = -1;
    switch (driveKey) {
        case KEY_W:
            arrow = KEY_UP;
            break;
        case KEY_A:
            arrow = KEY_LEFT;
            break;
        case KEY_S:
            arrow = KEY_DOWN;
            break;
        case KEY_D:
            arrow = KEY_RIGHT;
            break;
        default:
            return false;
    }
    return input.KeyDown(arrow) || GamepadDriveKey(input.SecondPlayerPad()) == driveKey;
}

bool SecondPlayerFires(const TInput& input) {
    return input.KeyDown(KEY_RIGHT_CTRL) || input.KeyDown(KEY_NUMPAD_ENTER) ||
           GamepadFires(input.SecondPlayerPad());
}

int SecondPlayerTurretTurn(const TInput& input) {
    return (input.KeyDown(KEY_COMMA) ? 1 : 0) - (input.KeyDown(KEY_PERIOD) ? 1 : 0);
}

bool SecondPlayerAimsWithPad(const TInput& input) {
    return input.SecondPlayerPad().Connected;
}
