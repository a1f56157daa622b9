// A digest of the world (world/World.h) as it stands: the game-wide values (level, score, lives, weapon
// grade, the bonus, enemy-spawn and freeze timers, the flags, the enemy counters and quotas, the random seed)
// and every object under the scene root's "Level" node in tree order (its kind, name, cell, health and exact
// position and rotation). Two runs that played the same game give the same digest, bit for bit; a demo prints
// it when it ends.
#pragma once

#include <cstdint>
#include <string>

#include "world/World.h"

struct TWorldDigest {
    uint64_t Hash = 0;
    int32_t Level = 0;  // 1-based
    int32_t Score = 0;
    int32_t Lives = 0;
    int32_t Objects = 0;  // under "Level"
    // Kept by whoever runs the frames: every frame's Hash folded in (FoldHistory), so play that
    // differed for a while and then met again (an empty world after the level) still shows.
    uint64_t History = 0;
    uint64_t Frames = 0;
};

// History after one more frame whose world hashed to `hash`.
uint64_t FoldHistory(uint64_t history, uint64_t hash);

TWorldDigest DigestWorld(const TWorld& world);

// "digest 0123456789abcdef level 1 score 300 lives 2 objects 57 frames 3000 history 0123456789abcdef".
std::string DigestText(const TWorldDigest& digest);
