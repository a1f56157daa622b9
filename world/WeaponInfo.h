// The gun of a tank: one table of eight rows, the four enemy kinds (rows 0-3) and the player's four
// weapon grades (rows 4-7). A tank copies its row when it is equipped and sets the shell's mesh then.
#pragma once

#include <cstdint>

struct TMeshResource;
struct TWorld;

struct TWeaponInfo {
    TMeshResource* Mesh = nullptr;  // the shell's mesh: "Roket" for rockets, "Bullet" otherwise
    bool IsRocket = false;          // smoke trail, explosion instead of sparks, other sounds
    float Damage = 0.0f;            // health taken from what it hits
    float HitRadius = 0.0f;         // added to the half-size of walls and the base in the hit test
    int32_t ReloadTime = 0;         // ms between two shots
};

constexpr int kWeaponRows = 8;

// Row `row` of the table (0-3 enemy kinds, 4-7 player grades), its mesh set from the world's mesh
// cache: "Roket" for rockets, "Bullet" otherwise. Rows outside 0..7 give row 0.
TWeaponInfo WeaponRow(TWorld& world, int row);
// The player's gun for a weapon grade 0..3.
inline TWeaponInfo PlayerWeapon(TWorld& world, int upgradeLevel) {
    return WeaponRow(world, 4 + upgradeLevel);
}
