// The three difficulties and the tuning numbers each changes. Normal is the game as designed: every
// number stays exactly what "Data/Config.txt" and the game's rules give. Easy gives the player and the
// base half as much health again and lets the enemies take half as long again to reload; Hard gives
// both 70 % of their health and the enemies 70 % of their reload time. Times are whole milliseconds.
#pragma once

#include <cstdint>

enum : uint8_t { kDifficultyEasy = 0, kDifficultyNormal = 1, kDifficultyHard = 2, kDifficultyCount = 3 };

struct TGameState;

// The player's and the base's full health under state.Difficulty ("Data/Config.txt" gives Normal's).
int32_t PlayerFullHealth(const TGameState& state);
int32_t BaseFullHealth(const TGameState& state);
// An enemy's reload time for its weapon's `reloadMs`.
int32_t EnemyReloadTime(uint8_t difficulty, int32_t reloadMs);
