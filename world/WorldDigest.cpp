#include "world/WorldDigest.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "scene/GE_MOVEABLEOBJECT.h"
#include "world/Base.h"
#include "world/Bonus.h"
#include "world/Bullet.h"
#include "world/Enemy.h"
#include "world/Player.h"
#include "world/Respaun.h"
#include "world/Wall.h"

namespace {

// FNV-1a, 64 bits.
class THasher {
public:
    void Bytes(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            hash_ = (hash_ ^ bytes[i]) * 1099511628211ull;
        }
    }
    void Int(int64_t value) { Bytes(&value, sizeof value); }
    void Float(float value) {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        Int(bits);
    }
    void Vector(const TVector3& v) {
        Float(v.X);
        Float(v.Y);
        Float(v.Z);
    }
    void Text(const std::string& text) {
        Int(static_cast<int64_t>(text.size()));
        Bytes(text.data(), text.size());
    }
    uint64_t Value() const { return hash_; }

private:
    uint64_t hash_ = 14695981039346656037ull;
};

// Kind, cell and health of one object; objects without a cell or health give -1.
void HashObject(THasher& hasher, TMoveableObject& node) {
    int64_t kind = 0;
    int32_t cellX = -1;
    int32_t cellY = -1;
    float health = -1.0f;
    if (auto* player = dynamic_cast<TPlayer*>(&node)) {
        kind = 1;
        cellX = player->CellX;
        cellY = player->CellY;
        health = player->Health;
    } else if (auto* enemy = dynamic_cast<TEnemy*>(&node)) {
        kind = 10 + enemy->Kind;
        cellX = enemy->CellX;
        cellY = enemy->CellY;
        health = enemy->Health;
    } else if (auto* bullet = dynamic_cast<TBullet*>(&node)) {
        kind = 20 + bullet->Owner;
        health = bullet->Health;
    } else if (auto* bonus = dynamic_cast<TBonus*>(&node)) {
        kind = 30 + bonus->Kind;
    } else if (auto* wall = dynamic_cast<TWall*>(&node)) {
        kind = 2;
        cellX = wall->CellX;
        cellY = wall->CellY;
        health = wall->Health;
    } else if (auto* base = dynamic_cast<TBase*>(&node)) {
        kind = 3;
        health = base->Health;
    } else if (auto* respawn = dynamic_cast<TRespaun*>(&node)) {
        kind = 40 + respawn->IsEnemy * 10 + respawn->Kind;
        cellX = respawn->SpawnIndex;
    }
    hasher.Int(kind);
    hasher.Text(node.GetName());
    hasher.Int(cellX);
    hasher.Int(cellY);
    hasher.Float(health);
    hasher.Vector(node.GetPosition());
    hasher.Vector(node.GetRotation());
}

}  // namespace

TWorldDigest DigestWorld(const TWorld& world) {
    const TGameState& state = world.State;
    TMoveableObject* sceneRoot = world.Context.SceneRoot;
    THasher hasher;
    const int64_t values[] = {
        state.InGame,        state.Paused,          state.LevelIndex,           state.Score,
        state.Lives,         state.UpgradeLevel,    state.PlayerRespawnPending, state.FirstSpawn,
        state.BonusTimer,    state.EnemySpawnTimer, state.EnemiesAlive,         state.AllEnemiesSpawned,
        state.EnemyQuota[0], state.EnemyQuota[1],   state.EnemyQuota[2],        state.EnemyQuota[3],
        state.FreezeActive,  state.FreezeTimeLeft,  state.ArmourActive,         state.GameOver,
        world.Random.Seed};
    for (int64_t value : values) {
        hasher.Int(value);
    }
    if (state.TwoPlayers) {
        const TPlayerState& second = state.Player2;
        const int64_t team[] = {state.TwoPlayers,      second.Lives,      second.UpgradeLevel,
                                second.RespawnPending, second.FirstSpawn, second.ArmourActive,
                                state.PlayerOut[0],    state.PlayerOut[1]};
        for (int64_t value : team) {
            hasher.Int(value);
        }
    }
    TWorldDigest digest;
    TMoveableObject* level = sceneRoot != nullptr ? sceneRoot->FindObject("Level") : nullptr;
    if (level != nullptr) {
        std::vector<TMoveableObject*> objects;
        level->CollectObjects(objects);
        for (TMoveableObject* node : objects) {
            HashObject(hasher, *node);
        }
        digest.Objects = static_cast<int32_t>(objects.size());
    }
    digest.Hash = hasher.Value();
    digest.Level = state.LevelIndex + 1;
    digest.Score = state.Score;
    digest.Lives = state.Lives;
    return digest;
}

uint64_t FoldHistory(uint64_t history, uint64_t hash) {
    THasher hasher;
    hasher.Int(static_cast<int64_t>(history));
    hasher.Int(static_cast<int64_t>(hash));
    return hasher.Value();
}

std::string DigestText(const TWorldDigest& digest) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "digest %016llx level %d score %d lives %d objects %d frames %llu history %016llx",
                  static_cast<unsigned long long>(digest.Hash), digest.Level, digest.Score, digest.Lives,
                  digest.Objects, static_cast<unsigned long long>(digest.Frames),
                  static_cast<unsigned long long>(digest.History));
    return text;
}
