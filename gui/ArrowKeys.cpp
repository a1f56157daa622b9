#include "gui/ArrowKeys.h"

#include "input/GE_INPUT.h"
#include "platform/DirectInputKeys.h"

int TArrowKeys::Poll(const TInput& input) {
    const platform::GamepadSnapshot& pad = input.Gamepad();
    const bool padLeft = pad.Connected && (pad.Buttons[platform::GamepadDpadLeft] & 0x80) != 0;
    const bool padRight = pad.Connected && (pad.Buttons[platform::GamepadDpadRight] & 0x80) != 0;
    const bool padLeftReleased = PadLeft_ && !padLeft;
    const bool padRightReleased = PadRight_ && !padRight;
    PadLeft_ = padLeft;
    PadRight_ = padRight;
    if (input.CodeReleased(platform::DIK_LEFT) || padLeftReleased) {
        return -1;
    }
    if (input.CodeReleased(platform::DIK_RIGHT) || padRightReleased) {
        return 1;
    }
    return 0;
}
