#include "world/Wall.h"

#include "world/Effects.h"
#include "world/Map.h"
#include "world/World.h"

TWall::TWall(TWorld& world, std::string name, int32_t cellX, int32_t cellY, TMeshResource* wreckedMesh,
             TMeshResource* damagedMesh, TMeshResource* intactMesh)
    : TGameObject(std::move(name), intactMesh),
      CellX(cellX),
      CellY(cellY),
      IntactMesh(intactMesh),
      DamagedMesh(damagedMesh),
      WreckedMesh(wreckedMesh),
      World_(world) {
    if (TMap* map = CurrentMap(World_))
        map->SetCell(cellX, cellY, 1);
}

TWall::~TWall() {
    FreeCell();
}

void TWall::FreeCell() {
    if (!HoldsCell)
        return;
    HoldsCell = false;
    if (TMap* map = CurrentMap(World_))
        map->SetCell(CellX, CellY, 0);
}

void TWall::Update(int32_t) {
    float ratio = Health / MaxHealth;
    if (ratio > 0.75f && ratio <= 1.0f) {
        SetMesh(IntactMesh);
    } else if (ratio >= 0.6f && ratio <= 0.75f) {
        SetMesh(DamagedMesh);
    } else if (ratio > 0.2f && ratio < 0.6f) {
        SetMesh(WreckedMesh);
    } else if (Health <= 0.0f) {
        FreeCell();
        Remove();
    }
}

void TWall::SpawnDebris() {
    AddWallDebris(World_, WorldPosition(*this));
}

std::string WallName(int32_t x, int32_t y) {
    return "Wall " + std::to_string(x) + " " + std::to_string(y);
}

namespace {

std::unique_ptr<TWall> MakeWall(TWorld& world, const std::string& name, int32_t x, int32_t y,
                                const char* intact, const char* damaged, const char* wrecked, float health) {
    auto wall = std::make_unique<TWall>(world, name, x, y, FindMesh(world, wrecked), FindMesh(world, damaged),
                                        FindMesh(world, intact));
    TVector3 centre = CellCentre(world, x, y);
    wall->SetPosition(centre.X, 0.0f, centre.Z);
    wall->Health = health;
    wall->MaxHealth = health;
    return wall;
}

}  // namespace

std::unique_ptr<TWall> MakeBrickWall(TWorld& world, const std::string& name, int32_t x, int32_t y,
                                     float health) {
    return MakeWall(world, name, x, y, "Wall", "Wall1", "Wall2", health);
}

std::unique_ptr<TWall> MakeRockWall(TWorld& world, const std::string& name, int32_t x, int32_t y) {
    return MakeWall(world, name, x, y, "Wall_rock", "Wall_rock1", "Wall_rock2", 6.0f);
}
