#include "platform/SdlInputDevice.h"

#include <SDL.h>

#include <array>
#include <string>
#include <utility>

#include "platform/DirectInputKeys.h"
#include "platform/SdlDesktop.h"
#include "platform/SdlWindow.h"
#include "util/Log.h"

namespace platform {

namespace {

// The controller snapshot is indexed as SDL numbers its standard axes and buttons.
constexpr bool Same(int ours, int sdl) {
    return ours == sdl;
}
static_assert(Same(GamepadLeftX, SDL_CONTROLLER_AXIS_LEFTX) &&
              Same(GamepadRightY, SDL_CONTROLLER_AXIS_RIGHTY) &&
              Same(GamepadTriggerRight, SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
static_assert(Same(GamepadA, SDL_CONTROLLER_BUTTON_A) && Same(GamepadStart, SDL_CONTROLLER_BUTTON_START) &&
              Same(GamepadDpadRight, SDL_CONTROLLER_BUTTON_DPAD_RIGHT));

struct ScancodeKey {
    SDL_Scancode Scancode;
    uint8_t Code;
};

// Every key of the game's table that a PC keyboard has (Wake has no SDL scancode).
constexpr ScancodeKey kScancodeKeys[] = {
    {SDL_SCANCODE_ESCAPE, DIK_ESCAPE},
    {SDL_SCANCODE_1, DIK_1},
    {SDL_SCANCODE_2, DIK_2},
    {SDL_SCANCODE_3, DIK_3},
    {SDL_SCANCODE_4, DIK_4},
    {SDL_SCANCODE_5, DIK_5},
    {SDL_SCANCODE_6, DIK_6},
    {SDL_SCANCODE_7, DIK_7},
    {SDL_SCANCODE_8, DIK_8},
    {SDL_SCANCODE_9, DIK_9},
    {SDL_SCANCODE_0, DIK_0},
    {SDL_SCANCODE_MINUS, DIK_MINUS},
    {SDL_SCANCODE_EQUALS, DIK_EQUALS},
    {SDL_SCANCODE_BACKSPACE, DIK_BACK},
    {SDL_SCANCODE_TAB, DIK_TAB},
    {SDL_SCANCODE_Q, DIK_Q},
    {SDL_SCANCODE_W, DIK_W},
    {SDL_SCANCODE_E, DIK_E},
    {SDL_SCANCODE_R, DIK_R},
    {SDL_SCANCODE_T, DIK_T},
    {SDL_SCANCODE_Y, DIK_Y},
    {SDL_SCANCODE_U, DIK_U},
    {SDL_SCANCODE_I, DIK_I},
    {SDL_SCANCODE_O, DIK_O},
    {SDL_SCANCODE_P, DIK_P},
    {SDL_SCANCODE_LEFTBRACKET, DIK_LBRACKET},
    {SDL_SCANCODE_RIGHTBRACKET, DIK_RBRACKET},
    {SDL_SCANCODE_RETURN, DIK_RETURN},
    {SDL_SCANCODE_LCTRL, DIK_LCONTROL},
    {SDL_SCANCODE_A, DIK_A},
    {SDL_SCANCODE_S, DIK_S},
    {SDL_SCANCODE_D, DIK_D},
    {SDL_SCANCODE_F, DIK_F},
    {SDL_SCANCODE_G, DIK_G},
    {SDL_SCANCODE_H, DIK_H},
    {SDL_SCANCODE_J, DIK_J},
    {SDL_SCANCODE_K, DIK_K},
    {SDL_SCANCODE_L, DIK_L},
    {SDL_SCANCODE_SEMICOLON, DIK_SEMICOLON},
    {SDL_SCANCODE_APOSTROPHE, DIK_APOSTROPHE},
    {SDL_SCANCODE_GRAVE, DIK_GRAVE},
    {SDL_SCANCODE_LSHIFT, DIK_LSHIFT},
    {SDL_SCANCODE_BACKSLASH, DIK_BACKSLASH},
    {SDL_SCANCODE_NONUSHASH, DIK_BACKSLASH},  // the same key position on ISO keyboards
    {SDL_SCANCODE_Z, DIK_Z},
    {SDL_SCANCODE_X, DIK_X},
    {SDL_SCANCODE_C, DIK_C},
    {SDL_SCANCODE_V, DIK_V},
    {SDL_SCANCODE_B, DIK_B},
    {SDL_SCANCODE_N, DIK_N},
    {SDL_SCANCODE_M, DIK_M},
    {SDL_SCANCODE_COMMA, DIK_COMMA},
    {SDL_SCANCODE_PERIOD, DIK_PERIOD},
    {SDL_SCANCODE_SLASH, DIK_SLASH},
    {SDL_SCANCODE_RSHIFT, DIK_RSHIFT},
    {SDL_SCANCODE_KP_MULTIPLY, DIK_MULTIPLY},
    {SDL_SCANCODE_LALT, DIK_LMENU},
    {SDL_SCANCODE_SPACE, DIK_SPACE},
    {SDL_SCANCODE_CAPSLOCK, DIK_CAPITAL},
    {SDL_SCANCODE_F1, DIK_F1},
    {SDL_SCANCODE_F2, DIK_F2},
    {SDL_SCANCODE_F3, DIK_F3},
    {SDL_SCANCODE_F4, DIK_F4},
    {SDL_SCANCODE_F5, DIK_F5},
    {SDL_SCANCODE_F6, DIK_F6},
    {SDL_SCANCODE_F7, DIK_F7},
    {SDL_SCANCODE_F8, DIK_F8},
    {SDL_SCANCODE_F9, DIK_F9},
    {SDL_SCANCODE_F10, DIK_F10},
    {SDL_SCANCODE_NUMLOCKCLEAR, DIK_NUMLOCK},
    {SDL_SCANCODE_SCROLLLOCK, DIK_SCROLL},
    {SDL_SCANCODE_KP_7, DIK_NUMPAD7},
    {SDL_SCANCODE_KP_8, DIK_NUMPAD8},
    {SDL_SCANCODE_KP_9, DIK_NUMPAD9},
    {SDL_SCANCODE_KP_MINUS, DIK_SUBTRACT},
    {SDL_SCANCODE_KP_4, DIK_NUMPAD4},
    {SDL_SCANCODE_KP_5, DIK_NUMPAD5},
    {SDL_SCANCODE_KP_6, DIK_NUMPAD6},
    {SDL_SCANCODE_KP_PLUS, DIK_ADD},
    {SDL_SCANCODE_KP_1, DIK_NUMPAD1},
    {SDL_SCANCODE_KP_2, DIK_NUMPAD2},
    {SDL_SCANCODE_KP_3, DIK_NUMPAD3},
    {SDL_SCANCODE_KP_0, DIK_NUMPAD0},
    {SDL_SCANCODE_KP_PERIOD, DIK_DECIMAL},
    {SDL_SCANCODE_F11, DIK_F11},
    {SDL_SCANCODE_F12, DIK_F12},
    {SDL_SCANCODE_AUDIONEXT, DIK_NEXTTRACK},
    {SDL_SCANCODE_KP_ENTER, DIK_NUMPADENTER},
    {SDL_SCANCODE_RCTRL, DIK_RCONTROL},
    {SDL_SCANCODE_AUDIOMUTE, DIK_MUTE},
    {SDL_SCANCODE_MUTE, DIK_MUTE},
    {SDL_SCANCODE_CALCULATOR, DIK_CALCULATOR},
    {SDL_SCANCODE_AUDIOPLAY, DIK_PLAYPAUSE},
    {SDL_SCANCODE_AUDIOSTOP, DIK_MEDIASTOP},
    {SDL_SCANCODE_VOLUMEDOWN, DIK_VOLUMEDOWN},
    {SDL_SCANCODE_VOLUMEUP, DIK_VOLUMEUP},
    {SDL_SCANCODE_AC_HOME, DIK_WEBHOME},
    {SDL_SCANCODE_KP_DIVIDE, DIK_DIVIDE},
    {SDL_SCANCODE_PRINTSCREEN, DIK_SYSRQ},
    {SDL_SCANCODE_SYSREQ, DIK_SYSRQ},
    {SDL_SCANCODE_RALT, DIK_RMENU},
    {SDL_SCANCODE_PAUSE, DIK_PAUSE},
    {SDL_SCANCODE_HOME, DIK_HOME},
    {SDL_SCANCODE_UP, DIK_UP},
    {SDL_SCANCODE_PAGEUP, DIK_PRIOR},
    {SDL_SCANCODE_LEFT, DIK_LEFT},
    {SDL_SCANCODE_RIGHT, DIK_RIGHT},
    {SDL_SCANCODE_END, DIK_END},
    {SDL_SCANCODE_DOWN, DIK_DOWN},
    {SDL_SCANCODE_PAGEDOWN, DIK_NEXT},
    {SDL_SCANCODE_INSERT, DIK_INSERT},
    {SDL_SCANCODE_DELETE, DIK_DELETE},
    {SDL_SCANCODE_LGUI, DIK_LWIN},
    {SDL_SCANCODE_RGUI, DIK_RWIN},
    {SDL_SCANCODE_APPLICATION, DIK_APPS},
    {SDL_SCANCODE_POWER, DIK_POWER},
    {SDL_SCANCODE_SLEEP, DIK_SLEEP},
    {SDL_SCANCODE_AC_SEARCH, DIK_WEBSEARCH},
    {SDL_SCANCODE_AC_BOOKMARKS, DIK_WEBFAVORITES},
    {SDL_SCANCODE_AC_REFRESH, DIK_WEBREFRESH},
    {SDL_SCANCODE_AC_STOP, DIK_WEBSTOP},
    {SDL_SCANCODE_AC_FORWARD, DIK_WEBFORWARD},
    {SDL_SCANCODE_AC_BACK, DIK_WEBBACK},
    {SDL_SCANCODE_COMPUTER, DIK_MYCOMPUTER},
    {SDL_SCANCODE_MAIL, DIK_MAIL},
    {SDL_SCANCODE_MEDIASELECT, DIK_MEDIASELECT},
};

std::array<uint8_t, SDL_NUM_SCANCODES> MakeScancodeTable() {
    std::array<uint8_t, SDL_NUM_SCANCODES> table{};
    for (const ScancodeKey& key : kScancodeKeys) {
        table[key.Scancode] = key.Code;
    }
    return table;
}

const std::array<uint8_t, SDL_NUM_SCANCODES>& ScancodeTable() {
    static const std::array<uint8_t, SDL_NUM_SCANCODES> table = MakeScancodeTable();
    return table;
}

}  // namespace

uint8_t DirectInputCodeOfScancode(int scancode) {
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) {
        return 0;
    }
    return ScancodeTable()[scancode];
}

namespace {

// UTF-8 to Windows-1251: ASCII, the Russian and Ukrainian letters; anything else is "?".
std::string ToWindows1251(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<uint8_t>(utf8[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        uint32_t point = lead & (0x7F >> length);
        for (int k = 1; k < length && i + static_cast<std::size_t>(k) < utf8.size(); ++k) {
            point = (point << 6) | (static_cast<uint8_t>(utf8[i + static_cast<std::size_t>(k)]) & 0x3F);
        }
        i += static_cast<std::size_t>(length);
        static const std::pair<uint32_t, uint8_t> kOthers[] = {
            {0x401, 0xA8}, {0x451, 0xB8}, {0x404, 0xAA}, {0x454, 0xBA}, {0x406, 0xB2},
            {0x456, 0xB3}, {0x407, 0xAF}, {0x457, 0xBF}, {0x490, 0xA5}, {0x491, 0xB4}};
        char c = '?';
        if (point >= 0x410 && point <= 0x44F) {
            c = static_cast<char>(0xC0 + (point - 0x410));
        }
        for (const auto& [from, to] : kOthers) {
            c = point == from ? static_cast<char>(to) : c;
        }
        out += c;
    }
    return out;
}

}  // namespace

std::string KeyNameOnLayout(uint8_t code) {
    SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN;
    for (const ScancodeKey& key : kScancodeKeys) {
        if (key.Code == code) {
            scancode = key.Scancode;
            break;
        }
    }
    if (scancode == SDL_SCANCODE_UNKNOWN) {
        return std::string();
    }
    std::string name;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        const SDL_Keycode key = SDL_GetKeyFromScancode(scancode);
        name = key != SDLK_UNKNOWN ? SDL_GetKeyName(key) : "";
    }
    if (name.empty()) {
        name = SDL_GetScancodeName(scancode);
    }
    return ToWindows1251(name);
}

SdlInputDevice::SdlInputDevice(SdlWindow* window, SdlDesktop* desktop) : window_(window), desktop_(desktop) {
    SDL_AddEventWatch(&SdlInputDevice::LatchPress, this);
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0) {
        controllersStarted_ = true;
    } else {
        logging::Write("input", std::string("no game controllers: ") + SDL_GetError());
    }
}

SdlInputDevice::~SdlInputDevice() {
    SDL_DelEventWatch(&SdlInputDevice::LatchPress, this);
    for (ControllerPlace& place : places_) {
        if (place.Controller) {
            SDL_GameControllerClose(place.Controller);
        }
    }
    if (controllersStarted_) {
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }
}

int SdlInputDevice::LatchPress(void* self, SDL_Event* event) {
    auto* device = static_cast<SdlInputDevice*>(self);
    if (event->type == SDL_KEYDOWN) {
        uint8_t code = DirectInputCodeOfScancode(event->key.keysym.scancode);
        if (code != 0)
            device->latchedKeys_.Keys[code] = 0x80;
    } else if (event->type == SDL_CONTROLLERBUTTONDOWN) {
        for (ControllerPlace& place : device->places_) {
            if (event->cbutton.which == place.Id && event->cbutton.button < GamepadButtonCount) {
                place.LatchedButtons |= 1u << event->cbutton.button;
            }
        }
    } else if (event->type == SDL_MOUSEWHEEL) {
        device->latchedWheel_ +=
            event->wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event->wheel.y : event->wheel.y;
    } else if (event->type == SDL_MOUSEBUTTONDOWN) {
        switch (event->button.button) {
            case SDL_BUTTON_LEFT:
                device->latchedButtons_ |= 1;
                break;
            case SDL_BUTTON_RIGHT:
                device->latchedButtons_ |= 2;
                break;
            case SDL_BUTTON_MIDDLE:
                device->latchedButtons_ |= 4;
                break;
            case SDL_BUTTON_X1:
                device->latchedButtons_ |= 8;
                break;
            default:
                break;
        }
    }
    return 1;
}

bool SdlInputDevice::HasFocus() const {
    return !window_ || window_->HasInputFocus();
}

bool SdlInputDevice::ReadKeyboard(KeyboardSnapshot& snapshot) {
    if (!HasFocus()) {
        latchedKeys_ = KeyboardSnapshot{};
        return false;
    }
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    snapshot.Keys.fill(0);
    const auto& table = ScancodeTable();
    for (int scancode = 0; scancode < count && scancode < SDL_NUM_SCANCODES; ++scancode) {
        if (state[scancode] && table[scancode]) {
            snapshot.Keys[table[scancode]] = 0x80;
        }
    }
    for (size_t code = 0; code < snapshot.Keys.size(); ++code)
        snapshot.Keys[code] |= latchedKeys_.Keys[code];
    latchedKeys_ = KeyboardSnapshot{};
    return true;
}

bool SdlInputDevice::ReadMouse(MouseSnapshot& snapshot) {
    if (!HasFocus()) {
        havePointer_ = false;  // measure afresh when the focus comes back
        latchedButtons_ = 0;
        latchedWheel_ = 0;
        return false;
    }
    int x = 0;
    int y = 0;
    Uint32 buttons = SDL_GetGlobalMouseState(&x, &y);
    if (desktop_ && desktop_->WarpCount() != seenWarps_) {
        seenWarps_ = desktop_->WarpCount();
        desktop_->LastWarp(lastX_, lastY_);
        havePointer_ = true;
    }
    snapshot.DeltaX = havePointer_ ? x - lastX_ : 0;
    snapshot.DeltaY = havePointer_ ? y - lastY_ : 0;
    snapshot.DeltaWheel = latchedWheel_;
    latchedWheel_ = 0;
    lastX_ = x;
    lastY_ = y;
    havePointer_ = true;
    snapshot.Buttons[0] = (buttons & SDL_BUTTON_LMASK) ? 0x80 : 0;
    snapshot.Buttons[1] = (buttons & SDL_BUTTON_RMASK) ? 0x80 : 0;
    snapshot.Buttons[2] = (buttons & SDL_BUTTON_MMASK) ? 0x80 : 0;
    snapshot.Buttons[3] = (buttons & SDL_BUTTON_X1MASK) ? 0x80 : 0;
    for (int button = 0; button < 4; ++button) {
        if (latchedButtons_ & (1 << button))
            snapshot.Buttons[static_cast<size_t>(button)] = 0x80;
    }
    latchedButtons_ = 0;
    return true;
}

void SdlInputDevice::FollowControllers() {
    if (!controllersStarted_) {
        return;
    }
    for (ControllerPlace& place : places_) {
        if (place.Controller && !SDL_GameControllerGetAttached(place.Controller)) {
            logging::Write("input", "game controller disconnected");
            SDL_GameControllerClose(place.Controller);
            place = ControllerPlace{};
        }
    }
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
        ControllerPlace* free = !places_[0].Controller   ? &places_[0]
                                : !places_[1].Controller ? &places_[1]
                                                         : nullptr;
        if (free == nullptr) {
            return;
        }
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
        if (!SDL_IsGameController(index) || id == places_[0].Id || id == places_[1].Id) {
            continue;
        }
        free->Controller = SDL_GameControllerOpen(index);
        if (free->Controller) {
            free->Id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(free->Controller));
            const char* name = SDL_GameControllerName(free->Controller);
            logging::Write("input", std::string("game controller connected: ") + (name ? name : "unnamed"));
        }
    }
}

bool SdlInputDevice::ReadGamepad(GamepadSnapshot& snapshot) {
    FollowControllers();
    return ReadPlace(0, snapshot);
}

bool SdlInputDevice::ReadSecondGamepad(GamepadSnapshot& snapshot) {
    FollowControllers();
    return ReadPlace(1, snapshot);
}

bool SdlInputDevice::ReadPlace(int index, GamepadSnapshot& snapshot) {
    ControllerPlace& place = places_[index];
    if (!HasFocus()) {
        place.LatchedButtons = 0;
        return false;
    }
    snapshot = GamepadSnapshot{};
    if (!place.Controller) {
        return true;
    }
    snapshot.Connected = true;
    for (int axis = 0; axis < GamepadAxisCount; ++axis) {
        snapshot.Axes[static_cast<size_t>(axis)] =
            SDL_GameControllerGetAxis(place.Controller, static_cast<SDL_GameControllerAxis>(axis));
    }
    for (int button = 0; button < GamepadButtonCount; ++button) {
        bool down =
            SDL_GameControllerGetButton(place.Controller, static_cast<SDL_GameControllerButton>(button)) ||
            (place.LatchedButtons & (1u << button));
        snapshot.Buttons[static_cast<size_t>(button)] = down ? 0x80 : 0;
    }
    place.LatchedButtons = 0;
    return true;
}

}  // namespace platform
