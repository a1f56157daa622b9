// The player's tank: a hull ("Body") and a turret ("Tower") that move on the grid one 2 x 2 footprint
// at a time, driven by W, A, S, D, the turret aimed at the ground point under the cursor, the gun
// fired with the left mouse button. Created by the player's spawn effect as "Player" under "Level".
// In a game for two the second player's tank is "Player2" (Index 1): it drives with the arrow keys or
// its gamepad, fires with Right Ctrl, keypad Enter or its pad, and turns its turret with `,` and `.`
// (following the hull while neither is held) unless its pad's cursor aims it (input/SecondPlayer.h);
// its lives, weapon grade and shield are its own (world/Team.h).
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
            TMeshResource* bodyMesh, uint8_t index = 0);
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

    uint8_t Index;  // 0 the first player, 1 the second
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
    // How many drive directions are held and the heading of the last one (the player's own controls).
    void DriveWanted(int& held, uint16_t& wanted) const;
    bool FireHeld() const;
    // The second player's turret on the keyboard: `,` and `.` turn it, else it swings to the hull.
    void TurnTurretByKeys(int32_t deltaMs);
    const char* ArmourLabel() const { return Index == 0 ? "Armour" : "Armour2"; }
    void Turn(int32_t deltaMs);
    void Explode();

    TGameObject* Body = nullptr;
    TGameObject* Tower = nullptr;
};
