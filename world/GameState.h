// The game-wide state: the display and language settings, the tuning values of "Data/Config.txt" and
// the game flow's values that the shell and the world objects share (score, lives, weapon grade, the
// respawn, freeze, armour and game-over flags, the enemy counters and quotas).
//
// Part of the world (world/World.h). The shell writes the settings and drives the flow; the world
// objects read and write the shared values of the world they belong to. Times are
// whole milliseconds.
#pragma once

#include <cstdint>
#include <memory>

#include "input/KeyBindings.h"
#include "world/Map.h"

// What a second player has of their own in a game for two (the first player's are TGameState's own
// Lives, UpgradeLevel, PlayerRespawnPending, FirstSpawn and ArmourActive).
struct TPlayerState {
    int32_t Lives = 3;
    uint8_t UpgradeLevel = 0;
    bool RespawnPending = false;
    bool FirstSpawn = false;
    bool ArmourActive = false;
};

// Values of TGameState::Language.
enum : uint8_t { kLanguageUkrainian = 0, kLanguageRussian = 1, kLanguageEnglish = 2 };

struct TGameState {
    // Display and language (the options file).
    bool Windowed = true;
    int32_t ScreenWidth = 800;
    int32_t ScreenHeight = 600;
    uint8_t Language = kLanguageUkrainian;
    uint8_t FirstLevel = 0;  // the level index a new game starts at (a command-line choice)
    uint8_t Difficulty = 1;  // kDifficultyNormal (world/Difficulty.h), from the settings or a demo
    TKeyBindings Bindings;   // the controls in force (the settings', or a demo's)
    TSecondKeyBindings SecondBindings;  // the second player's, the same way

    // Tuning ("Data/Config.txt").
    int32_t PlayerMaxHealth = 10;     // the player tank's full health
    int32_t BaseMaxHealth = 20;       // the base's full health
    int32_t AttackBaseTime = 10000;   // ms an enemy heads for the base
    int32_t ChasePlayerTime = 10000;  // ms an enemy hunts the player
    int32_t WanderTime = 5000;        // ms an enemy roams at random

    // Game flow.
    bool InGame = false;     // a level is running
    bool Paused = false;     // the running level is paused
    uint8_t LevelIndex = 0;  // index into the level list
    int32_t Score = 0;
    int32_t Lives = 3;
    uint8_t UpgradeLevel = 0;              // the player's weapon grade, kept between levels
    bool PlayerRespawnPending = false;     // set by the player tank when it is destroyed
    bool FirstSpawn = false;               // the next spawn is the level's first and costs no life
    int32_t BonusTimer = 0;                // ms to the next bonus
    int32_t EnemySpawnTimer = 0;           // ms to the next enemy spawn
    uint16_t EnemiesAlive = 0;             // living or spawning enemies
    bool AllEnemiesSpawned = false;        // the level's last enemy has been taken
    int32_t EnemyQuota[4] = {0, 0, 0, 0};  // enemies of each kind still to spawn
    bool FreezeActive = false;             // enemies stand still
    int32_t FreezeTimeLeft = 0;            // ms of freeze left
    bool ArmourActive = false;             // the player's armour shield is on
    bool GameOver = false;                 // the base is destroyed

    // Two players on one screen (a game begun with "Two players"); everything else above is shared.
    bool TwoPlayers = false;
    TPlayerState Player2;
    // A player whose tank fell with no life left is out for the rest of the game (two players only).
    bool PlayerOut[2] = {false, false};

    // The current level's grid, made by the level loader and kept until the next level replaces it;
    // null before the first level.
    std::unique_ptr<TMap> Map;
};
