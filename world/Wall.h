// Destructible wall blocks: a brick or rock wall of a level cell, or a brick wall built by the wall
// bonus. A wall shows one of three looks by its health ratio and marks its cell while it stands.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "scene/GE_GAMEOBJECT.h"

struct TWorld;

class TWall : public TGameObject {
public:
    // Starts with the intact look and health 5, and marks its cell on the world's map. The creator sets
    // the position, Health and MaxHealth.
    TWall(TWorld& world, std::string name, int32_t cellX, int32_t cellY, TMeshResource* wreckedMesh,
          TMeshResource* damagedMesh, TMeshResource* intactMesh);
    ~TWall() override;

    void Update(int32_t deltaMs) override;
    // Debris knocked off by a hit, at the wall's world position.
    void SpawnDebris();

    int32_t CellX, CellY;
    TMeshResource* IntactMesh;
    TMeshResource* DamagedMesh;
    TMeshResource* WreckedMesh;
    float Health = 5.0f;
    float MaxHealth = 5.0f;

private:
    // Gives the cell back, once: when the wall removes itself (the scene frees removed nodes only after
    // its update walk, and the objects updated after the wall must already find the cell free) or, for a
    // wall freed with the level, in its destroy.
    void FreeCell();
    TWorld& World_;
    bool HoldsCell = true;
};

// The name a level wall of cell (x, y) gets: "Wall " x " " y.
std::string WallName(int32_t x, int32_t y);
// A brick wall (meshes "Wall", "Wall1", "Wall2") at the centre of cell (x, y) with the given health.
std::unique_ptr<TWall> MakeBrickWall(TWorld& world, const std::string& name, int32_t x, int32_t y,
                                     float health);
// A rock wall (meshes "Wall_rock", "Wall_rock1", "Wall_rock2") at the centre of cell (x, y), health 6.
std::unique_ptr<TWall> MakeRockWall(TWorld& world, const std::string& name, int32_t x, int32_t y);
