// The checks a level must pass before it can be played: the base, the player start, the second player's
// start (a level may have none) and every spawn point lie inside the map on free cells and do not
// overlap one another; there is a start, at least one spawn point (at most kMostSpawnPoints) and at least
// one enemy. A spawn point from which an enemy cannot reach the start or the base without crossing water
// (walls can be shot away), and a second start from which the base cannot be reached so, are only
// warnings.
//
// Each problem names the footprint or cell it is about, so the editor can point at it and --check can
// print it. The texts are English lines that double as keys of the language files (shell/Languages.h):
// LevelProblemText fills them in through a translation of the caller's choice.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "world/LevelFile.h"

inline constexpr int32_t kMostSpawnPoints = 16;

enum class TLevelProblemKind : uint8_t {
    Outside,             // Subject outside the footprints of the map
    NotFree,             // Subject stands on a wall or water at Cell
    Overlap,             // Subject overlaps Other
    NoStart,             // no player start
    NoSpawnPoint,        // no spawn point
    TooManySpawnPoints,  // more than kMostSpawnPoints
    NoEnemy,             // the four enemy counts are 0
    StartUnreachable,    // warning: Subject (a spawn point) cannot reach the start over land
    BaseUnreachable,     // warning: Subject (a spawn point or the second start) cannot reach the base
};

// What a problem is about: the base, the player start, spawn point Index or the second start, at
// footprint At.
struct TLevelPiece {
    enum Kind : uint8_t { Base, Start, Spawn, SecondStart } What = Base;
    int32_t Index = 0;
    TGridPoint At;
};

struct TLevelProblem {
    TLevelProblemKind Kind = TLevelProblemKind::NoStart;
    TLevelPiece Subject;
    TLevelPiece Other;
    TGridPoint Cell;  // the cell to point at: the one in the way for NotFree, else the subject's footprint

    bool IsWarning() const {
        return Kind == TLevelProblemKind::StartUnreachable || Kind == TLevelProblemKind::BaseUnreachable;
    }
};

// Every problem of `level` with the enemy counts of kinds 0 to 3, errors and warnings in the order of
// the checks above.
std::vector<TLevelProblem> CheckLevel(const TLevelDescription& level, const uint8_t (&enemies)[4]);

// True when none of `problems` is an error: the level may be played.
bool Playable(const std::vector<TLevelProblem>& problems);

// A key's line in the player's language; the key itself when there is no line.
using TTranslate = std::function<std::string(std::string_view key)>;

// One line, "Spawn point 2 at (5, 1) stands on a wall or water at cell (6, 2)", through `translate`
// (English when it is empty). Placeholders %1, %2, %3 in a translated line take the pieces in order.
std::string LevelProblemText(const TLevelProblem& problem, const TTranslate& translate = nullptr);

// Every line LevelProblemText may look up, for the language files' check.
const std::vector<std::string_view>& LevelProblemKeys();
