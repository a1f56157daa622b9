// Keyboard, mouse and game controller state once per frame, over the platform's whole-device snapshots.
//
// The shell calls Poll at the start of every frame; everyone else asks questions about that poll.
// The previous poll is kept, so a key that went up between the two polls can be told from a key that
// is held: that release edge is the game's one-shot key event (Escape, Enter, Backspace, the layout
// switch and typed characters all act when the key is let go). Keys are named by a KeyIndex 0..123
// into a fixed table of DirectInput key codes (see KeyCode). Typed characters are Windows-1251 bytes
// under one of three layouts, switched by left Ctrl + left Shift.
#pragma once

#include <array>
#include <cstdint>

#include "input/KeyBindings.h"
#include "platform/InputDevice.h"

// The KeyIndex values the game uses by name.
enum : int {
    KEY_ESCAPE = 0,
    KEY_BACKSPACE = 13,
    KEY_W = 16,
    KEY_ENTER = 27,
    KEY_LEFT_CTRL = 28,
    KEY_A = 29,
    KEY_S = 30,
    KEY_D = 31,
    KEY_LEFT_SHIFT = 41,
    KEY_RIGHT_SHIFT = 53,
    KEY_LEFT_ALT = 55,
    KEY_F12 = 84,
    KEY_RIGHT_ALT = 97,
    // The second player's keys.
    KEY_COMMA = 50,
    KEY_PERIOD = 51,
    KEY_NUMPAD_ENTER = 86,
    KEY_RIGHT_CTRL = 87,
    KEY_UP = 100,
    KEY_LEFT = 102,
    KEY_RIGHT = 103,
    KEY_DOWN = 105,
};

class TInput {
public:
    static constexpr int KeyCount = 124;
    static constexpr int MouseButtonCount = 4;

    // Keyboard layouts for TypedChar.
    enum : uint8_t { LayoutEnglish = 0, LayoutUkrainian = 1, LayoutRussian = 2 };

    // The DirectInput key code of a KeyIndex (0 for an index outside 0..123).
    static uint8_t KeyCode(int keyIndex);
    // The Windows-1251 byte a key gives under a layout, shifted or not (0: no character).
    static uint8_t CharOf(uint8_t layout, bool shifted, int keyIndex);

    TInput() = default;
    ~TInput();
    TInput(const TInput&) = delete;
    TInput& operator=(const TInput&) = delete;

    // Takes the device to read from (not owned; it must outlive this object or be released first).
    // With no device every poll reads nothing: no key or button down, no motion.
    void Init(platform::InputDevice* device);
    // Forgets the device; the states stay as they are.
    void Release();

    // Reads the three devices once. A keyboard that cannot be read counts as no key down. A mouse that
    // cannot be read keeps its buttons as they were and reports no motion, so the cursor does not
    // drift on the last motion while the window is out of focus. A controller that cannot be read
    // counts as none connected. The first player's controller then joins the keys and buttons
    // (input/Gamepad.h): Start is Escape and the pause binding, A or the right trigger the left button and
    // the fire binding; the second player's Start is Escape too.
    //
    // Up to two controllers are read. With one player, the first player's controller is the first one
    // attached. In a game for two (SetTwoPlayerGame) each controller belongs to the player it was handed
    // to: one attached goes to the player without one, the second player first, so the first player
    // keeps the keyboard and mouse; two attached at once go one to each, the first to the first player.
    // An unplugged one frees its player. The hand-over follows the snapshots alone, so a replay hands
    // over as the game did.
    void Poll();
    // Poll in two halves, so a demo can record what was read and replay it: Read asks the devices
    // (with the rules above) without changing this object; Apply makes the snapshot the current poll.
    void Read(platform::InputSnapshot& snapshot) const;
    void Apply(const platform::InputSnapshot& snapshot);

    // Out-of-range key indices and buttons are never down and never released.
    bool KeyDown(int keyIndex) const;
    bool KeyReleased(int keyIndex) const;  // up in this poll, down in the previous one
    // The key is down, or the controller's left stick or D-pad drives that way (for W, A, S, D). The
    // controller never types: its drive direction is not a key press of KeyDown or TypedChar.
    bool DriveKeyDown(int keyIndex) const;
    bool MouseButtonDown(int button) const;  // 0 left, 1 right, 2 middle
    bool MouseButtonReleased(int button) const;
    // Relative motion in mickeys since the previous poll.
    float MouseDeltaX() const { return static_cast<float>(mouse_.DeltaX); }
    float MouseDeltaY() const { return static_cast<float>(mouse_.DeltaY); }
    // Wheel notches since the previous poll, turned away from the player positive.
    int32_t MouseWheel() const { return mouse_.DeltaWheel; }

    // The game's actions through Bindings: the bound key or mouse button is down, or was let go in
    // this poll. DriveActionDown also counts the controller's drive direction.
    bool ActionDown(TAction action) const;
    bool ActionReleased(TAction action) const;
    bool DriveActionDown(TAction action) const;
    // The first input code (KeyBindings.h) let go in this poll, keys in scancode order before the
    // mouse buttons; 0 for none. What the Controls screen binds.
    uint16_t ReleasedInputCode() const;
    // An input code (a scancode, or kMouseButtonCode + n) is down, or was let go in this poll.
    bool CodeDown(uint16_t code) const { return CodeDown(code, false); }
    bool CodeReleased(uint16_t code) const { return !CodeDown(code, false) && CodeDown(code, true); }

    // The character of the first key (in KeyIndex order) released in this poll, shifted when either
    // Shift is down now; 0 when no key was released or that first key carries no character.
    uint8_t TypedChar() const;

    // The first player's controller as read by the last poll (the shell moves the cursor with its
    // sticks); none connected when it has none.
    const platform::GamepadSnapshot& Gamepad() const { return pad_; }
    // The second player's controller in a game for two; none connected otherwise.
    const platform::GamepadSnapshot& SecondPlayerPad() const { return secondPad_; }
    // Set while a game for two runs (the hand-over above applies from the next Apply).
    void SetTwoPlayerGame(bool on) { twoPlayerGame_ = on; }

    uint8_t KeyboardLayout = LayoutEnglish;
    TKeyBindings Bindings;
    TSecondKeyBindings SecondBindings;  // the second player's keys in a game for two

private:
    bool CodeDown(uint16_t code, bool previous) const;

    platform::InputDevice* device_ = nullptr;
    platform::KeyboardSnapshot keys_;
    platform::KeyboardSnapshot previousKeys_;
    platform::MouseSnapshot mouse_;
    platform::MouseSnapshot previousMouse_;
    platform::GamepadSnapshot pad_;
    platform::GamepadSnapshot secondPad_;
    // Which player each of the two controller places was handed to (0 none, 1 or 2).
    uint8_t padOwners_[2] = {0, 0};
    bool twoPlayerGame_ = false;
    void HandOverPads(const platform::InputSnapshot& snapshot);
};
