// An enemy tank of one of four kinds. It moves on the grid like the player's tank, fires straight
// ahead at random intervals, and cycles between roaming at random, heading for the base and hunting
// the player, the latter two by the map's path search before every step. Created by an enemy spawn
// effect as "Enemy1" under "Level". While the enemies are frozen it neither fires nor decides.
#pragma once

#include <cstdint>
#include <string>

#include "scene/GE_GAMEOBJECT.h"
#include "world/TankMotion.h"
#include "world/WeaponInfo.h"

struct TWorld;

class TEnemy : public TGameObject, public TTankMotion {
public:
    enum : uint8_t { Roam = 0, AttackBase = 1, ChasePlayer = 2 };

    // Full health, step time and score of a kind 0..3.
    static float FullHealth(uint8_t kind);
    static int32_t KindStepTime(uint8_t kind);
    static int32_t KindScore(uint8_t kind);

    TEnemy(TWorld& world, std::string name, int32_t cellX, int32_t cellY, TMeshResource* mesh, uint8_t kind);
    ~TEnemy() override;

    void SetWeapon(const TWeaponInfo& weapon) { Weapon = weapon; }
    void Update(int32_t deltaMs) override;

    uint8_t Kind;
    float Health;
    TWeaponInfo Weapon;
    uint8_t Mode = Roam;
    uint8_t StepsLeft = 0;
    uint16_t WantedFacing = 0;
    int32_t FireTimer = 0;
    int32_t ModeTimer = 0;
    bool Smoking = false;
    int32_t StepTime;

private:
    void Fire();
    void Step(int32_t deltaMs);
    void Decide();
    void StepAhead();
    void PlanStep();
    void Turn(int32_t deltaMs);
    void SetMode(uint8_t mode);
    // What the tank's destroy does, once: frees the current and the previous footprint and counts the
    // enemy off EnemiesAlive. Run when the tank removes itself (the scene frees removed nodes only after
    // its update walk, and the objects updated after it must already find the cells free) or, for a tank
    // freed with the level, in its destroy.
    void LeaveWorld();
    bool InWorld = true;
};
