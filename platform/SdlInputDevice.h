// Keyboard and mouse over SDL2, read the way DirectInput 8 gives them (InputDevice.h): key bytes by
// DirectInput code from SDL's keyboard state, and mouse motion measured on the global pointer.
//
// Mouse motion is the pointer's travel since the last read, starting from where the program last put
// the pointer (SdlDesktop::SetCursorPosition) when it did so since then. Counting motion events instead
// would count the program's own pointer moves as motion as well. On X11 SDL refreshes the global pointer
// when the input extension reports device motion (a real mouse, or `xdotool mousemove_relative`); a
// pointer jump made by another program (`xdotool mousemove`) is seen with the next device motion. Under
// Wayland no program can move the pointer and SDL knows it only over the window: the motion is its
// travel there.
//
// A key or button pressed and let go again between two reads (a quick tap on a slow frame, or a
// synthetic click) still reads as down once: presses are latched from SDL's events as they arrive and
// added to the next snapshot, so the game always sees the press and, one read later, the release.
//
// Game controllers go through SDL's game controller API, so any pad SDL knows reads in the standard
// layout. Two are read, each in a place of its own (the first, the second). They are hot-plugged: each
// read lets go of one that was unplugged and opens a controller attached but not yet open into a free
// place, the first place first (SDL notices both while the window's events are pumped). A press of a
// controller button between two reads is latched as keys are.
//
// All devices are read only while the window has the keyboard focus (DirectInput's foreground
// co-operation); otherwise the reads fail and the snapshots stay as they were.
#pragma once

#include <cstdint>
#include <string>

#include "platform/InputDevice.h"

union SDL_Event;
struct _SDL_GameController;

namespace platform {

class SdlWindow;
class SdlDesktop;

// The DirectInput code of an SDL scancode, or 0 for a key the game's key table does not have.
uint8_t DirectInputCodeOfScancode(int scancode);

// The name the player's keyboard layout gives the key at DirectInput code `code` ("Z" for the key
// left of E on an AZERTY keyboard, "W" on a QWERTY one), as Windows-1251 bytes (a letter the code page
// lacks is "?"). Before SDL's video starts, or for a key the layout does not name, the key's name on
// a US keyboard; empty for a code no key has.
std::string KeyNameOnLayout(uint8_t code);

class SdlInputDevice final : public InputDevice {
public:
    // `window` null: read whatever focus; `desktop` null: pointer moves by the program are not known.
    SdlInputDevice(SdlWindow* window, SdlDesktop* desktop);
    ~SdlInputDevice() override;
    SdlInputDevice(const SdlInputDevice&) = delete;
    SdlInputDevice& operator=(const SdlInputDevice&) = delete;

    bool ReadKeyboard(KeyboardSnapshot& snapshot) override;
    bool ReadMouse(MouseSnapshot& snapshot) override;
    bool ReadGamepad(GamepadSnapshot& snapshot) override;
    bool ReadSecondGamepad(GamepadSnapshot& snapshot) override;

private:
    bool HasFocus() const;
    // Lets go of unplugged controllers; opens attached ones into the free places.
    void FollowControllers();
    bool ReadPlace(int place, GamepadSnapshot& snapshot);
    // SDL event watch: remembers presses until the next read.
    static int LatchPress(void* self, ::SDL_Event* event);

    SdlWindow* window_;
    SdlDesktop* desktop_;
    bool havePointer_ = false;
    int lastX_ = 0;
    int lastY_ = 0;
    uint32_t seenWarps_ = 0;
    KeyboardSnapshot latchedKeys_;
    uint8_t latchedButtons_ = 0;  // bit n: button n went down since the last read
    int32_t latchedWheel_ = 0;    // wheel notches since the last read, away from the player positive
    bool controllersStarted_ = false;
    struct ControllerPlace {
        _SDL_GameController* Controller = nullptr;
        int32_t Id = -1;              // its joystick instance id
        uint32_t LatchedButtons = 0;  // bit n: button n went down since the last read
    };
    ControllerPlace places_[2];
};

}  // namespace platform
