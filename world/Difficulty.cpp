#include "world/Difficulty.h"

#include "world/GameState.h"

namespace {

// Per difficulty, in percent of the designed number: the health of the player and of the base, and
// the enemies' reload time. The time between spawns stays: a level ends when its last enemy is
// destroyed, so enemies that come sooner also end it sooner, which is not harder for every player.
struct TTuning {
    int32_t Health;
    int32_t EnemyReload;
};
constexpr TTuning kTunings[kDifficultyCount] = {
    {150, 150},  // Easy
    {100, 100},  // Normal
    {70, 70},    // Hard
};

const TTuning& TuningOf(uint8_t difficulty) {
    return kTunings[difficulty < kDifficultyCount ? difficulty : uint8_t{kDifficultyNormal}];
}

int32_t Scale(int32_t value, int32_t percent) {
    // Whole numbers only; at least 1 so a tiny figure does not vanish.
    const int64_t scaled = static_cast<int64_t>(value) * percent / 100;
    return percent == 100 ? value : static_cast<int32_t>(scaled < 1 ? 1 : scaled);
}

}  // namespace

int32_t PlayerFullHealth(const TGameState& state) {
    return Scale(state.PlayerMaxHealth, TuningOf(state.Difficulty).Health);
}

int32_t BaseFullHealth(const TGameState& state) {
    return Scale(state.BaseMaxHealth, TuningOf(state.Difficulty).Health);
}

int32_t EnemyReloadTime(uint8_t difficulty, int32_t reloadMs) {
    return Scale(reloadMs, TuningOf(difficulty).EnemyReload);
}
