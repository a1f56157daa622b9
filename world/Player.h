// The player's tank: a hull ("Body") and a turret ("Tower") that move on the grid one 2 x 2 footprint
// at a time, driven by W, A, S, D, the turret aimed at the ground point under the cursor, the gun
// fired with the left mouse button. Created by the player's spawn effect as "Player" under "Level".
//
// Headings: 0 towards row - 1 (+z), 90 towards column + 1 (+x), 180 towards row + 1 (-z), 270 towards
// column - 1 (-x). Times in whole milliseconds.
#pragma once

#include <cstdint>
#include <string>

#include "scene/GE_MOVEABLEOBJECT.h"
#include "world/TankMotion.h"
#include "world/WeaponInfo.h"

class TGameObject;
class TArmour;
struct TWorld;
struct TMeshResource;

class TPlayer : public TMoveableObject, public TTankMotion {
public:
    // Reads the input and finds "Level" through the world's context.
    TPlayer(TWorld& world, std::string name, int32_t cellX, int32_t cellY, TMeshResource* towerMesh,
            TMeshResource* bodyMesh);
    ~TPlayer() override;

    void Update(int32_t deltaMs) override;

    // Takes the gun and turret of the current weapon grade.
    void Equip();
    // Next weapon grade (up to 3), then Equip.
    void Upgrade();
    // Turns the shield on for `milliseconds` (replacing what was left).
    void SetArmour(int32_t milliseconds);
    // Aims the turret at the ground point (x, z).
    void AimAt(float x, float z);

    float Health;
    float TowerAngle = 0.0f;  // degrees, Angle2D convention
    int32_t ReloadTimer = 0;
    TWeaponInfo Weapon;
    bool Armoured = false;
    int32_t ArmourTimeLeft = 0;
    bool Smoking = false;

private:
    void Fire();
    void Step(int32_t deltaMs);
    void DecideIdle();
    void Turn(int32_t deltaMs);
    void Explode();

    TGameObject* Body = nullptr;
    TGameObject* Tower = nullptr;
};
