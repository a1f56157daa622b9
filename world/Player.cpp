#include "world/Player.h"

#include <cmath>

#include "input/GE_INPUT.h"
#include "input/SecondPlayer.h"
#include "scene/GE_GAMEOBJECT.h"
#include "util/Log.h"
#include "world/Bonus.h"
#include "world/Bullet.h"
#include "world/Difficulty.h"
#include "world/Effects.h"
#include "world/Map.h"
#include "world/Team.h"
#include "world/World.h"

namespace {

constexpr int32_t kStepTime = 200;  // ms per footprint step and per turn
// The second player's turret on the keyboard, degrees per ms: turned by a key, and swinging back.
constexpr float kTurretTurnRate = 0.18f;
constexpr float kTurretFollowRate = 0.36f;

}  // namespace

TPlayer::TPlayer(TWorld& world, std::string name, int32_t cellX, int32_t cellY, TMeshResource* towerMesh,
                 TMeshResource* bodyMesh, uint8_t index)
    : TMoveableObject(std::move(name)),
      TTankMotion(world, cellX, cellY),
      Index(index),
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
    uint8_t grade = PlayerSlot(World_.State, Index).UpgradeLevel;
    Weapon = PlayerWeapon(World_, grade);
    const std::string tower = "Tower" + std::to_string(grade + 1);
    TMeshResource* mesh = Index == 0 ? nullptr : FindMesh(World_, tower + "b");
    Tower->SetMesh(mesh != nullptr ? mesh : FindMesh(World_, tower));
}

void TPlayer::Upgrade() {
    uint8_t& grade = PlayerSlot(World_.State, Index).UpgradeLevel;
    if (grade < 3)
        grade++;
    Equip();
}

void TPlayer::SetArmour(int32_t milliseconds) {
    PlayerSlot(World_.State, Index).ArmourActive = true;
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
        SetGameLabel(World_, ArmourLabel(), std::to_string(RoundHalfEven(ArmourTimeLeft / 1000.0)));
        ArmourTimeLeft -= deltaMs;
        if (ArmourTimeLeft < 1) {
            SetGameLabel(World_, ArmourLabel(), "");
            PlayerSlot(World_.State, Index).ArmourActive = false;
            Armoured = false;
            if (auto* armour = dynamic_cast<TArmour*>(FindObject("Armour")))
                armour->Finish();
        }
    }

    ReloadTimer -= deltaMs;
    if (ReloadTimer < 0)
        ReloadTimer = 0;

    if (Index != 0)
        TurnTurretByKeys(deltaMs);
    if (FireHeld() && ReloadTimer == 0)
        Fire();

    if (MoveState == Stepping)
        Step(deltaMs);
    if (MoveState == Idle)
        DecideIdle();
    if (MoveState == Turning)
        Turn(deltaMs);
}

bool TPlayer::FireHeld() const {
    const TInput* input = World_.Context.Input;
    if (input == nullptr)
        return false;
    return Index == 0 ? input->ActionDown(ActionFire) : SecondPlayerFires(*input);
}

void TPlayer::TurnTurretByKeys(int32_t deltaMs) {
    const TInput* input = World_.Context.Input;
    if (input == nullptr || SecondPlayerAimsWithPad(*input))
        return;
    const int turn = SecondPlayerTurretTurn(*input);
    if (turn != 0) {
        TowerAngle += static_cast<float>(turn) * kTurretTurnRate * static_cast<float>(deltaMs);
    } else {
        // The short way round to where the hull looks.
        const float hull = 90.0f - static_cast<float>(Facing);
        float apart = std::remainder(hull - TowerAngle, 360.0f);
        const float most = kTurretFollowRate * static_cast<float>(deltaMs);
        TowerAngle += std::fabs(apart) <= most ? apart : std::copysign(most, apart);
    }
    TowerAngle = std::remainder(TowerAngle, 360.0f);
    Tower->SetRotation(0.0f, 90.0f - TowerAngle, 0.0f);
}

void TPlayer::Fire() {
    uint8_t grade = PlayerSlot(World_.State, Index).UpgradeLevel;
    PlaySound(World_, grade == 3 ? "shoot" : "laser");
    // Where the shot went, for checking the aim against the crosshair from outside the game.
    logging::Write("player", std::string(Index == 0 ? "" : "second player ") + "fires at heading " +
                                 std::to_string(RoundHalfEven(TowerAngle)));
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

void TPlayer::DriveWanted(int& held, uint16_t& wanted) const {
    // Right, left, down, up in that order (the first player's bound keys or the controller, the second
    // player's arrows or pad); the last held one counts, and only when it is the only one.
    static const TAction actions[4] = {ActionDriveRight, ActionDriveLeft, ActionDriveDown, ActionDriveUp};
    static const int keys[4] = {KEY_D, KEY_A, KEY_S, KEY_W};
    static const uint16_t headings[4] = {90, 270, 180, 0};
    const TInput* input = World_.Context.Input;
    held = 0;
    wanted = 0;
    for (int k = 0; k < 4; ++k) {
        const bool down = input != nullptr && (Index == 0 ? input->DriveActionDown(actions[k])
                                                          : SecondPlayerDriveKeyDown(*input, keys[k]));
        if (down) {
            ++held;
            wanted = headings[k];
        }
    }
}

void TPlayer::DecideIdle() {
    int held = 0;
    uint16_t wanted = 0;
    DriveWanted(held, wanted);
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
        if (!map->IsFootprint(target.X, target.Y) || map->Blocked(target.X, target.Y) ||
            !StepKeepsTeamInView(World_, *this, target)) {
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
    TPlayerSlot slot = PlayerSlot(World_.State, Index);
    slot.RespawnPending = true;
    slot.UpgradeLevel = 0;
    AddBang(World_, WorldPosition(*this), 0);
    FreeFootprints();
    Remove();
}
