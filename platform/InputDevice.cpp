#include "platform/InputDevice.h"

namespace platform {

namespace {

constexpr std::size_t kKeyBitBytes = 256 / 8;
constexpr std::size_t kSnapshotBytesV1 = kKeyBitBytes + 3 * 4 + 1;

void PutInt32(std::string& out, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((bits >> shift) & 0xFF));
    }
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
}

bool ReadInputSnapshot(std::string_view bytes, std::size_t& offset, uint32_t version,
                       InputSnapshot& snapshot) {
    if (version != 1 || offset > bytes.size() || bytes.size() - offset < kSnapshotBytesV1) {
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
    offset = at;
    return true;
}

}  // namespace platform
