#include "world/Bullet.h"

#include <cmath>

#include "world/Base.h"
#include "world/Effects.h"
#include "world/Enemy.h"
#include "world/Map.h"
#include "world/Player.h"
#include "world/Wall.h"
#include "world/World.h"

TBullet::TBullet(TWorld& world, std::string name, const TWeaponInfo& weapon, uint8_t owner, float direction)
    : TGameObject(std::move(name), weapon.Mesh),
      Direction(direction),
      Owner(owner),
      Weapon(weapon),
      World_(world) {
    if (Weapon.IsRocket)
        AddRocketSmoke(World_, this);
}

void TBullet::SpawnHitEffect() {
    if (Weapon.IsRocket) {
        AddBang(World_, WorldPosition(*this), 1);
    } else {
        AddSparks(World_, WorldPosition(*this));
    }
}

void TBullet::PlayImpactSound() {
    PlaySound(World_, Weapon.IsRocket ? "bang" : "metal_bang");
}

void TBullet::Update(int32_t deltaMs) {
    bool playerRocket = Owner == FromPlayer && Weapon.IsRocket;
    if (Health <= 0.0f) {
        if (playerRocket)
            PlaySound(World_, "bang");
        SpawnHitEffect();
        Remove();
        return;
    }

    double heading = Direction * kPi / 180.0;
    SetPosition(Position.X + static_cast<float>(std::cos(heading) * deltaMs / 100.0), Position.Y,
                Position.Z + static_cast<float>(std::sin(heading) * deltaMs / 100.0));

    if (TMap* map = CurrentMap(World_)) {
        int32_t gx = RoundHalfEven(map->Width() / 2.0 + Position.X);
        int32_t gz = RoundHalfEven(map->Height() / 2.0 - Position.Z);
        // A shell whose heading was not a number has no place on the map: it goes as if it left it
        // (no comparison would ever stop it otherwise).
        bool lost = !std::isfinite(Position.X) || !std::isfinite(Position.Z);
        if (lost || gx < 0 || gz < 0 || gx > map->Width() || gz > map->Height()) {
            if (Owner == FromPlayer)
                PlaySound(World_, Weapon.IsRocket ? "bang" : "metal_bang");
            SpawnHitEffect();
            Remove();
            return;
        }
    }

    if (HitSomething())
        Remove();
}

bool TBullet::HitSomething() {
    TMoveableObject* root = World_.Context.SceneRoot;
    if (root == nullptr)
        return false;
    // Everything a shell can hit (walls, the base, tanks, shells) is a child of "Level", and the tree's
    // post-order keeps those children in their own order, so the first hit among them is the first hit
    // of the whole tree. Nothing farther than the largest reach of a test (the base's half-size plus
    // the shell's radius) can be hit, which spares the type tests for almost every node.
    TMoveableObject* level = root->FindObject("Level");
    if (level == nullptr)
        return false;
    const float x = Position.X;
    const float z = Position.Z;
    const float r = Weapon.HitRadius;
    const float reach = 1.0f + std::fabs(r);
    // The loop ends at the first hit, before anything a hit adds to "Level" could move the children.
    for (int32_t i = 0; i < level->GetChildCount(); ++i) {
        TMoveableObject* object = level->GetChild(i);
        if (object == this)
            continue;
        TVector3 p = object->GetPosition();
        if (!(std::fabs(p.X - x) < reach && std::fabs(p.Z - z) < reach))
            continue;
        if (auto* wall = dynamic_cast<TWall*>(object)) {
            TVector3 w = WorldPosition(*wall);
            if (w.X - 0.5f < x + r && w.X + 0.5f > x - r && w.Z - 0.5f < z + r && w.Z + 0.5f > z - r) {
                wall->Health -= Weapon.Damage;
                wall->SpawnDebris();
                if (Weapon.IsRocket) {
                    if (Owner == FromPlayer)
                        PlaySound(World_, "bang");
                    SpawnHitEffect();
                } else if (Owner == FromPlayer) {
                    PlaySound(World_, "wall_dest");
                }
                return true;
            }
        } else if (auto* base = dynamic_cast<TBase*>(object)) {
            TVector3 b = WorldPosition(*base);
            if (b.X - 1.0f < x + r && b.X + 1.0f > x - r && b.Z - 1.0f < z + r && b.Z + 1.0f > z - r) {
                base->Health -= Weapon.Damage;
                PlayImpactSound();
                SpawnHitEffect();
                return true;
            }
        } else if (auto* enemy = dynamic_cast<TEnemy*>(object)) {
            if (Owner != FromPlayer)
                continue;
            TVector3 e = enemy->GetPosition();
            if (e.X - 1.0f < x && x < e.X + 1.0f && e.Z - 1.0f < z && z < e.Z + 1.0f) {
                enemy->Health -= Weapon.Damage;
                PlayImpactSound();
                SpawnHitEffect();
                return true;
            }
        } else if (auto* player = dynamic_cast<TPlayer*>(object)) {
            if (Owner != FromEnemy)
                continue;
            TVector3 p = player->GetPosition();
            if (p.X - 1.0f < x && x < p.X + 1.0f && p.Z - 1.0f < z && z < p.Z + 1.0f) {
                if (!player->Armoured)
                    player->Health -= Weapon.Damage;
                PlayImpactSound();
                SpawnHitEffect();
                return true;
            }
        } else if (auto* shell = dynamic_cast<TBullet*>(object)) {
            if (shell->Owner == Owner)
                continue;
            if (VectorDistance(shell->GetPosition(), Position) < 0.2f) {
                shell->Health -= Weapon.Damage;
                if (Owner == FromPlayer && Weapon.IsRocket)
                    PlaySound(World_, "bang");
                SpawnHitEffect();
                return true;
            }
        }
    }
    return false;
}
