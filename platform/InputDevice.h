// Raw keyboard and mouse snapshots, as DirectInput 8 gives them: 256 key bytes indexed by DirectInput
// key code (DIK_*; bit 7 set while the key is down), and the mouse's relative motion since the last
// read with four button bytes (bit 7 set while down). Beside them the state of one game controller in
// the standard layout (an Xbox-style pad). TInput builds on these; together with the frame's
// milliseconds they are everything the game reads from the player.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

struct KeyboardSnapshot {
    std::array<uint8_t, 256> Keys{};
};

struct MouseSnapshot {
    int32_t DeltaX = 0;
    int32_t DeltaY = 0;
    int32_t DeltaWheel = 0;
    std::array<uint8_t, 4> Buttons{};  // 0 left, 1 right, 2 middle
};

// Axes of a game controller: sticks -32768..32767 (x to the right, y downwards), triggers 0..32767.
enum GamepadAxis : uint8_t {
    GamepadLeftX,
    GamepadLeftY,
    GamepadRightX,
    GamepadRightY,
    GamepadTriggerLeft,
    GamepadTriggerRight,
    GamepadAxisCount
};

enum GamepadButton : uint8_t {
    GamepadA,
    GamepadB,
    GamepadX,
    GamepadY,
    GamepadBack,
    GamepadGuide,
    GamepadStart,
    GamepadLeftStick,
    GamepadRightStick,
    GamepadLeftShoulder,
    GamepadRightShoulder,
    GamepadDpadUp,
    GamepadDpadDown,
    GamepadDpadLeft,
    GamepadDpadRight,
    GamepadButtonCount
};

// Nothing connected: Connected false, everything zero.
struct GamepadSnapshot {
    bool Connected = false;
    std::array<int16_t, GamepadAxisCount> Axes{};
    std::array<uint8_t, GamepadButtonCount> Buttons{};  // bit 7 set while down
};

// Everything the game reads from the input devices in one frame: what a demo records per frame. A
// second controller, when one is attached beside the first, is SecondGamepad; it is recorded apart
// (WriteGamepadSnapshot), so a session without one records what it always did.
struct InputSnapshot {
    KeyboardSnapshot Keyboard;
    MouseSnapshot Mouse;
    GamepadSnapshot Gamepad;
    GamepadSnapshot SecondGamepad;
};

// The one serializer of InputSnapshot, field by field, little-endian. Only bit 7 of a key or button
// byte is kept (the only bit the game reads), so a key reads back as 0x80 or 0. A field added to the
// snapshot is added here with a new version; older versions read on with the new field at its default.
inline constexpr uint32_t kInputSnapshotVersion = 2;
void WriteInputSnapshot(const InputSnapshot& snapshot, std::string& out);
// Reads one snapshot written in `version` at `offset`, which moves past it. False (offset unchanged)
// when the bytes end inside it or the version is unknown.
bool ReadInputSnapshot(std::string_view bytes, std::size_t& offset, uint32_t version,
                       InputSnapshot& snapshot);
// One controller alone, as version 2 of the snapshot holds it; the reader is false (offset unchanged)
// when the bytes end inside it.
void WriteGamepadSnapshot(const GamepadSnapshot& pad, std::string& out);
bool ReadGamepadSnapshot(std::string_view bytes, std::size_t& offset, GamepadSnapshot& pad);

class InputDevice {
public:
    virtual ~InputDevice() = default;
    // False when the device cannot be read now (focus lost); the snapshot is then left as it was.
    virtual bool ReadKeyboard(KeyboardSnapshot& snapshot) = 0;
    virtual bool ReadMouse(MouseSnapshot& snapshot) = 0;
    // The game controller in use, if any. A device without controllers reads as none connected.
    virtual bool ReadGamepad(GamepadSnapshot& snapshot) {
        snapshot = GamepadSnapshot{};
        return true;
    }
    // A second controller attached beside the first, if any. A controller keeps its place (first or
    // second) while it stays attached; one attached later takes the free place, the first one first.
    virtual bool ReadSecondGamepad(GamepadSnapshot& snapshot) {
        snapshot = GamepadSnapshot{};
        return true;
    }
};

// A device fed by the test or by a replay: whatever was set is read until changed; mouse motion is
// consumed by the read that returns it.
class ScriptedInputDevice final : public InputDevice {
public:
    void SetKey(uint8_t dik, bool down) { keys_.Keys[dik] = down ? 0x80 : 0; }
    void SetButton(int button, bool down) { buttons_[button] = down ? 0x80 : 0; }
    void MoveMouse(int32_t dx, int32_t dy) {
        dx_ += dx;
        dy_ += dy;
    }
    void TurnWheel(int32_t notches) { wheel_ += notches; }
    void ReleaseAll() {
        keys_ = {};
        buttons_ = {};
    }
    void SetGamepad(const GamepadSnapshot& pad) { pad_ = pad; }
    void SetSecondGamepad(const GamepadSnapshot& pad) { secondPad_ = pad; }

    bool ReadKeyboard(KeyboardSnapshot& snapshot) override {
        snapshot = keys_;
        return true;
    }
    bool ReadMouse(MouseSnapshot& snapshot) override {
        snapshot.DeltaX = dx_;
        snapshot.DeltaY = dy_;
        snapshot.DeltaWheel = wheel_;
        snapshot.Buttons = buttons_;
        dx_ = dy_ = wheel_ = 0;
        return true;
    }
    bool ReadGamepad(GamepadSnapshot& snapshot) override {
        snapshot = pad_;
        return true;
    }
    bool ReadSecondGamepad(GamepadSnapshot& snapshot) override {
        snapshot = secondPad_;
        return true;
    }

private:
    KeyboardSnapshot keys_;
    GamepadSnapshot pad_;
    GamepadSnapshot secondPad_;
    std::array<uint8_t, 4> buttons_{};
    int32_t dx_ = 0;
    int32_t dy_ = 0;
    int32_t wheel_ = 0;
};

}  // namespace platform
