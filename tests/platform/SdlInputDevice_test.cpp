// The SDL keyboard map against the game's key table, and the keyboard and mouse read through a real
// X server: xdotool presses keys and moves the pointer as a player would.
#include "platform/SdlInputDevice.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "platform/DirectInputKeys.h"
#include "platform/SdlDesktop.h"
#include "platform/SdlWindow.h"

using namespace platform;

namespace {

TEST(SdlScancodeMap, CoversEveryKeyOfTheTableAPcKeyboardHas) {
    std::set<uint8_t> mapped;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
        uint8_t code = DirectInputCodeOfScancode(scancode);
        if (code) {
            EXPECT_GE(KeyIndexOfCode(code), 0) << "scancode " << scancode << " maps outside the table";
            mapped.insert(code);
        }
    }
    for (int index = 0; index < KeyTableSize; ++index) {
        if (KeyTable[index] == DIK_WAKE) {
            continue;  // no PC keyboard scancode
        }
        EXPECT_EQ(mapped.count(KeyTable[index]), 1u) << "key index " << index << " has no scancode";
    }
}

TEST(SdlScancodeMap, KeysTheGameUsesLandOnTheirCodes) {
    // SDL's own names for the scancodes against the DirectInput codes of the same keys.
    struct Named {
        const char* Name;
        uint8_t Code;
    };
    const Named keys[] = {{"Escape", DIK_ESCAPE},
                          {"Backspace", DIK_BACK},
                          {"W", DIK_W},
                          {"A", DIK_A},
                          {"S", DIK_S},
                          {"D", DIK_D},
                          {"Return", DIK_RETURN},
                          {"Left Ctrl", DIK_LCONTROL},
                          {"Left Shift", DIK_LSHIFT},
                          {"Right Shift", DIK_RSHIFT},
                          {"Left Alt", DIK_LMENU},
                          {"Right Alt", DIK_RMENU},
                          {"Keypad /", DIK_DIVIDE},
                          {"Keypad Enter", DIK_NUMPADENTER},
                          {"F12", DIK_F12}};
    for (const Named& key : keys) {
        SDL_Scancode scancode = SDL_GetScancodeFromName(key.Name);
        ASSERT_NE(scancode, SDL_SCANCODE_UNKNOWN) << key.Name;
        EXPECT_EQ(DirectInputCodeOfScancode(scancode), key.Code) << key.Name;
    }
    EXPECT_EQ(DirectInputCodeOfScancode(-1), 0);
    EXPECT_EQ(DirectInputCodeOfScancode(SDL_NUM_SCANCODES), 0);
}

bool HaveXdotool() {
    return std::system("command -v xdotool >/dev/null 2>&1") == 0;
}

// Gives the keyboard focus to the test's window (another window may have taken it since), then runs
// an xdotool command; true when both worked.
bool Xdotool(const std::string& title, const std::string& command) {
    std::string focus = "timeout 20 xdotool search --name '" + title + "' windowfocus --sync >/dev/null 2>&1";
    return std::system(focus.c_str()) == 0 && std::system(("xdotool " + command).c_str()) == 0;
}

void Pump(SdlWindow& window) {
    std::vector<WindowEvent> events;
    for (int i = 0; i < 20; ++i) {
        window.PollEvents(events);
        SDL_Delay(10);
    }
}

TEST(SdlInputDevice, ReadsKeysAndPointerThroughTheXServer) {
    if (!HaveXdotool()) {
        GTEST_SKIP() << "xdotool is not installed";
    }
    std::string error;
    auto window = SdlWindow::Create("Brelvox input test", 200, 150, error);
    ASSERT_TRUE(window) << error;
    SdlDesktop desktop;
    window->Show();
    Pump(*window);
    if (!window->HasInputFocus()) {
        GTEST_SKIP() << "the window did not get the keyboard focus";
    }
    SdlInputDevice input(window.get(), &desktop);

    const std::string title = "Brelvox input test";
    ASSERT_TRUE(Xdotool(title, "keydown w keydown Shift_L"));
    Pump(*window);
    KeyboardSnapshot keys;
    ASSERT_TRUE(input.ReadKeyboard(keys));
    EXPECT_EQ(keys.Keys[DIK_W], 0x80);
    EXPECT_EQ(keys.Keys[DIK_LSHIFT], 0x80);
    EXPECT_EQ(keys.Keys[DIK_A], 0);
    ASSERT_TRUE(Xdotool(title, "keyup w keyup Shift_L"));
    Pump(*window);
    ASSERT_TRUE(input.ReadKeyboard(keys));
    EXPECT_EQ(keys.Keys[DIK_W], 0);

    // Motion is measured from where the program put the pointer.
    desktop.SetCursorPosition(300, 300);
    Pump(*window);
    MouseSnapshot mouse;
    ASSERT_TRUE(input.ReadMouse(mouse));
    EXPECT_EQ(mouse.DeltaX, 0);
    EXPECT_EQ(mouse.DeltaY, 0);
    // Relative motion comes through the X input extension, as a real mouse's does.
    ASSERT_TRUE(Xdotool(title, "mousemove_relative -- 10 -5"));
    Pump(*window);
    ASSERT_TRUE(input.ReadMouse(mouse));
    EXPECT_EQ(mouse.DeltaX, 10);
    EXPECT_EQ(mouse.DeltaY, -5);
    ASSERT_TRUE(input.ReadMouse(mouse));
    EXPECT_EQ(mouse.DeltaX, 0);

    ASSERT_TRUE(Xdotool(title, "mousedown 1"));
    Pump(*window);
    ASSERT_TRUE(input.ReadMouse(mouse));
    EXPECT_EQ(mouse.Buttons[0], 0x80);
    ASSERT_TRUE(Xdotool(title, "mouseup 1"));
    Pump(*window);
    ASSERT_TRUE(input.ReadMouse(mouse));
    EXPECT_EQ(mouse.Buttons[0], 0);
}

// A tap that goes down and up between two reads (a quick key or a synthetic click on a slow frame) is
// read as down once, then as up: the game sees both the press and the release.
TEST(SdlInputDevice, TapsBetweenTwoReadsAreNotLost) {
    if (!HaveXdotool()) {
        GTEST_SKIP() << "xdotool is not installed";
    }
    std::string error;
    auto window = SdlWindow::Create("Brelvox tap test", 200, 150, error);
    ASSERT_TRUE(window) << error;
    SdlDesktop desktop;
    window->Show();
    Pump(*window);
    if (!window->HasInputFocus()) {
        GTEST_SKIP() << "the window did not get the keyboard focus";
    }
    SdlInputDevice input(window.get(), &desktop);
    KeyboardSnapshot keys;
    MouseSnapshot mouse;
    ASSERT_TRUE(input.ReadKeyboard(keys));
    ASSERT_TRUE(input.ReadMouse(mouse));

    ASSERT_TRUE(Xdotool("Brelvox tap test", "key --delay 0 Escape click 1"));
    Pump(*window);
    ASSERT_TRUE(input.ReadKeyboard(keys));
    ASSERT_TRUE(input.ReadMouse(mouse));
    EXPECT_EQ(keys.Keys[DIK_ESCAPE], 0x80);
    EXPECT_EQ(mouse.Buttons[0], 0x80);
    ASSERT_TRUE(input.ReadKeyboard(keys));
    ASSERT_TRUE(input.ReadMouse(mouse));
    EXPECT_EQ(keys.Keys[DIK_ESCAPE], 0);
    EXPECT_EQ(mouse.Buttons[0], 0);
}

// A virtual game controller with every axis and button of the standard layout.
SDL_VirtualJoystickDesc VirtualPad() {
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Brelvox test pad";
    return desc;
}

// A virtual controller goes through the same SDL path as a real one (the joystick layer, SDL's game
// controller mapping, its events): plugged in while the device runs, read, latched, unplugged, and
// plugged in again.
TEST(SdlInputDevice, ReadsAHotPluggedController) {
    SdlInputDevice input(nullptr, nullptr);
    GamepadSnapshot pad;
    SDL_PumpEvents();
    ASSERT_TRUE(input.ReadGamepad(pad));
    if (pad.Connected) {
        GTEST_SKIP() << "a controller is already attached";
    }

    SDL_VirtualJoystickDesc desc = VirtualPad();
    int index = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    ASSERT_NE(joystick, nullptr) << SDL_GetError();
    // Plugged in at rest (a trigger's rest is the bottom of its axis), then handled.
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
    SDL_PumpEvents();
    ASSERT_TRUE(input.ReadGamepad(pad));
    ASSERT_TRUE(pad.Connected);
    EXPECT_EQ(pad.Axes[GamepadTriggerRight], 0);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, -30000);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_RIGHTY, 20000);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
    SDL_PumpEvents();
    ASSERT_TRUE(input.ReadGamepad(pad));
    ASSERT_TRUE(pad.Connected);
    EXPECT_EQ(pad.Axes[GamepadLeftX], -30000);
    EXPECT_EQ(pad.Axes[GamepadRightY], 20000);
    EXPECT_EQ(pad.Axes[GamepadTriggerRight], 32767);
    EXPECT_EQ(pad.Axes[GamepadLeftY], 0);
    EXPECT_EQ(pad.Buttons[GamepadA], 0x80);
    EXPECT_EQ(pad.Buttons[GamepadDpadUp], 0x80);
    EXPECT_EQ(pad.Buttons[GamepadB], 0);
    EXPECT_EQ(pad.Buttons[GamepadStart], 0);

    // Start pressed and let go between two reads: read down once, then up.
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_START, 1);
    SDL_PumpEvents();
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_START, 0);
    SDL_PumpEvents();
    ASSERT_TRUE(input.ReadGamepad(pad));
    EXPECT_EQ(pad.Buttons[GamepadStart], 0x80);
    ASSERT_TRUE(input.ReadGamepad(pad));
    EXPECT_EQ(pad.Buttons[GamepadStart], 0);

    SDL_JoystickClose(joystick);
    ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0) << SDL_GetError();
    SDL_PumpEvents();
    ASSERT_TRUE(input.ReadGamepad(pad));
    EXPECT_FALSE(pad.Connected);
    EXPECT_EQ(pad.Buttons[GamepadA], 0);

    index = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_PumpEvents();
    ASSERT_TRUE(input.ReadGamepad(pad));
    EXPECT_TRUE(pad.Connected);
    EXPECT_EQ(pad.Buttons[GamepadA], 0);
    SDL_JoystickDetachVirtual(index);
}

// Two virtual controllers through the same SDL path: each keeps its place (first, second) while it is
// attached, whichever is unplugged, and one plugged in later takes the free place.
TEST(SdlInputDevice, TwoControllersKeepTheirPlacesThroughUnplugging) {
    SdlInputDevice input(nullptr, nullptr);
    GamepadSnapshot first;
    GamepadSnapshot second;
    SDL_PumpEvents();
    ASSERT_TRUE(input.ReadGamepad(first));
    if (first.Connected) {
        GTEST_SKIP() << "a controller is already attached";
    }
    SDL_VirtualJoystickDesc desc = VirtualPad();
    const auto attach = [&](Uint8 button) {
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        SDL_Joystick* joystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
        if (joystick != nullptr) {
            SDL_JoystickSetVirtualButton(joystick, button, 1);  // tells the pads apart
        }
        SDL_PumpEvents();
        return joystick;
    };
    const auto read = [&] {
        ASSERT_TRUE(input.ReadGamepad(first));
        ASSERT_TRUE(input.ReadSecondGamepad(second));
    };
    SDL_Joystick* padA = attach(SDL_CONTROLLER_BUTTON_A);
    ASSERT_NE(padA, nullptr) << SDL_GetError();
    read();
    EXPECT_TRUE(first.Connected);
    EXPECT_FALSE(second.Connected);
    SDL_Joystick* padB = attach(SDL_CONTROLLER_BUTTON_B);
    ASSERT_NE(padB, nullptr) << SDL_GetError();
    read();
    EXPECT_EQ(first.Buttons[GamepadA], 0x80);
    EXPECT_EQ(second.Buttons[GamepadB], 0x80);
    EXPECT_EQ(second.Buttons[GamepadA], 0);

    // The first unplugged: the second stays second, and a new one takes the first place.
    const SDL_JoystickID idA = SDL_JoystickInstanceID(padA);
    SDL_JoystickClose(padA);
    for (int device = 0; device < SDL_NumJoysticks(); ++device) {
        if (SDL_JoystickGetDeviceInstanceID(device) == idA) {
            ASSERT_EQ(SDL_JoystickDetachVirtual(device), 0) << SDL_GetError();
        }
    }
    SDL_PumpEvents();
    read();
    EXPECT_FALSE(first.Connected);
    EXPECT_TRUE(second.Connected);
    EXPECT_EQ(second.Buttons[GamepadB], 0x80);
    SDL_Joystick* padC = attach(SDL_CONTROLLER_BUTTON_X);
    ASSERT_NE(padC, nullptr) << SDL_GetError();
    read();
    EXPECT_EQ(first.Buttons[GamepadX], 0x80);
    EXPECT_EQ(second.Buttons[GamepadB], 0x80);
    SDL_JoystickClose(padB);
    SDL_JoystickClose(padC);
    while (SDL_NumJoysticks() > 0) {
        SDL_JoystickDetachVirtual(0);
    }
    SDL_PumpEvents();
    read();
    EXPECT_FALSE(first.Connected);
    EXPECT_FALSE(second.Connected);
}

}  // namespace

// The names of the default drive keys on the X server's keyboard layout: W, A, S, D on a US one; with
// BRELVOX_KEY_LAYOUT=fr, on a server whose keyboard is French (AZERTY), the same places read Z, Q, S,
// D. Before SDL's video starts they are the US names.
TEST(KeyNameOnLayout, TheDriveKeysReadAsTheLayoutPrintsThem) {
    EXPECT_EQ(KeyNameOnLayout(DIK_W), "W");
    EXPECT_EQ(KeyNameOnLayout(DIK_UP), "Up");
    EXPECT_EQ(KeyNameOnLayout(0), "");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    const char* layout = std::getenv("BRELVOX_KEY_LAYOUT");
    const bool azerty = layout != nullptr && std::string(layout) == "fr";
    const std::string names = KeyNameOnLayout(DIK_W) + " " + KeyNameOnLayout(DIK_A) + " " +
                              KeyNameOnLayout(DIK_S) + " " + KeyNameOnLayout(DIK_D);
    EXPECT_EQ(names, azerty ? "Z Q S D" : "W A S D");
    EXPECT_EQ(KeyNameOnLayout(DIK_ESCAPE), "Escape");
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
