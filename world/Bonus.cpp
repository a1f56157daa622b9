#include "world/Bonus.h"

#include "world/Effects.h"
#include "world/Enemy.h"
#include "world/Map.h"
#include "world/Player.h"
#include "world/Team.h"
#include "world/Wall.h"
#include "world/World.h"

namespace {

// Draws of a random footprint before SpawnBonus gives up on a map that has hardly any free one.
constexpr int kMaxBonusDraws = 10000;

}  // namespace

const char* TBonus::MeshName(int32_t kind) {
    static const char* const names[KindCount] = {"armour_bonus", "time_bonus", "remount_bonus", "bomb_bonus",
                                                 "upgrade",      "life_bonus", "wall_bonus"};
    return kind >= 0 && kind < KindCount ? names[kind] : names[0];
}

TBonus::TBonus(TWorld& world, std::string name, TMeshResource* mesh, int32_t cellX, int32_t cellY,
               int32_t kind)
    : TGameObject(std::move(name), mesh), Kind(kind), World_(world) {
    TVector3 centre = FootprintCentre(World_, cellX, cellY);
    SetPosition(centre.X, 0.0f, centre.Z);
}

void TBonus::Update(int32_t deltaMs) {
    // The first player's tank first: on a bonus both reach in the same frame, it is the first's.
    TPlayer* player = nullptr;
    for (uint8_t index = 0; index < PlayerCount(World_.State) && player == nullptr; ++index) {
        TPlayer* tank = FindPlayerTank(World_, index);
        if (tank != nullptr && VectorDistance(tank->GetPosition(), Position) < 1.0f)
            player = tank;
    }
    if (player == nullptr) {
        SpinAngle += deltaMs * 0.1f;
        if (SpinAngle > 360.0f)
            SpinAngle -= 360.0f;
        SetRotation(0.0f, SpinAngle, 0.0f);
        return;
    }
    PlaySound(World_, "bonus");
    World_.State.Score += 100;
    ApplyEffect(*player);
    AddRomb(World_, WorldPosition(*this));
    Remove();
}

void TBonus::ApplyEffect(TPlayer& player) {
    TGameState& state = World_.State;
    switch (Kind) {
        case Armour:
            player.SetArmour(10000);
            break;
        case Time:
            state.FreezeActive = true;
            state.FreezeTimeLeft = 10000;
            break;
        case Remount:
            player.Health = 10.0f;
            break;
        case Bomb: {
            std::vector<TMoveableObject*> objects;
            World_.Context.SceneRoot->CollectObjects(objects);
            for (TMoveableObject* object : objects) {
                if (auto* enemy = dynamic_cast<TEnemy*>(object))
                    enemy->Health = -1.0f;
            }
            break;
        }
        case Upgrade:
            player.Upgrade();
            break;
        case Life:
            PlayerSlot(state, player.Index).Lives += 1;
            break;
        case WallRing:
            BuildWallsAroundBase(World_);
            break;
        default:
            break;
    }
}

void BuildWallsAroundBase(TWorld& world) {
    TMap* map = CurrentMap(world);
    TMoveableObject* root = world.Context.SceneRoot;
    TMoveableObject* level = LevelNode(world);
    // Without a base there is nothing to wall in (the ring would stand around the corner footprint,
    // where the player may start).
    if (map == nullptr || root == nullptr || level == nullptr || !map->HasBase)
        return;
    for (int32_t x = map->BaseX - 1; x <= map->BaseX + 2; ++x) {
        for (int32_t y = map->BaseY - 1; y <= map->BaseY + 2; ++y) {
            if (!map->IsCell(x, y))
                continue;
            if (x >= map->BaseX && x <= map->BaseX + 1 && y >= map->BaseY && y <= map->BaseY + 1)
                continue;
            auto* wall = dynamic_cast<TWall*>(root->FindObject(WallName(x, y)));
            if (wall != nullptr) {
                wall->Health = wall->MaxHealth;
            } else if (map->Cell(x, y) == 0) {
                // Placed in the world at once: shells later in this frame test it where it stands.
                level->AddChild(MakeBrickWall(world, "Wall", x, y, 5.0f))->UpdateMatrices();
            }
        }
    }
}

void TArmour::Update(int32_t deltaMs) {
    if (Finished) {
        Remove();
        return;
    }
    SpinAngle += deltaMs;
    if (SpinAngle > 360.0f)
        SpinAngle -= 360.0f;
    SetRotation(0.0f, SpinAngle, 0.0f);
}

void SpawnBonus(TWorld& world) {
    TMap* map = CurrentMap(world);
    TMoveableObject* level = LevelNode(world);
    if (map == nullptr || level == nullptr)
        return;
    Randomize(world.Random);
    int32_t x = 0;
    int32_t y = 0;
    bool found = false;
    map->UpdateBlocked();
    for (int draw = 0; draw < kMaxBonusDraws && !found; ++draw) {
        x = Random(world.Random, map->Width() - 1);
        y = Random(world.Random, map->Height() - 1);
        found = !map->Blocked(x, y);
    }
    if (!found)
        return;
    int32_t kind = Random(world.Random, TBonus::KindCount);
    level->AddChild(
        std::make_unique<TBonus>(world, "Bonus", FindMesh(world, TBonus::MeshName(kind)), x, y, kind));
}
