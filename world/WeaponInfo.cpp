#include "world/WeaponInfo.h"

#include "world/WorldContext.h"

namespace {

struct WeaponRowValues {
    bool IsRocket;
    float Damage;
    float HitRadius;
    int32_t ReloadTime;
};

constexpr WeaponRowValues kWeaponTable[kWeaponRows] = {
    {false, 1.0f, 0.1f, 400},  // enemy kind 0
    {false, 1.0f, 0.1f, 200},  // enemy kind 1
    {false, 1.0f, 0.1f, 300},  // enemy kind 2, twin gun
    {true, 2.0f, 0.1f, 400},   // enemy kind 3, rockets
    {false, 1.0f, 0.1f, 500},  // player grade 0
    {false, 1.0f, 0.1f, 250},  // player grade 1
    {false, 1.0f, 0.1f, 400},  // player grade 2, twin gun
    {true, 3.0f, 0.1f, 500},   // player grade 3, rockets
};

}  // namespace

TWeaponInfo WeaponRow(TWorld& world, int row) {
    if (row < 0 || row >= kWeaponRows)
        row = 0;
    const WeaponRowValues& values = kWeaponTable[row];
    TWeaponInfo weapon;
    weapon.IsRocket = values.IsRocket;
    weapon.Damage = values.Damage;
    weapon.HitRadius = values.HitRadius;
    weapon.ReloadTime = values.ReloadTime;
    weapon.Mesh = FindMesh(world, values.IsRocket ? "Roket" : "Bullet");
    return weapon;
}
