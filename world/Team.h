// Two players on one screen: what each player has of their own, where the second one starts, which of
// the two an enemy hunts, and how far apart the two tanks may drive. Player 0 is the first player
// (the tank "Player"), player 1 the second ("Player2"). With one player everything here answers for
// the first player alone, so the single-player game plays as before.
#pragma once

#include <cstdint>

#include "world/GameState.h"
#include "world/Map.h"

class TPlayer;
struct TWorld;

inline constexpr uint8_t kPlayerCount = 2;

// One player's own values, by reference into the game state.
struct TPlayerSlot {
    int32_t& Lives;
    uint8_t& UpgradeLevel;
    bool& RespawnPending;
    bool& FirstSpawn;
    bool& ArmourActive;
};
TPlayerSlot PlayerSlot(TGameState& state, uint8_t player);

// "Player" or "Player2": the tank's node name.
const char* PlayerTankName(uint8_t player);
// The player's tank in the world's scene, or nullptr while it waits to respawn (a tank that exploded in
// this frame's update walk is still found until the walk ends).
TPlayer* FindPlayerTank(TWorld& world, uint8_t player);
// How many players this game has (1, or 2 in a two-player game).
uint8_t PlayerCount(const TGameState& state);

// Where the player's tank comes in: the map's start for the first player, its second start for the
// second (the first start while it has none).
TGridPoint PlayerStart(const TMap& map, uint8_t player);
// Gives a map that names no second start one: the first footprint next to the first start that is
// free of walls and water (right, left, below, above, then the four diagonals, then two footprints
// away), else the first start itself. Run on the level as loaded, before any tank stands on it.
void ChooseSecondStart(TMap& map);

// The living tank an enemy standing on (x, y) hunts: the only one, or of two the one the map's path
// search finds the shorter way to (the first player on a tie, and a tank with no way to it counts as
// farthest). nullptr when neither lives. Leaves the map's search state undefined; the tanks'
// footprints are occupied again before it returns.
TPlayer* HuntedPlayer(TWorld& world, TGridPoint from);

// Whether `tank` may step onto `target` with the other player's tank where it stands: with one tank
// always; with two, when the shared camera can still show both (world/TeamCamera.h), or when they
// already stand too far apart (after a respawn) and the step does not take them farther apart.
bool StepKeepsTeamInView(TWorld& world, const TPlayer& tank, TGridPoint target);
