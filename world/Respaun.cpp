#include "world/Respaun.h"

#include "models/GE_ResourceManager.h"
#include "world/Effects.h"
#include "world/Enemy.h"
#include "world/Map.h"
#include "world/Player.h"
#include "world/Team.h"
#include "world/World.h"

namespace {

// A coordinate of the spawn swirl: -1 .. 0.98 in steps of 0.02.
float SwirlCoordinate(TRandomGenerator& random) {
    return Random(random, 100) / 100.0f * 2.0f - 1.0f;
}

std::unique_ptr<TRespaun> MakeRespaun(TWorld& world, int32_t spawnIndex, uint8_t kind, uint8_t isEnemy) {
    TWorldContext& context = world.Context;
    if (context.Render == nullptr)
        return nullptr;
    TVertexShader* vs = context.Shaders != nullptr ? context.Shaders->GetVertexShader("Particle") : nullptr;
    TPixelShader* ps = context.Shaders != nullptr ? context.Shaders->GetPixelShader("Particle") : nullptr;
    auto respaun = std::make_unique<TRespaun>(world, *context.Render, spawnIndex, kind, isEnemy, 500, vs, ps,
                                              platform::TextureHandle{});
    GiveParticleTexture(world, "Respaun", *respaun);
    return respaun;
}

}  // namespace

TRespaun::TRespaun(TWorld& world, TRenderD3D9& render, int32_t spawnIndex, uint8_t kind, uint8_t isEnemy,
                   int32_t maxCount, TVertexShader* vertexShader, TPixelShader* pixelShader,
                   platform::TextureHandle texture)
    : TParticleSystem(render, texture, vertexShader, pixelShader, maxCount),
      IsEnemy(isEnemy),
      Kind(kind),
      SpawnIndex(spawnIndex),
      World_(world) {
    RandomSource = &world.Random;
    if (TMap* map = CurrentMap(World_)) {
        TGridPoint cell = PlayerStart(*map, isEnemy != 0 ? 0 : kind);
        if (isEnemy != 0 && spawnIndex >= 0 && static_cast<size_t>(spawnIndex) < map->SpawnPoints.size())
            cell = map->SpawnPoints[static_cast<size_t>(spawnIndex)];
        TVector3 centre = FootprintCentre(World_, cell.X, cell.Y);
        SetPosition(centre.X, 1.0f, centre.Z);
    }
}

void TRespaun::Update(int32_t deltaMs) {
    TimeLeft -= deltaMs;
    if (TimeLeft > 0) {
        EmitTimer -= deltaMs;
        if (EmitTimer < 0) {
            EmitTimer = 10;
            TParticle p;
            float x = SwirlCoordinate(World_.Random);
            float y = SwirlCoordinate(World_.Random);
            float z = SwirlCoordinate(World_.Random);
            TVector3 v = Vector3(x, y, z);
            p.Position = v;
            // A direction of exactly zero has no heading: let it stand still.
            p.Velocity = VectorLength(v) > 0.0f ? VectorNormalize(v) : v;
            p.Angle = static_cast<float>(Random(World_.Random, 360));
            p.AngleSpeed = 0.0f;
            p.Size = 1.0f;
            p.Color = TParticleColor{255.0f, 255.0f, 255.0f, 255.0f};
            p.Life = 100;
            AddParticle(p);
        }
        for (TParticle& p : Particles) {
            p.Position = VectorAdd(p.Position, VectorScale(p.Velocity, deltaMs * 0.01f));
            p.Angle += deltaMs * 0.01f;
            p.Size += deltaMs * 0.003f;
            p.Life -= deltaMs;
        }
        RemoveExpired([](const TParticle& p) { return p.Life < 0; });
        return;
    }
    BringInTank();
    Remove();
}

void TRespaun::BringInTank() {
    TMap* map = CurrentMap(World_);
    TMoveableObject* level = LevelNode(World_);
    if (map == nullptr || level == nullptr)
        return;
    if (IsEnemy != 0) {
        if (SpawnIndex < 0 || static_cast<size_t>(SpawnIndex) >= map->SpawnPoints.size())
            return;
        const TGridPoint& cell = map->SpawnPoints[static_cast<size_t>(SpawnIndex)];
        auto enemy = std::make_unique<TEnemy>(World_, "Enemy1", cell.X, cell.Y,
                                              FindMesh(World_, "Enemy" + std::to_string(Kind + 1)), Kind);
        enemy->SetWeapon(WeaponRow(World_, Kind));
        level->AddChild(std::move(enemy));
    } else {
        const TGridPoint start = PlayerStart(*map, Kind);
        TMeshResource* body = FindMesh(World_, Kind == 0 ? "Player" : "Player2");
        if (body == nullptr)
            body = FindMesh(World_, "Player");
        level->AddChild(std::make_unique<TPlayer>(World_, PlayerTankName(Kind), start.X, start.Y,
                                                  FindMesh(World_, "Tower1"), body, Kind));
    }
}

void SpawnPlayer(TWorld& world, uint8_t player) {
    TMoveableObject* level = LevelNode(world);
    auto effect = MakeRespaun(world, 0, player, 0);
    if (level != nullptr && effect != nullptr)
        level->AddChild(std::move(effect));
}

void SpawnEnemy(TWorld& world) {
    TMap* map = CurrentMap(world);
    TMoveableObject* level = LevelNode(world);
    if (map == nullptr || level == nullptr || map->SpawnCount == 0)
        return;
    Randomize(world.Random);
    TGameState& state = world.State;
    // Summed wide: four large quotas must not wrap round to a small count.
    int64_t remaining =
        int64_t{state.EnemyQuota[0]} + state.EnemyQuota[1] + state.EnemyQuota[2] + state.EnemyQuota[3];
    if (remaining <= 0)
        return;
    if (remaining == 1)
        state.AllEnemiesSpawned = true;
    int32_t kind = Random(world.Random, 4);
    while (state.EnemyQuota[kind] <= 0)
        kind = Random(world.Random, 4);
    state.EnemyQuota[kind]--;
    int32_t spawn = Random(world.Random, map->SpawnCount);
    map->UpdateBlocked();
    // A spawn count that claims more points than the map holds draws a point that is not there.
    if (spawn < 0 || static_cast<size_t>(spawn) >= map->SpawnPoints.size())
        return;
    const TGridPoint& point = map->SpawnPoints[static_cast<size_t>(spawn)];
    if (map->Blocked(point.X, point.Y))
        return;
    auto effect = MakeRespaun(world, spawn, static_cast<uint8_t>(kind), 1);
    if (effect == nullptr)
        return;
    state.EnemiesAlive++;
    level->AddChild(std::move(effect));
}
