#include "world/Enemy.h"

#include <cmath>

#include "world/Bullet.h"
#include "world/Difficulty.h"
#include "world/Effects.h"
#include "world/Map.h"
#include "world/Player.h"
#include "world/Team.h"
#include "world/World.h"

namespace {

struct KindValues {
    float Health;
    int32_t StepTime;
    int32_t Score;
};

constexpr KindValues kKinds[4] = {{3.0f, 200, 100}, {4.0f, 150, 200}, {5.0f, 200, 300}, {6.0f, 300, 400}};

const KindValues& KindOf(uint8_t kind) {
    return kKinds[kind < 4 ? kind : 0];
}

int32_t ModeDuration(const TGameState& state, uint8_t mode) {
    switch (mode) {
        case TEnemy::AttackBase:
            return state.AttackBaseTime;
        case TEnemy::ChasePlayer:
            return state.ChasePlayerTime;
        default:
            return state.WanderTime;
    }
}

}  // namespace

float TEnemy::FullHealth(uint8_t kind) {
    return KindOf(kind).Health;
}
int32_t TEnemy::KindStepTime(uint8_t kind) {
    return KindOf(kind).StepTime;
}
int32_t TEnemy::KindScore(uint8_t kind) {
    return KindOf(kind).Score;
}

TEnemy::TEnemy(TWorld& world, std::string name, int32_t cellX, int32_t cellY, TMeshResource* mesh,
               uint8_t kind)
    : TGameObject(std::move(name), mesh),
      TTankMotion(world, cellX, cellY),
      Kind(kind),
      Health(FullHealth(kind)),
      StepTime(KindStepTime(kind)) {
    SetMode(static_cast<uint8_t>(Random(World_.Random, 3)));
    TVector3 centre = FootprintCentre(World_, cellX, cellY);
    SetPosition(centre.X, 0.0f, centre.Z);
}

TEnemy::~TEnemy() {
    LeaveWorld();
}

void TEnemy::LeaveWorld() {
    if (!InWorld)
        return;
    InWorld = false;
    FreeFootprints();
    if (World_.State.EnemiesAlive > 0)
        World_.State.EnemiesAlive--;
}

void TEnemy::SetMode(uint8_t mode) {
    Mode = mode;
    ModeTimer = ModeDuration(World_.State, mode);
}

void TEnemy::Update(int32_t deltaMs) {
    if (Health < 0.0f) {
        World_.State.Score += KindScore(Kind);
        AddBang(World_, WorldPosition(*this), 0);
        PlaySound(World_, "bang");
        LeaveWorld();
        Remove();
        return;
    }

    float ratio = Health / FullHealth(Kind);
    if (ratio < 0.75f) {
        if (Smoking) {
            ShadeSmoke(this, ratio);
        } else {
            AddSmoke(World_, this);
            Smoking = true;
        }
    }

    const bool frozen = World_.State.FreezeActive;
    if (!frozen) {
        if (ModeTimer > 0)
            ModeTimer -= deltaMs;
        if (FireTimer > 0) {
            FireTimer -= deltaMs;
        } else {
            Randomize(World_.Random);
            if (MoveState != Turning) {
                FireTimer =
                    Random(World_.Random, 400) + EnemyReloadTime(World_.State.Difficulty, Weapon.ReloadTime);
                Fire();
            }
        }
    }

    if (MoveState == Stepping)
        Step(deltaMs);
    if (frozen)
        return;
    if (MoveState == Idle)
        Decide();
    if (MoveState == Turning)
        Turn(deltaMs);
}

void TEnemy::Fire() {
    float heading = 90.0f - Facing;
    double angle = heading * kPi / 180.0;
    float c = static_cast<float>(std::cos(angle));
    float s = static_cast<float>(std::sin(angle));
    float x = Position.X;
    float z = Position.Z;
    auto fire = [&](const char* name, float px, float pz) {
        auto shell = std::make_unique<TBullet>(World_, name, Weapon, TBullet::FromEnemy, heading);
        shell->SetPosition(px, 0.5f, pz);
        shell->SetRotation(0.0f, Facing, 0.0f);
        if (TMoveableObject* level = LevelNode(World_))
            level->AddChild(std::move(shell));
    };
    if (Kind == 2) {
        fire("bullet", x + c - 0.2f * s, z + s + 0.2f * c);
        fire("bullet", x + c + 0.2f * s, z + s - 0.2f * c);
    } else {
        fire("Bullet", x + 1.5f * c, z + 1.5f * s);
    }
}

void TEnemy::Step(int32_t deltaMs) {
    if (AdvanceStep(*this, deltaMs)) {
        TVector3 centre = FootprintCentre(World_, CellX, CellY);
        SetPosition(centre.X, 0.0f, centre.Z);
    }
}

void TEnemy::Decide() {
    if (StepsLeft > 0 && Facing == WantedFacing) {
        StepAhead();
        return;
    }
    if (StepsLeft > 0) {
        BeginTurn(WantedFacing, StepTime);
        return;
    }

    if (ModeTimer <= 0) {
        switch (Mode) {
            case Roam:
                SetMode(AttackBase);
                break;
            case AttackBase:
                SetMode(ChasePlayer);
                break;
            default:
                SetMode(Roam);
                break;
        }
    }
    if (Mode == Roam) {
        Randomize(World_.Random);
        static const uint16_t headings[4] = {0, 180, 270, 90};
        WantedFacing = headings[Random(World_.Random, 4)];
        StepsLeft = static_cast<uint8_t>(Random(World_.Random, 10) + 5);
    } else {
        PlanStep();
    }
}

void TEnemy::StepAhead() {
    TMap* map = CurrentMap(World_);
    if (map == nullptr)
        return;
    TGridPoint target = Ahead();
    map->FreeTank(CellX, CellY);
    map->UpdateBlocked();
    if (!map->IsFootprint(target.X, target.Y) || map->Blocked(target.X, target.Y)) {
        StepsLeft = 0;
        if (Mode != Roam)
            SetMode(Roam);
    } else {
        MoveTimer = StepTime;
        BeginStep(target, StepTime);
        StepsLeft--;
    }
    MarkFootprints();
}

void TEnemy::PlanStep() {
    TMap* map = CurrentMap(World_);
    if (map == nullptr)
        return;
    map->FreeTank(CellX, CellY);
    TMoveableObject* root = World_.Context.SceneRoot;
    auto* player = root != nullptr ? dynamic_cast<TPlayer*>(root->FindObject("Player")) : nullptr;
    if (World_.State.TwoPlayers && Mode == ChasePlayer)
        player = HuntedPlayer(World_, TGridPoint{CellX, CellY});

    const bool attackBase = Mode == AttackBase && map->HasBase;
    if (attackBase)
        map->ClearAroundBase();
    if (Mode == ChasePlayer && player != nullptr)
        map->FreeTank(player->CellX, player->CellY);
    map->UpdateBlocked();
    map->ResetDistances();

    bool searched = false;
    if (Mode == ChasePlayer && player != nullptr) {
        map->FindPath(TGridPoint{CellX, CellY}, TGridPoint{player->CellX, player->CellY});
        searched = true;
    } else if (map->HasBase) {
        map->FindPath(TGridPoint{CellX, CellY}, TGridPoint{map->BaseX, map->BaseY});
        searched = true;
    }
    if (attackBase)
        map->RestoreAroundBase();

    if (searched && map->Path().size() > 1) {
        const TGridPoint& next = map->Path()[1];
        StepsLeft = 1;
        if (next.X == CellX) {
            WantedFacing = next.Y < CellY ? 0 : 180;
        } else {
            WantedFacing = next.X < CellX ? 270 : 90;
        }
    } else if (Mode == AttackBase) {
        SetMode(ChasePlayer);
    } else {
        SetMode(Roam);
    }

    map->OccupyTank(CellX, CellY);
    if (player != nullptr)
        map->OccupyTank(player->CellX, player->CellY);
}

void TEnemy::Turn(int32_t deltaMs) {
    SetRotation(Rotation.X, Rotation.Y + deltaMs * TurnRate, Rotation.Z);
    MoveTimer -= deltaMs;
    if (MoveTimer < 0) {
        MoveState = Idle;
        SetRotation(0.0f, Facing, 0.0f);
    }
}
