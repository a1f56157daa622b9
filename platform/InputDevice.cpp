#include "platform/InputDevice.h"

namespace platform {

namespace {

constexpr std::size_t kKeyBitBytes = 256 / 8;
constexpr std::size_t kSnapshotBytesV1 = kKeyBitBytes + 3 * 4 + 1;
// Version 2 adds the gamepad: connected (u8), the axes (i16 each), the buttons (one bit each, u16).
constexpr std::size_t kGamepadBytes = 1 + 2 * GamepadAxisCount + 2;
static_assert(GamepadButtonCount <= 16, "the gamepad's buttons are recorded in 16 bits");

void PutInt32(std::string& out, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((bits >> shift) & 0xFF));
    }
}

void PutInt16(std::string& out, int16_t value) {
    const auto bits = static_cast<uint16_t>(value);
    out.push_back(static_cast<char>(bits & 0xFF));
    out.push_back(static_cast<char>(bits >> 8));
}

int16_t GetInt16(std::string_view bytes, std::size_t at) {
    return static_cast<int16_t>(
        static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | (static_cast<uint8_t>(bytes[at + 1]) << 8)));
}

int32_t GetInt32(std::string_view bytes, std::size_t at) {
    uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) {
        bits = (bits << 8) | static_cast<uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return static_cast<int32_t>(bits);
}

}  // namespace

void WriteInputSnapshot(const InputSnapshot& snapshot, std::string& out) {
    for (std::size_t byte = 0; byte < kKeyBitBytes; ++byte) {
        uint8_t bits = 0;
        for (std::size_t bit = 0; bit < 8; ++bit) {
            if ((snapshot.Keyboard.Keys[byte * 8 + bit] & 0x80) != 0) {
                bits = static_cast<uint8_t>(bits | (1u << bit));
            }
        }
        out.push_back(static_cast<char>(bits));
    }
    PutInt32(out, snapshot.Mouse.DeltaX);
    PutInt32(out, snapshot.Mouse.DeltaY);
    PutInt32(out, snapshot.Mouse.DeltaWheel);
    uint8_t buttons = 0;
    for (std::size_t i = 0; i < snapshot.Mouse.Buttons.size(); ++i) {
        if ((snapshot.Mouse.Buttons[i] & 0x80) != 0) {
            buttons = static_cast<uint8_t>(buttons | (1u << i));
        }
    }
    out.push_back(static_cast<char>(buttons));

    WriteGamepadSnapshot(snapshot.Gamepad, out);
}

void WriteGamepadSnapshot(const GamepadSnapshot& pad, std::string& out) {
    out.push_back(static_cast<char>(pad.Connected ? 1 : 0));
    for (int16_t axis : pad.Axes) {
        PutInt16(out, axis);
    }
    uint16_t padButtons = 0;
    for (std::size_t i = 0; i < pad.Buttons.size(); ++i) {
        if ((pad.Buttons[i] & 0x80) != 0) {
            padButtons = static_cast<uint16_t>(padButtons | (1u << i));
        }
    }
    PutInt16(out, static_cast<int16_t>(padButtons));
}

bool ReadGamepadSnapshot(std::string_view bytes, std::size_t& offset, GamepadSnapshot& pad) {
    if (offset > bytes.size() || bytes.size() - offset < kGamepadBytes) {
        return false;
    }
    std::size_t at = offset;
    pad = GamepadSnapshot{};
    pad.Connected = bytes[at++] != 0;
    for (int16_t& axis : pad.Axes) {
        axis = GetInt16(bytes, at);
        at += 2;
    }
    const auto padButtons = static_cast<uint16_t>(GetInt16(bytes, at));
    at += 2;
    for (std::size_t i = 0; i < pad.Buttons.size(); ++i) {
        pad.Buttons[i] = (padButtons >> i) & 1u ? 0x80 : 0;
    }
    offset = at;
    return true;
}

bool ReadInputSnapshot(std::string_view bytes, std::size_t& offset, uint32_t version,
                       InputSnapshot& snapshot) {
    const std::size_t size = version == 1 ? kSnapshotBytesV1 : kSnapshotBytesV1 + kGamepadBytes;
    if (version < 1 || version > 2 || offset > bytes.size() || bytes.size() - offset < size) {
        return false;
    }
    std::size_t at = offset;
    snapshot = InputSnapshot{};
    for (std::size_t byte = 0; byte < kKeyBitBytes; ++byte) {
        const auto bits = static_cast<uint8_t>(bytes[at++]);
        for (std::size_t bit = 0; bit < 8; ++bit) {
            snapshot.Keyboard.Keys[byte * 8 + bit] = (bits >> bit) & 1u ? 0x80 : 0;
        }
    }
    snapshot.Mouse.DeltaX = GetInt32(bytes, at);
    snapshot.Mouse.DeltaY = GetInt32(bytes, at + 4);
    snapshot.Mouse.DeltaWheel = GetInt32(bytes, at + 8);
    at += 12;
    const auto buttons = static_cast<uint8_t>(bytes[at++]);
    for (std::size_t i = 0; i < snapshot.Mouse.Buttons.size(); ++i) {
        snapshot.Mouse.Buttons[i] = (buttons >> i) & 1u ? 0x80 : 0;
    }
    if (version >= 2) {
        ReadGamepadSnapshot(bytes, at, snapshot.Gamepad);  // the size was checked above
    }
    offset = at;
    return true;
}

}  // namespace platform
