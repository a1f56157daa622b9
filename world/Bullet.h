// One shell in flight, a plain shell or a rocket, fired by the player or an enemy. It flies straight at
// 10 units per second and each update tests itself against the map's edge, the walls, the base, the
// tanks of the other side and the shells of the other side; on a hit it takes its damage from the
// target, plays a sound, leaves an effect and removes itself.
#pragma once

#include <cstdint>
#include <string>

#include "scene/GE_GAMEOBJECT.h"
#include "world/WeaponInfo.h"

struct TWorld;

class TBullet : public TGameObject {
public:
    enum : uint8_t { FromPlayer = 0, FromEnemy = 1 };

    // `direction` is the heading in degrees (Angle2D convention: the shell moves along (cos, sin) in
    // (x, z)). A rocket gets its smoke trail here. The firing tank places the shell and adds it to "Level".
    TBullet(TWorld& world, std::string name, const TWeaponInfo& weapon, uint8_t owner, float direction);

    void Update(int32_t deltaMs) override;
    // Sparks for a shell, a rocket's explosion for a rocket, at the shell's world position.
    void SpawnHitEffect();

    float Health = 0.1f;
    float Direction;
    uint8_t Owner;
    TWeaponInfo Weapon;

private:
    TWorld& World_;
    bool HitSomething();
    // The sound of a hit on a tank or the base: "bang" for a rocket, "metal_bang" for a shell.
    void PlayImpactSound();
};
