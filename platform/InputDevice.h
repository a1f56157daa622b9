// Raw keyboard and mouse snapshots, as DirectInput 8 gives them: 256 key bytes indexed by DirectInput
// key code (DIK_*; bit 7 set while the key is down), and the mouse's relative motion since the last
// read with four button bytes (bit 7 set while down). TInput builds on these.
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

// Everything the game reads from the input devices in one frame: what a demo records per frame.
struct InputSnapshot {
    KeyboardSnapshot Keyboard;
    MouseSnapshot Mouse;
};

// The one serializer of InputSnapshot, field by field, little-endian. Only bit 7 of a key or button
// byte is kept (the only bit the game reads), so a key reads back as 0x80 or 0. A field added to the
// snapshot is added here with a new version; older versions read on with the new field at its default.
inline constexpr uint32_t kInputSnapshotVersion = 1;
void WriteInputSnapshot(const InputSnapshot& snapshot, std::string& out);
// Reads one snapshot written in `version` at `offset`, which moves past it. False (offset unchanged)
// when the bytes end inside it or the version is unknown.
bool ReadInputSnapshot(std::string_view bytes, std::size_t& offset, uint32_t version,
                       InputSnapshot& snapshot);

class InputDevice {
public:
    virtual ~InputDevice() = default;
    // False when the device cannot be read now (focus lost); the snapshot is then left as it was.
    virtual bool ReadKeyboard(KeyboardSnapshot& snapshot) = 0;
    virtual bool ReadMouse(MouseSnapshot& snapshot) = 0;
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
    void ReleaseAll() {
        keys_ = {};
        buttons_ = {};
    }

    bool ReadKeyboard(KeyboardSnapshot& snapshot) override {
        snapshot = keys_;
        return true;
    }
    bool ReadMouse(MouseSnapshot& snapshot) override {
        snapshot.DeltaX = dx_;
        snapshot.DeltaY = dy_;
        snapshot.DeltaWheel = 0;
        snapshot.Buttons = buttons_;
        dx_ = dy_ = 0;
        return true;
    }

private:
    KeyboardSnapshot keys_;
    std::array<uint8_t, 4> buttons_{};
    int32_t dx_ = 0;
    int32_t dy_ = 0;
};

}  // namespace platform
