// The player's controls: which key (or, for fire, mouse button) each of the game's actions is bound to.
//
// A binding is an input code: 1..255 a key by its scancode, its place on the keyboard whatever the
// layout prints on it (the DirectInput code of platform/DirectInputKeys.h, the index of the keyboard
// snapshot), or kMouseButtonCode + n for mouse button n (0 left, 1 right, 2 middle). The defaults are
// W, S, A, D, the left button and Escape, where those sit on a QWERTY keyboard.
//
// The second player in a game for two has keys of their own (TSecondKeyBindings, keys only): the arrow
// keys, Right Ctrl, `,` and `.` by default. No key is bound to an action of both players.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum TAction : uint8_t {
    ActionDriveUp,
    ActionDriveDown,
    ActionDriveLeft,
    ActionDriveRight,
    ActionFire,
    ActionPause,
    ActionCount
};

inline constexpr uint16_t kMouseButtonCode = 0x100;
inline constexpr int kBindableMouseButtons = 3;

struct TKeyBindings {
    std::array<uint16_t, ActionCount> Codes = Defaults();

    static constexpr std::array<uint16_t, ActionCount> Defaults() {
        return {0x11, 0x1F, 0x1E, 0x20, kMouseButtonCode, 0x01};  // W, S, A, D, left button, Escape
    }
    uint16_t operator[](TAction action) const { return Codes[action]; }
    bool operator==(const TKeyBindings& other) const { return Codes == other.Codes; }
    bool operator!=(const TKeyBindings& other) const { return Codes != other.Codes; }
};

// Whether `code` may be bound to `action`: a key scancode 1..255 for every action, a mouse button for
// fire only.
bool CanBind(TAction action, uint16_t code);

// Binds `code` to `action`. When another action held that code, the two swap: it takes the code
// `action` had, and that action is returned; ActionCount when nothing was swapped (or `code` cannot be
// bound, and nothing changed).
TAction Bind(TKeyBindings& bindings, TAction action, uint16_t code);

enum TSecondAction : uint8_t {
    SecondDriveUp,
    SecondDriveDown,
    SecondDriveLeft,
    SecondDriveRight,
    SecondFire,
    SecondTurretLeft,  // anticlockwise seen from above
    SecondTurretRight,
    SecondActionCount
};

struct TSecondKeyBindings {
    std::array<uint16_t, SecondActionCount> Codes = Defaults();

    static constexpr std::array<uint16_t, SecondActionCount> Defaults() {
        return {0xC8, 0xD0, 0xCB, 0xCD, 0x9D, 0x33, 0x34};  // the arrows, Right Ctrl, `,` and `.`
    }
    uint16_t operator[](TSecondAction action) const { return Codes[action]; }
    bool operator==(const TSecondKeyBindings& other) const { return Codes == other.Codes; }
    bool operator!=(const TSecondKeyBindings& other) const { return Codes != other.Codes; }
};

// One action of either player: Player 0 with a TAction, 1 with a TSecondAction.
struct TBindingSlot {
    int Player = 0;
    int Action = 0;
    bool operator==(const TBindingSlot& other) const {
        return Player == other.Player && Action == other.Action;
    }
};
inline constexpr TBindingSlot kNoSlot{-1, -1};

// Binds `code` to `slot` the same way across both players: a code held by any other action of
// either player swaps with it, and that action is returned; kNoSlot when nothing was swapped or
// nothing changed (a mouse button for the second player, or one that would move to a drive action).
TBindingSlot BindEither(TKeyBindings& first, TSecondKeyBindings& second, TBindingSlot slot, uint16_t code);

// Gives every second-player action whose key the first player also holds its default key, or when
// that one is taken too the first scancode neither player holds. The repaired actions, in order.
std::vector<TSecondAction> RepairClashes(const TKeyBindings& first, TSecondKeyBindings& second);

// The name of a second-player action in the settings file ("Player2DriveUp", ... "Player2TurretRight").
const char* SecondActionSettingName(TSecondAction action);

// The name of an action in the settings file ("DriveUp", ... "Pause").
const char* ActionSettingName(TAction action);

// An input code as the settings file writes it: the scancode in decimal, or "mouse1".."mouse3".
std::string FormatInputCode(uint16_t code);
// The reverse; false for anything else (a scancode outside 1..255, a mouse button beyond the third).
bool ParseInputCode(std::string_view text, uint16_t& code);
