// The tuning file "Data/Config.txt" and the options file (display mode, resolution, language).
//
// Parsers take the file's bytes and the file's name (for messages) and fill the game state only when
// the whole file is good; on failure they return false with an `error` naming the file and the place,
// and the state is left as it was. The Load/Save forms read and write through util/Files.h, in the
// data root they are given.
#pragma once

#include <string>
#include <string_view>

#include "util/Files.h"
#include "world/GameState.h"

// "Data/Config.txt": five pairs of a name token and a decimal integer: PlayerMaxHealth, BaseMaxHealth,
// AttackBaseTime, ChasePlayerTime, WanderTime. The names are not interpreted.
bool ParseConfig(std::string_view bytes, std::string_view fileName, TGameState& state, std::string& error);
bool LoadConfig(const files::TDataRoot& root, TGameState& state, std::string& error);

// The options file: four lines "name = value" for Windowed ("true" exactly, anything else is full
// screen), ScreenWidth, ScreenHeight (1..16384) and Language ("UKR", "RUS", anything else English).
bool ParseOptions(std::string_view bytes, std::string_view fileName, TGameState& state, std::string& error);
bool LoadOptions(const files::TDataRoot& root, std::string_view path, TGameState& state, std::string& error);

// The text SaveOptions writes: CR LF after each line but the last.
std::string FormatOptions(const TGameState& state);
// Written atomically: a failed write leaves the previous file. Stale temporaries go first, as below.
bool SaveOptions(const files::TDataRoot& root, std::string_view path, const TGameState& state,
                 std::string& error);

// Removes the temporaries that saves of the game's two written files (the options and the table of
// records) left, when killed before their rename, in the folder a write to `path` goes to; only those
// older than a minute, so a save in progress elsewhere is not disturbed. Called at start-up for the
// folders of both files and before each save.
void RemoveStaleSaveTemporaries(const files::TDataRoot& root, std::string_view path);
