#include "input/Gamepad.h"

#include <algorithm>
#include <cmath>

#include "input/GE_INPUT.h"

namespace {

bool Down(const platform::GamepadSnapshot& pad, platform::GamepadButton button) {
    return (pad.Buttons[button] & 0x80) != 0;
}

float AxisShare(int16_t raw) {
    // -32768 would reach slightly past -1.
    return std::max(static_cast<float>(raw) / 32767.0f, -1.0f);
}

}  // namespace

void GamepadStick(int16_t x, int16_t y, float& outX, float& outY) {
    outX = AxisShare(x);
    outY = AxisShare(y);
    float length = std::sqrt(outX * outX + outY * outY);
    if (length <= kGamepadDeadZone) {
        outX = outY = 0.0f;
        return;
    }
    // The deflection past the dead zone, 0..1, squared; the direction kept.
    float past = std::min((length - kGamepadDeadZone) / (1.0f - kGamepadDeadZone), 1.0f);
    float scale = past * past / length;
    outX *= scale;
    outY *= scale;
}

int GamepadDriveKey(const platform::GamepadSnapshot& pad) {
    if (!pad.Connected) {
        return -1;
    }
    float x = (Down(pad, platform::GamepadDpadRight) ? 1.0f : 0.0f) -
              (Down(pad, platform::GamepadDpadLeft) ? 1.0f : 0.0f);
    float y = (Down(pad, platform::GamepadDpadDown) ? 1.0f : 0.0f) -
              (Down(pad, platform::GamepadDpadUp) ? 1.0f : 0.0f);
    if (x == 0.0f && y == 0.0f) {
        GamepadStick(pad.Axes[platform::GamepadLeftX], pad.Axes[platform::GamepadLeftY], x, y);
    }
    if (x == 0.0f && y == 0.0f) {
        return -1;
    }
    if (std::fabs(y) >= std::fabs(x)) {
        return y < 0.0f ? KEY_W : KEY_S;
    }
    return x > 0.0f ? KEY_D : KEY_A;
}

bool GamepadFires(const platform::GamepadSnapshot& pad) {
    return pad.Connected && (Down(pad, platform::GamepadA) ||
                             AxisShare(pad.Axes[platform::GamepadTriggerRight]) > kGamepadTriggerPress);
}

void GamepadCursorMotion(const platform::GamepadSnapshot& pad, bool leftStickMovesCursor, int32_t dtMs,
                         int32_t screenWidth, float& dx, float& dy) {
    dx = dy = 0.0f;
    if (!pad.Connected || dtMs <= 0) {
        return;
    }
    float x = 0.0f;
    float y = 0.0f;
    GamepadStick(pad.Axes[platform::GamepadRightX], pad.Axes[platform::GamepadRightY], x, y);
    if (leftStickMovesCursor) {
        float leftX = 0.0f;
        float leftY = 0.0f;
        GamepadStick(pad.Axes[platform::GamepadLeftX], pad.Axes[platform::GamepadLeftY], leftX, leftY);
        x = std::clamp(x + leftX, -1.0f, 1.0f);
        y = std::clamp(y + leftY, -1.0f, 1.0f);
    }
    // A stalled frame (a window being moved, a slow disk) must not throw the cursor across the screen.
    dtMs = std::min(dtMs, kGamepadLongestFrame);
    float pixels =
        kGamepadScreensPerSecond * static_cast<float>(screenWidth) * static_cast<float>(dtMs) / 1000.0f;
    dx = x * pixels;
    dy = y * pixels;
}
