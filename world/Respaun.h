// The spawn effect: a second of swirling particles at a spawn point, then the tank it brings in (an
// enemy of a kind at an enemy spawn point, or the player's tank at the player's start). SpawnEnemy
// decides when and where an enemy spawn effect starts.
#pragma once

#include <cstdint>

#include "effects/GE_PARTICLESYSTEM.h"

struct TWorld;

class TRespaun : public TParticleSystem {
public:
    // Stands 1 unit above the centre of spawn point `spawnIndex` (enemy) or of the player's start on
    // the world's map, and draws from the world's random generator.
    TRespaun(TWorld& world, TRenderD3D9& render, int32_t spawnIndex, uint8_t kind, uint8_t isEnemy,
             int32_t maxCount, TVertexShader* vertexShader, TPixelShader* pixelShader,
             platform::TextureHandle texture);

    void Update(int32_t deltaMs) override;

    uint8_t IsEnemy;
    uint8_t Kind;
    // Index into the map's spawn points; as wide as their count, which a level file may take past 255.
    int32_t SpawnIndex;
    int32_t EmitTimer = 20;
    int32_t TimeLeft = 1000;

private:
    void BringInTank();
    TWorld& World_;
};

// Adds the spawn effect of a player's tank (0 the first player, 1 the second; its Kind) at that
// player's start (world/Team.h) to the world's "Level".
void SpawnPlayer(TWorld& world, uint8_t player = 0);
// Starts an enemy spawn effect at a random spawn point when the level's quota allows one.
void SpawnEnemy(TWorld& world);
