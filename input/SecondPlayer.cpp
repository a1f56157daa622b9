#include "input/SecondPlayer.h"

#include "input/Gamepad.h"

bool SecondPlayerDriveKeyDown(const TInput& input, int driveKey) {
    TSecondAction action = SecondActionCount;
    switch (driveKey) {
        case KEY_W:
            action = SecondDriveUp;
            break;
        case KEY_A:
            action = SecondDriveLeft;
            break;
        case KEY_S:
            action = SecondDriveDown;
            break;
        case KEY_D:
            action = SecondDriveRight;
            break;
        default:
            return false;
    }
    return input.CodeDown(input.SecondBindings[action]) ||
           GamepadDriveKey(input.SecondPlayerPad()) == driveKey;
}

bool SecondPlayerFires(const TInput& input) {
    return input.CodeDown(input.SecondBindings[SecondFire]) || input.KeyDown(KEY_NUMPAD_ENTER) ||
           GamepadFires(input.SecondPlayerPad());
}

int SecondPlayerTurretTurn(const TInput& input) {
    return (input.CodeDown(input.SecondBindings[SecondTurretLeft]) ? 1 : 0) -
           (input.CodeDown(input.SecondBindings[SecondTurretRight]) ? 1 : 0);
}

bool SecondPlayerAimsWithPad(const TInput& input) {
    return input.SecondPlayerPad().Connected;
}
