// DirectInput 8 keyboard codes (DIK_*), the index of a key in a 256-byte keyboard snapshot, with the
// values of the published DirectInput header, and the game's key table: the 124 codes that a
// KeyIndex (0..123) names, in ascending code order. Index 0..82 is code 1..83 (index = code - 1).
#pragma once

#include <array>
#include <cstdint>

namespace platform {

// Main block and numeric keypad, codes 1..83.
constexpr uint8_t DIK_ESCAPE = 0x01;
constexpr uint8_t DIK_1 = 0x02;
constexpr uint8_t DIK_2 = 0x03;
constexpr uint8_t DIK_3 = 0x04;
constexpr uint8_t DIK_4 = 0x05;
constexpr uint8_t DIK_5 = 0x06;
constexpr uint8_t DIK_6 = 0x07;
constexpr uint8_t DIK_7 = 0x08;
constexpr uint8_t DIK_8 = 0x09;
constexpr uint8_t DIK_9 = 0x0A;
constexpr uint8_t DIK_0 = 0x0B;
constexpr uint8_t DIK_MINUS = 0x0C;
constexpr uint8_t DIK_EQUALS = 0x0D;
constexpr uint8_t DIK_BACK = 0x0E;  // Backspace
constexpr uint8_t DIK_TAB = 0x0F;
constexpr uint8_t DIK_Q = 0x10;
constexpr uint8_t DIK_W = 0x11;
constexpr uint8_t DIK_E = 0x12;
constexpr uint8_t DIK_R = 0x13;
constexpr uint8_t DIK_T = 0x14;
constexpr uint8_t DIK_Y = 0x15;
constexpr uint8_t DIK_U = 0x16;
constexpr uint8_t DIK_I = 0x17;
constexpr uint8_t DIK_O = 0x18;
constexpr uint8_t DIK_P = 0x19;
constexpr uint8_t DIK_LBRACKET = 0x1A;
constexpr uint8_t DIK_RBRACKET = 0x1B;
constexpr uint8_t DIK_RETURN = 0x1C;  // Enter of the main block
constexpr uint8_t DIK_LCONTROL = 0x1D;
constexpr uint8_t DIK_A = 0x1E;
constexpr uint8_t DIK_S = 0x1F;
constexpr uint8_t DIK_D = 0x20;
constexpr uint8_t DIK_F = 0x21;
constexpr uint8_t DIK_G = 0x22;
constexpr uint8_t DIK_H = 0x23;
constexpr uint8_t DIK_J = 0x24;
constexpr uint8_t DIK_K = 0x25;
constexpr uint8_t DIK_L = 0x26;
constexpr uint8_t DIK_SEMICOLON = 0x27;
constexpr uint8_t DIK_APOSTROPHE = 0x28;
constexpr uint8_t DIK_GRAVE = 0x29;
constexpr uint8_t DIK_LSHIFT = 0x2A;
constexpr uint8_t DIK_BACKSLASH = 0x2B;
constexpr uint8_t DIK_Z = 0x2C;
constexpr uint8_t DIK_X = 0x2D;
constexpr uint8_t DIK_C = 0x2E;
constexpr uint8_t DIK_V = 0x2F;
constexpr uint8_t DIK_B = 0x30;
constexpr uint8_t DIK_N = 0x31;
constexpr uint8_t DIK_M = 0x32;
constexpr uint8_t DIK_COMMA = 0x33;
constexpr uint8_t DIK_PERIOD = 0x34;
constexpr uint8_t DIK_SLASH = 0x35;
constexpr uint8_t DIK_RSHIFT = 0x36;
constexpr uint8_t DIK_MULTIPLY = 0x37;  // * on the numeric keypad
constexpr uint8_t DIK_LMENU = 0x38;     // left Alt
constexpr uint8_t DIK_SPACE = 0x39;
constexpr uint8_t DIK_CAPITAL = 0x3A;  // Caps Lock
constexpr uint8_t DIK_F1 = 0x3B;
constexpr uint8_t DIK_F2 = 0x3C;
constexpr uint8_t DIK_F3 = 0x3D;
constexpr uint8_t DIK_F4 = 0x3E;
constexpr uint8_t DIK_F5 = 0x3F;
constexpr uint8_t DIK_F6 = 0x40;
constexpr uint8_t DIK_F7 = 0x41;
constexpr uint8_t DIK_F8 = 0x42;
constexpr uint8_t DIK_F9 = 0x43;
constexpr uint8_t DIK_F10 = 0x44;
constexpr uint8_t DIK_NUMLOCK = 0x45;
constexpr uint8_t DIK_SCROLL = 0x46;  // Scroll Lock
constexpr uint8_t DIK_NUMPAD7 = 0x47;
constexpr uint8_t DIK_NUMPAD8 = 0x48;
constexpr uint8_t DIK_NUMPAD9 = 0x49;
constexpr uint8_t DIK_SUBTRACT = 0x4A;  // - on the numeric keypad
constexpr uint8_t DIK_NUMPAD4 = 0x4B;
constexpr uint8_t DIK_NUMPAD5 = 0x4C;
constexpr uint8_t DIK_NUMPAD6 = 0x4D;
constexpr uint8_t DIK_ADD = 0x4E;  // + on the numeric keypad
constexpr uint8_t DIK_NUMPAD1 = 0x4F;
constexpr uint8_t DIK_NUMPAD2 = 0x50;
constexpr uint8_t DIK_NUMPAD3 = 0x51;
constexpr uint8_t DIK_NUMPAD0 = 0x52;
constexpr uint8_t DIK_DECIMAL = 0x53;  // . on the numeric keypad

// Function keys, extended and media keys.
constexpr uint8_t DIK_F11 = 0x57;
constexpr uint8_t DIK_F12 = 0x58;
constexpr uint8_t DIK_NEXTTRACK = 0x99;
constexpr uint8_t DIK_NUMPADENTER = 0x9C;
constexpr uint8_t DIK_RCONTROL = 0x9D;
constexpr uint8_t DIK_MUTE = 0xA0;
constexpr uint8_t DIK_CALCULATOR = 0xA1;
constexpr uint8_t DIK_PLAYPAUSE = 0xA2;
constexpr uint8_t DIK_MEDIASTOP = 0xA4;
constexpr uint8_t DIK_VOLUMEDOWN = 0xAE;
constexpr uint8_t DIK_VOLUMEUP = 0xB0;
constexpr uint8_t DIK_WEBHOME = 0xB2;
constexpr uint8_t DIK_DIVIDE = 0xB5;  // / on the numeric keypad
constexpr uint8_t DIK_SYSRQ = 0xB7;
constexpr uint8_t DIK_RMENU = 0xB8;  // right Alt
constexpr uint8_t DIK_PAUSE = 0xC5;
constexpr uint8_t DIK_HOME = 0xC7;
constexpr uint8_t DIK_UP = 0xC8;
constexpr uint8_t DIK_PRIOR = 0xC9;  // Page Up
constexpr uint8_t DIK_LEFT = 0xCB;
constexpr uint8_t DIK_RIGHT = 0xCD;
constexpr uint8_t DIK_END = 0xCF;
constexpr uint8_t DIK_DOWN = 0xD0;
constexpr uint8_t DIK_NEXT = 0xD1;  // Page Down
constexpr uint8_t DIK_INSERT = 0xD2;
constexpr uint8_t DIK_DELETE = 0xD3;
constexpr uint8_t DIK_LWIN = 0xDB;
constexpr uint8_t DIK_RWIN = 0xDC;
constexpr uint8_t DIK_APPS = 0xDD;
constexpr uint8_t DIK_POWER = 0xDE;
constexpr uint8_t DIK_SLEEP = 0xDF;
constexpr uint8_t DIK_WAKE = 0xE3;
constexpr uint8_t DIK_WEBSEARCH = 0xE5;
constexpr uint8_t DIK_WEBFAVORITES = 0xE6;
constexpr uint8_t DIK_WEBREFRESH = 0xE7;
constexpr uint8_t DIK_WEBSTOP = 0xE8;
constexpr uint8_t DIK_WEBFORWARD = 0xE9;
constexpr uint8_t DIK_WEBBACK = 0xEA;
constexpr uint8_t DIK_MYCOMPUTER = 0xEB;
constexpr uint8_t DIK_MAIL = 0xEC;
constexpr uint8_t DIK_MEDIASELECT = 0xED;

// The game's key table: KeyIndex -> DirectInput code.
constexpr int KeyTableSize = 124;

constexpr std::array<uint8_t, KeyTableSize> MakeKeyTable() {
    std::array<uint8_t, KeyTableSize> table{};
    for (int index = 0; index < 83; ++index) {
        table[index] = static_cast<uint8_t>(index + 1);
    }
    constexpr uint8_t extended[KeyTableSize - 83] = {
        DIK_F11,        DIK_F12,       DIK_NEXTTRACK,  DIK_NUMPADENTER,  DIK_RCONTROL,   DIK_MUTE,
        DIK_CALCULATOR, DIK_PLAYPAUSE, DIK_MEDIASTOP,  DIK_VOLUMEDOWN,   DIK_VOLUMEUP,   DIK_WEBHOME,
        DIK_DIVIDE,     DIK_SYSRQ,     DIK_RMENU,      DIK_PAUSE,        DIK_HOME,       DIK_UP,
        DIK_PRIOR,      DIK_LEFT,      DIK_RIGHT,      DIK_END,          DIK_DOWN,       DIK_NEXT,
        DIK_INSERT,     DIK_DELETE,    DIK_LWIN,       DIK_RWIN,         DIK_APPS,       DIK_POWER,
        DIK_SLEEP,      DIK_WAKE,      DIK_WEBSEARCH,  DIK_WEBFAVORITES, DIK_WEBREFRESH, DIK_WEBSTOP,
        DIK_WEBFORWARD, DIK_WEBBACK,   DIK_MYCOMPUTER, DIK_MAIL,         DIK_MEDIASELECT};
    for (int i = 0; i < KeyTableSize - 83; ++i) {
        table[83 + i] = extended[i];
    }
    return table;
}

constexpr std::array<uint8_t, KeyTableSize> KeyTable = MakeKeyTable();

// The KeyIndex of a DirectInput code, or -1 when the code is not in the table.
constexpr int KeyIndexOfCode(uint8_t code) {
    for (int index = 0; index < KeyTableSize; ++index) {
        if (KeyTable[index] == code) {
            return index;
        }
    }
    return -1;
}

static_assert(KeyTable[0] == DIK_ESCAPE && KeyTable[16] == DIK_W && KeyTable[27] == DIK_RETURN);
static_assert(KeyTable[41] == DIK_LSHIFT && KeyTable[55] == DIK_LMENU && KeyTable[95] == DIK_DIVIDE);
static_assert(KeyTable[97] == DIK_RMENU && KeyTable[123] == DIK_MEDIASELECT);

}  // namespace platform
