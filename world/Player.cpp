#include "world/Player.h"

#include <cmath>

#include "input/GE_INPUT.h"
#include "scene/GE_GAMEOBJECT.h"
#include "util/Log.h"
#include "world/Bonus.h"
#include "world/Bullet.h"
#include "world/Difficulty.h"
#include "world/Effects.h"
#include "world/Map.h"
#include "world/World.h"

namespace {

constexpr int32_t kStepTime = 200;  // ms per footprint step and per turn

}  // namespace

TPlayer::TPlayer(TWorld& world, std::string name, int32_t cellX, int32_t cellY, TMeshResource* towerMesh,
                 TMeshResource* bodyMesh)
    : TMoveableObject(std::move(name)),
      TTankMotion(world, cellX, cellY),
      Health(static_cast<float>(PlayerFullHealth(world.State))) {
    TVector3 centre = FootprintCentre(World_, cellX, cellY);
    SetPosition(centre.X, 0.0f, centre.Z);
    Body = AddChild(std::make_unique<TGameObject>("Body", bodyMesh));
    Tower = AddChild(std::make_unique<TGameObject>("Tower", towerMesh));
    Equip();
    MoveTimer = 0;
    SetArmour(3000);
}

TPlayer::~TPlayer() {
    FreeFootprints();
}

void TPlayer::Equip() {
    uint8_t grade = World_.State.UpgradeLevel;
    Weapon = PlayerWeapon(World_, grade);
    Tower->SetMesh(FindMesh(World_, "Tower" + std::to_string(grade + 1)));
}

void TPlayer::Upgrade() {
    if (World_.State.UpgradeLevel < 3)
        World_.State.UpgradeLevel++;
    Equip();
}

void TPlayer::SetArmour(int32_t milliseconds) {
    World_.State.ArmourActive = true;
    if (!Armoured) {
        Armoured = true;
        AddChild(std::make_unique<TArmour>("Armour", FindMesh(World_, "armour")));
    }
    ArmourTimeLeft = milliseconds;
}

void TPlayer::AimAt(float x, float z) {
    TVector2 from = Vector2(WorldMatrix._41, WorldMatrix._43);
    TowerAngle = Angle2D(from, Vector2(x, z));
    Tower->SetRotation(0.0f, 90.0f - TowerAngle, 0.0f);
}

void TPlayer::Update(int32_t deltaMs) {
    if (Health <= 0.0f) {
        Explode();
        return;
    }

    float ratio = Health / static_cast<float>(PlayerFullHealth(World_.State));
    if (ratio >= 0.75f) {
        if (Smoking) {
            DeleteObject("paticlesystem");
            Smoking = false;
        }
    } else if (Smoking) {
        ShadeSmoke(this, ratio);
    } else {
        AddSmoke(World_, this);
        Smoking = true;
    }

    if (Armoured) {
        SetGameLabel(World_, "Armour", std::to_string(RoundHalfEven(ArmourTimeLeft / 1000.0)));
        ArmourTimeLeft -= deltaMs;
        if (ArmourTimeLeft < 1) {
            SetGameLabel(World_, "Armour", "");
            World_.State.ArmourActive = false;
            Armoured = false;
            if (auto* armour = dynamic_cast<TArmour*>(FindObject("Armour")))
                armour->Finish();
        }
    }

    ReloadTimer -= deltaMs;
    if (ReloadTimer < 0)
        ReloadTimer = 0;

    TInput* input = World_.Context.Input;
    if (input != nullptr && input->ActionDown(ActionFire) && ReloadTimer == 0)
        Fire();

    if (MoveState == Stepping)
        Step(deltaMs);
    if (MoveState == Idle)
        DecideIdle();
    if (MoveState == Turning)
        Turn(deltaMs);
}

void TPlayer::Fire() {
    uint8_t grade = World_.State.UpgradeLevel;
    PlaySound(World_, grade == 3 ? "shoot" : "laser");
    // Where the shot went, for checking the aim against the crosshair from outside the game.
    logging::Write("player", "fires at heading " + std::to_string(RoundHalfEven(TowerAngle)));
    double angle = TowerAngle * kPi / 180.0;
    float c = static_cast<float>(std::cos(angle));
    float s = static_cast<float>(std::sin(angle));
    float x = Position.X;
    float z = Position.Z;
    auto fire = [&](float px, float pz) {
        auto shell = std::make_unique<TBullet>(World_, "bullet", Weapon, TBullet::FromPlayer, TowerAngle);
        shell->SetPosition(px, 0.5f, pz);
        shell->SetRotation(0.0f, 90.0f - TowerAngle, 0.0f);
        if (TMoveableObject* level = LevelNode(World_))
            level->AddChild(std::move(shell));
    };
    if (grade == 2) {
        fire(x + c - 0.2f * s, z + s + 0.2f * c);
        fire(x + c + 0.2f * s, z + s - 0.2f * c);
    } else {
        fire(x + c, z + s);
    }
    ReloadTimer = Weapon.ReloadTime;
}

void TPlayer::Step(int32_t deltaMs) {
    AdvanceStep(*this, deltaMs);
}

void TPlayer::DecideIdle() {
    // Right, left, down, up in that order (the bound keys or the controller); the last held one
    // counts, and only when it is the only one.
    static const TAction actions[4] = {ActionDriveRight, ActionDriveLeft, ActionDriveDown, ActionDriveUp};
    static const uint16_t headings[4] = {90, 270, 180, 0};
    TInput* input = World_.Context.Input;
    int held = 0;
    uint16_t wanted = 0;
    for (int k = 0; k < 4; ++k) {
        if (input != nullptr && input->DriveActionDown(actions[k])) {
            ++held;
            wanted = headings[k];
        }
    }
    TVector3 centre = FootprintCentre(World_, CellX, CellY);
    if (held == 0) {
        SetPosition(centre.X, 0.0f, centre.Z);
        return;
    }
    if (held >= 2)
        return;

    if (wanted == Facing) {
        TMap* map = CurrentMap(World_);
        if (map == nullptr)
            return;
        TGridPoint target = Ahead();
        map->FreeTank(CellX, CellY);
        map->UpdateBlocked();
        if (!map->IsFootprint(target.X, target.Y) || map->Blocked(target.X, target.Y)) {
            SetPosition(centre.X, 0.0f, centre.Z);
        } else {
            MoveTimer += kStepTime;  // what a late frame overshot is taken from this step
            BeginStep(target, kStepTime);
        }
        MarkFootprints();
        return;
    }

    SetPosition(centre.X, 0.0f, centre.Z);
    BeginTurn(wanted, kStepTime);
}

void TPlayer::Turn(int32_t deltaMs) {
    TVector3 rotation = Body->GetRotation();
    Body->SetRotation(rotation.X, rotation.Y + deltaMs * TurnRate, rotation.Z);
    MoveTimer -= deltaMs;
    if (MoveTimer < 0) {
        MoveState = Idle;
        Body->SetRotation(0.0f, Facing, 0.0f);
        MoveTimer = 0;
    }
}

void TPlayer::Explode() {
    PlaySound(World_, "bang");
    World_.State.PlayerRespawnPending = true;
    World_.State.UpgradeLevel = 0;
    AddBang(World_, WorldPosition(*this), 0);
    FreeFootprints();
    Remove();
}
