// Pick-ups that appear at random free footprints and take effect when the player's tank drives over
// them, and the spinning shield shown around the tank while its armour is on.
#pragma once

#include <cstdint>
#include <string>

#include "scene/GE_GAMEOBJECT.h"

struct TWorld;

class TBonus : public TGameObject {
public:
    enum : int32_t { Armour = 0, Time = 1, Remount = 2, Bomb = 3, Upgrade = 4, Life = 5, WallRing = 6 };
    static constexpr int32_t KindCount = 7;
    // The cached mesh name of a kind.
    static const char* MeshName(int32_t kind);

    TBonus(TWorld& world, std::string name, TMeshResource* mesh, int32_t cellX, int32_t cellY, int32_t kind);
    void Update(int32_t deltaMs) override;

    int32_t Kind;
    float SpinAngle = 0.0f;

private:
    void ApplyEffect(class TPlayer& player);
    TWorld& World_;
};

class TArmour : public TGameObject {
public:
    TArmour(std::string name, TMeshResource* mesh) : TGameObject(std::move(name), mesh) {}
    void Update(int32_t deltaMs) override;
    // The shield is over: the mesh removes itself in its next update.
    void Finish() { Finished = true; }

    float SpinAngle = 0.0f;
    bool Finished = false;
};

// Places one bonus of a random kind on a random free footprint of the world's map, under "Level". Gives up
// (placing nothing) when no free footprint turns up within a bounded number of draws.
void SpawnBonus(TWorld& world);

// The wall bonus: repairs the level walls on the ring of cells around the base and builds brick walls
// on the free ones. Nothing on a level without a base.
void BuildWallsAroundBase(TWorld& world);
