// The player's settings beyond the options file: "settings.txt", beside the options file (in Data when
// the game runs from a folder it can write, else in the per-user folder), one "name = value" per line:
//
//   MusicVolume = 0..100        EffectsVolume = 0..100      Mute = true | false
//   DriveUp, DriveDown, DriveLeft, DriveRight, Fire, Pause = an input code (input/KeyBindings.h): a
//                                 key's scancode 1..255, or mouse1..mouse3 (fire only)
//   Player2DriveUp, Player2DriveDown, Player2DriveLeft, Player2DriveRight, Player2Fire,
//   Player2TurretLeft, Player2TurretRight = a scancode 1..255 (the second player in a game for two)
//   MouseSpeed = 25..400        GamepadAimSpeed = 25..400   (percent of the designed speed)
//   Vsync = true | false        FrameCap = 30 | 60 | 120 | 144 | unlimited
//   Difficulty = Easy | Normal | Hard
//
// The file is never a reason not to start: a missing file gives the defaults (the game as designed);
// a line with an unknown name, or one without " = ", is kept as it is and written back after the known
// ones; a known name with a bad value (or given a second time) takes its default, and a problem naming
// the file, the line and the value is reported for the log and for --check. A second player's key
// that the first player's controls also hold is repaired (input/KeyBindings.h RepairClashes), with a
// problem naming it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "input/KeyBindings.h"
#include "util/Files.h"
#include "world/Difficulty.h"

struct TSettings {
    int32_t MusicVolume = 100;  // percent
    int32_t EffectsVolume = 100;
    bool Mute = false;
    TKeyBindings Bindings;
    TSecondKeyBindings SecondBindings;
    int32_t MouseSpeed = 100;  // percent
    int32_t GamepadAimSpeed = 100;
    bool Vsync = true;
    int32_t FrameCap = 0;  // frames per second, 0 unlimited
    uint8_t Difficulty = kDifficultyNormal;
    // Lines the game does not know, in their order, without their line ends.
    std::vector<std::string> OtherLines;

    bool operator==(const TSettings& other) const;
};

inline constexpr const char* kSettingsName = "settings.txt";
// The frame caps the settings allow, 0 for none.
inline constexpr int32_t kFrameCaps[] = {30, 60, 120, 144, 0};
inline constexpr int32_t kLeastSpeed = 25;
inline constexpr int32_t kMostSpeed = 400;

// The name a difficulty has in the file ("Easy", "Normal", "Hard").
const char* DifficultyName(uint8_t difficulty);

// Reads `bytes` into `settings` (from the defaults), as above; each problem goes into `problems`.
void ParseSettings(std::string_view bytes, std::string_view fileName, TSettings& settings,
                   std::vector<std::string>& problems);
// The file's text: the known settings in the order above, then the other lines, each ending in LF.
std::string FormatSettings(const TSettings& settings);

// Reads the file at `path` (a game path in `root` or a real path); a missing file gives the defaults with no
// problem, a file that exists but cannot be read gives the defaults and one problem.
void LoadSettings(const files::TDataRoot& root, std::string_view path, TSettings& settings,
                  std::vector<std::string>& problems);
// Written atomically: a failed write leaves the previous file. False with `error`.
bool SaveSettings(const files::TDataRoot& root, std::string_view path, const TSettings& settings,
                  std::string& error);
